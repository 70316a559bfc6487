#include "app/held_messages.h"

#include <QEvent>
#include <QWidget>
#include <utility>

#include "platform/handler_guard.h"
#include "platform/services.h"

namespace lenzora::app {

HeldMessages::HeldMessages(QWidget* window) : QObject(window), window_(window) {
    window_->installEventFilter(this);
}

void HeldMessages::showMessage(const std::string& text) { showOrHold({false, text}); }

bool HeldMessages::guardHandler(const std::function<void()>& handler) {
    return platform::guardHandler(handler, [this](const std::string& text) {
        showOrHold({true, text});
    });
}

void HeldMessages::showOrHold(Held box) {
    held_.push_back(std::move(box));
    if (window_->isActiveWindow()) showHeld();
}

// Shown from the event queue, once the activation is over: a modal box opened inside its
// delivery would run its own event loop there.
bool HeldMessages::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::WindowActivate && !held_.empty())
        QMetaObject::invokeMethod(this, &HeldMessages::showHeld, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

void HeldMessages::showHeld() {
    // Each box is taken before it is shown: another activation while it is up finds it gone.
    while (!held_.empty() && window_->isActiveWindow()) {
        const Held box = std::move(held_.front());
        held_.erase(held_.begin());
        if (box.error)
            platform::showErrorReport(box.text);
        else
            platform::showMessage(box.text);
    }
}

}  // namespace lenzora::app
