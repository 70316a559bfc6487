// The main window through its real controls under the offscreen platform; message boxes
// and the shell through their recording stand-ins.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QtTest>
#include <fstream>
#include <memory>

#include "app/main_window.h"
#include "app/start_up.h"
#include "platform/drive_paths.h"
#include "platform/file_io.h"
#include "platform/testing/scripted_services.h"
#include "platform/web_page.h"
#include "support/pictures.h"
#include "support/temp_dir.h"
#include "support/window_test_env.h"
#include "windows/help_window.h"

using lenzora::testing::retype;

using lenzora::app::MainWindow;
namespace fs = std::filesystem;

namespace {

const char* const kFirstStartLine =
    "0 0  4.22750000000000E+0001 0 0  2.87000000000000E+0002  2.00000000000000E+0002 0 0\r\n";

std::string fileText(const fs::path& path) {
    lenzora::platform::Bytes bytes = lenzora::platform::readWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<lenzora::testing::WindowTestEnvironment> env_;

    fs::path settingsPath() const { return env_->root.path() / "c" / "lz3d" / "3d.cfg"; }
    void writeSettings(const std::string& text) {
        fs::create_directories(settingsPath().parent_path());
        std::ofstream(settingsPath(), std::ios::binary) << text;
    }
    std::vector<std::string>& errors() { return env_->scripted.messages->errors; }

    template <class T>
    static T* control(QWidget& window, const char* name) {
        return lenzora::testing::findControl<T>(window, name);
    }
    static QString resolutionText(QWidget& f) {
        return control<QLabel>(f, "resolutionLabel")->text();
    }
    static QString widthText(QWidget& f) { return control<QLineEdit>(f, "widthEdit")->text(); }
    static QString heightText(QWidget& f) { return control<QLineEdit>(f, "heightEdit")->text(); }

    // Replaces a box's text the way a user does: select all, delete, type.
    static void retypePitch(QWidget& f, const QString& text) {
        retype(control<QComboBox>(f, "pitchBox")->lineEdit(), text);
    }
    static void chooseUnit(QWidget& f, int index) {
        control<QComboBox>(f, "unitBox")->setCurrentIndex(index);
    }

  private slots:
    void init() { env_ = std::make_unique<lenzora::testing::WindowTestEnvironment>(); }
    void cleanup() { env_.reset(); }

    // A pixel ceiling that is no whole number is reported at start-up, not ignored.
    void aMistypedPixelCeilingIsReportedAtStartUp() {
        qputenv("LENZORA_MAX_FRAME_PIXELS", "junk");
        const auto form = lenzora::app::startProgram(std::chrono::milliseconds(0));
        qunsetenv("LENZORA_MAX_FRAME_PIXELS");
        QCOMPARE(errors(), std::vector<std::string>{"环境变量 LENZORA_MAX_FRAME_PIXELS 的值 "
                                                    "\"junk\" 无效: 应为大于 0 的整数像素数."});
    }

    void firstStartCreatesFolderAndFileAndShowsTheDefaults() {
        MainWindow form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Lenzora2.0"));
        QCOMPARE(control<QComboBox>(form, "pitchBox")->currentText(), QStringLiteral("42.275"));
        QCOMPARE(resolutionText(form), QStringLiteral("253.65"));
        QCOMPARE(widthText(form), QStringLiteral("287"));
        QCOMPARE(heightText(form), QStringLiteral("200"));
        QCOMPARE(control<QComboBox>(form, "unitBox")->currentText(), QString::fromUtf8("毫米"));
        QVERIFY(control<QRadioButton>(form, "columnsModeButton")->isChecked());
        QCOMPARE(form.settings().pixelWidth, 2866);
        QCOMPARE(form.settings().pixelHeight, 1997);
        QCOMPARE(fileText(settingsPath()), std::string(kFirstStartLine));
        QVERIFY(errors().empty());
    }

    void controlsStandWhereTheLayoutPutsThem() {
        MainWindow form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (const char* name : {"saveButton", "printButton", "calibrationBox"}) {
            QVERIFY2(!control<QWidget>(form, name)->isEnabled(), name);
        }
        for (const char* name :
             {"composeButton", "helpButton", "aboutButton", "exitButton", "measurePitchButton",
              "widthEdit", "pitchBox", "unitBox", "slotButton1", "slotButton16"}) {
            QVERIFY2(control<QWidget>(form, name)->isEnabled(), name);
        }
        QVERIFY(!control<QGroupBox>(form, "adjustmentGroup")->isVisible());
        QVERIFY(!control<QStatusBar>(form, "statusBar")->isVisible());
        QVERIFY(control<QLabel>(form, "previewImage")->isVisible());

        auto* group = control<QGroupBox>(form, "slotGroup");
        QCOMPARE(group->geometry().topLeft(), QPoint(0, 169));
        QCOMPARE(group->width(), 297);
        QCOMPARE(control<QPushButton>(form, "slotButton1")->geometry(), QRect(16, 32, 50, 25));
        QCOMPARE(control<QPushButton>(form, "slotButton12")->parentWidget(), group);
        QCOMPARE(control<QPushButton>(form, "slotButton13")->geometry(), QRect(16, 502, 50, 25));
        QCOMPARE(control<QPushButton>(form, "slotButton13")->parentWidget(), &form);
        QCOMPARE(control<QPushButton>(form, "slotButton16")->text(), QString::fromUtf8("图16"));
        QCOMPARE(control<QLabel>(form, "thumbnail16")->geometry(), QRect(224, 367, 65, 57));
        QCOMPARE(control<QLabel>(form, "thumbnail1")->geometry(), QRect(8, 59, 65, 57));
        QCOMPARE(control<QGroupBox>(form, "settingsGroup")->height(), 169);
        QCOMPARE(control<QGroupBox>(form, "settingsGroup")->width(), form.width());
        QCOMPARE(control<QProgressBar>(form, "progressBar")->maximum(), 200);
        QCOMPARE(control<QSlider>(form, "adjustmentSlider")->minimum(), -4);
        QCOMPARE(control<QSlider>(form, "adjustmentSlider")->maximum(), 4);
        QVERIFY(form.width() >= 1016 && form.height() >= 713);
    }

    void closingUnchangedLeavesTheFirstStartLineAndRemovesWorkingFiles() {
        fs::path folder = env_->root.path() / "c" / "lz3d";
        {
            MainWindow form;
            form.show();
            for (const char* name : {"t01.bmp", "t13.bmp", "x16.bmp", "x02.bmp"}) {
                std::ofstream(folder / name) << "x";
            }
            std::ofstream(folder / "keep.bmp") << "x";
            QTest::mouseClick(control<QPushButton>(form, "exitButton"), Qt::LeftButton);
            QVERIFY(!form.isVisible());
        }
        QCOMPARE(fileText(settingsPath()), std::string(kFirstStartLine));
        for (const char* name : {"t01.bmp", "t13.bmp", "x16.bmp", "x02.bmp"}) {
            QVERIFY2(!fs::exists(folder / name), name);
        }
        QVERIFY(fs::exists(folder / "keep.bmp"));
        QVERIFY(errors().empty());
    }

    void aChangedPitchIsStoredAndShownAtTheNextStart() {
        {
            MainWindow form;
            form.show();
            retypePitch(form, QStringLiteral("21.25"));
            QCOMPARE(resolutionText(form), QStringLiteral("255"));
            QVERIFY(form.close());
        }
        QCOMPARE(fileText(settingsPath()),
                 std::string("0 0  2.12500000000000E+0001 0 0  2.87000000000000E+0002  "
                             "2.00000000000000E+0002 0 0\r\n"));
        env_->scripted.messages->clear();
        MainWindow again;
        QCOMPARE(control<QComboBox>(again, "pitchBox")->currentText(), QStringLiteral("21.25"));
        QCOMPARE(resolutionText(again), QStringLiteral("255"));
    }

    void typingThePitchRecomputesAtEveryKeystroke() {
        MainWindow form;
        form.show();
        QLineEdit* pitch = control<QComboBox>(form, "pitchBox")->lineEdit();
        pitch->setFocus();
        pitch->selectAll();
        QTest::keyClick(pitch, Qt::Key_Delete);
        QCOMPARE(errors(), std::vector<std::string>{"'' is not a valid floating point value."});
        QTest::keyClick(pitch, '4');
        QCOMPARE(resolutionText(form), QStringLiteral("248"));  // 2 x 4 x 31
        QTest::keyClick(pitch, '2');
        QCOMPARE(resolutionText(form), QStringLiteral("252"));  // 2 x 42 x 3
        QTest::keyClicks(pitch, QStringLiteral(".275"));
        QCOMPARE(resolutionText(form), QStringLiteral("253.65"));
        QCOMPARE(errors().size(), std::size_t{1});
    }

    // A printer resolution sets the resolution and the pixel size (287 x 200 mm x D / 25.4,
    // rounded), other text leaves it, "自动" (up the list) brings the lens's back; the choice is
    // kept for the next start, and 3d.cfg stays as it was.
    void thePrinterResolutionIsChosenAndKept() {
        const std::pair<const char*, QSize> steps[] = {{"1440", {16271, 11339}},
                                                       {"12x", {16271, 11339}},
                                                       {nullptr, {2866, 1997}},
                                                       {"1000", {11299, 7874}}};
        {
            MainWindow form;
            form.show();
            auto* box = control<QComboBox>(form, "printDpiBox");
            for (const auto& [typed, pixels] : steps) {
                if (typed != nullptr) lenzora::testing::typeOver(box->lineEdit(), typed);
                QTest::keyClick(box->lineEdit(), typed != nullptr ? Qt::Key_Return : Qt::Key_Up);
                while (typed == nullptr && box->currentIndex() > 0)
                    QTest::keyClick(box->lineEdit(), Qt::Key_Up);
                QCOMPARE(resolutionText(form),
                         typed ? box->currentText() : QStringLiteral("253.65"));
                QCOMPARE(QSize(form.settings().pixelWidth, form.settings().pixelHeight), pixels);
            }
            QVERIFY(form.close());  // 3d.cfg written again
        }
        QCOMPARE(fileText(settingsPath()), std::string(kFirstStartLine));
        MainWindow again;
        QCOMPARE(control<QComboBox>(again, "printDpiBox")->currentText(), QStringLiteral("1000"));
        QCOMPARE(resolutionText(again), QStringLiteral("1000"));
    }

    void workedNumbersOfTheSettingsBoxes_data() {
        QTest::addColumn<QString>("pitch");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("pixelWidth");
        // The width box rounds, then caps on the width.
        QTest::newRow("700 mm at 21.25") << "21.25"
                                         << "700"
                                         << "127.5" << 3514;
        QTest::newRow("2000 mm at 21.25") << "21.25"
                                          << "2000"
                                          << "42.5" << 3346;
        QTest::newRow("100 mm at 255 dpi") << "21.25"
                                           << "100"
                                           << "255" << 1004;
        QTest::newRow("75.15") << "75.15"
                               << "287"
                               << "300.6" << 3397;
        QTest::newRow("61.53") << "61.53"
                               << "287"
                               << "246.12" << 2781;
    }
    void workedNumbersOfTheSettingsBoxes() {
        QFETCH(QString, pitch);
        QFETCH(QString, width);
        QFETCH(QString, label);
        QFETCH(int, pixelWidth);
        MainWindow form;
        form.show();
        retypePitch(form, pitch);
        retype(control<QLineEdit>(form, "widthEdit"), width);
        QCOMPARE(resolutionText(form), label);
        QCOMPARE(form.settings().pixelWidth, pixelWidth);
    }

    void thePitchBoxTruncatesWhereTheWidthBoxRounds() {
        writeSettings("0 0 21.25 0 0 100 200 0 0");
        MainWindow form;
        form.show();
        QCOMPARE(form.settings().pixelWidth, 1003);
        retypePitch(form, QStringLiteral("21.25"));
        QCOMPARE(form.settings().pixelWidth, 1003);
        lenzora::testing::typeOver(control<QLineEdit>(form, "widthEdit"), QStringLiteral("100"));
        QCOMPARE(form.settings().pixelWidth, 1004);
    }

    void aKeyReleaseThatChangesNothingDoesNotParseAgain_data() {
        QTest::addColumn<QString>("box");
        QTest::newRow("width") << "widthEdit";
        QTest::newRow("height") << "heightEdit";
        QTest::newRow("pitch") << "pitchBox";
    }
    void aKeyReleaseThatChangesNothingDoesNotParseAgain() {
        QFETCH(QString, box);
        MainWindow form;
        form.show();
        QLineEdit* edit = box == "pitchBox" ? control<QComboBox>(form, "pitchBox")->lineEdit()
                                            : control<QLineEdit>(form, box.toLatin1().constData());
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        const std::string empty = "'' is not a valid floating point value.";
        QCOMPARE(errors(), std::vector<std::string>{empty});
        // The Enter that closed the message box is released in the box, then the user tries
        // modifiers, a cursor key and Tab: none of them changes the text.
        QTest::keyRelease(edit, Qt::Key_Return);
        QTest::keyRelease(edit, Qt::Key_Enter);
        for (Qt::Key key : {Qt::Key_Control, Qt::Key_Shift, Qt::Key_Alt, Qt::Key_End}) {
            QTest::keyClick(edit, key);
        }
        QTest::keyRelease(edit, Qt::Key_Tab);
        QCOMPARE(errors(), std::vector<std::string>{empty});
        // Every key stroke that changes the text is parsed once.
        QTest::keyClick(edit, '-');
        QCOMPARE(errors().size(), std::size_t{2});
        QCOMPARE(errors().back(), std::string("'-' is not a valid floating point value."));
        QTest::keyClick(edit, Qt::Key_Shift);
        QCOMPARE(errors().size(), std::size_t{2});
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(errors().size(), std::size_t{3});
        QCOMPARE(errors().back(), empty);
        QTest::keyClick(edit, '5');
        QCOMPARE(edit->text(), QStringLiteral("5"));
        QCOMPARE(errors().size(), std::size_t{3});
    }

    void theHeightBoxCapsOnTheHeight() {
        MainWindow form;
        form.show();
        retypePitch(form, QStringLiteral("21.25"));
        retype(control<QLineEdit>(form, "heightEdit"), QStringLiteral("700"));
        QCOMPARE(resolutionText(form), QStringLiteral("127.5"));
        QCOMPARE(form.settings().pixelHeight, 3514);
        QCOMPARE(widthText(form), QStringLiteral("287"));
    }

    void unitSwitchToInchesAndBack() {
        MainWindow form;
        form.show();
        chooseUnit(form, 1);
        QCOMPARE(widthText(form), QStringLiteral("11.299"));
        QCOMPARE(heightText(form), QStringLiteral("7.8731"));
        QCOMPARE(form.settings().savedHeight, lenzora::core::FixedCount{78739});
        chooseUnit(form, 0);
        QCOMPARE(widthText(form), QStringLiteral("286.9955"));
        QCOMPARE(heightText(form), QStringLiteral("199.9756"));
        QVERIFY(form.close());
        QVERIFY(fileText(settingsPath()).find(" 0 0\r\n") != std::string::npos);
    }

    void pixelsUnitRewritesTheOtherBoxAndNeverCaps() {
        MainWindow form;
        form.show();
        chooseUnit(form, 2);
        QCOMPARE(widthText(form), QStringLiteral("2866"));
        QCOMPARE(heightText(form), QStringLiteral("1997"));
        retype(control<QLineEdit>(form, "widthEdit"), QStringLiteral("9000.5"));
        QCOMPARE(form.settings().pixelWidth, 9000);
        QCOMPARE(resolutionText(form), QStringLiteral("253.65"));
        QCOMPARE(heightText(form), QStringLiteral("1997"));
        retype(control<QLineEdit>(form, "heightEdit"), QStringLiteral("1500"));
        QCOMPARE(widthText(form), QStringLiteral("9000"));  // W made whole, rewritten
        QCOMPARE(form.settings().workingWidth, lenzora::core::FixedCount{90005000});
    }

    void notANumberChangesNothing_data() {
        QTest::addColumn<QString>("box");
        QTest::newRow("pitch") << "pitchBox";
        QTest::newRow("width") << "widthEdit";
        QTest::newRow("height") << "heightEdit";
    }
    void notANumberChangesNothing() {
        QFETCH(QString, box);
        MainWindow form;
        form.show();
        const lenzora::core::OutputSettings before = form.settings();
        QLineEdit* edit = box == "pitchBox" ? control<QComboBox>(form, "pitchBox")->lineEdit()
                                            : control<QLineEdit>(form, box.toLatin1().constData());
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("abc"));
        QVERIFY(!errors().empty());
        QCOMPARE(errors().back(), std::string("'abc' is not a valid floating point value."));
        QCOMPARE(form.settings().resolution, before.resolution);
        QCOMPARE(form.settings().pixelWidth, before.pixelWidth);
        QCOMPARE(form.settings().pixelHeight, before.pixelHeight);
        QCOMPARE(form.settings().savedWidth, before.savedWidth);
        QCOMPARE(resolutionText(form), QStringLiteral("253.65"));
    }

    void aPitchOfZeroIsIgnoredButStored() {
        MainWindow form;
        form.show();
        retypePitch(form, QStringLiteral("0"));
        // Only the emptied box on the way complained.
        QCOMPARE(errors(), std::vector<std::string>{"'' is not a valid floating point value."});
        QCOMPARE(resolutionText(form), QStringLiteral("253.65"));
        QCOMPARE(form.settings().pitch, lenzora::core::FixedCount{422750});
        QVERIFY(form.close());
        QVERIFY(fileText(settingsPath()).find(" 0.00000000000000E+0000") != std::string::npos);
        MainWindow again;  // a stored pitch of 0 restarts with the default pitch only
        QCOMPARE(control<QComboBox>(again, "pitchBox")->currentText(), QStringLiteral("42.275"));
        QCOMPARE(resolutionText(again), QStringLiteral("253.65"));
        QCOMPARE(widthText(again), QStringLiteral("287"));
    }

    void closingWithABadPitchKeepsTheWindowAndTheFile() {
        writeSettings("0 0 21.25 0 0 287 200 0 0");
        MainWindow form;
        form.show();
        fs::path folder = settingsPath().parent_path();
        std::ofstream(folder / "x01.bmp") << "x";
        retypePitch(form, QStringLiteral("abc"));
        errors().clear();
        QVERIFY(!form.close());
        QVERIFY(form.isVisible());
        QCOMPARE(errors(), std::vector<std::string>{"'abc' is not a valid floating point value."});
        QCOMPARE(fileText(settingsPath()), std::string("0 0 21.25 0 0 287 200 0 0"));
        QVERIFY(fs::exists(folder / "x01.bmp"));
        retypePitch(form, QStringLiteral("61.53"));
        QVERIFY(form.close());
        QVERIFY(fileText(settingsPath()).find("6.15300000000000E+0001") != std::string::npos);
        QVERIFY(!fs::exists(folder / "x01.bmp"));
    }

    void aFailedStoreIsReportedAndTheProgramStillEnds() {
        MainWindow form;
        form.show();
        fs::remove_all(settingsPath().parent_path());
        QVERIFY(form.close());
        QCOMPARE(errors(), std::vector<std::string>{"File not found."});
    }

    void damagedSettingsFilesStartWithTheDefaults_data() {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("error");
        QTest::newRow("letters") << "0 1 21.25 0 0 abc"
                                 << "Invalid numeric input.";
        QTest::newRow("fraction in an integer field") << "0 1.5 21.25"
                                                      << "Invalid numeric input.";
    }
    void damagedSettingsFilesStartWithTheDefaults() {
        QFETCH(QString, content);
        QFETCH(QString, error);
        writeSettings(content.toStdString());
        MainWindow form;
        if (error.isEmpty()) {
            QVERIFY(errors().empty());
        } else {
            QCOMPARE(errors(), std::vector<std::string>{error.toStdString()});
        }
        QCOMPARE(control<QComboBox>(form, "pitchBox")->currentText(), QStringLiteral("42.275"));
        QCOMPARE(resolutionText(form), QStringLiteral("253.65"));
        QCOMPARE(widthText(form), QStringLiteral("287"));
        QVERIFY(control<QRadioButton>(form, "columnsModeButton")->isChecked());
        QCOMPARE(form.settings().resolution, lenzora::core::FixedCount{2536500});
    }

    void aPitchOfZeroOrBelowCostsOnlyThePitch_data() {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<bool>("rows");
        QTest::addColumn<QString>("unit");
        QTest::newRow("negative pitch") << "0 1 -21.25 0 0 100 50 2 0"
                                        << "100"
                                        << "50" << true << "Pixels";
        QTest::newRow("zero pitch") << "0 0 0 0 0 11.299 7.8739 1 0"
                                    << "11.299"
                                    << "7.8739" << false << "Inch";
        QTest::newRow("empty") << ""
                               << "0"
                               << "0" << false << QString::fromUtf8("毫米");
    }
    void aPitchOfZeroOrBelowCostsOnlyThePitch() {
        QFETCH(QString, content);
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(bool, rows);
        QFETCH(QString, unit);
        writeSettings(content.toStdString());
        MainWindow form;
        QVERIFY(errors().empty());
        QCOMPARE(control<QComboBox>(form, "pitchBox")->currentText(), QStringLiteral("42.275"));
        QCOMPARE(form.settings().pitch, lenzora::core::FixedCount{422750});
        QCOMPARE(widthText(form), width);
        QCOMPARE(heightText(form), height);
        QCOMPARE(control<QRadioButton>(form, "rowsModeButton")->isChecked(), rows);
        QCOMPARE(control<QComboBox>(form, "unitBox")->currentText(), unit);
    }

    void storedModeAndUnitAreRestored() {
        writeSettings("4 5 21.25 6 7 11.299 7.8739 1 -2\r\n");
        {
            MainWindow form;
            QVERIFY(control<QRadioButton>(form, "rowsModeButton")->isChecked());
            QCOMPARE(form.settings().mode, 1);
            QCOMPARE(control<QComboBox>(form, "unitBox")->currentText(), QStringLiteral("Inch"));
            QCOMPARE(widthText(form), QStringLiteral("11.299"));
            QCOMPARE(heightText(form), QStringLiteral("7.8739"));
            QCOMPARE(control<QSlider>(form, "adjustmentSlider")->value(), -2);
            QCOMPARE(form.settings().pixelWidth, 2881);  // 11.299 in at 255 dpi
            QVERIFY(form.close());
        }
        QCOMPARE(fileText(settingsPath()),
                 std::string("4 1  2.12500000000000E+0001 6 7  1.12990000000000E+0001  "
                             "7.87390000000000E+0000 1 -2\r\n"));
    }

    void anUnlistedUnitSelectsNothingAndKeepsThePixelSize() {
        writeSettings("0 0 42.275 0 0 287 200 9 0");
        MainWindow form;
        QCOMPARE(control<QComboBox>(form, "unitBox")->currentIndex(), -1);
        QCOMPARE(form.settings().pixelWidth, 0);
        QCOMPARE(resolutionText(form), QStringLiteral("253.65"));
        QVERIFY(form.close());
        QVERIFY(fileText(settingsPath()).find(" -1 0\r\n") != std::string::npos);
    }

    void theModeButtonsSetTheMode() {
        MainWindow form;
        form.show();
        auto* rows = control<QRadioButton>(form, "rowsModeButton");
        QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(8, rows->height() / 2));
        QCOMPARE(form.settings().mode, 1);
        auto* columns = control<QRadioButton>(form, "columnsModeButton");
        QTest::mouseClick(columns, Qt::LeftButton, {}, QPoint(8, columns->height() / 2));
        QCOMPARE(form.settings().mode, 0);
    }

    void frameLoadingRecomputesTheResolution() {
        MainWindow form;
        const fs::path frame = env_->root.path() / "frame.bmp";
        lenzora::testing::writeBmp(frame, lenzora::testing::patternImage(40, 30, 1));
        // Slot 3, 4, 3 again and 10, through their buttons and the open dialog.
        const auto load = [&](const char* button) {
            env_->scripted.openPicture->answers.push_back(frame.string());
            QTest::mouseClick(control<QPushButton>(form, button), Qt::LeftButton);
        };
        load("slotButton3");
        QCOMPARE(form.settings().frameCount, 3);
        QCOMPARE(resolutionText(form), QStringLiteral("253.65"));
        load("slotButton4");
        QCOMPARE(resolutionText(form), QStringLiteral("169.1"));
        load("slotButton3");
        QCOMPARE(form.settings().frameCount, 4);
        load("slotButton10");  // slot 10
        QCOMPARE(form.settings().frameCount, 10);
        QCOMPARE(resolutionText(form), QStringLiteral("422.75"));
    }

    void enterComposesUnlessAnotherButtonHasTheFocus() {
        MainWindow form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy compose(control<QPushButton>(form, "composeButton"), &QPushButton::clicked);
        auto* edit = control<QLineEdit>(form, "widthEdit");
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(compose.count(), 1);
        QTest::keyClick(control<QComboBox>(form, "pitchBox")->lineEdit(), Qt::Key_Enter);
        QCOMPARE(compose.count(), 2);
        QCOMPARE(control<QComboBox>(form, "pitchBox")->count(), 4);  // nothing added to the list

        auto* quit = control<QPushButton>(form, "exitButton");
        QSignalSpy quitSpy(quit, &QPushButton::clicked);
        quit->setFocus();
        QTest::keyClick(quit, Qt::Key_Return);
        QCOMPARE(compose.count(), 2);
        QCOMPARE(quitSpy.count(), 1);
    }

    void theLinkLabelOpensTheWebPage() {
        MainWindow form;
        form.show();
        QTest::mouseClick(control<QLabel>(form, "webAddressLabel"), Qt::LeftButton);
        QCOMPARE(env_->scripted.shell->opened.size(), std::size_t{1});
        QCOMPARE(env_->scripted.shell->opened[0].first,
                 std::string("C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE"));
        QCOMPARE(env_->scripted.shell->opened[0].second,
                 std::string(lenzora::platform::kMakerWebAddress));
        QCOMPARE(control<QLabel>(form, "webAddressLabel")->text(),
                 QString::fromLatin1(lenzora::platform::kMakerWebAddress));
    }

    void acceleratorsOfDisabledButtonsDoNothing_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("key");
        QTest::newRow("save over the width") << "widthEdit" << int(Qt::Key_S);
        QTest::newRow("print over the width") << "widthEdit" << int(Qt::Key_P);
        QTest::newRow("save over the height") << "heightEdit" << int(Qt::Key_S);
        QTest::newRow("print over the pitch") << "pitchBox" << int(Qt::Key_P);
        QTest::newRow("save over the pitch") << "pitchBox" << int(Qt::Key_S);
        QTest::newRow("print over the unit") << "unitBox" << int(Qt::Key_P);
    }
    void acceleratorsOfDisabledButtonsDoNothing() {
        QFETCH(QString, box);
        QFETCH(int, key);
        MainWindow form;
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto* pitch = control<QComboBox>(form, "pitchBox");
        QWidget* target = box == "pitchBox" ? pitch->lineEdit()
                                            : control<QWidget>(form, box.toLatin1().constData());
        target->setFocus();
        QTest::keyClick(form.focusWidget(), Qt::Key(key), Qt::AltModifier);
        QCOMPARE(widthText(form), QStringLiteral("287"));
        QCOMPARE(heightText(form), QStringLiteral("200"));
        QCOMPARE(pitch->currentText(), QStringLiteral("42.275"));
        QCOMPARE(control<QComboBox>(form, "unitBox")->currentIndex(), 0);
        QVERIFY(errors().empty());
        // The enabled buttons' accelerators still work from the same box.
        QTest::keyClick(form.focusWidget(), Qt::Key_H, Qt::AltModifier);
        // The button is clicked after its press animation.
        QTRY_COMPARE(form.findChildren<lenzora::windows::HelpWindow*>().size(), 1);
        QCOMPARE(widthText(form), QStringLiteral("287"));
        QVERIFY(form.close());
        QVERIFY(errors().empty());
    }

    void exitAcceleratorCloses() {
        MainWindow form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::keyClick(&form, Qt::Key_E, Qt::AltModifier);
        QTRY_VERIFY(!form.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
