// Several files through the open dialog's stand-in, files dropped on a slot and on the window,
// a thumbnail dragged onto another slot (working copies following their frames), and the slots'
// context menu, in the real main window under the offscreen platform.

#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QtTest>
#include <array>
#include <memory>

#include "app/main_window.h"
#include "core/working_files.h"
#include "platform/drive_paths.h"
#include "support/pictures.h"
#include "support/window_test_env.h"

using lenzora::app::MainWindow;
using lenzora::testing::findControl;

namespace {

// What a drag brings: files, or (for a thumbnail's drag) a slot number.
std::unique_ptr<QMimeData> carried(const std::vector<std::string>& files, int slot = 0) {
    auto mime = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const std::string& file : files) urls.append(QUrl::fromLocalFile(file.c_str()));
    if (slot == 0) mime->setUrls(urls);
    if (slot != 0) mime->setData("application/x-lenzora-slot", QByteArray::number(slot));
    return mime;
}

// A drag entering `target`, then dropped; the work follows once the drop has ended.
void drop(QWidget* target, const QMimeData& mime) {
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(QPoint(4, 4), actions, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(4, 4), actions, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    QVERIFY(enter.isAccepted() && dropped.isAccepted());
    QCoreApplication::processEvents();
}

// What the desktop sends for a right click or the Menu key, then the entry chosen by keyboard.
void chooseInMenu(QWidget* control, QContextMenuEvent::Reason reason, const char* action) {
    QContextMenuEvent event(reason, QPoint(4, 4), control->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(control, &event);
    auto* menu = findControl<QMenu>(*control->window(), "slotMenu");
    QVERIFY(menu->isVisible());
    menu->setActiveAction(menu->findChild<QAction*>(action));
    QTest::keyClick(menu, Qt::Key_Return);
    QVERIFY(!menu->isVisible());
}

// The frame in a slot's file: (20 + tag) pixels wide.
int tagOfFile(const std::string& slotPath) {
    lenzora::raster::RasterImage frame;
    frame.loadBmpFile(lenzora::platform::hostPath(slotPath));
    return frame.width() - 20;
}

}  // namespace

class SlotGesturesTest : public QObject {
    Q_OBJECT

    lenzora::testing::WindowTestEnvironment env_;

    // Frame `tag`: (20 + tag) x 6 pixels of red 12 x tag, told apart by its file's width and
    // its thumbnail's colour (through a JPEG's rounding too).
    std::string frame(const std::string& name, int tag) {
        const auto path = env_.root.path() / name;
        const auto red = static_cast<std::uint8_t>(12 * tag);
        const auto picture =
            lenzora::testing::plainImage(20 + tag, 6, lenzora::raster::Colour::rgb(red, 90, 40));
        if (name.ends_with(".jpg")) lenzora::testing::writeJpeg(path, picture);
        if (name.ends_with(".bmp")) lenzora::testing::writeBmp(path, picture);
        return path.string();
    }

  private slots:
    void filesDropsDragsAndTheMenuKeepSlotsThumbnailsAndCount() {
        MainWindow form;
        form.show();
        auto control = [&](const char* stem, int slot) {
            return findControl<QWidget>(form, (stem + std::to_string(slot)).c_str());
        };
        auto choose = [&](int slot, std::vector<std::string> files) {
            env_.scripted.openPicture->answers.emplace_back(std::move(files));
            QTest::mouseClick(control("slotButton", slot), Qt::LeftButton);
        };
        const auto menuKey = QContextMenuEvent::Keyboard;
        const auto rightClick = QContextMenuEvent::Mouse;
        struct Step {
            std::function<void()> act;
            std::array<int, 16> tags;  // the frame each slot holds; 0 empty
            int frameCount;
            const char* resolution;
            const char* message;  // the one message shown, if any
        };
        const char* const none = nullptr;
        // clang-format off
        const Step steps[] = {
            // Three files chosen for slot 2 go in name order.
            {[&] { choose(2, {frame("f10.jpg", 10), frame("f2.bmp", 2), frame("f1.jpg", 1)}); },
             {0, 1, 2, 10}, 4, "169.1", none},
            // Dropped on slot 6: the file of another kind takes no slot.
            {[&] { drop(control("slotButton", 6), *carried({frame("d3.bmp", 13),
                   frame("notes.txt", 0), frame("d1.jpg", 11)})); },
             {0, 1, 2, 10, 0, 11, 13}, 7, "295.925", "File format error!"},
            // Dropped on the window: the empty slots.
            {[&] { drop(&form, *carried({frame("w2.bmp", 16), frame("w1.jpg", 15)})); },
             {15, 1, 2, 10, 16, 11, 13}, 7, "295.925", none},
            // Thumbnail 4 onto the button of empty slot 9; two working copies swapped.
            {[&] { drop(control("slotButton", 9), *carried({}, 4)); },
             {15, 1, 2, 0, 16, 11, 13, 0, 10}, 9, "380.475", none},
            {[&] { drop(control("thumbnail", 6), *carried({}, 2)); },
             {15, 11, 2, 0, 16, 1, 13, 0, 10}, 9, "380.475", none},
            // Slot 9 refilled from a BMP file keeps its old working copy, which must not go
            // to slot 6 when the two swap.
            {[&] { choose(9, {frame("r.bmp", 20)}); },
             {15, 11, 2, 0, 16, 1, 13, 0, 20}, 9, "380.475", none},
            {[&] { drop(control("thumbnail", 9), *carried({}, 6)); },
             {15, 11, 2, 0, 16, 20, 13, 0, 1}, 9, "380.475", none},
            {[&] { choose(15, {frame("z1.bmp", 17), frame("z2.bmp", 18), frame("z3.bmp", 19)}); },
             {15, 11, 2, 0, 16, 20, 13, 0, 1, 0, 0, 0, 0, 0, 17, 18}, 16, "676.4",
             "1 个文件未载入: 图16之后没有空位"},
            {[&] { chooseInMenu(control("slotButton", 3), menuKey, "clearSlotAction"); },
             {15, 11, 0, 0, 16, 20, 13, 0, 1, 0, 0, 0, 0, 0, 17, 18}, 16, "676.4", none},
            {[&] { chooseInMenu(control("thumbnail", 5), rightClick, "reverseFramesAction"); },
             {18, 17, 0, 0, 1, 13, 20, 0, 16, 0, 0, 0, 0, 0, 11, 15}, 16, "676.4", none},
            {[&] { chooseInMenu(control("slotButton", 1), rightClick, "clearAllAction"); },
             {}, 16, "676.4", none},
        };
        // clang-format on
        auto& messages = env_.scripted.messages->messages;
        for (std::size_t i = 0; i < std::size(steps); ++i) {
            const Step& step = steps[i];
            messages.clear();
            step.act();
            const QByteArray where = "step " + QByteArray::number(static_cast<int>(i + 1));
            const auto expected =
                step.message ? std::vector<std::string>{step.message} : std::vector<std::string>{};
            QVERIFY2(env_.scripted.messages->errors.empty() && messages == expected, where);
            QVERIFY2(form.settings().frameCount == step.frameCount, where);
            QCOMPARE(findControl<QLabel>(form, "resolutionLabel")->text(), step.resolution);
            for (int slot = 1; slot <= 16; ++slot) {
                const int tag = step.tags[static_cast<std::size_t>(slot - 1)];
                const std::string& path = form.frameSlots()[slot];
                const QPixmap shown = static_cast<QLabel*>(control("thumbnail", slot))->pixmap();
                const QByteArray at = where + ", slot " + QByteArray::number(slot);
                QVERIFY2(tag == 0 ? path.empty() : tagOfFile(path) == tag, at);
                // A slot names no working copy but its own, which a later load would overwrite.
                QVERIFY2(!path.starts_with("c:") || path == lenzora::core::workingCopyPath(slot),
                         at);
                QVERIFY2(tag == 0
                             ? shown.isNull()
                             : std::abs(shown.toImage().pixelColor(32, 28).red() - 12 * tag) <= 5,
                         at);
            }
        }
        // Clearing never lowered the count: a compose names the first empty slot.
        QTest::mouseClick(findControl<QPushButton>(form, "composeButton"), Qt::LeftButton);
        QCOMPARE(messages, std::vector<std::string>{"Photo1 not select！"});
    }
};

QTEST_MAIN(SlotGesturesTest)
#include "slot_gestures_test.moc"
