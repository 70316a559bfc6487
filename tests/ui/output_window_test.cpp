// "存盘(&S)" and "打印(&P)" of the main window and the print preview, through the real
// controls, with the save dialog and the printer stood in for.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QtTest>
#include <chrono>
#include <cstring>
#include <fstream>
#include <future>
#include <memory>

#include "app/main_window.h"
#include "compose/compose_session.h"
#include "output/print_sheet.h"
#include "platform/drive_paths.h"
#include "platform/file_io.h"
#include "platform/testing/scripted_services.h"
#include "raster/tiff_codec.h"
#include "support/pictures.h"
#include "support/temp_dir.h"
#include "support/window_test_env.h"
#include "windows/print_preview_window.h"

using lenzora::testing::typeOver;

using lenzora::app::MainWindow;
using lenzora::windows::PrintPreviewWindow;
namespace fs = std::filesystem;
namespace raster = lenzora::raster;

class OutputWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<lenzora::testing::WindowTestEnvironment> env_;

    template <class T>
    static T* control(QWidget& window, const char* name) {
        return lenzora::testing::findControl<T>(window, name);
    }
    static void click(QWidget& form, const char* name) {
        QTest::mouseClick(control<QPushButton>(form, name), Qt::LeftButton);
    }
    fs::path file(const char* name) const { return env_->root.path() / name; }

    // Composes two frames to `width` x `height` pixels at 300 dpi (pitch 75, strip width 2).
    void composeAt300(MainWindow& form, const char* width, const char* height) {
        typeOver(control<QComboBox>(form, "pitchBox")->lineEdit(), QStringLiteral("75"));
        control<QComboBox>(form, "unitBox")->setCurrentIndex(2);
        typeOver(control<QLineEdit>(form, "widthEdit"), QString::fromLatin1(width));
        typeOver(control<QLineEdit>(form, "heightEdit"), QString::fromLatin1(height));
        for (int slot : {1, 2}) {
            fs::path frame = file(slot == 1 ? "a.bmp" : "b.bmp");
            lenzora::testing::writeBmp(frame, lenzora::testing::patternImage(64, 48, slot));
            env_->scripted.openPicture->answers.push_back(frame.string());
            click(form, slot == 1 ? "slotButton1" : "slotButton2");
        }
        // "Merge OK！" waits for the window to be active; on a busy machine the shown window
        // may not be yet when the compose ends.
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        click(form, "composeButton");
        QTRY_VERIFY_WITH_TIMEOUT(!form.composing(), 60000);
        QVERIFY(!env_->scripted.messages->messages.empty());
        QCOMPARE(env_->scripted.messages->messages.back(), std::string("Merge OK！"));
        QCOMPARE(form.settings().resolution, lenzora::core::FixedCount{3000000});
    }
    static std::int32_t int32At(const lenzora::platform::Bytes& bytes, std::size_t at) {
        return static_cast<std::int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                         static_cast<std::uint32_t>(bytes[at + 3]) << 24);
    }
    static QList<PrintPreviewWindow*> previews(MainWindow& form) {
        return form.findChildren<PrintPreviewWindow*>(QString(), Qt::FindDirectChildrenOnly);
    }

  private slots:
    void init() {
        env_ = std::make_unique<lenzora::testing::WindowTestEnvironment>();
        // The sheet's choices are kept in the test's own folder, never the user's.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(env_->root.path().string()));
    }
    void cleanup() { env_.reset(); }

    void savingStampsTheResolutionAndRemembersTheName() {
        MainWindow form;
        form.show();
        composeAt300(form, "200", "100");
        auto& dialog = *env_->scripted.savePicture;
        dialog.answers = {file("card.bmp").string(), file("card.TIF").string(),
                          file("card.jpg").string()};
        click(form, "saveButton");
        click(form, "saveButton");
        click(form, "saveButton");
        click(form, "saveButton");  // cancelled: nothing written
        QCOMPARE(dialog.prefills,
                 (std::vector<std::string>{"", file("card.bmp").string(), file("card.TIF").string(),
                                           file("card.jpg").string()}));
        std::vector<std::string> offered;  // every format that writes a composite, BMP first
        for (const auto& filter : dialog.shownFilters) offered.push_back(filter.defaultSuffix);
        QCOMPARE(offered, (std::vector<std::string>{"bmp", "jpg", "png", "tif", "pdf"}));
        {
            lenzora::platform::Bytes bytes = lenzora::platform::readWholeFile(file("card.bmp"));
            QCOMPARE(bytes[0], std::uint8_t('B'));
            QCOMPARE(int32At(bytes, 18), 200);
            QCOMPARE(int32At(bytes, 22), 100);
            QCOMPARE(int32At(bytes, 38), 11808);
            QCOMPARE(int32At(bytes, 42), 11808);
        }
        const lenzora::raster::RasterImage tiff =
            lenzora::raster::loadTiffFile(file("card.TIF"));  // the name says TIFF
        QCOMPARE(tiff.width(), 200);
        QCOMPARE(tiff.height(), 100);
        lenzora::platform::Bytes jpeg = lenzora::platform::readWholeFile(file("card.jpg"));
        QCOMPARE(jpeg[0], std::uint8_t(0xFF));
        QCOMPARE(jpeg[1], std::uint8_t(0xD8));
        QVERIFY(env_->scripted.messages->errors.empty());

        // With the calibration lines the band is saved too.
        control<QWidget>(form, "calibrationBox")->setProperty("checked", true);
        dialog.answers = {file("band.bmp").string()};
        click(form, "saveButton");
        const int period = form.settings().lensPeriod();
        QCOMPARE(int32At(lenzora::platform::readWholeFile(file("band.bmp")), 18), 200 + 4 * period);
    }

    void aFailedSaveKeepsTheOldFile() {
        MainWindow form;
        form.show();
        composeAt300(form, "60", "40");
        std::ofstream(file("old.bmp")) << "earlier";
        env_->scripted.savePicture->answers = {(file("missing") / "card.bmp").string()};
        click(form, "saveButton");
        QCOMPARE(env_->scripted.messages->errors.size(), std::size_t{1});
        QVERIFY(env_->scripted.messages->errors[0].rfind("Cannot create file", 0) == 0);
        QCOMPARE(form.composite().width(), 60);
        lenzora::platform::Bytes old = lenzora::platform::readWholeFile(file("old.bmp"));
        QCOMPARE(std::string(old.begin(), old.end()), std::string("earlier"));
    }

    void previewAndPrintOfTheWorkedExample() {
        MainWindow form;
        form.show();
        composeAt300(form, "2000", "1500");
        auto& printer = *env_->scripted.printer;
        click(form, "printButton");
        QCOMPARE(printer.defaultsSelected, 1);
        QCOMPARE(printer.setupsShown, 1);
        QCOMPARE(previews(form).size(), 1);
        PrintPreviewWindow* preview = previews(form)[0];
        QVERIFY(preview->isVisible());
        QCOMPARE(preview->windowTitle(), QString::fromUtf8("打印预览"));
        QVERIFY(preview->windowFlags() & Qt::WindowStaysOnTopHint);
        auto* page = control<QLabel>(*preview, "pageImage");
        QCOMPARE(page->geometry(), QRect(143, 104, 198, 284));
        const QImage drawn = page->pixmap().toImage();
        QCOMPARE(drawn.pixelColor(16, 120), QColor(Qt::black));  // left edge of the box
        QCOMPARE(drawn.pixelColor(15, 120), QColor(Qt::white));
        QCOMPARE(drawn.pixelColor(181, 120), QColor(Qt::black));  // right edge, inside
        QCOMPARE(drawn.pixelColor(99, 142), QColor(Qt::black));   // the diagonals cross
        QCOMPARE(control<QLabel>(*preview, "warningLabel")->text(), QString());
        // Both buttons whole inside the window, below the page, side by side.
        const QRect print = control<QPushButton>(*preview, "printButton")->geometry();
        const QRect cancel = control<QPushButton>(*preview, "cancelButton")->geometry();
        for (const QRect& button : {print, cancel}) {
            QVERIFY(preview->rect().contains(button));
            QVERIFY(button.top() > page->geometry().bottom());
        }
        QVERIFY(print.right() < cancel.left());

        click(*preview, "printButton");
        QCOMPARE(printer.documentsEnded, 1);
        QVERIFY(!printer.bands.empty());
        int top = INT32_MAX, bottom = 0, left = INT32_MAX, right = 0;
        for (const auto& band : printer.bands) {
            top = std::min(top, band.top);
            left = std::min(left, band.left);
            bottom = std::max(bottom, band.top + band.height);
            right = std::max(right, band.left + band.width);
        }
        QCOMPARE(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)),
                 QRect(QPoint(380, 1906), QPoint(4379, 4905)));
        QVERIFY(!preview->isVisible());
    }

    void anOversizeCompositeWarnsButStillPrints() {
        MainWindow form;
        form.show();
        composeAt300(form, "3000", "2000");  // 10 inches wide on a 7.93-inch area
        click(form, "printButton");
        PrintPreviewWindow* preview = previews(form).value(0);
        QVERIFY(preview);
        QCOMPARE(control<QLabel>(*preview, "warningLabel")->text(),
                 QStringLiteral("Print size over!"));
        click(*preview, "printButton");
        QCOMPARE(env_->scripted.printer->documentsEnded, 1);
    }

    void cancelPrintsNothingAndEveryCommandStartsFromTheDefaultPrinter() {
        MainWindow form;
        form.show();
        composeAt300(form, "600", "300");
        auto& printer = *env_->scripted.printer;
        printer.setupChoiceDpi = 1200;  // the user picks another printer in the set-up
        click(form, "printButton");
        QCOMPARE(form.outputChoices().printerDpiX(), 1200);
        click(*previews(form)[0], "cancelButton");
        QCOMPARE(printer.documentsStarted, 0);
        QVERIFY(!previews(form)[0]->isVisible());
        printer.setupChoiceDpi = 0;  // cancelled this time: the default printer again
        click(form, "printButton");
        QCOMPARE(printer.defaultsSelected, 2);
        QCOMPARE(form.outputChoices().printerDpiX(), 600);
        QCOMPARE(previews(form).size(), 2);
    }

    // A print preview keeps the composite it opened on: pressed while a new compose is building
    // its own composite, and again once that compose is done, it prints the old one dot for
    // dot.
    void aPreviewPrintsItsOwnCompositeWhileANewOneIsMade() {
        MainWindow form;
        form.show();
        composeAt300(form, "200", "100");
        auto& printer = *env_->scripted.printer;
        printer.keepPage = true;
        printer.width = 600;
        printer.height = 400;
        const raster::RasterImage first = form.composite();
        click(form, "printButton");
        click(*previews(form)[0], "printButton");
        const std::vector<std::uint8_t> printedFirst = printer.page;
        QVERIFY(printedFirst != std::vector<std::uint8_t>(printedFirst.size(), 0xFF));
        click(form, "printButton");
        click(form, "printButton");
        QCOMPARE(previews(form).size(), 3);

        // Frame 1 of the next compose, once loaded, waits until the print is done.
        std::promise<void> reached, release;
        std::shared_future<void> released = release.get_future().share();
        struct Hold {
            std::promise<void>& release;
            ~Hold() {
                release.set_value();
                lenzora::compose::setFrameLoadedHook({});
            }
        } hold{release};
        lenzora::compose::setFrameLoadedHook([&](int slot) {
            if (slot != 1) return;
            reached.set_value();
            released.wait();
        });
        for (int slot : {1, 2}) {
            fs::path frame = file(slot == 1 ? "c.bmp" : "d.bmp");
            lenzora::testing::writeBmp(frame, lenzora::testing::patternImage(64, 48, slot + 4));
            env_->scripted.openPicture->answers.push_back(frame.string());
            click(form, slot == 1 ? "slotButton1" : "slotButton2");
        }
        click(form, "composeButton");
        QVERIFY(form.composing());
        QVERIFY(reached.get_future().wait_for(std::chrono::minutes(1)) ==
                std::future_status::ready);
        click(*previews(form)[1], "printButton");
        QVERIFY(printer.page == printedFirst);
        release.set_value();
        release = std::promise<void>();  // the guard's
        QTRY_VERIFY_WITH_TIMEOUT(!form.composing(), 60000);
        QCOMPARE(env_->scripted.messages->messages.back(), std::string("Merge OK！"));
        QCOMPARE(form.composite().width(), first.width());
        QVERIFY(std::memcmp(form.composite().row(0), first.row(0), first.stride()) != 0);
        click(*previews(form)[2], "printButton");
        QVERIFY(printer.page == printedFirst);
    }

    // The sheet beside the page: the page shows the plan, a refusal replaces it and stops
    // printing, a print places the copies, the choices are kept for the next preview, the
    // bleed comes with the next compose (the preview says so until then), and the sheet saves.
    void theSheetIsPreviewedPrintedKeptBledAndSaved() {
        MainWindow form;
        form.show();
        composeAt300(form, "600", "300");  // 2 x 1 inches: 144 x 72 points
        auto& printer = *env_->scripted.printer;
        printer.defaultDpi = 100;  // A4's printable area at 100 dpi, kept dot for dot
        printer.width = 787;
        printer.height = 1129;
        printer.keepPage = true;
        click(form, "printButton");
        PrintPreviewWindow* preview = previews(form).value(0);
        auto* page = control<QLabel>(*preview, "pageImage");
        // A4 inside 10 mm: 3 x 10 pictures, the marks (on the grid's outside) 8 mm beyond.
        const struct {
            int copies;
            std::size_t planned, marks;  // 0 planned: refused
            const char* refusal;
        } steps[] = {{0, 30, 52, ""}, {31, 0, 0, "纸上只放得下 30 份！"}, {4, 4, 16, ""}};
        // Letter without a margin: 4 copies across, the outer ones beyond the printable area.
        auto* warning = control<QLabel>(*preview, "warningLabel");
        control<QComboBox>(*preview, "paperBox")->setCurrentText(QStringLiteral("Letter"));
        control<QDoubleSpinBox>(*preview, "marginBox")->setValue(0);
        control<QSpinBox>(*preview, "copiesBox")->setValue(0);
        QCOMPARE(warning->text(), QStringLiteral("Print size over!"));
        control<QComboBox>(*preview, "paperBox")->setCurrentText(QStringLiteral("A4"));
        control<QDoubleSpinBox>(*preview, "marginBox")->setValue(10);
        QCOMPARE(warning->text(), QString());
        control<QCheckBox>(*preview, "cropMarksBox")->setChecked(true);
        for (const auto& step : steps) {
            control<QSpinBox>(*preview, "copiesBox")->setValue(step.copies);
            QCOMPARE(control<QPushButton>(*preview, "printButton")->isEnabled(), step.planned > 0);
            QCOMPARE(page->text(), QString::fromUtf8(step.refusal));
            if (step.planned == 0) continue;
            QCOMPARE(preview->sheetPlan()->copies.size(), step.planned);
            QCOMPARE(preview->sheetPlan()->cropMarks.size(), step.marks);
            // The sheet at 25 pixels per inch: a copy's centre shows the composite.
            const QImage drawn = page->pixmap().toImage();
            QCOMPARE(drawn.size(), QSize(207, 292));
            const lenzora::output::SheetRect& first = preview->sheetPlan()->copies[0];
            QVERIFY(drawn.pixelColor(int((first.left + 72) * 25 / 72),
                                     int((first.top + 36) * 25 / 72)) != QColor(Qt::white));
        }
        control<QDoubleSpinBox>(*preview, "bleedBox")->setValue(3);
        QVERIFY(control<QLabel>(*preview, "bleedNote")->text().contains(QStringLiteral("0.0")));
        click(*preview, "printButton");
        const lenzora::output::SheetOnPage placed = lenzora::output::placeSheet(
            *preview->sheetPlan(), {787, 1129, 100, 100}, 600, 300, 3000000);
        for (const raster::Rect& copy : placed.copies) {
            QCOMPARE(printer.dot(copy.left, copy.top), form.composite().pixelValue(0, 0));
        }

        // Kept; and the next compose adds 3 mm at 300 dpi, 35 pixels, on every side.
        click(form, "printButton");
        QCOMPARE(control<QSpinBox>(*previews(form).value(1), "copiesBox")->value(), 4);
        click(form, "composeButton");
        QTRY_VERIFY_WITH_TIMEOUT(!form.composing(), 60000);
        QCOMPARE(form.composite().width(), 670);
        click(form, "printButton");
        PrintPreviewWindow* bled = previews(form).value(2);
        QCOMPARE(control<QLabel>(*bled, "bleedNote")->text(), QString());
        QCOMPARE(bled->sheetPlan()->trims[0].left - bled->sheetPlan()->copies[0].left,
                 35 * 72 / 300.0);

        // Saved by the name chosen: the A4 sheet at 300 dpi, or a PDF page; the name is kept.
        auto& dialog = *env_->scripted.savePicture;
        dialog.answers = {file("sheet.png").string(), file("sheet.PDF").string()};
        for (int press = 0; press < 3; ++press) click(*bled, "saveSheetButton");  // last cancelled
        QCOMPARE(dialog.prefills, (std::vector<std::string>{"", file("sheet.png").string(),
                                                            file("sheet.PDF").string()}));
        QCOMPARE(dialog.shownFilters.front().defaultSuffix, std::string("pdf"));
        QCOMPARE(dialog.shownFilters[1].defaultSuffix, std::string("bmp"));
        QCOMPARE(QImage(QString::fromStdString(file("sheet.png").string())).size(),
                 QSize(2480, 3508));
        const lenzora::platform::Bytes pdf = lenzora::platform::readWholeFile(file("sheet.PDF"));
        QCOMPARE(std::string(pdf.begin(), pdf.begin() + 5), std::string("%PDF-"));
    }

    void noPrinterOrAFailingOneIsReported() {
        MainWindow form;
        form.show();
        composeAt300(form, "600", "300");
        auto& printer = *env_->scripted.printer;
        printer.installed = false;
        click(form, "printButton");
        QCOMPARE(env_->scripted.messages->errors,
                 std::vector<std::string>{"There is no default printer currently selected."});
        QCOMPARE(previews(form).size(), 0);

        printer.installed = true;
        printer.failToStart = true;
        click(form, "printButton");
        PrintPreviewWindow* preview = previews(form).value(0);
        QVERIFY(preview);
        click(*preview, "printButton");
        QCOMPARE(env_->scripted.messages->errors.back(), std::string("Printing failed."));
        QVERIFY(preview->isVisible());
    }
};

QTEST_MAIN(OutputWindowTest)
#include "output_window_test.moc"
