#include "app/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>

#include "core/settings_file.h"
#include "frames/load_frame.h"
#include "interlace/calibration_band.h"
#include "interlace/compose_check.h"
#include "interlace/interlace_frames.h"
#include "interlace/output_size.h"
#include "output/print_composite.h"
#include "output/print_layout.h"
#include "output/save_composite.h"
#include "windows/print_preview_window.h"
#include "raster/fit.h"
#include "raster/qimage_conversion.h"
#include "app/clickable_label.h"
#include "app/slot_layout.h"
#include "core/working_files.h"
#include "windows/help_window.h"
#include "windows/about_window.h"
#include "windows/pitch_chart_window.h"
#include "platform/drive_paths.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/handler_guard.h"
#include "platform/services.h"
#include "platform/web_page.h"
#include "platform/qt/named_child.h"

namespace lenzora::app {
namespace {

constexpr int kDesignWidth = 1016;
constexpr int kDesignHeight = 713;
constexpr int kSettingsBandHeight = 169;
constexpr int kSlotColumnWidth = 297;
constexpr int kOutputColumnWidth = 140;
constexpr int kProgressHeight = 20;

using platform::namedChild;

QFont pixelFont(const char* family, int pixels) {
    QFont font(QString::fromUtf8(family));
    font.setPixelSize(pixels);
    return font;
}

QString text(const std::string& s) { return QString::fromStdString(s); }
std::string utf8(const QString& s) { return s.toStdString(); }

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Lenzora2.0"));
    setFont(pixelFont("MS Serif", 16));

    buildSettingsBand();
    buildSlotColumn();
    buildPreview();
    buildOutputColumn();
    buildStatusBar();

    // Aligned to the desktop's work area, not resizable by the user.
    QSize client(kDesignWidth, kDesignHeight);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        client = client.expandedTo(area.size());
        move(area.topLeft());
    }
    setFixedSize(client);
    placeControls();

    FormCreate();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildSettingsBand() {
    settingsBand_ = namedChild<QGroupBox>(this, "GroupBox1", QString::fromUtf8("系统设定"));

    pitchGroup_ =
        namedChild<QGroupBox>(settingsBand_, "GroupBox2", QString::fromUtf8("光栅片线距"));
    pitchGroup_->setGeometry(8, 24, 200, 129);
    Button22 = namedChild<QPushButton>(pitchGroup_, "Button22", QString::fromUtf8("现在测量"));
    Button22->setGeometry(16, 22, 110, 30);
    ComboBox1 = namedChild<QComboBox>(pitchGroup_, "ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->addItems({"42.275", "21.25", "75.15", "61.53"});
    ComboBox1->setEditText(QStringLiteral("21.25"));
    ComboBox1->setGeometry(16, 58, 120, 28);
    auto* dpi = namedChild<QLabel>(pitchGroup_, "Label19", QStringLiteral("DPI:"));
    dpi->setGeometry(16, 94, 40, 24);
    Label20 = namedChild<QLabel>(pitchGroup_, "Label20", QStringLiteral("422.75"));
    Label20->setGeometry(60, 94, 130, 24);

    modeGroup_ = namedChild<QGroupBox>(settingsBand_, "GroupBox3", QString::fromUtf8("合成方式"));
    modeGroup_->setGeometry(216, 24, 200, 129);
    RadioButton1 =
        namedChild<QRadioButton>(modeGroup_, "RadioButton1", QString::fromUtf8("立体图或左右变"));
    RadioButton1->setGeometry(16, 34, 176, 28);
    RadioButton1->setChecked(true);
    RadioButton2 =
        namedChild<QRadioButton>(modeGroup_, "RadioButton2", QString::fromUtf8("上下变图"));
    RadioButton2->setGeometry(16, 74, 176, 28);

    sizeGroup_ = namedChild<QGroupBox>(settingsBand_, "GroupBox4", QString::fromUtf8("输出尺寸"));
    sizeGroup_->setGeometry(424, 24, 200, 129);
    auto* widthLabel = namedChild<QLabel>(sizeGroup_, "Label1", QString::fromUtf8("宽："));
    widthLabel->setGeometry(10, 26, 36, 24);
    Edit2 = namedChild<QLineEdit>(sizeGroup_, "Edit2", QStringLiteral("287"));
    Edit2->setGeometry(46, 24, 70, 26);
    auto* heightLabel = namedChild<QLabel>(sizeGroup_, "Label2", QString::fromUtf8("高："));
    heightLabel->setGeometry(10, 58, 36, 24);
    Edit3 = namedChild<QLineEdit>(sizeGroup_, "Edit3", QStringLiteral("200"));
    Edit3->setGeometry(46, 56, 70, 26);
    ComboBox3 = namedChild<QComboBox>(sizeGroup_, "ComboBox3");
    ComboBox3->addItems(
        {QString::fromUtf8("毫米"), QStringLiteral("Inch"), QStringLiteral("Pixels")});
    ComboBox3->setCurrentIndex(0);
    ComboBox3->setGeometry(122, 40, 72, 28);
    auto* metre = namedChild<QLabel>(sizeGroup_, "Label4", QString::fromUtf8("1米 = 1000 毫米"));
    metre->setGeometry(10, 94, 184, 24);

    // The output error group is never shown; its slider only travels through the settings file.
    GroupBox6 = namedChild<QGroupBox>(settingsBand_, "GroupBox6", QString::fromUtf8("输出误差"));
    GroupBox6->setGeometry(632, 24, 200, 129);
    TrackBar1 = namedChild<QSlider>(GroupBox6, "TrackBar1", Qt::Horizontal);
    TrackBar1->setRange(-4, 4);
    TrackBar1->setSingleStep(2);
    TrackBar1->setPageStep(1);
    TrackBar1->setValue(0);
    TrackBar1->setGeometry(10, 24, 180, 28);
    const char* scale[] = {"-4", "-2", "0", "2", "4"};
    for (int i = 0; i < 5; ++i) {
        auto* mark = namedChild<QLabel>(GroupBox6, "", QString::fromLatin1(scale[i]));
        mark->setGeometry(10 + i * 42, 54, 30, 20);
    }
    auto* hint = namedChild<QLabel>(GroupBox6, "Label5", QString::fromUtf8("参考测试图调整"));
    hint->setGeometry(10, 90, 180, 24);
    GroupBox6->hide();

    connect(ComboBox1, &QComboBox::editTextChanged, this, &MainWindow::ComboBox1Change);
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, &MainWindow::ComboBox3Change);
    connect(RadioButton1, &QRadioButton::toggled, this, [this](bool on) {
        if (on) RadioButton1Click();
    });
    connect(RadioButton2, &QRadioButton::toggled, this, [this](bool on) {
        if (on) RadioButton2Click();
    });
    connect(TrackBar1, &QSlider::valueChanged, this, &MainWindow::TrackBar1Change);
    connect(Button22, &QPushButton::clicked, this, &MainWindow::Button22Click);
    Edit2->installEventFilter(this);
    Edit3->installEventFilter(this);
}

void MainWindow::buildSlotColumn() {
    slotGroup_ = namedChild<QGroupBox>(this, "GroupBox5", QString::fromUtf8("合成图像来源"));
    slotGroup_->setFont(pixelFont("Arial", 19));
    const QFont buttonFont = pixelFont("MS Sans Serif", 13);
    for (int i = 0; i < core::kMaxFrames; ++i) {
        const SlotPlace& place = kSlotPlaces[i];
        QWidget* buttonParent = place.buttonOnWindow ? static_cast<QWidget*>(this) : slotGroup_;
        QPushButton* button = namedChild<QPushButton>(buttonParent, place.button,
                                                      QString::fromUtf8("图%1").arg(i + 1));
        button->setFont(buttonFont);
        button->setGeometry(place.buttonX, place.buttonY, kSlotButtonWidth, kSlotButtonHeight);
        slotButtons_[i] = button;
        connect(button, &QPushButton::clicked, this, [this, i] { slotButtonClicked(i + 1); });

        QLabel* thumbnail = namedChild<QLabel>(slotGroup_, place.thumbnail);
        thumbnail->setGeometry(place.thumbX, place.thumbY, frames::kThumbnailWidth, frames::kThumbnailHeight);
        thumbnail->setAlignment(Qt::AlignCenter);
        thumbnails_[i] = thumbnail;
    }

    Label3 =
        namedChild<ClickableLabel>(slotGroup_, "Label3", QString::fromLatin1(platform::kMakerWebAddress));
    QFont link = pixelFont("Arial", 19);
    link.setUnderline(true);
    Label3->setFont(link);
    Label3->setStyleSheet(QStringLiteral("color: blue;"));
    Label3->setCursor(Qt::PointingHandCursor);
    Label3->setGeometry(8, 440, 281, 28);
    connect(Label3, &ClickableLabel::clicked, this, &MainWindow::Label3Click);
}

void MainWindow::buildPreview() {
    Panel1 = namedChild<QWidget>(this, "Panel1");
    Panel1->setAutoFillBackground(true);
    QPalette teal = Panel1->palette();
    teal.setColor(QPalette::Window, QColor(0, 128, 128));
    Panel1->setPalette(teal);
    Image1 = namedChild<QLabel>(Panel1, "Image1");
    Image1->setAlignment(Qt::AlignCenter);
    Image2 = namedChild<QLabel>(Panel1, "Image2");
    Image2->hide();

    ProgressBar1 = namedChild<QProgressBar>(this, "ProgressBar1");
    ProgressBar1->setRange(0, 200);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
}

void MainWindow::buildOutputColumn() {
    outputGroup_ = namedChild<QGroupBox>(this, "GroupBox7", QString::fromUtf8("合成输出"));
    CheckBox1 = namedChild<QCheckBox>(outputGroup_, "CheckBox1", QString::fromUtf8("校准线"));
    BitBtn1 = namedChild<QPushButton>(outputGroup_, "BitBtn1", QString::fromUtf8("合成(&M)"));
    Button4 = namedChild<QPushButton>(outputGroup_, "Button4", QString::fromUtf8("存盘(&S)"));
    Button14 = namedChild<QPushButton>(outputGroup_, "Button14", QString::fromUtf8("打印(&P)"));
    Button5 = namedChild<QPushButton>(outputGroup_, "Button5", QString::fromUtf8("帮助(&H)"));
    Button9 = namedChild<QPushButton>(outputGroup_, "Button9", QString::fromUtf8("关于(&A)"));
    Button12 = namedChild<QPushButton>(outputGroup_, "Button12", QString::fromUtf8("退出(&E)"));

    CheckBox1->setGeometry(20, 36, 100, 28);
    QPushButton* column[] = {BitBtn1, Button4, Button14, Button5, Button9, Button12};
    int y = 84;
    for (QPushButton* button : column) {
        button->setGeometry(16, y, 108, 36);
        y += 56;
    }
    // Saving, printing and calibration lines wait for the first composite.
    CheckBox1->setEnabled(false);
    Button4->setEnabled(false);
    Button14->setEnabled(false);

    connect(Button5, &QPushButton::clicked, this, &MainWindow::Button5Click);
    connect(Button9, &QPushButton::clicked, this, &MainWindow::Button9Click);
    connect(Button12, &QPushButton::clicked, this, &MainWindow::Button12Click);
    connect(BitBtn1, &QPushButton::clicked, this, &MainWindow::BitBtn1Click);
    connect(CheckBox1, &QCheckBox::toggled, this, &MainWindow::CheckBox1Click);
    connect(Button4, &QPushButton::clicked, this, &MainWindow::Button4Click);
    connect(Button14, &QPushButton::clicked, this, &MainWindow::Button14Click);
}

void MainWindow::buildStatusBar() {
    auto* bar = namedChild<ClickableStatusBar>(this, "StatusBar1");
    const char* panels[] = {"欢迎使用本软件", platform::kMakerHelpLine, platform::kMakerWebAddress};
    const int widths[] = {200, 300, 50};
    for (int i = 0; i < 3; ++i) {
        auto* panel = namedChild<QLabel>(bar, "", QString::fromUtf8(panels[i]));
        panel->setAlignment(Qt::AlignCenter);
        panel->setFixedWidth(widths[i]);
        bar->addWidget(panel);
    }
    connect(bar, &ClickableStatusBar::clicked, this, &MainWindow::Label3Click);
    bar->hide();
    StatusBar1 = bar;
}

void MainWindow::placeControls() {
    const int w = width();
    const int h = height();
    settingsBand_->setGeometry(0, 0, w, kSettingsBandHeight);
    const int columnsHeight = h - kSettingsBandHeight - kProgressHeight;
    slotGroup_->setGeometry(0, kSettingsBandHeight, kSlotColumnWidth, columnsHeight);
    outputGroup_->setGeometry(w - kOutputColumnWidth, kSettingsBandHeight, kOutputColumnWidth,
                              columnsHeight);
    Panel1->setGeometry(kSlotColumnWidth, kSettingsBandHeight,
                        w - kSlotColumnWidth - kOutputColumnWidth, columnsHeight);
    Image1->setGeometry(0, 0, Panel1->width(), Panel1->height());
    ProgressBar1->setGeometry(0, h - kProgressHeight, w, kProgressHeight);
    // Slots 13 to 16 have their buttons on the window, above the group.
    for (int i = 12; i < core::kMaxFrames; ++i) slotButtons_[i]->raise();
}

// Start-up: working folder, settings file, controls. Whatever goes wrong is reported and
// the program starts with the defaults of a missing settings file, shown in the window.
void MainWindow::FormCreate() {
    core::RestoredSettings restored;
    platform::guardHandler([&] {
        platform::prepareDrive(core::kWorkingFolder);
        std::filesystem::path folder = platform::hostPath(core::kWorkingFolder);
        if (!platform::directoryExists(folder)) platform::createDirectory(folder);
        restored = core::restoreSettings(platform::hostPath(core::kSettingsFile));
        if (restored.problem) throw platform::Error(*restored.problem);
    });
    core::applyStoredSettings(restored.values, settings_);
    platform::guardHandler([&] { applySettingsToControls(); });
}

void MainWindow::applySettingsToControls() {
    if (settings_.mode == core::kModeColumns) {
        RadioButton1->setChecked(true);
    } else {
        RadioButton2->setChecked(true);  // its click handler sets the mode to 1
    }
    {
        QSignalBlocker block(ComboBox1);
        ComboBox1->setEditText(text(core::formatFixed(settings_.pitch)));
    }
    settings_.workingWidth = settings_.savedWidth;
    settings_.workingHeight = settings_.savedHeight;
    Edit2->setText(text(core::formatFixed(settings_.workingWidth)));
    Edit3->setText(text(core::formatFixed(settings_.workingHeight)));
    {
        QSignalBlocker block(ComboBox3);
        const bool listed = settings_.sizeUnit >= 0 && settings_.sizeUnit < ComboBox3->count();
        ComboBox3->setCurrentIndex(listed ? settings_.sizeUnit : -1);
    }
    {
        QSignalBlocker block(TrackBar1);
        TrackBar1->setValue(settings_.errorAdjustment);
    }
    core::recomputeAtStartUp(settings_);
    showResolution();
}

void MainWindow::showResolution() { Label20->setText(text(core::formatFixed(settings_.resolution))); }

bool MainWindow::FormClose() {
    return platform::guardHandler([&] {
        core::StoredSettings stored = core::storedFrom(settings_);
        stored.mode = RadioButton1->isChecked() ? core::kModeColumns : core::kModeRows;
        stored.pitch = core::parseFixedText(utf8(ComboBox1->currentText()));
        stored.sizeUnit = ComboBox3->currentIndex();
        stored.errorAdjustment = TrackBar1->value();
        // A settings file that cannot be written is reported, but the user can still leave.
        platform::guardHandler([&] { core::writeSettingsFile(platform::hostPath(core::kSettingsFile), stored); });
        session_.discardComposite();
        core::removeWorkingFiles();
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (FormClose()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::ComboBox1Change() {
    platform::guardHandler([&] {
        core::FixedCount pitch = core::parseFixedText(utf8(ComboBox1->currentText()));
        if (core::changePitch(settings_, pitch)) showResolution();
    });
}

void MainWindow::Edit2KeyUp() {
    platform::guardHandler([&] {
        core::FixedCount width = core::parseFixedText(utf8(Edit2->text()));
        if (std::optional<std::int32_t> height = core::typeWidth(settings_, width)) {
            Edit3->setText(text(core::formatGeneral(*height)));
        }
        showResolution();
    });
}

void MainWindow::Edit3KeyUp() {
    platform::guardHandler([&] {
        core::FixedCount height = core::parseFixedText(utf8(Edit3->text()));
        if (std::optional<std::int32_t> width = core::typeHeight(settings_, height)) {
            Edit2->setText(text(core::formatGeneral(*width)));
        }
        showResolution();
    });
}

void MainWindow::ComboBox3Change() {
    platform::guardHandler([&] {
        core::changeUnit(settings_, ComboBox3->currentIndex());
        Edit2->setText(text(core::formatFixed(settings_.workingWidth)));
        Edit3->setText(text(core::formatFixed(settings_.workingHeight)));
    });
}

void MainWindow::RadioButton1Click() {
    settings_.mode = RadioButton1->isChecked() ? core::kModeColumns : core::kModeRows;
}

void MainWindow::RadioButton2Click() {
    settings_.mode = RadioButton1->isChecked() ? core::kModeColumns : core::kModeRows;
}

void MainWindow::TrackBar1Change() {}

// The slot buttons, as their table pairs them with slots.
void MainWindow::Button1Click() { slotButtonClicked(1); }
void MainWindow::Button2Click() { slotButtonClicked(2); }
void MainWindow::Button3Click() { slotButtonClicked(3); }
void MainWindow::Button6Click() { slotButtonClicked(4); }
void MainWindow::Button7Click() { slotButtonClicked(5); }
void MainWindow::Button8Click() { slotButtonClicked(6); }
void MainWindow::Button10Click() { slotButtonClicked(7); }
void MainWindow::Button11Click() { slotButtonClicked(8); }
void MainWindow::Button18Click() { slotButtonClicked(9); }
void MainWindow::Button19Click() { slotButtonClicked(10); }
void MainWindow::Button20Click() { slotButtonClicked(11); }
void MainWindow::Button21Click() { slotButtonClicked(12); }
void MainWindow::Button13Click() { slotButtonClicked(13); }
void MainWindow::Button15Click() { slotButtonClicked(14); }
void MainWindow::Button16Click() { slotButtonClicked(15); }
void MainWindow::Button17Click() { slotButtonClicked(16); }

// Slots 3 to 16 raise the frame count to their number once they hold a frame, and the
// resolution is recomputed even when the dialog was cancelled. A frame that cannot be read
// ends the handler before that.
void MainWindow::slotButtonClicked(int slot) {
    platform::guardHandler([&] {
        LoadFrame(slot);
        if (session_.countFrame(slot)) showResolution();
    });
}

void MainWindow::LoadFrame(int slot) {
    const std::string chosen = platform::services().openPicture->choose();
    if (chosen.empty()) return;
    if (session_.loadFrame(slot, chosen) == frames::FrameLoadResult::FormatError) {
        platform::showMessage("File format error!");
        return;
    }
    thumbnails_[static_cast<std::size_t>(slot - 1)]->setPixmap(
        QPixmap::fromImage(raster::toQImage(session_.thumbnail(slot))));
}

namespace {

// Steps of ten on the 0 ... 200 bar, repainted at once so it moves while the compose runs.
class ProgressBarSteps : public interlace::ComposeProgress {
public:
    explicit ProgressBarSteps(QProgressBar* bar) : bar_(bar) {}
    void advance() override {
        bar_->setValue(std::min(bar_->maximum(), bar_->value() + 10));
        bar_->repaint();
    }

private:
    QProgressBar* bar_;
};

// Puts the bar back to 0 however the compose ends.
class ProgressReset {
public:
    explicit ProgressReset(QProgressBar* bar) : bar_(bar) {}
    ~ProgressReset() { bar_->setValue(0); }
    ProgressReset(const ProgressReset&) = delete;
    ProgressReset& operator=(const ProgressReset&) = delete;

private:
    QProgressBar* bar_;
};

}  // namespace

void MainWindow::BitBtn1Click() {
    platform::guardHandler([&] {
        if (auto missing = session_.missingFrame()) {
            platform::showMessage(*missing);
            return;
        }
        std::optional<std::string> refusal;
        {
            platform::BusyCursor busy;
            refusal = session_.setOutputSize(utf8(Edit2->text()), utf8(Edit3->text()));
        }
        if (refusal) {
            platform::showMessage(*refusal);
            return;
        }
        ProgressReset resetProgress(ProgressBar1);
        {
            platform::BusyCursor busy;
            ProgressBar1->setRange(0, 200);
            ProgressBarSteps progress(ProgressBar1);
            session_.compose(progress);
            showPreview(session_.composePreview());
        }
        platform::showMessage("Merge OK！");
        Button4->setEnabled(true);
        Button14->setEnabled(true);
        CheckBox1->setEnabled(true);
        CheckBox1->setChecked(false);  // runs its click handling when it was ticked
    });
}

void MainWindow::CheckBox1Click() {
    platform::guardHandler([&] {
        if (session_.composite().empty()) return;
        session_.setCalibrationBand(CheckBox1->isChecked());
        showPreview(session_.calibrationPreview());
    });
}

// Saves the composite under the name chosen in the shared save dialog.
void MainWindow::Button4Click() {
    platform::guardHandler([&] {
        const std::string name = outputChoices_.chooseSaveName();
        if (name.empty()) return;
        output::saveComposite(session_.composite(), platform::hostPath(name), settings_.resolution);
    });
}

// The printer set-up, then a fresh preview; its print button prints the composite as it is
// then, with the resolution read now.
void MainWindow::Button14Click() {
    platform::guardHandler([&] {
        outputChoices_.printerSetup();
        platform::Printer& printer = *platform::services().printer;
        const output::PrinterPage page{printer.printableWidth(), printer.printableHeight(),
                               outputChoices_.printerDpiX(), outputChoices_.printerDpiY()};
        const output::PrintPreviewLayout layout = output::printPreviewLayout(
            page, session_.composite().width(), session_.composite().height(), settings_.resolution);
        auto* preview = new windows::PrintPreviewWindow(this, layout, [this] {
            output::printComposite(session_.composite(), settings_.resolution, outputChoices_.printerDpiX(),
                           outputChoices_.printerDpiY());
        });
        preview->show();
    });
}

// Image1 shows the preview proportionally, centred in the panel, shrunk when it is larger.
void MainWindow::showPreview(raster::RasterImage preview) {
    preview_ = std::move(preview);
    const raster::RasterImage& picture = preview_;
    raster::DisplayFlags flags;
    flags.proportional = true;
    flags.centre = true;
    const raster::Rect place =
        raster::fitToArea(picture.width(), picture.height(), Image1->width(), Image1->height(),
                          flags);
    const auto w = static_cast<std::int32_t>(place.width());
    const auto h = static_cast<std::int32_t>(place.height());
    if (w == picture.width() && h == picture.height()) {
        Image1->setPixmap(QPixmap::fromImage(raster::toQImage(picture)));
        return;
    }
    raster::RasterImage shown;
    shown.create(raster::PixelFormat::Bgr24, w, h);
    shown.stretchImage({0, 0, w, h}, picture);
    Image1->setPixmap(QPixmap::fromImage(raster::toQImage(shown)));
}

// Every click opens a new window, owned by this one and kept until the program ends.
void MainWindow::Button5Click() {
    auto* window = new windows::HelpWindow(this);
    window->show();
}

void MainWindow::Button9Click() {
    auto* window = new windows::AboutWindow(this);
    window->useDialogBorder();
    window->show();
}

void MainWindow::Button12Click() { close(); }

windows::PitchChartWindow* MainWindow::createChartWindow() {
    auto* window = new windows::PitchChartWindow(this, outputChoices_, chart_,
                                             [this] { return settings_.pitch; });
    currentChartWindow_ = window;
    return window;
}

windows::PitchChartWindow* MainWindow::currentChartWindow() const { return currentChartWindow_; }

// "现在测量": a fresh chart window each time, expecting the sheet's current pitch.
void MainWindow::Button22Click() {
    windows::PitchChartWindow* window = createChartWindow();
    window->show();
    window->setExpectedPitch(settings_.pitch);
}

void MainWindow::Label3Click() { platform::openMakerWebPage(); }

void MainWindow::StatusBar1MouseMove() {}

// Enter composes unless another button has the focus, as a default button does.
void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        if (focused && focused->isEnabled()) {
            focused->click();
        } else {
            BitBtn1->click();
        }
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease &&
        !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
        if (watched == Edit2) Edit2KeyUp();
        if (watched == Edit3) Edit3KeyUp();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace lenzora::app
