// The pitch test chart window through its real controls under the offscreen platform, the
// "现在测量" button of the main window, and a print through a PDF file read back.

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPageSize>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "app/main_window.h"
#include "app/start_up.h"
#include "platform/drive_paths.h"
#include "platform/file_io.h"
#include "platform/qt/qt_printer.h"
#include "platform/testing/scripted_services.h"
#include "raster/bmp_codec.h"
#include "support/temp_dir.h"
#include "support/window_test_env.h"
#include "testchart/build_pitch_chart.h"
#include "testchart/print_pitch_chart.h"
#include "windows/pitch_chart_window.h"

using lenzora::testing::retype;
using lenzora::testing::typeOver;

using lenzora::windows::PitchChartWindow;
namespace fs = std::filesystem;
namespace raster = lenzora::raster;
namespace testchart = lenzora::testchart;

namespace {

std::uint32_t u32At(const lenzora::platform::Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
}

// Period and bar width of the bars in row y from column x0 on: the first black run's length
// and the distance between the starts of the first two runs.
std::pair<int, int> periodAndBar(const raster::RasterImage& image, std::int32_t y,
                                 std::int32_t x0) {
    std::vector<std::int32_t> starts;
    std::int32_t firstRun = 0;
    bool wasBlack = false;
    for (std::int32_t x = x0; x < image.width() && starts.size() < 2; ++x) {
        const bool isBlack = image.pixelValue(x, y) == 0;
        if (isBlack && !wasBlack) starts.push_back(x);
        if (isBlack && starts.size() == 1) ++firstRun;
        wasBlack = isBlack;
    }
    return {starts.size() == 2 ? starts[1] - starts[0] : 0, firstRun};
}

// The controls that could change a running generation, all disabled while it runs.
const char* const kJobControls[] = {"paperBox",        "dpiBox",          "expectedPitchEdit",
                                    "bandCountEdit",   "incrementEdit",   "expectedPitchArrows",
                                    "bandCountArrows", "incrementArrows", "generateButton",
                                    "resetButton",     "saveButton",      "printButton"};

bool sameImage(const raster::RasterImage& a, const raster::RasterImage& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (std::int32_t y = 0; y < a.height(); ++y)
        for (std::int32_t x = 0; x < a.width(); ++x)
            if (a.pixelValue(x, y) != b.pixelValue(x, y)) return false;
    return true;
}

}  // namespace

class ChartWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<lenzora::testing::WindowTestEnvironment> env_;
    std::unique_ptr<lenzora::output::OutputChoices> output_;
    std::unique_ptr<testchart::ChartState> chart_;
    lenzora::core::FixedCount mainPitch_ = 422750;

    std::vector<std::string>& messages() { return env_->scripted.messages->messages; }
    std::vector<std::string>& errors() { return env_->scripted.messages->errors; }

    std::unique_ptr<PitchChartWindow> window() {
        return std::make_unique<PitchChartWindow>(nullptr, *output_, *chart_,
                                                  [this] { return mainPitch_; });
    }

    template <class T>
    static T* control(QWidget& window, const char* name) {
        return lenzora::testing::findControl<T>(window, name);
    }
    static void fill(QWidget& f, const char* paper, const char* dpi, const char* pitch,
                     const char* bands, const char* increment) {
        retype(control<QComboBox>(f, "paperBox")->lineEdit(), QString::fromUtf8(paper));
        retype(control<QComboBox>(f, "dpiBox")->lineEdit(), QString::fromUtf8(dpi));
        retype(control<QLineEdit>(f, "expectedPitchEdit"), QString::fromUtf8(pitch));
        retype(control<QLineEdit>(f, "bandCountEdit"), QString::fromUtf8(bands));
        retype(control<QLineEdit>(f, "incrementEdit"), QString::fromUtf8(increment));
    }
    static void click(QWidget& f, const char* button) {
        QTest::mouseClick(control<QPushButton>(f, button), Qt::LeftButton);
    }
    // Clicks "生成" and waits until the chart drawn on its own thread is shown (at once when
    // the inputs are refused).
    static void generate(PitchChartWindow& f) {
        click(f, "generateButton");
        QTRY_VERIFY_WITH_TIMEOUT(!f.generating(), 120000);
    }

    // The share of the preview image's pixels, as shown, that are grey and that are black.
    static std::pair<double, double> greyAndBlack(QWidget& f) {
        const QImage shown = control<QLabel>(f, "previewImage")->pixmap().toImage();
        int grey = 0, black = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const int v = qGray(shown.pixel(x, y));
                grey += v > 0 && v < 255;
                black += v == 0;
            }
        }
        const double all = shown.width() * shown.height();
        return {grey / all, black / all};
    }

  private slots:
    void init() {
        env_ = std::make_unique<lenzora::testing::WindowTestEnvironment>();
        output_ = std::make_unique<lenzora::output::OutputChoices>();
        chart_ = std::make_unique<testchart::ChartState>();
    }
    void cleanup() {
        chart_.reset();
        output_.reset();
        env_.reset();
    }

    void controlsShowTheirDefaultsInLabelledRowsWithoutOverlap() {
        auto f = window();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.get()));
        QCOMPARE(f->windowTitle(), QString::fromUtf8("测量光栅线距"));
        QCOMPARE(f->size(), QSize(694, 578));
        auto* paper = control<QComboBox>(*f, "paperBox");
        QVERIFY(paper->isEditable());
        QCOMPARE(paper->count(), 4);
        QCOMPARE(paper->itemText(2), QStringLiteral("8' x 10'"));
        QCOMPARE(paper->itemText(3), QString());
        QCOMPARE(paper->currentText(), QStringLiteral("A4"));
        auto* dpi = control<QComboBox>(*f, "dpiBox");
        QVERIFY(dpi->isEditable());
        QCOMPARE(dpi->count(), 8);
        QCOMPARE(dpi->itemText(7), QStringLiteral("3600"));
        QCOMPARE(dpi->currentIndex(), 4);
        QCOMPARE(dpi->currentText(), QStringLiteral("1200"));

        // Top to bottom, one field a row, its label on its left at the height of the field.
        const struct {
            const char* label;
            const char* field;
            const char* text;
        } rows[] = {{"纸张:", "paperBox", "A4"},
                    {"DPI:", "dpiBox", "1200"},
                    {"预计线数:", "expectedPitchEdit", "40"},
                    {"栏数:", "bandCountEdit", "11"},
                    {"增幅:", "incrementEdit", "15"}};
        int rowsEnd = 0;
        for (const auto& row : rows) {
            auto* field = control<QWidget>(*f, row.field);
            QVERIFY2(field->y() >= rowsEnd, row.field);
            rowsEnd = field->geometry().bottom() + 1;
            const QLineEdit* box = qobject_cast<QLineEdit*>(field);
            if (box == nullptr) box = qobject_cast<QComboBox*>(field)->lineEdit();
            QCOMPARE(box->text(), QString::fromUtf8(row.text));
            QLabel* label = nullptr;
            for (QLabel* l : f->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
                if (l->text() == QString::fromUtf8(row.label)) label = l;
            QVERIFY2(label, row.label);
            QVERIFY2(label->geometry().right() < field->x(), row.label);
            QCOMPARE(label->geometry().center().y(), field->geometry().center().y());
        }
        // The arrows stand against the right edge of their box, as tall as it.
        for (const char* name : {"expectedPitch", "bandCount", "increment"}) {
            const QByteArray edit = QByteArray(name) + "Edit";
            const QByteArray arrows = QByteArray(name) + "Arrows";
            const QRect box = control<QLineEdit>(*f, edit.constData())->geometry();
            const QRect beside = control<QWidget>(*f, arrows.constData())->geometry();
            QCOMPARE(beside.left(), box.right() + 1);
            QCOMPARE(beside.top(), box.top());
            QCOMPARE(beside.height(), box.height());
        }
        // The buttons below the fields, one column of equal buttons in this order.
        const struct {
            const char* name;
            const char* caption;
        } buttons[] = {{"generateButton", "生成"},
                       {"resetButton", "重设"},
                       {"saveButton", "存盘"},
                       {"printButton", "打印"},
                       {"closeButton", "关闭"}};
        const QRect first = control<QPushButton>(*f, buttons[0].name)->geometry();
        int columnEnd = rowsEnd;
        for (const auto& b : buttons) {
            auto* button = control<QPushButton>(*f, b.name);
            QCOMPARE(button->text(), QString::fromUtf8(b.caption));
            QVERIFY2(button->y() > columnEnd, b.name);
            QCOMPARE(button->x(), first.x());
            QCOMPARE(button->size(), first.size());
            columnEnd = button->geometry().bottom();
        }
        // The white preview panel right of every field and button, the preview image in it.
        auto* panel = control<QFrame>(*f, "previewPanel");
        QCOMPARE(panel->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(control<QLabel>(*f, "previewImage")->parentWidget(), panel);
        // Every control whole inside the window, none covering another.
        const QList<QWidget*> controls =
            f->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        QCOMPARE(controls.size(), 5 * 2 + 3 + 5 + 1);
        for (QWidget* widget : controls) {
            const QByteArray name = widget->objectName().toLatin1();
            QVERIFY2(widget->isVisible(), name.constData());
            QVERIFY2(f->rect().contains(widget->geometry()), name.constData());
            if (widget != panel)
                QVERIFY2(widget->geometry().right() < panel->x(), name.constData());
            for (QWidget* other : controls) {
                if (other != widget)
                    QVERIFY2(!widget->geometry().intersects(other->geometry()),
                             (name + " covers " + other->objectName().toLatin1()).constData());
            }
        }
    }

    void workedCasesThroughTheFields_data() {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<QString>("dpi");
        QTest::addColumn<QString>("pitch");
        QTest::addColumn<QString>("bands");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("bar");
        QTest::addColumn<int>("previewWidth");
        QTest::addColumn<int>("previewHeight");
        QTest::newRow("defaults") << "A4"
                                  << "1200"
                                  << "40"
                                  << "11" << 6142 << 10866 << 30 << 15 << 511 << 905;
        QTest::newRow("sheet pitch") << "A4"
                                     << "1200"
                                     << "42.275"
                                     << "11" << 6142 << 10866 << 28 << 14 << 511 << 905;
        QTest::newRow("A3 at 600") << "A3"
                                   << "600"
                                   << "21.25"
                                   << "9" << 4961 << 8504 << 28 << 14 << 826 << 1417;
        QTest::newRow("typed paper is A4") << "Letter"
                                           << "300"
                                           << "40"
                                           << "11" << 1535 << 2717 << 8 << 3 << 511 << 905;
    }
    void workedCasesThroughTheFields() {
        QFETCH(QString, paper);
        QFETCH(QString, dpi);
        QFETCH(QString, pitch);
        QFETCH(QString, bands);
        auto f = window();
        f->show();
        fill(*f, paper.toUtf8().constData(), dpi.toUtf8().constData(), pitch.toUtf8().constData(),
             bands.toUtf8().constData(), "15");
        generate(*f);
        QVERIFY(errors().empty());
        QVERIFY(messages().empty());
        QCOMPARE(chart_->resolution, dpi.toInt());
        QTEST(chart_->image.width(), "width");
        QTEST(chart_->image.height(), "height");
        QTEST(f->preview().width(), "previewWidth");
        QTEST(f->preview().height(), "previewHeight");
        QCOMPARE(env_->scripted.cursor->timesBusy, 1);
        QCOMPARE(env_->scripted.cursor->depth, 0);
        // The reference strip shows the unchanged period and bar width.
        const testchart::ChartGeometry g = testchart::computeChartGeometry(
            {dpi.toInt(), testchart::paperForEntry(paper == "A3" ? 1 : 0),
             lenzora::core::toFixed(pitch.toDouble()), 15, bands.toInt()});
        const auto [period, bar] = periodAndBar(chart_->image, 10, g.referenceLeft);
        QTEST(period, "period");
        QTEST(bar, "bar");
        // And the whole chart is the one those inputs give.
        raster::RasterImage expected;
        testchart::buildPitchChart(expected, g.dpi,
                                   testchart::paperForEntry(paper == "A3" ? 1 : 0).widthCm,
                                   testchart::paperForEntry(paper == "A3" ? 1 : 0).heightCm,
                                   lenzora::core::toFixed(pitch.toDouble()), 15, bands.toInt());
        QVERIFY(sameImage(chart_->image, expected));
        // The preview image shows the chart stretched into the panel, aspect kept, centred.
        auto* image = control<QLabel>(*f, "previewImage");
        const QRect area = control<QFrame>(*f, "previewPanel")->contentsRect();
        QCOMPARE(image->height(), area.height());
        QVERIFY(qAbs(image->width() -
                     area.height() * f->preview().width() / f->preview().height()) <= 1);
        QVERIFY(qAbs(image->x() - area.left() - (area.width() - image->width()) / 2) <= 1);
        QCOMPARE(image->pixmap().size(), image->size());
    }

    void badTextsStopTheGenerationInReadingOrder() {
        auto f = window();
        generate(*f);
        const int width = chart_->image.width();
        fill(*f, "A4", "12x", "4o", "1l", "l5");
        generate(*f);
        QCOMPARE(errors(), std::vector<std::string>{"'12x' is not a valid integer value."});
        fill(*f, "A4", "300", "4o", "1l", "l5");
        generate(*f);
        QCOMPARE(errors().back(), std::string("'4o' is not a valid floating point value."));
        fill(*f, "A4", "300", "40", "1l", "l5");
        generate(*f);
        QCOMPARE(errors().back(), std::string("'1l' is not a valid integer value."));
        fill(*f, "A4", "300", "40", "11", "l5");
        generate(*f);
        QCOMPARE(errors().back(), std::string("'l5' is not a valid integer value."));
        QCOMPARE(chart_->image.width(), width);
        QCOMPARE(chart_->resolution, 1200);
        QCOMPARE(env_->scripted.cursor->depth, 0);
    }

    void refusedInputsKeepTheChartAndSaySo() {
        auto f = window();
        generate(*f);
        const raster::RasterImage before = [&] {
            raster::RasterImage copy;
            copy.copyFrom(chart_->image);
            return copy;
        }();
        const struct {
            const char* paperIndexText;
            const char* pitch;
            const char* bands;
            const char* increment;
            const char* message;
        } cases[] = {
            {"A4", "40", "0", "15", "栏数不对!"},        {"A4", "40", "-2", "15", "栏数不对!"},
            {"A4", "40", "11", "0", "增幅不对!"},        {"", "40", "11", "15", "纸张不对!"},
            {"A4", "2400", "11", "15", "预计线数不对!"}, {"A4", "40", "11", "900", "栏长超出光栅!"},
        };
        for (const auto& c : cases) {
            messages().clear();
            fill(*f, c.paperIndexText, "1200", c.pitch, c.bands, c.increment);
            if (std::string(c.paperIndexText).empty())
                control<QComboBox>(*f, "paperBox")->setCurrentIndex(3);
            generate(*f);
            QCOMPARE(messages(), std::vector<std::string>{c.message});
            QVERIFY(sameImage(chart_->image, before));
        }
        // An expected pitch of 0 divides by zero, reported as an error; the chart stays.
        fill(*f, "A4", "1200", "0", "11", "15");
        generate(*f);
        QCOMPARE(errors(), std::vector<std::string>{"Floating point division by zero."});
        QVERIFY(sameImage(chart_->image, before));
        QCOMPARE(chart_->resolution, 1200);
    }

    void resetTakesTheMainWindowsPitchAnd360() {
        auto f = window();
        fill(*f, "A3", "600", "21.25", "9", "7");
        mainPitch_ = 422750;
        click(*f, "resetButton");
        QCOMPARE(control<QComboBox>(*f, "paperBox")->currentText(), QStringLiteral("A4"));
        QCOMPARE(control<QComboBox>(*f, "dpiBox")->currentText(), QStringLiteral("360"));
        QCOMPARE(control<QLineEdit>(*f, "expectedPitchEdit")->text(), QStringLiteral("42.275"));
        QCOMPARE(control<QLineEdit>(*f, "bandCountEdit")->text(), QStringLiteral("11"));
        QCOMPARE(control<QLineEdit>(*f, "incrementEdit")->text(), QStringLiteral("15"));
        QVERIFY(!chart_->exists());
        retype(control<QLineEdit>(*f, "expectedPitchEdit"), QStringLiteral("40"));
        generate(*f);
        QCOMPARE(chart_->resolution, 360);
        const auto [period, bar] = periodAndBar(
            chart_->image, 10,
            testchart::computeChartGeometry({360, {21, 29}, 400000, 15, 11}).referenceLeft);
        QCOMPARE(period, 9);
        QCOMPARE(bar, 4);
    }

    void arrowsStepByOneWithinTheirLimitsButTypingIsFree() {
        auto f = window();
        auto* bands = control<QLineEdit>(*f, "bandCountEdit");
        auto* arrows = control<QWidget>(*f, "bandCountArrows");
        auto* up = arrows->findChildren<QToolButton*>().at(0);
        auto* down = arrows->findChildren<QToolButton*>().at(1);
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(bands->text(), QStringLiteral("12"));
        QTest::mouseClick(down, Qt::LeftButton);
        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(bands->text(), QStringLiteral("10"));
        retype(bands, QStringLiteral("150"));
        QCOMPARE(bands->text(), QStringLiteral("150"));
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(bands->text(), QStringLiteral("100"));
        retype(bands, QStringLiteral("0"));
        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(bands->text(), QStringLiteral("0"));
        auto* increment = control<QLineEdit>(*f, "incrementEdit");
        QTest::mouseClick(
            control<QWidget>(*f, "incrementArrows")->findChildren<QToolButton*>().at(0),
            Qt::LeftButton);
        QCOMPARE(increment->text(), QStringLiteral("16"));
        // A box holding no number steps from the last number the arrows knew.
        auto* pitch = control<QLineEdit>(*f, "expectedPitchEdit");
        auto* pitchUp =
            control<QWidget>(*f, "expectedPitchArrows")->findChildren<QToolButton*>().at(0);
        retype(pitch, QStringLiteral("42.275"));
        QTest::mouseClick(pitchUp, Qt::LeftButton);
        QCOMPARE(pitch->text(), QStringLiteral("43.275"));
        retype(pitch, QStringLiteral("abc"));
        QTest::mouseClick(pitchUp, Qt::LeftButton);
        QCOMPARE(pitch->text(), QStringLiteral("44.275"));
    }

    // The arrows move the number shown by one and keep its decimals, within 0 ... 100.
    void arrowsStepTheShownNumberKeepingItsDecimals_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("arrow");  // 0 up, 1 down
        QTest::addColumn<QString>("shown");
        QTest::newRow("pitch up") << "expectedPitch"
                                  << "42.275" << 0 << "43.275";
        QTest::newRow("pitch down") << "expectedPitch"
                                    << "42.275" << 1 << "41.275";
        QTest::newRow("blanks around") << "expectedPitch"
                                       << " 21.25 " << 0 << "22.25";
        QTest::newRow("exponent") << "expectedPitch"
                                  << "4.2275e1" << 0 << "43.275";
        QTest::newRow("below one") << "expectedPitch"
                                   << "0.5" << 1 << "0";
        QTest::newRow("near the top") << "expectedPitch"
                                      << "99.5" << 0 << "100";
        QTest::newRow("negative typed") << "expectedPitch"
                                        << "-0.75" << 0 << "0.25";
        QTest::newRow("bands fraction") << "bandCount"
                                        << "11.5" << 0 << "12.5";
        QTest::newRow("increment down") << "increment"
                                        << "15.125" << 1 << "14.125";
    }
    void arrowsStepTheShownNumberKeepingItsDecimals() {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(int, arrow);
        QFETCH(QString, shown);
        auto f = window();
        const QByteArray edit = box.toLatin1() + "Edit";
        const QByteArray arrows = box.toLatin1() + "Arrows";
        auto* field = control<QLineEdit>(*f, edit.constData());
        typeOver(field, typed);
        QTest::mouseClick(
            control<QWidget>(*f, arrows.constData())->findChildren<QToolButton*>().at(arrow),
            Qt::LeftButton);
        QCOMPARE(field->text(), shown);
    }

    void saveWritesStampedBmpUnderAnyNameAndOnlyWithAChart() {
        auto f = window();
        const fs::path name = env_->root.path() / "chart.jpg";
        env_->scripted.savePicture->answers = {name.string()};
        click(*f, "saveButton");
        QVERIFY(
            env_->scripted.savePicture->prefills.empty());  // no chart: no dialog, nothing saved
        QVERIFY(!fs::exists(name));
        generate(*f);
        click(*f, "saveButton");
        std::vector<std::string> offered;  // the formats that write a chart: no JPEG
        for (const auto& filter : env_->scripted.savePicture->shownFilters)
            offered.push_back(filter.defaultSuffix);
        QCOMPARE(offered, (std::vector<std::string>{"bmp", "png", "tif", "pdf"}));
        const lenzora::platform::Bytes file = lenzora::platform::readWholeFile(name);
        QCOMPARE(file.size(), std::size_t{8345150});
        QCOMPARE(file[0], std::uint8_t('B'));
        QCOMPARE(u32At(file, 38), 47233u);
        QCOMPARE(u32At(file, 42), 47233u);
        const raster::RasterImage back = raster::decodeBmp(file);
        QCOMPARE(back.format(), raster::PixelFormat::Indexed1);
        QVERIFY(sameImage(back, chart_->image));
        // Cancelled: nothing written, the dialog offered the last name.
        fs::remove(name);
        click(*f, "saveButton");
        QCOMPARE(env_->scripted.savePicture->prefills.back(), name.string());
        QVERIFY(!fs::exists(name));
        QVERIFY(errors().empty());
    }

    void printComparesThePrinterWithTheChartsResolution() {
        auto f = window();
        auto& printer = *env_->scripted.printer;
        click(*f, "printButton");
        QCOMPARE(printer.setupsShown, 0);  // no chart yet: nothing happens
        generate(*f);                      // made at 1200
        printer.defaultDpi = 600;
        click(*f, "printButton");
        QCOMPARE(messages(), std::vector<std::string>{testchart::kPrinterDpiWrong});
        QCOMPARE(printer.documentsStarted, 0);
        // The DPI box saying 600 afterwards does not make a 1200-dpi chart printable at 600.
        retype(control<QComboBox>(*f, "dpiBox")->lineEdit(), QStringLiteral("600"));
        click(*f, "printButton");
        QCOMPARE(messages().size(), std::size_t{2});
        QCOMPARE(printer.documentsStarted, 0);
        // A 1200-dpi printer prints it whatever the box says.
        printer.defaultDpi = 1200;
        printer.width = 9921;
        printer.height = 14031;
        click(*f, "printButton");
        QCOMPARE(messages().size(), std::size_t{2});
        QCOMPARE(printer.documentsStarted, 1);
        QCOMPARE(printer.documentsEnded, 1);
        QVERIFY(!printer.bands.empty());
        QCOMPARE(printer.bands.front().left, 1890);  // nearest(3779 / 2), halves to even
        QCOMPARE(printer.bands.front().top, 1582);   // nearest(3165 / 2)
        QVERIFY(errors().empty());
    }

    void printsThroughAPdfFileCentredOneDotPerPixel() {
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        const QString pdfimages = QStandardPaths::findExecutable(QStringLiteral("pdfimages"));
        if (pdftoppm.isEmpty() || pdfimages.isEmpty()) QSKIP("poppler-utils is not installed");
        const fs::path pdf = env_->root.path() / "chart.pdf";
        auto printer = std::make_shared<lenzora::platform::PdfFilePrinter>(
            QString::fromStdString(pdf.string()), 300, QPageSize(QPageSize::A4));
        lenzora::platform::Services services = lenzora::platform::services();
        services.printer = printer;
        lenzora::platform::ScopedServices pdfPrinter(services);

        auto f = window();
        fill(*f, "A4", "300", "40", "11", "15");
        generate(*f);
        click(*f, "printButton");
        QVERIFY(errors().empty());
        QVERIFY(messages().empty());
        QVERIFY(fs::exists(pdf));
        const raster::RasterImage& chart = chart_->image;
        const QString pdfName = QString::fromStdString(pdf.string());
        auto run = [](const QString& program, const QStringList& args) {
            QProcess process;
            process.start(program, args);
            process.waitForFinished(120000);
            return process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput())
                                           : QString();
        };

        // The page carries the chart's own pixels as one image at the printer's 300 dots per
        // inch: one chart pixel per dot, nothing resampled.
        const QStringList listing =
            run(pdfimages, {QStringLiteral("-list"), pdfName}).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(listing.size(), 3);  // two heading lines, one image
        const QStringList fields = listing[2].simplified().split(' ');
        QCOMPARE(fields[3].toInt(), chart.width());
        QCOMPARE(fields[4].toInt(), chart.height());
        QCOMPARE(fields[12].toInt(), 300);  // x-ppi
        QCOMPARE(fields[13].toInt(), 300);  // y-ppi
        const QString extracted = QString::fromStdString((env_->root.path() / "image").string());
        run(pdfimages, {QStringLiteral("-png"), pdfName, extracted});
        const QImage image(extracted + QStringLiteral("-000.png"));
        QCOMPARE(image.size(), QSize(chart.width(), chart.height()));
        std::int64_t differing = 0;
        for (std::int32_t y = 0; y < chart.height(); ++y)
            for (std::int32_t x = 0; x < chart.width(); ++x)
                if ((qGray(image.pixel(x, y)) < 128) != (chart.pixelValue(x, y) == 0)) ++differing;
        QCOMPARE(differing, std::int64_t{0});

        // Rendered back, the chart's ink sits centred in the printable area. The area's
        // margins are not whole dots, so the place is good to a dot.
        const fs::path rendered = env_->root.path() / "page";
        run(pdftoppm,
            {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-gray"),
             QStringLiteral("-singlefile"), pdfName, QString::fromStdString(rendered.string())});
        const QImage page(QString::fromStdString(rendered.string() + ".pgm"));
        QVERIFY(!page.isNull());
        QRect ink;
        for (int y = 0; y < page.height(); ++y) {
            const uchar* line = page.constScanLine(y);
            for (int x = 0; x < page.width(); ++x)
                if (line[x] < 128) ink |= QRect(x, y, 1, 1);
        }
        // The chart's own ink: from column 0 (the separators) and row 0 (the first band) to the
        // reference strip's right edge and the last separator row.
        QRect chartInk;
        for (std::int32_t y = 0; y < chart.height(); ++y)
            for (std::int32_t x = 0; x < chart.width(); ++x)
                if (chart.pixelValue(x, y) == 0) chartInk |= QRect(x, y, 1, 1);
        const raster::Rect place = testchart::centredChartRect(
            chart.width(), chart.height(), printer->printableWidth(), printer->printableHeight());
        const double marginX = (page.width() - printer->printableWidth()) / 2.0;
        const double marginY = (page.height() - printer->printableHeight()) / 2.0;
        QVERIFY(qAbs(ink.left() - (marginX + place.left + chartInk.left())) <= 1.0);
        QVERIFY(qAbs(ink.top() - (marginY + place.top + chartInk.top())) <= 1.0);
        QVERIFY(qAbs(ink.width() - chartInk.width()) <= 1);
        QVERIFY(qAbs(ink.height() - chartInk.height()) <= 1);
    }

    void closeHidesAndTheChartOutlivesTheWindow() {
        {
            auto f = window();
            f->show();
            generate(*f);
            click(*f, "closeButton");
            QVERIFY(!f->isVisible());
        }
        QVERIFY(chart_->exists());
        auto second = window();
        const fs::path name = env_->root.path() / "kept.bmp";
        env_->scripted.savePicture->answers = {name.string()};
        click(*second, "saveButton");
        QVERIFY(fs::exists(name));
    }

    // A zero-interval timer started with a large generation keeps firing while the chart is
    // drawn: the window answers all along, busy, with the controls of the job disabled.
    void theWindowAnswersWhileGenerating() {
        auto f = window();
        f->show();
        fill(*f, "A3", "3600", "40", "11", "15");
        int turns = 0;
        QTimer turning;
        turning.setInterval(0);
        connect(&turning, &QTimer::timeout, [&] { ++turns; });
        QStringList disabled;
        int busyDepth = 0;
        bool closeEnabled = false;
        QTimer::singleShot(0, [&] {
            for (const char* name : kJobControls)
                if (!control<QWidget>(*f, name)->isEnabled()) disabled << name;
            closeEnabled = control<QWidget>(*f, "closeButton")->isEnabled();
            busyDepth = env_->scripted.cursor->depth;
        });
        turning.start();
        generate(*f);
        turning.stop();
        QVERIFY2(turns > 20, qPrintable(QString::number(turns)));
        QCOMPARE(disabled.size(), qsizetype(std::size(kJobControls)));
        QVERIFY(closeEnabled);
        QCOMPARE(busyDepth, 1);
        for (const char* name : kJobControls)
            QVERIFY2(control<QWidget>(*f, name)->isEnabled(), name);
        QCOMPARE(env_->scripted.cursor->depth, 0);
        QVERIFY(messages().empty());
        QVERIFY(errors().empty());
        const testchart::ChartGeometry g =
            testchart::computeChartGeometry({3600, testchart::paperForEntry(1), 400000, 15, 11});
        QCOMPARE(chart_->resolution, 3600);
        QCOMPARE(chart_->image.width(), g.chartWidth);
        QCOMPARE(chart_->image.height(), g.chartHeight);
        QCOMPARE(f->preview().width(), g.previewWidth);
        QCOMPARE(f->preview().height(), g.previewHeight);
        QVERIFY(!control<QLabel>(*f, "previewImage")->pixmap().isNull());
    }

    // Bars finer than a screen pixel show grey in the preview, not black; Save waits for a
    // chart, in every chart window of the owner.
    void aFineChartShowsGreyAndSaveWaitsForIt() {
        QWidget owner;
        auto* f = new PitchChartWindow(&owner, *output_, *chart_, [this] { return mainPitch_; });
        auto* other =
            new PitchChartWindow(&owner, *output_, *chart_, [this] { return mainPitch_; });
        for (PitchChartWindow* w : {f, other})
            QVERIFY(!control<QPushButton>(*w, "saveButton")->isEnabled());
        f->show();
        fill(*f, "A4", "1200", "40", "11", "15");
        generate(*f);
        for (PitchChartWindow* w : {f, other})
            QVERIFY(control<QPushButton>(*w, "saveButton")->isEnabled());
        const auto [grey, black] = greyAndBlack(*f);
        QVERIFY2(grey > 0.1 && black < 0.5, qPrintable(QString("%1 %2").arg(grey).arg(black)));
    }

    // Escape, the close button or closing the window stop a large generation: nothing of it
    // or of the chart before is kept or shown, and saving and printing do nothing, as before
    // the first generation.
    void stoppingAGenerationKeepsNothing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("escape") << "escape";
        QTest::newRow("close button") << "close button";
        QTest::newRow("window closed") << "window closed";
    }
    void stoppingAGenerationKeepsNothing() {
        QFETCH(QString, how);
        auto f = window();
        f->show();
        fill(*f, "A4", "300", "40", "11", "15");
        generate(*f);
        QVERIFY(chart_->exists());
        fill(*f, "A3", "3600", "40", "11", "15");
        click(*f, "generateButton");
        QVERIFY(f->generating());
        QCOMPARE(env_->scripted.cursor->depth, 1);
        if (how == "escape") {
            QTest::keyClick(f.get(), Qt::Key_Escape);
        } else if (how == "close button") {
            click(*f, "closeButton");
        } else {
            QVERIFY(f->close());
        }
        QTRY_VERIFY_WITH_TIMEOUT(!f->generating(), 120000);
        QCOMPARE(f->isVisible(), how == "escape");
        QVERIFY(messages().empty());
        QVERIFY(errors().empty());
        QVERIFY(!chart_->exists());
        QVERIFY(chart_->image.empty());
        QVERIFY(f->preview().empty());
        QVERIFY(control<QLabel>(*f, "previewImage")->pixmap().isNull());
        QCOMPARE(env_->scripted.cursor->depth, 0);
        for (const char* name : kJobControls)
            QVERIFY2(control<QWidget>(*f, name)->isEnabled() != (name == std::string("saveButton")),
                     name);
        f->show();  // opened again after a close
        const fs::path name = env_->root.path() / "stopped.bmp";
        env_->scripted.savePicture->answers = {name.string()};
        click(*f, "saveButton");
        QVERIFY(env_->scripted.savePicture->prefills.empty());
        QVERIFY(!fs::exists(name));
        click(*f, "printButton");
        QCOMPARE(env_->scripted.printer->setupsShown, 0);
        // The next generation runs to its end as ever.
        fill(*f, "A4", "300", "40", "11", "15");
        generate(*f);
        QCOMPARE(chart_->resolution, 300);
        QVERIFY(!f->preview().empty());
    }

    void startUpMakesOneHiddenChartWindow() {
        std::unique_ptr<lenzora::app::MainWindow> form =
            lenzora::app::startProgram(std::chrono::milliseconds(0));
        const QList<PitchChartWindow*> windows = form->findChildren<PitchChartWindow*>();
        QCOMPARE(windows.size(), 1);
        QVERIFY(!windows.front()->isVisible());
        QCOMPARE(form->currentChartWindow(), windows.front());
        QCOMPARE(control<QLineEdit>(*windows.front(), "expectedPitchEdit")->text(),
                 QStringLiteral("40"));
    }

    void measureNowOpensAFreshWindowWithTheMainWindowsPitch() {
        lenzora::app::MainWindow form;
        auto* measure = control<QPushButton>(form, "measurePitchButton");
        QTest::mouseClick(measure, Qt::LeftButton);
        PitchChartWindow* first = form.currentChartWindow();
        QVERIFY(first != nullptr);
        QVERIFY(first->isVisible());
        QCOMPARE(first->parent(), &form);
        QCOMPARE(control<QLineEdit>(*first, "expectedPitchEdit")->text(), QStringLiteral("42.275"));
        // Every press another window; the pitch as it is then (typed over the selection, so
        // the box never holds a text that is no number).
        QLineEdit* pitchBox = control<QComboBox>(form, "pitchBox")->lineEdit();
        pitchBox->setFocus();
        pitchBox->selectAll();
        QTest::keyClicks(pitchBox, QStringLiteral("21.25"));
        QTest::mouseClick(measure, Qt::LeftButton);
        PitchChartWindow* second = form.currentChartWindow();
        QVERIFY(second != first);
        QCOMPARE(form.findChildren<PitchChartWindow*>().size(), 2);
        QCOMPARE(control<QLineEdit>(*second, "expectedPitchEdit")->text(), QStringLiteral("21.25"));
        QCOMPARE(control<QLineEdit>(*first, "expectedPitchEdit")->text(), QStringLiteral("42.275"));
        // Both windows work on the one chart.
        retype(control<QComboBox>(*first, "dpiBox")->lineEdit(), QStringLiteral("300"));
        generate(*first);
        QCOMPARE(form.chart().resolution, 300);
        const fs::path name = env_->root.path() / "from-second.bmp";
        env_->scripted.savePicture->answers = {name.string()};
        QTest::mouseClick(control<QPushButton>(*second, "saveButton"), Qt::LeftButton);
        QCOMPARE(raster::decodeBmp(lenzora::platform::readWholeFile(name)).width(),
                 form.chart().image.width());
        QVERIFY(errors().empty());
    }
};

QTEST_MAIN(ChartWindowTest)
#include "chart_window_test.moc"
