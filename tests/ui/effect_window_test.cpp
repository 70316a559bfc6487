// The effect preview opened from the main window after a compose, driven through its slider,
// arrow keys, mouse, Space and sheet pitch box under the offscreen platform: what it shows is the
// lens rule's view for the position and sheet, and it follows the calibration band and a new
// compose.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>
#include <memory>

#include "app/main_window.h"
#include "interlace/lens_view.h"
#include "platform/translation.h"
#include "raster/qimage_conversion.h"
#include "support/pictures.h"
#include "support/window_test_env.h"
#include "windows/effect_window.h"
#include "windows/view_canvas.h"

using lenzora::app::MainWindow;
using lenzora::testing::findControl;
using lenzora::testing::typeOver;
using lenzora::windows::EffectWindow;
using lenzora::windows::ViewCanvas;
namespace interlace = lenzora::interlace;
namespace raster = lenzora::raster;

namespace {

constexpr int kFrames = 3;
// 3 frames at 42.275 lpi: strip width 2, 253.65 dpi, a lens of 6 print pixels.
constexpr double kResolution = 253.65;
constexpr double kPrintPeriod = 6;

}  // namespace

// A helper's failed check ends the test that called it.
#define CHECKED(call)                           \
    do {                                        \
        call;                                   \
        if (QTest::currentTestFailed()) return; \
    } while (false)

class EffectWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<lenzora::testing::WindowTestEnvironment> env_;

    // Three pattern frames composed into a 1500 x 1000 composite in `mode`.
    void composeFrames(MainWindow& form, bool rows) {
        typeOver(findControl<QComboBox>(form, "pitchBox")->lineEdit(), QStringLiteral("42.275"));
        findControl<QRadioButton>(form, rows ? "rowsModeButton" : "columnsModeButton")->click();
        findControl<QComboBox>(form, "unitBox")->setCurrentIndex(2);  // pixels
        typeOver(findControl<QLineEdit>(form, "widthEdit"), QStringLiteral("1500"));
        typeOver(findControl<QLineEdit>(form, "heightEdit"), QStringLiteral("1000"));
        const char* buttons[] = {"slotButton1", "slotButton2", "slotButton3"};
        for (int q = 1; q <= kFrames; ++q) {
            const auto path = env_->root.path() / ("frame" + std::to_string(q) + ".bmp");
            lenzora::testing::writeBmp(path, lenzora::testing::patternImage(400, 300, q));
            env_->scripted.openPicture->answers.push_back(path.string());
            QTest::mouseClick(findControl<QPushButton>(form, buttons[q - 1]), Qt::LeftButton);
        }
        QTest::mouseClick(findControl<QPushButton>(form, "composeButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!form.composing(), 60000);
    }
    static EffectWindow* openEffect(MainWindow& form) {
        QTest::mouseClick(findControl<QPushButton>(form, "effectButton"), Qt::LeftButton);
        return form.findChild<EffectWindow*>();
    }

    // Once built, the picture shows the rule's view of the main window's composite, reduced
    // to the window's size, for `period` and `position`, and the label names its frame.
    static void expectShown(EffectWindow& effect, const MainWindow& form, bool rows, double period,
                            double position) {
        QTRY_VERIFY_WITH_TIMEOUT(!effect.building() && !effect.view().empty(), 30000);
        QCOMPARE(effect.composite().get(), &form.composite());
        QCOMPARE(effect.position(), position);
        const raster::RasterImage& shown = effect.view();
        const interlace::ViewPreview preview(form.composite(), rows ? 1 : 0, shown.width(),
                                             shown.height());
        const QImage& drawn = findControl<ViewCanvas>(effect, "viewCanvas")->image();
        QVERIFY(drawn == lenzora::raster::toQImage(preview.view(period, position)));
        QCOMPARE(findControl<QLabel>(effect, "frameLabel")->text(),
                 QStringLiteral("第 %1 帧，共 %2 帧")
                     .arg(interlace::frameAt(position, kFrames))
                     .arg(kFrames));
    }
    // The view fills the picture control along one side, with the composite's shape.
    static void expectFitted(EffectWindow& effect, const MainWindow& form) {
        const QSize area = findControl<ViewCanvas>(effect, "viewCanvas")->size();
        const raster::RasterImage& shown = effect.view();
        QVERIFY(shown.width() <= area.width() && shown.height() <= area.height());
        QVERIFY(shown.width() == area.width() || shown.height() == area.height());
        const double shape =
            static_cast<double>(form.composite().width()) / form.composite().height();
        QVERIFY(std::abs(shown.width() - shape * shown.height()) <= 1.0 + shape);
    }

  private slots:
    void init() { env_ = std::make_unique<lenzora::testing::WindowTestEnvironment>(); }
    void cleanup() { env_.reset(); }

    void tiltingShowsTheViewOfEachPosition_data() {
        QTest::addColumn<bool>("rows");
        QTest::newRow("columns") << false;
        QTest::newRow("rows") << true;
    }
    void tiltingShowsTheViewOfEachPosition() {
        QFETCH(bool, rows);
        MainWindow form;
        form.show();
        QVERIFY(!findControl<QPushButton>(form, "effectButton")->isEnabled());
        CHECKED(composeFrames(form, rows));
        QVERIFY(findControl<QPushButton>(form, "effectButton")->isEnabled());
        EffectWindow* effect = openEffect(form);
        QVERIFY(effect && effect->isVisible());
        QCOMPARE(effect->windowTitle(), QStringLiteral("效果预览"));
        CHECKED(
            expectShown(*effect, form, rows, kPrintPeriod, interlace::viewPosition(1, kFrames)));
        CHECKED(expectFitted(*effect, form));

        // The slider: position value / 1000.
        findControl<QSlider>(*effect, "positionSlider")->setValue(900);
        CHECKED(expectShown(*effect, form, rows, kPrintPeriod, 0.9));

        // The arrow keys of the mode step from view to view and stop at the ends.
        auto* canvas = findControl<ViewCanvas>(*effect, "viewCanvas");
        const Qt::Key back = rows ? Qt::Key_Up : Qt::Key_Left;
        const Qt::Key ahead = rows ? Qt::Key_Down : Qt::Key_Right;
        const struct {
            Qt::Key key;
            int view;
        } steps[] = {{back, 2}, {back, 1}, {back, 1}, {ahead, 2}, {ahead, 3}, {ahead, 3}};
        for (const auto& step : steps) {
            QTest::keyClick(canvas, step.key);
            CHECKED(expectShown(*effect, form, rows, kPrintPeriod,
                                interlace::viewPosition(step.view, kFrames)));
        }

        // Dragging across the picture: the position follows the pointer.
        const QRect picture = canvas->pictureRect();
        const QPoint start = picture.topLeft() + QPoint(2, 2);
        const QPoint quarter = rows ? QPoint(start.x(), picture.top() + picture.height() / 4)
                                    : QPoint(picture.left() + picture.width() / 4, start.y());
        QTest::mousePress(canvas, Qt::LeftButton, {}, start);
        QVERIFY(effect->position() < 0.01);
        QMouseEvent drag(QEvent::MouseMove, quarter, canvas->mapToGlobal(quarter), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &drag);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, quarter);
        QVERIFY(std::abs(effect->position() - 0.25) < 0.01);
        CHECKED(expectShown(*effect, form, rows, kPrintPeriod, effect->position()));

        // A sheet of another pitch: its own lens period over the same print.
        auto* pitch = findControl<QLineEdit>(*effect, "sheetPitchEdit");
        QCOMPARE(pitch->text(), QStringLiteral("42.275"));
        typeOver(pitch, QStringLiteral("40"));
        CHECKED(expectShown(*effect, form, rows, kResolution / 40, effect->position()));
        // Bad pitches are named beside the box and the last good sheet stays; typed key by
        // key, "1000" passes through "100", a good one.
        auto* message = findControl<QLabel>(*effect, "pitchMessage");
        QVERIFY(message->text().isEmpty());
        const QString notAPitch = QStringLiteral("线距须为大于 0 的数");
        const QString tooFine = QString::fromStdString(
            lenzora::platform::translate("lenzora::interlace", interlace::kSheetPeriodTooSmall));
        const struct {
            const char* text;
            double period;
            const QString& message;
        } bad[] = {{"1000", kResolution / 100, tooFine}, {"-3", kResolution / 100, notAPitch}};
        for (const auto& b : bad) {
            typeOver(pitch, QString::fromLatin1(b.text));
            QCOMPARE(message->text(), b.message);
            QCOMPARE(effect->sheetPeriod(), b.period);
        }

        // Space plays and pauses a swing within the views' middles.
        const double before = effect->position();
        QTest::keyClick(canvas, Qt::Key_Space);
        QVERIFY(effect->playing());
        QTRY_VERIFY(effect->position() != before);
        QTest::keyClick(canvas, Qt::Key_Space);
        QVERIFY(!effect->playing());
        QVERIFY(effect->position() >= interlace::viewPosition(1, kFrames) &&
                effect->position() <= interlace::viewPosition(kFrames, kFrames));

        // Resized, the window gets views of its new size.
        effect->resize(520, 460);
        QTRY_VERIFY_WITH_TIMEOUT(
            !effect->building() && effect->view().width() <= 520 && effect->view().height() < 460,
            30000);
        CHECKED(expectFitted(*effect, form));
    }

    // The calibration band and a new compose replace what the window shows; while a compose
    // runs it shows and holds nothing.
    void theWindowFollowsTheComposite() {
        MainWindow form;
        form.show();
        CHECKED(composeFrames(form, false));
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_F5);  // the button's shortcut, a click 100 ms later
        QTRY_VERIFY(form.findChild<EffectWindow*>());
        auto* effect = form.findChild<EffectWindow*>();
        QVERIFY(effect->isVisible());
        const double first = interlace::viewPosition(1, kFrames);
        CHECKED(expectShown(*effect, form, false, kPrintPeriod, first));
        const int width = form.composite().width();

        auto* band = findControl<QCheckBox>(form, "calibrationBox");
        for (bool ticked : {true, false}) {
            band->click();
            QCOMPARE(form.composite().width(), ticked ? width + 4 * 6 : width);
            CHECKED(expectShown(*effect, form, false, kPrintPeriod, first));
        }

        QTest::mouseClick(findControl<QPushButton>(form, "composeButton"), Qt::LeftButton);
        QVERIFY(form.composing());
        QVERIFY(!effect->composite() && effect->view().empty());
        QVERIFY(findControl<ViewCanvas>(*effect, "viewCanvas")->image().isNull());
        QVERIFY(findControl<QLabel>(*effect, "frameLabel")->text().isEmpty());
        QVERIFY(!findControl<QPushButton>(form, "effectButton")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!form.composing(), 60000);
        CHECKED(expectShown(*effect, form, false, kPrintPeriod, first));
        QVERIFY(findControl<QPushButton>(form, "effectButton")->isEnabled());
    }
};

QTEST_MAIN(EffectWindowTest)
#include "effect_window_test.moc"
