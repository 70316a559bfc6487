#include "windows/pitch_chart_window.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>

#include "platform/handler_guard.h"
#include "platform/services.h"
#include "raster/fit.h"
#include "raster/qimage_conversion.h"
#include "testchart/chart_fields.h"
#include "testchart/generate_chart.h"
#include "testchart/print_pitch_chart.h"
#include "testchart/save_chart.h"
#include "windows/up_down.h"
#include "platform/qt/named_child.h"

namespace lenzora::windows {
namespace {

constexpr int kLabelLeft = 48;
constexpr int kFieldLeft = 112;
constexpr int kFieldHeight = 21;
constexpr int kButtonLeft = 104;
constexpr int kUpDownLimit = 100;

using platform::namedChild;

void addLabel(QWidget* parent, const char* name, const char* text, int top) {
    auto* label = namedChild<QLabel>(parent, name, QString::fromUtf8(text));
    label->setGeometry(kLabelLeft, top, kFieldLeft - kLabelLeft, kFieldHeight);
}

}  // namespace

PitchChartWindow::PitchChartWindow(QWidget* owner, output::OutputChoices& output, testchart::ChartState& chart,
               std::function<core::FixedCount()> currentPitch)
    : QWidget(owner), output_(output), chart_(chart), currentPitch_(std::move(currentPitch)) {
    setObjectName(QStringLiteral("Form6"));
    setWindowFlag(Qt::Window);
    setWindowTitle(QString::fromUtf8("测量光栅线距"));
    resize(694, 578);
    buildControls();
}

void PitchChartWindow::buildControls() {
    addLabel(this, "Label1", "纸张:", 50);
    ComboBox1 = namedChild<QComboBox>(this, "ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    for (std::string_view entry : testchart::kPaperEntries)
        ComboBox1->addItem(QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size())));
    ComboBox1->setCurrentIndex(0);
    ComboBox1->setGeometry(kFieldLeft, 50, 105, kFieldHeight);

    addLabel(this, "Label2", "DPI:", 84);
    ComboBox2 = namedChild<QComboBox>(this, "ComboBox2");
    ComboBox2->setEditable(true);
    ComboBox2->setInsertPolicy(QComboBox::NoInsert);
    for (const char* dpi : {"300", "360", "600", "720", "1200", "1440", "2400", "3600"})
        ComboBox2->addItem(QString::fromLatin1(dpi));
    ComboBox2->setCurrentIndex(4);
    ComboBox2->setGeometry(kFieldLeft, 84, 105, kFieldHeight);

    auto edit = [this](const char* name, const char* text, int top) {
        auto* box = namedChild<QLineEdit>(this, name, QString::fromLatin1(text));
        box->setGeometry(kFieldLeft, top, 89, kFieldHeight);
        return box;
    };
    addLabel(this, "Label3", "预计线数:", 118);
    Edit1 = edit("Edit1", "40", 118);
    addLabel(this, "Label4", "栏数:", 152);
    Edit2 = edit("Edit2", "11", 152);
    addLabel(this, "Label5", "增幅:", 184);
    Edit3 = edit("Edit3", "15", 184);
    UpDown1 = new UpDown(Edit1, 0, kUpDownLimit, this);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown2 = new UpDown(Edit2, 0, kUpDownLimit, this);
    UpDown2->setObjectName(QStringLiteral("UpDown2"));
    UpDown3 = new UpDown(Edit3, 0, kUpDownLimit, this);
    UpDown3->setObjectName(QStringLiteral("UpDown3"));

    auto button = [this](const char* name, const char* text, int top) {
        auto* b = namedChild<QPushButton>(this, name, QString::fromUtf8(text));
        b->setGeometry(kButtonLeft, top, 75, 25);
        return b;
    };
    Button5 = button("Button5", "生成", 280);
    Button3 = button("Button3", "重设", 322);
    Button1 = button("Button1", "存盘", 364);
    Button2 = button("Button2", "打印", 406);
    Button4 = button("Button4", "关闭", 448);

    Panel2 = namedChild<QFrame>(this, "Panel2");
    Panel2->setGeometry(240, 16, 409, 505);
    Panel2->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel2->setLineWidth(1);
    QPalette white = Panel2->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel2->setPalette(white);
    Panel2->setAutoFillBackground(true);
    Image1 = namedChild<QLabel>(Panel2, "Image1");
    Image1->setGeometry(Panel2->contentsRect());

    connect(Button5, &QPushButton::clicked, this, &PitchChartWindow::Button5Click);
    connect(Button3, &QPushButton::clicked, this, &PitchChartWindow::Button3Click);
    connect(Button1, &QPushButton::clicked, this, &PitchChartWindow::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &PitchChartWindow::Button2Click);
    connect(Button4, &QPushButton::clicked, this, &PitchChartWindow::Button4Click);
}

void PitchChartWindow::setExpectedPitch(core::FixedCount pitch) {
    const QSignalBlocker quiet(Edit1);
    Edit1->setText(QString::fromStdString(core::formatFixed(pitch)));
}

void PitchChartWindow::Button5Click() {
    platform::guardHandler([this] {
        // A typed paper name that is not in the list has no entry and gives the A4 measures.
        testchart::ChartFieldTexts texts;
        texts.paperEntry = ComboBox1->findText(ComboBox1->currentText(), Qt::MatchExactly);
        const platform::BusyCursor busy;
        texts.dpi = ComboBox2->currentText().toStdString();
        texts.pitch = Edit1->text().toStdString();
        texts.bands = Edit2->text().toStdString();
        texts.increment = Edit3->text().toStdString();
        const testchart::ChartInputs inputs = testchart::readChartFields(texts);
        raster::RasterImage preview;
        if (std::string refusal = testchart::generatePitchChart(chart_, inputs, preview); !refusal.empty()) {
            platform::showMessage(refusal);
            return;
        }
        preview_ = std::move(preview);
        showPreview();
    });
}

// Image1 shows the preview stretched to the panel, its aspect ratio kept, centred.
void PitchChartWindow::showPreview() {
    const QRect area = Panel2->contentsRect();
    raster::DisplayFlags flags;
    flags.stretch = true;
    flags.proportional = true;
    flags.centre = true;
    const raster::Rect place =
        raster::fitToArea(preview_.width(), preview_.height(), area.width(), area.height(), flags);
    const auto w = static_cast<std::int32_t>(place.width());
    const auto h = static_cast<std::int32_t>(place.height());
    raster::RasterImage shown;
    shown.create(raster::PixelFormat::Indexed1, w, h);
    shown.stretchImage({0, 0, w, h}, preview_);
    Image1->setGeometry(area.left() + place.left, area.top() + place.top, w, h);
    Image1->setPixmap(QPixmap::fromImage(raster::toQImage(shown)));
}

void PitchChartWindow::Button3Click() {
    platform::guardHandler([this] {
        const QSignalBlocker quietPaper(ComboBox1);
        const QSignalBlocker quietDpi(ComboBox2);
        const QSignalBlocker quietBands(Edit2);
        const QSignalBlocker quietIncrement(Edit3);
        ComboBox1->setCurrentIndex(0);
        ComboBox1->setEditText(ComboBox1->itemText(0));
        ComboBox2->setCurrentIndex(1);
        ComboBox2->setEditText(ComboBox2->itemText(1));
        setExpectedPitch(currentPitch_());
        Edit2->setText(QStringLiteral("11"));
        Edit3->setText(QStringLiteral("15"));
    });
}

void PitchChartWindow::Button1Click() {
    platform::guardHandler([this] {
        if (!chart_.exists()) return;
        const std::string name = output_.chooseSaveName();
        if (name.empty()) return;
        testchart::saveChartBmp(chart_.image, name, chart_.resolution);
    });
}

void PitchChartWindow::Button2Click() {
    platform::guardHandler([this] { testchart::printPitchChart(output_, chart_); });
}

void PitchChartWindow::Button4Click() { hide(); }

}  // namespace lenzora::windows
