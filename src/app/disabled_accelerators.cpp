#include "app/disabled_accelerators.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

namespace lenzora::app {

DisabledAccelerators::DisabledAccelerators(QWidget* window) : QObject(window), window_(window) {}

void DisabledAccelerators::watch(QWidget* box) { box->installEventFilter(this); }

bool DisabledAccelerators::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    // Alt alone among the command modifiers; Shift does not change which button is meant.
    const Qt::KeyboardModifiers command =
        key->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier);
    if (command != Qt::AltModifier) return false;
    const QKeySequence pressed(QKeyCombination(Qt::AltModifier, Qt::Key(key->key())));
    for (const QAbstractButton* button : window_->findChildren<QAbstractButton*>()) {
        if (!button->isEnabled() &&
            QKeySequence::mnemonic(button->text()).matches(pressed) == QKeySequence::ExactMatch) {
            return true;
        }
    }
    return false;
}

}  // namespace lenzora::app
