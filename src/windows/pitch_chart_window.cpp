#include "windows/pitch_chart_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>

#include "platform/background_job.h"
#include "platform/handler_guard.h"
#include "platform/qt/named_child.h"
#include "platform/services.h"
#include "raster/fit.h"
#include "raster/qimage_conversion.h"
#include "testchart/chart_fields.h"
#include "testchart/print_pitch_chart.h"
#include "testchart/save_chart.h"
#include "windows/picture_filters.h"
#include "windows/step_arrows.h"

namespace lenzora::windows {
namespace {

constexpr int kLabelLeft = 48;
constexpr int kFieldLeft = 112;
constexpr int kFieldHeight = 21;
constexpr int kButtonLeft = 104;
constexpr int kArrowLimit = 100;

using platform::namedChild;

void addLabel(QWidget* parent, const char* name, const QString& text, int top) {
    auto* label = namedChild<QLabel>(parent, name, text);
    label->setGeometry(kLabelLeft, top, kFieldLeft - kLabelLeft, kFieldHeight);
}

}  // namespace

PitchChartWindow::PitchChartWindow(QWidget* owner, output::OutputChoices& output,
                                   testchart::ChartState& chart,
                                   std::function<core::FixedCount()> currentPitch)
    : QWidget(owner), output_(output), chart_(chart), currentPitch_(std::move(currentPitch)) {
    setObjectName(QStringLiteral("pitchChartWindow"));
    // Dialog type, so that window managers keep it above the main window that owns it.
    setWindowFlags(Qt::Dialog);
    setWindowTitle(tr("测量光栅线距"));
    resize(694, 578);
    buildControls();
}

PitchChartWindow::~PitchChartWindow() = default;

void PitchChartWindow::buildControls() {
    addLabel(this, "paperLabel", tr("纸张:"), 50);
    paperBox_ = namedChild<QComboBox>(this, "paperBox");
    paperBox_->setEditable(true);
    paperBox_->setInsertPolicy(QComboBox::NoInsert);
    for (std::string_view entry : testchart::kPaperEntries)
        paperBox_->addItem(QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size())));
    paperBox_->setCurrentIndex(0);
    paperBox_->setGeometry(kFieldLeft, 50, 105, kFieldHeight);

    addLabel(this, "dpiLabel", tr("DPI:"), 84);
    dpiBox_ = namedChild<QComboBox>(this, "dpiBox");
    dpiBox_->setEditable(true);
    dpiBox_->setInsertPolicy(QComboBox::NoInsert);
    for (const char* dpi : {"300", "360", "600", "720", "1200", "1440", "2400", "3600"})
        dpiBox_->addItem(QString::fromLatin1(dpi));
    dpiBox_->setCurrentIndex(4);
    dpiBox_->setGeometry(kFieldLeft, 84, 105, kFieldHeight);

    auto edit = [this](const char* name, const char* text, int top) {
        auto* box = namedChild<QLineEdit>(this, name, QString::fromLatin1(text));
        box->setGeometry(kFieldLeft, top, 89, kFieldHeight);
        return box;
    };
    addLabel(this, "expectedPitchLabel", tr("预计线数:"), 118);
    expectedPitchEdit_ = edit("expectedPitchEdit", "40", 118);
    addLabel(this, "bandCountLabel", tr("栏数:"), 152);
    bandCountEdit_ = edit("bandCountEdit", "11", 152);
    addLabel(this, "incrementLabel", tr("增幅:"), 184);
    incrementEdit_ = edit("incrementEdit", "15", 184);
    auto arrows = [this](const char* name, QLineEdit* buddy) {
        return namedChild<StepArrows>(this, name, buddy, 0, kArrowLimit);
    };
    expectedPitchArrows_ = arrows("expectedPitchArrows", expectedPitchEdit_);
    bandCountArrows_ = arrows("bandCountArrows", bandCountEdit_);
    incrementArrows_ = arrows("incrementArrows", incrementEdit_);

    auto button = [this](const char* name, const QString& text, int top) {
        auto* b = namedChild<QPushButton>(this, name, text);
        b->setGeometry(kButtonLeft, top, 75, 25);
        return b;
    };
    generateButton_ = button("generateButton", tr("生成"), 280);
    resetButton_ = button("resetButton", tr("重设"), 322);
    saveButton_ = button("saveButton", tr("存盘"), 364);
    printButton_ = button("printButton", tr("打印"), 406);
    closeButton_ = button("closeButton", tr("关闭"), 448);

    previewPanel_ = namedChild<QFrame>(this, "previewPanel");
    previewPanel_->setGeometry(240, 16, 409, 505);
    previewPanel_->setFrameStyle(QFrame::Box | QFrame::Plain);
    previewPanel_->setLineWidth(1);
    QPalette white = previewPanel_->palette();
    white.setColor(QPalette::Window, Qt::white);
    previewPanel_->setPalette(white);
    previewPanel_->setAutoFillBackground(true);
    previewImage_ = namedChild<QLabel>(previewPanel_, "previewImage");
    previewImage_->setGeometry(previewPanel_->contentsRect());

    saveButton_->setEnabled(chart_.exists());

    connect(generateButton_, &QPushButton::clicked, this, &PitchChartWindow::generateChart);
    connect(resetButton_, &QPushButton::clicked, this, &PitchChartWindow::resetFields);
    connect(saveButton_, &QPushButton::clicked, this, &PitchChartWindow::saveChart);
    connect(printButton_, &QPushButton::clicked, this, &PitchChartWindow::printChart);
    connect(closeButton_, &QPushButton::clicked, this, [this] {
        stopGeneration();
        hide();
    });
}

void PitchChartWindow::setExpectedPitch(core::FixedCount pitch) {
    const QSignalBlocker quiet(expectedPitchEdit_);
    expectedPitchEdit_->setText(QString::fromStdString(core::formatFixed(pitch)));
}

// The inputs are read and checked here; the chart is drawn on a thread of its own, the
// window answering meanwhile, and shown by finishGeneration.
void PitchChartWindow::generateChart() {
    if (generating()) return;
    platform::guardHandler([this] {
        // A typed paper name that is not in the list has no entry and gives the A4 measures.
        testchart::ChartFieldTexts texts;
        texts.paperEntry = paperBox_->findText(paperBox_->currentText(), Qt::MatchExactly);
        texts.dpi = dpiBox_->currentText().toStdString();
        texts.pitch = expectedPitchEdit_->text().toStdString();
        texts.bands = bandCountEdit_->text().toStdString();
        texts.increment = incrementEdit_->text().toStdString();
        const testchart::ChartInputs inputs = testchart::readChartFields(texts);
        if (std::string refusal = testchart::startChartGeneration(chart_, inputs);
            !refusal.empty()) {
            platform::showMessage(refusal);
            return;
        }
        enableSaving();  // the old chart is gone
        job_ = std::make_unique<platform::BackgroundJob>(
            [this, inputs](const platform::Cancellation& cancel) {
                drawn_ = testchart::drawChart(inputs, &cancel);
            },
            this, [this] { finishGeneration(); });
        enableJobControls(false);
        busy_ = std::make_unique<platform::BusyCursor>();
    });
}

void PitchChartWindow::finishGeneration() {
    if (!job_) return;  // already finished by a close
    job_->wait();
    const platform::BackgroundJob::Ending ending = job_->ending();
    job_.reset();
    testchart::DrawnChart drawn = std::move(drawn_);
    drawn_ = testchart::DrawnChart();
    enableJobControls(true);
    busy_.reset();
    platform::guardHandler([&] {
        if (ending.stopped()) {
            // The old chart is gone and nothing of the stopped one is kept or shown.
            preview_ = raster::RasterImage();
            previewImage_->clear();
            return;
        }
        testchart::keepChart(chart_, drawn);
        preview_ = std::move(drawn.preview);
        showPreview();
    });
    enableSaving();
}

// Every chart window of the owner saves the one chart: their Save buttons follow it.
void PitchChartWindow::enableSaving() {
    const QList<PitchChartWindow*> windows =
        parentWidget() != nullptr
            ? parentWidget()->findChildren<PitchChartWindow*>(Qt::FindDirectChildrenOnly)
            : QList<PitchChartWindow*>{this};
    for (PitchChartWindow* window : windows)
        if (!window->generating()) window->saveButton_->setEnabled(chart_.exists());
}

void PitchChartWindow::enableJobControls(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             paperBox_, dpiBox_, expectedPitchEdit_, bandCountEdit_, incrementEdit_,
             expectedPitchArrows_, bandCountArrows_, incrementArrows_, generateButton_,
             resetButton_, saveButton_, printButton_}) {
        control->setEnabled(enabled);
    }
}

void PitchChartWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && job_) {
        job_->cancel();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

// The thread is waited for, a step at most, so that the window closes with nothing running.
void PitchChartWindow::stopGeneration() {
    if (!job_) return;
    job_->cancel();
    finishGeneration();
}

void PitchChartWindow::closeEvent(QCloseEvent* event) {
    stopGeneration();
    QWidget::closeEvent(event);
}

// The preview image shows the chart stretched to the panel, its aspect ratio kept, centred.
void PitchChartWindow::showPreview() {
    const QRect area = previewPanel_->contentsRect();
    raster::DisplayFlags flags;
    flags.stretch = true;
    flags.proportional = true;
    flags.centre = true;
    const raster::Rect place =
        raster::fitToArea(preview_.width(), preview_.height(), area.width(), area.height(), flags);
    const auto w = static_cast<std::int32_t>(place.width());
    const auto h = static_cast<std::int32_t>(place.height());
    // Averaged again over the area each screen pixel covers, so that fine bars stay grey.
    const QImage shown = raster::toQImage(preview_)
                             .convertToFormat(QImage::Format_Grayscale8)
                             .scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    previewImage_->setGeometry(area.left() + place.left, area.top() + place.top, w, h);
    previewImage_->setPixmap(QPixmap::fromImage(shown));
}

void PitchChartWindow::resetFields() {
    platform::guardHandler([this] {
        const QSignalBlocker quietPaper(paperBox_);
        const QSignalBlocker quietDpi(dpiBox_);
        const QSignalBlocker quietBands(bandCountEdit_);
        const QSignalBlocker quietIncrement(incrementEdit_);
        paperBox_->setCurrentIndex(0);
        paperBox_->setEditText(paperBox_->itemText(0));
        dpiBox_->setCurrentIndex(1);
        dpiBox_->setEditText(dpiBox_->itemText(1));
        setExpectedPitch(currentPitch_());
        bandCountEdit_->setText(QStringLiteral("11"));
        incrementEdit_->setText(QStringLiteral("15"));
    });
}

void PitchChartWindow::saveChart() {
    platform::guardHandler([this] {
        if (!chart_.exists()) return;
        const std::string name =
            output_.chooseSaveName(savePictureFilters(raster::SavedPicture::Chart));
        if (name.empty()) return;
        testchart::saveChart(chart_.image, name, chart_.resolution);
    });
}

void PitchChartWindow::printChart() {
    platform::guardHandler([this] { testchart::printPitchChart(output_, chart_); });
}

}  // namespace lenzora::windows
