#pragma once
// The frame slots' gestures: picture files dropped on a slot (filling from it) or elsewhere on
// the window (filling the empty slots), a thumbnail dragged onto another slot (swapping the
// two), and a slot's context menu (right click or the Menu key): clear it, reverse the loaded
// frames, clear all. It watches the controls and hands each gesture to the window.

#include <QObject>
#include <QPoint>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/output_settings.h"

class QAction;
class QLabel;
class QMenu;
class QMimeData;
class QPushButton;
class QWidget;

namespace lenzora::app {

class SlotGestures : public QObject {
    Q_OBJECT
  public:
    // What the window does for each gesture. Slot numbers are 1 ... 16.
    struct Handlers {
        std::function<bool()> allowed;         // false while the slots must not change
        std::function<bool(int slot)> loaded;  // whether the slot holds a frame
        // Files dropped on a slot, or on the rest of the window (slot 0).
        std::function<void(int slot, std::vector<std::string> files)> dropFiles;
        std::function<void(int from, int to)> swap;
        std::function<void(int slot)> clear;
        std::function<void()> reverse;
        std::function<void()> clearAll;
    };

    // What a thumbnail's drag carries: its slot number as text.
    static constexpr const char* kSlotMimeType = "application/x-lenzora-slot";

    using Buttons = std::array<QPushButton*, core::kMaxFrames>;
    using Thumbnails = std::array<QLabel*, core::kMaxFrames>;

    // Watches `window` and every slot's button and thumbnail; owned by `window`. Made after
    // the window's boxes, which then leave dropped files to it.
    SlotGestures(QWidget* window, const Buttons& buttons, const Thumbnails& thumbnails,
                 Handlers handlers);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int slotOf(const QObject* control) const;  // 0: not a slot's control
    bool shown(int slot) const;                // its thumbnail shows a picture
    bool takes(const QMimeData* mime, int slot) const;
    void drop(const QMimeData* mime, int slot);
    void startDrag(int slot);
    void showMenu(int slot, const QPoint& globalPosition);

    Buttons buttons_;
    Thumbnails thumbnails_;
    Handlers handlers_;
    QMenu* menu_ = nullptr;
    QAction* clearAction_ = nullptr;
    QAction* reverseAction_ = nullptr;
    QAction* clearAllAction_ = nullptr;
    int menuSlot_ = 0;
    int pressedSlot_ = 0;  // the thumbnail the left button went down on
    QPoint pressedAt_;
};

}  // namespace lenzora::app
