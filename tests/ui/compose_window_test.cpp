// Frames loaded through the slot buttons and the dialog stand-in, composed with "合成(&M)",
// calibration lines ticked and unticked, in the real main window under the offscreen platform.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <memory>

#include "app/main_window.h"
#include "core/working_files.h"
#include "platform/available_memory.h"
#include "platform/drive_paths.h"
#include "platform/testing/scripted_services.h"
#include "raster/memory_budget.h"
#include "support/pictures.h"
#include "support/temp_dir.h"
#include "support/window_test_env.h"
#include "windows/help_window.h"

using lenzora::testing::typeOver;

using lenzora::app::MainWindow;
namespace fs = std::filesystem;
namespace raster = lenzora::raster;

namespace {

// The slot buttons in slot order.
const char* const kSlotButtons[16] = {
    "slotButton1",  "slotButton2",  "slotButton3",  "slotButton4",  "slotButton5",  "slotButton6",
    "slotButton7",  "slotButton8",  "slotButton9",  "slotButton10", "slotButton11", "slotButton12",
    "slotButton13", "slotButton14", "slotButton15", "slotButton16"};

}  // namespace

class ComposeWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<lenzora::testing::WindowTestEnvironment> env_;

    std::vector<std::string>& messages() { return env_->scripted.messages->messages; }
    std::vector<std::string>& errors() { return env_->scripted.messages->errors; }

    template <class T>
    static T* control(QWidget& window, const char* name) {
        return lenzora::testing::findControl<T>(window, name);
    }

    // Chooses `path` in the dialog that the slot's button opens.
    void loadSlot(MainWindow& form, int slot, const fs::path& path) {
        env_->scripted.openPicture->answers.push_back(path.string());
        QTest::mouseClick(control<QPushButton>(form, kSlotButtons[slot - 1]), Qt::LeftButton);
    }
    fs::path frameFile(const char* name, std::int32_t w, std::int32_t h, int tag) {
        fs::path path = env_->root.path() / name;
        lenzora::testing::writeBmp(path, lenzora::testing::patternImage(w, h, tag));
        return path;
    }
    // Clicks "合成(&M)" and waits until the compose's thread has ended and its end is shown.
    static void compose(MainWindow& form) {
        QTest::mouseClick(control<QPushButton>(form, "composeButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!form.composing(), 60000);
    }
    // Two frames to a composite of `width` x `height` pixels: big enough that a compose
    // takes a while.
    void loadLargeJob(MainWindow& form, const char* width, const char* height) {
        control<QComboBox>(form, "unitBox")->setCurrentIndex(2);  // pixels
        typeOver(control<QLineEdit>(form, "widthEdit"), QString::fromLatin1(width));
        typeOver(control<QLineEdit>(form, "heightEdit"), QString::fromLatin1(height));
        for (int slot = 1; slot <= 4; ++slot) {
            const std::string name = "big" + std::to_string(slot) + ".bmp";
            loadSlot(form, slot, frameFile(name.c_str(), 2400, 1800, slot));
        }
    }
    fs::path working(const char* name) const { return env_->root.path() / "c" / "lz3d" / name; }

  private slots:
    void init() { env_ = std::make_unique<lenzora::testing::WindowTestEnvironment>(); }
    void cleanup() {
        env_.reset();
        raster::MemoryBudget::process().setCapacity(lenzora::platform::availableMemoryBytes);
    }

    void theWorkedExampleThroughTheWindow() {
        MainWindow form;
        form.show();
        typeOver(control<QComboBox>(form, "pitchBox")->lineEdit(), QStringLiteral("21.25"));
        loadSlot(form, 1, frameFile("a.bmp", 1600, 1200, 1));
        loadSlot(form, 2, frameFile("b.bmp", 1600, 1200, 2));
        QVERIFY(errors().empty());
        QVERIFY(!control<QLabel>(form, "thumbnail1")->pixmap().isNull());

        QSignalSpy progress(control<QProgressBar>(form, "progressBar"),
                            &QProgressBar::valueChanged);
        compose(form);
        QCOMPARE(messages(), std::vector<std::string>{"Merge OK！"});
        const raster::RasterImage& composite = form.composite();
        QCOMPARE(composite.width(), 2881);
        QCOMPARE(composite.height(), 2007);
        for (int x : {0, 5, 12, 17}) QCOMPARE(composite.pixel(x, 900).green & 0x0F, 1);
        for (int x : {6, 11, 18, 23}) QCOMPARE(composite.pixel(x, 900).green & 0x0F, 2);
        QCOMPARE(composite.pixel(2880, 900), raster::kWhite);
        QCOMPARE(form.preview().width(), 823);
        QCOMPARE(form.preview().height(), 573);
        QVERIFY(!control<QLabel>(form, "previewImage")->pixmap().isNull());

        // The bar reaches the end of the work, then goes back to 0.
        QList<int> values;
        for (const QList<QVariant>& change : progress) values.append(change[0].toInt());
        QVERIFY(values.contains(200));
        QCOMPARE(values.last(), 0);
        QCOMPARE(env_->scripted.cursor->depth, 0);
        QVERIFY(env_->scripted.cursor->timesBusy >= 1);

        for (const char* name : {"saveButton", "printButton", "calibrationBox"}) {
            QVERIFY2(control<QWidget>(form, name)->isEnabled(), name);
        }

        auto* calibration = control<QCheckBox>(form, "calibrationBox");
        QTest::mouseClick(calibration, Qt::LeftButton, {}, QPoint(8, calibration->height() / 2));
        QVERIFY(calibration->isChecked());
        QCOMPARE(form.composite().width(), 2929);
        QCOMPARE(form.composite().pixel(2887, 10), raster::kBlack);
        QCOMPARE(form.composite().pixel(2886, 10), raster::kWhite);
        QCOMPARE(form.preview().width(), 732);
        QCOMPARE(form.preview().height(), 502);
        QTest::mouseClick(calibration, Qt::LeftButton, {}, QPoint(8, calibration->height() / 2));
        QCOMPARE(form.composite().width(), 2881);
        QCOMPARE(form.preview().width(), 720);

        // Composing again while ticked ends unticked, at a quarter-size preview.
        calibration->setChecked(true);
        messages().clear();
        compose(form);
        QCOMPARE(messages(), std::vector<std::string>{"Merge OK！"});
        QVERIFY(!calibration->isChecked());
        QCOMPARE(form.composite().width(), 2881);
        QCOMPARE(form.preview().width(), 720);
    }

    // A compose that ends while another window is active shows nothing over it: its box comes
    // once the main window is activated again, and only once.
    void theEndOfAComposeWaitsForTheMainWindow_data() {
        QTest::addColumn<bool>("damaged");
        QTest::newRow("merged") << false;
        QTest::newRow("failed") << true;
    }
    void theEndOfAComposeWaitsForTheMainWindow() {
        QFETCH(bool, damaged);
        MainWindow form;
        form.show();
        loadSlot(form, 1, frameFile("a.bmp", 40, 30, 1));
        loadSlot(form, 2, frameFile("b.bmp", 40, 30, 2));
        if (damaged) std::ofstream(env_->root.path() / "b.bmp", std::ios::trunc) << "BM damaged";
        QTest::mouseClick(control<QPushButton>(form, "helpButton"), Qt::LeftButton);
        auto* help = form.findChild<lenzora::windows::HelpWindow*>();
        QVERIFY(help);
        help->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(help));
        compose(form);
        QTest::qWait(50);
        QVERIFY(messages().empty() && errors().empty());
        for (int round = 0; round < 2; ++round) {  // shown once, however often activated
            form.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            QTRY_COMPARE(messages().size() + errors().size(), std::size_t{1});
            QCOMPARE(errors().size(), std::size_t{damaged});
            help->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(help));
        }
    }

    void missingFramesAreNamed() {
        MainWindow form;
        form.show();
        compose(form);
        QCOMPARE(messages(), std::vector<std::string>{"Photo1 not select！"});
        loadSlot(form, 5, frameFile("e.bmp", 40, 30, 5));
        QCOMPARE(form.settings().frameCount, 5);
        loadSlot(form, 1, frameFile("a.bmp", 40, 30, 1));
        loadSlot(form, 2, frameFile("b.bmp", 40, 30, 2));
        messages().clear();
        compose(form);
        QCOMPARE(messages(), std::vector<std::string>{"Photo3 not select！"});
        QVERIFY(!control<QWidget>(form, "saveButton")->isEnabled());
        QVERIFY(!fs::exists(working("x01.bmp")));
        QCOMPARE(env_->scripted.cursor->timesBusy, 0);
        loadSlot(form, 3, frameFile("c.bmp", 40, 30, 3));
        loadSlot(form, 4, frameFile("d.bmp", 40, 30, 4));
        messages().clear();
        compose(form);
        QCOMPARE(messages(), std::vector<std::string>{"Merge OK！"});
        QVERIFY(fs::exists(working("x05.bmp")));
    }

    void slotNineAsksTwice() {
        MainWindow form;
        for (int slot : {1, 2, 3, 4, 5, 6, 7, 8, 10}) {
            loadSlot(form, slot, frameFile("f.bmp", 20, 20, slot));
        }
        QCOMPARE(form.settings().frameCount, 10);
        compose(form);
        QCOMPARE(messages(), std::vector<std::string>{"Photo9 not select！！"});
    }

    void loadingFramesThroughTheDialog() {
        MainWindow form;
        form.show();
        fs::path jpeg = env_->root.path() / "photo.JPG";
        lenzora::testing::writeJpeg(jpeg, lenzora::testing::patternImage(120, 90, 7));
        loadSlot(form, 7, jpeg);
        QCOMPARE(form.frameSlots()[7], std::string("c:\\lz3d\\t07.bmp"));
        QVERIFY(fs::exists(working("t07.bmp")));
        QCOMPARE(form.settings().frameCount, 7);

        fs::path bmp = frameFile("frame.bmp", 50, 40, 2);
        loadSlot(form, 2, bmp);
        QCOMPARE(form.frameSlots()[2], bmp.string());
        QVERIFY(!fs::exists(working("t02.bmp")));

        // Refused extensions empty the slot; the thumbnail stays.
        fs::copy_file(bmp, env_->root.path() / "frame.gif");
        const QPixmap before = control<QLabel>(form, "thumbnail2")->pixmap();
        loadSlot(form, 2, env_->root.path() / "frame.gif");
        QCOMPARE(messages(), std::vector<std::string>{"File format error!"});
        QCOMPARE(form.frameSlots()[2], std::string());
        QCOMPARE(control<QLabel>(form, "thumbnail2")->pixmap().toImage(), before.toImage());

        // Cancelling keeps the slot and still recomputes the resolution.
        typeOver(control<QComboBox>(form, "pitchBox")->lineEdit(), QStringLiteral("42.275"));
        QTest::mouseClick(control<QPushButton>(form, "slotButton7"), Qt::LeftButton);  // slot 7
        QCOMPARE(form.frameSlots()[7], std::string("c:\\lz3d\\t07.bmp"));
        QCOMPARE(control<QLabel>(form, "resolutionLabel")->text(), QStringLiteral("295.925"));
    }

    void anUnreadableFrameRaisesNothing() {
        MainWindow form;
        std::ofstream(env_->root.path() / "bad.bmp") << "BM damaged";
        loadSlot(form, 4, env_->root.path() / "bad.bmp");
        QCOMPARE(errors(), std::vector<std::string>{"Bitmap image is not valid."});
        QCOMPARE(form.settings().frameCount, 2);
        QCOMPARE(form.frameSlots()[4], (env_->root.path() / "bad.bmp").string());
        QVERIFY(control<QLabel>(form, "thumbnail4")->pixmap().isNull());
    }

    void composingADamagedFrameKeepsTheOldComposite() {
        MainWindow form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        loadSlot(form, 1, frameFile("a.bmp", 40, 30, 1));
        loadSlot(form, 2, frameFile("b.bmp", 40, 30, 2));
        compose(form);
        const int width = form.composite().width();
        std::ofstream(env_->root.path() / "b.bmp", std::ios::trunc) << "BM damaged";
        errors().clear();
        compose(form);
        QCOMPARE(errors(), std::vector<std::string>{"Bitmap image is not valid."});
        QCOMPARE(form.composite().width(), width);
        QCOMPARE(control<QProgressBar>(form, "progressBar")->value(), 0);
        QCOMPARE(env_->scripted.cursor->depth, 0);
    }

    // A zero-interval timer started with the compose keeps firing while it runs: the window
    // answers all along. The controls that could change the job are disabled meanwhile.
    void theWindowAnswersWhileComposing() {
        MainWindow form;
        form.show();
        loadLargeJob(form, "9000", "6000");
        int turns = 0;
        QTimer turning;
        turning.setInterval(0);
        connect(&turning, &QTimer::timeout, [&] { ++turns; });
        QStringList disabled;
        QTimer::singleShot(0, [&] {
            for (const char* name :
                 {"composeButton", "slotButton1", "slotButton16", "widthEdit", "pitchBox",
                  "rowsModeButton", "calibrationBox", "saveButton", "unitBox"}) {
                if (!control<QWidget>(form, name)->isEnabled()) disabled << name;
            }
        });
        turning.start();
        compose(form);
        turning.stop();
        QCOMPARE(messages(), std::vector<std::string>{"Merge OK！"});
        QVERIFY2(turns > 20, qPrintable(QString::number(turns)));
        QCOMPARE(disabled.size(), 9);
        QVERIFY(control<QWidget>(form, "helpButton")->isEnabled());
        for (const char* name : {"composeButton", "slotButton1", "widthEdit", "saveButton"})
            QVERIFY2(control<QWidget>(form, name)->isEnabled(), name);
        QCOMPARE(env_->scripted.cursor->depth, 0);
    }

    // Escape stops the compose: no "Merge OK！", no composite or preview, the output controls
    // off, the bar at 0, and only whole working files.
    void escapeCancelsTheCompose() {
        MainWindow form;
        form.show();
        loadLargeJob(form, "9000", "6000");
        compose(form);  // a first composite, which the cancelled compose must not leave shown
        messages().clear();
        QTest::mouseClick(control<QPushButton>(form, "composeButton"), Qt::LeftButton);
        QVERIFY(form.composing());
        QCOMPARE(env_->scripted.cursor->depth, 1);
        QTest::keyClick(&form, Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(!form.composing(), 60000);
        QVERIFY(messages().empty());
        QVERIFY(errors().empty());
        QVERIFY(form.composite().empty());
        QVERIFY(form.preview().empty());
        QVERIFY(control<QLabel>(form, "previewImage")->pixmap().isNull());
        for (const char* name : {"saveButton", "printButton", "calibrationBox"})
            QVERIFY2(!control<QWidget>(form, name)->isEnabled(), name);
        for (const char* name : {"composeButton", "slotButton1", "widthEdit"})
            QVERIFY2(control<QWidget>(form, name)->isEnabled(), name);
        QCOMPARE(control<QProgressBar>(form, "progressBar")->value(), 0);
        QCOMPARE(env_->scripted.cursor->depth, 0);
        for (const auto& entry : fs::directory_iterator(working(""))) {
            if (entry.path().filename() == "3d.cfg") continue;
            QVERIFY2(entry.path().extension() == ".bmp", entry.path().c_str());
            raster::RasterImage whole;
            whole.loadBmpFile(entry.path());  // throws for a file cut short
        }
        // The next compose runs to its end as ever.
        compose(form);
        QCOMPARE(messages(), std::vector<std::string>{"Merge OK！"});
        QVERIFY(control<QWidget>(form, "saveButton")->isEnabled());
    }

    // Closing during a compose stops it and closes as ever: settings stored, working files
    // and composite gone.
    void closingCancelsTheComposeAndCleansUp() {
        MainWindow form;
        form.show();
        loadLargeJob(form, "9000", "6000");
        QTest::mouseClick(control<QPushButton>(form, "composeButton"), Qt::LeftButton);
        QVERIFY(form.composing());
        QVERIFY(form.close());
        QVERIFY(!form.composing());
        QVERIFY(messages().empty());
        QVERIFY(form.composite().empty());
        QVERIFY(fs::exists(working("3d.cfg")));
        for (const char* name : {"x01.bmp", "x02.bmp", "x03.bmp", "x04.bmp"})
            QVERIFY2(!fs::exists(working(name)), name);
        QCOMPARE(env_->scripted.cursor->depth, 0);
    }

    void outputSizesThatCannotBeMadeAreRefusedFirst_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("message");
        QTest::newRow("zero") << "0"
                              << "Output size too small!";
        QTest::newRow("negative") << "-20"
                                  << "Output size too small!";
        QTest::newRow("huge") << "40000"
                              << "Output size too large!";
        QTest::newRow("beyond memory")  // 720 MB: a file holds it, 100 MB of memory does not
            << "6000"
            << QString::fromUtf8("输出尺寸太大，内存放不下！请用批处理工具 lenzora-cli 合成。");
    }
    void outputSizesThatCannotBeMadeAreRefusedFirst() {
        QFETCH(QString, width);
        QFETCH(QString, message);
        raster::MemoryBudget::process().setCapacity([] { return std::uint64_t{100} << 20; });
        MainWindow form;
        form.show();
        control<QComboBox>(form, "unitBox")->setCurrentIndex(2);  // pixels
        typeOver(control<QLineEdit>(form, "widthEdit"), width);
        typeOver(control<QLineEdit>(form, "heightEdit"), QStringLiteral("40000"));
        loadSlot(form, 1, frameFile("a.bmp", 40, 30, 1));
        loadSlot(form, 2, frameFile("b.bmp", 40, 30, 2));
        compose(form);
        QCOMPARE(messages(), std::vector<std::string>{message.toStdString()});
        QVERIFY(!fs::exists(working("x01.bmp")));
        QVERIFY(form.composite().empty());
        QCOMPARE(env_->scripted.cursor->depth, 0);
    }

    void rowsModeReachesTheEndOfTheBar() {
        MainWindow form;
        form.show();
        QTest::mouseClick(control<QRadioButton>(form, "rowsModeButton"), Qt::LeftButton, {},
                          QPoint(8, 10));
        control<QComboBox>(form, "unitBox")->setCurrentIndex(2);
        typeOver(control<QLineEdit>(form, "widthEdit"), QStringLiteral("60"));
        typeOver(control<QLineEdit>(form, "heightEdit"), QStringLiteral("40"));
        loadSlot(form, 1, frameFile("a.bmp", 60, 40, 1));
        loadSlot(form, 2, frameFile("b.bmp", 60, 40, 2));
        QSignalSpy progress(control<QProgressBar>(form, "progressBar"),
                            &QProgressBar::valueChanged);
        compose(form);
        QList<int> values;
        for (const QList<QVariant>& change : progress) values.append(change[0].toInt());
        QVERIFY(values.contains(200));
        QCOMPARE(form.composite().height(), 40);
        const int s = form.settings().stripWidth;
        QCOMPARE(form.composite().pixel(10, 0).green & 0x0F, 1);
        QCOMPARE(form.composite().pixel(10, s).green & 0x0F, 2);
    }

    // Every composite pixel is the one its lens, frame and strip column name, for every frame
    // count in both modes, through the window.
    void everyPixelFromItsFrame() {
        for (int rows = 0; rows < 2; ++rows) {
            for (int n = 2; n <= 16; ++n) {
                MainWindow form;
                form.show();
                QVERIFY(QTest::qWaitForWindowActive(&form));
                auto* mode =
                    control<QRadioButton>(form, rows ? "rowsModeButton" : "columnsModeButton");
                mode->setChecked(true);
                control<QComboBox>(form, "unitBox")->setCurrentIndex(2);  // pixels
                typeOver(control<QLineEdit>(form, "widthEdit"), QString::number(90 + n));
                typeOver(control<QLineEdit>(form, "heightEdit"), QString::number(70 - n));
                for (int slot = 1; slot <= n; ++slot) {
                    const std::string name = "f" + std::to_string(slot) + ".bmp";
                    loadSlot(form, slot, frameFile(name.c_str(), 50 + n + slot, 40, slot));
                }
                messages().clear();
                compose(form);
                QCOMPARE(messages(), std::vector<std::string>{"Merge OK！"});
                std::vector<raster::RasterImage> strips(static_cast<std::size_t>(n));
                for (int q = 1; q <= n; ++q) {
                    char name[16];
                    std::snprintf(name, sizeof name, "x%02d.bmp", q);
                    strips[static_cast<std::size_t>(q - 1)].loadBmpFile(working(name));
                }
                // Frame q shows in the q-th strip of the first lens.
                const int s = form.settings().stripWidth;
                for (int q = 1; q <= n; ++q) {
                    const int at = (q - 1) * s;
                    QCOMPARE(form.composite().pixel(rows ? 5 : at, rows ? at : 5).green & 0x0F,
                             q & 0x0F);
                }
                const std::string mismatch = lenzora::testing::interlaceMismatch(
                    form.composite(), strips, form.settings().stripWidth, form.settings().mode,
                    form.composeState());
                QVERIFY2(mismatch.empty(), qPrintable(QString("%1 frames, mode %2: %3")
                                                          .arg(n)
                                                          .arg(rows)
                                                          .arg(QString::fromStdString(mismatch))));
            }
        }
    }

    void closingRemovesTheWorkingFilesOfAllSlots() {
        {
            MainWindow form;
            form.show();
            fs::path jpeg = env_->root.path() / "p.jpg";
            lenzora::testing::writeJpeg(jpeg, lenzora::testing::patternImage(30, 20, 1));
            loadSlot(form, 1, jpeg);
            loadSlot(form, 13, jpeg);
            loadSlot(form, 2, jpeg);
            QVERIFY(fs::exists(working("t13.bmp")));
            QVERIFY(form.close());
        }
        QVERIFY(!fs::exists(working("t01.bmp")));
        QVERIFY(!fs::exists(working("t13.bmp")));
        QVERIFY(fs::exists(working("3d.cfg")));
    }
};

QTEST_MAIN(ComposeWindowTest)
#include "compose_window_test.moc"
