#include "app/slot_gestures.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <utility>

#include "platform/qt/named_child.h"

namespace lenzora::app {
namespace {

using platform::namedChild;

// The slot a thumbnail's drag comes from, or 0 for any other data.
int draggedSlot(const QMimeData* mime) {
    const int slot = mime->data(QString::fromLatin1(SlotGestures::kSlotMimeType)).toInt();
    return slot >= 1 && slot <= core::kMaxFrames ? slot : 0;
}

std::vector<std::string> localFiles(const QMimeData* mime) {
    std::vector<std::string> files;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) files.push_back(url.toLocalFile().toStdString());
    }
    return files;
}

}  // namespace

SlotGestures::SlotGestures(QWidget* window, const Buttons& buttons, const Thumbnails& thumbnails,
                           Handlers handlers)
    : QObject(window), buttons_(buttons), thumbnails_(thumbnails), handlers_(std::move(handlers)) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    // A box would take dropped files' names as its text; there too they go to the slots.
    for (QLineEdit* box : window->findChildren<QLineEdit*>()) box->setAcceptDrops(false);
    for (int i = 0; i < core::kMaxFrames; ++i) {
        for (QWidget* control :
             {static_cast<QWidget*>(buttons_[i]), static_cast<QWidget*>(thumbnails_[i])}) {
            control->setAcceptDrops(true);
            control->installEventFilter(this);
        }
    }
    menu_ = namedChild<QMenu>(window, "slotMenu");
    clearAction_ = menu_->addAction(tr("清除此图"), this, [this] { handlers_.clear(menuSlot_); });
    reverseAction_ = menu_->addAction(tr("倒转顺序"), this, [this] { handlers_.reverse(); });
    clearAllAction_ = menu_->addAction(tr("全部清除"), this, [this] { handlers_.clearAll(); });
    clearAction_->setObjectName(QStringLiteral("clearSlotAction"));
    reverseAction_->setObjectName(QStringLiteral("reverseFramesAction"));
    clearAllAction_->setObjectName(QStringLiteral("clearAllAction"));
}

int SlotGestures::slotOf(const QObject* control) const {
    for (int i = 0; i < core::kMaxFrames; ++i) {
        if (control == buttons_[i] || control == thumbnails_[i]) return i + 1;
    }
    return 0;
}

bool SlotGestures::shown(int slot) const {
    return !thumbnails_[static_cast<std::size_t>(slot - 1)]->pixmap().isNull();
}

// A thumbnail goes onto another slot only; files go anywhere.
bool SlotGestures::takes(const QMimeData* mime, int slot) const {
    if (mime == nullptr || !handlers_.allowed()) return false;
    if (draggedSlot(mime) != 0) return slot != 0;
    return !localFiles(mime).empty();
}

// The work is done once the drop has ended, so that its messages do not hold up the program
// the files came from.
void SlotGestures::drop(const QMimeData* mime, int slot) {
    if (const int from = draggedSlot(mime)) {
        QMetaObject::invokeMethod(
            this, [this, from, slot] { handlers_.swap(from, slot); }, Qt::QueuedConnection);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, slot, files = localFiles(mime)] { handlers_.dropFiles(slot, files); },
        Qt::QueuedConnection);
}

void SlotGestures::startDrag(int slot) {
    QLabel* thumbnail = thumbnails_[static_cast<std::size_t>(slot - 1)];
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kSlotMimeType), QByteArray::number(slot));
    auto* drag = new QDrag(thumbnail);
    drag->setMimeData(mime);
    drag->setPixmap(thumbnail->pixmap());
    drag->setHotSpot(pressedAt_);
    drag->exec(Qt::MoveAction);
}

void SlotGestures::showMenu(int slot, const QPoint& globalPosition) {
    menuSlot_ = slot;
    int loaded = 0;
    bool anyShown = false;
    for (int s = 1; s <= core::kMaxFrames; ++s) {
        if (handlers_.loaded(s)) ++loaded;
        anyShown = anyShown || shown(s);
    }
    const bool allowed = handlers_.allowed();
    clearAction_->setEnabled(allowed && (handlers_.loaded(slot) || shown(slot)));
    reverseAction_->setEnabled(allowed && loaded >= 2);
    clearAllAction_->setEnabled(allowed && (loaded > 0 || anyShown));
    menu_->popup(globalPosition);
}

bool SlotGestures::eventFilter(QObject* watched, QEvent* event) {
    const int slot = slotOf(watched);
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* move = static_cast<QDragMoveEvent*>(event);
            if (takes(move->mimeData(), slot)) {
                move->acceptProposedAction();
            } else {
                move->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* dropped = static_cast<QDropEvent*>(event);
            if (!takes(dropped->mimeData(), slot)) {
                dropped->ignore();
                return true;
            }
            dropped->acceptProposedAction();
            drop(dropped->mimeData(), slot);
            return true;
        }
        case QEvent::ContextMenu:
            if (slot == 0) break;
            showMenu(slot, static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        case QEvent::MouseButtonPress: {
            auto* press = static_cast<QMouseEvent*>(event);
            if (slot == 0 || watched != thumbnails_[static_cast<std::size_t>(slot - 1)] ||
                press->button() != Qt::LeftButton || !shown(slot) || !handlers_.allowed())
                break;
            pressedSlot_ = slot;
            pressedAt_ = press->position().toPoint();
            return true;
        }
        case QEvent::MouseMove: {
            auto* move = static_cast<QMouseEvent*>(event);
            if (pressedSlot_ == 0 || slot != pressedSlot_ || !(move->buttons() & Qt::LeftButton))
                break;
            if ((move->position().toPoint() - pressedAt_).manhattanLength() <
                QApplication::startDragDistance())
                return true;
            const int from = std::exchange(pressedSlot_, 0);
            startDrag(from);
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (slot != 0 && slot == pressedSlot_) pressedSlot_ = 0;
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace lenzora::app
