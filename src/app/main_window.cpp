#include "app/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "app/clickable_label.h"
#include "app/compose_job.h"
#include "app/disabled_accelerators.h"
#include "app/held_messages.h"
#include "app/job_menu.h"
#include "app/slot_gestures.h"
#include "app/slot_layout.h"
#include "core/settings_file.h"
#include "core/working_files.h"
#include "frames/load_frame.h"
#include "frames/slot_fill.h"
#include "interlace/calibration_band.h"
#include "interlace/compose_check.h"
#include "interlace/interlace_frames.h"
#include "interlace/output_size.h"
#include "output/print_composite.h"
#include "output/print_layout.h"
#include "output/print_sheet.h"
#include "output/save_composite.h"
#include "output/save_sheet.h"
#include "output/sheet_layout.h"
#include "platform/drive_paths.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/handler_guard.h"
#include "platform/program_options.h"
#include "platform/qt/named_child.h"
#include "platform/services.h"
#include "platform/web_page.h"
#include "platform/work_pool.h"
#include "raster/fit.h"
#include "raster/qimage_conversion.h"
#include "windows/about_window.h"
#include "windows/effect_window.h"
#include "windows/help_window.h"
#include "windows/picture_filters.h"
#include "windows/pitch_chart_window.h"
#include "windows/print_preview_window.h"
#include "windows/sheet_choice.h"

namespace lenzora::app {
namespace {

constexpr int kDesignWidth = 1016;
constexpr int kDesignHeight = 713;
constexpr int kSettingsBandHeight = 169;
constexpr int kSlotColumnWidth = 297;
constexpr int kOutputColumnWidth = 140;
constexpr int kProgressHeight = 20;

using platform::namedChild;

// The sheet's save dialog: the PDF filter first, the picture formats after it in their order.
std::vector<platform::FileFilter> sheetSaveFilters() {
    std::vector<platform::FileFilter> filters =
        windows::savePictureFilters(raster::SavedPicture::Composite);
    std::stable_partition(filters.begin(), filters.end(), [](const platform::FileFilter& filter) {
        return filter.defaultSuffix == "pdf";
    });
    return filters;
}

QFont pixelFont(const char* family, int pixels) {
    QFont font(QString::fromUtf8(family));
    font.setPixelSize(pixels);
    return font;
}

// "slotButton1" ... "slotButton16", "thumbnail1" ...
std::string slotControlName(const char* stem, int slot) { return stem + std::to_string(slot); }

QString text(const std::string& s) { return QString::fromStdString(s); }
std::string utf8(const QString& s) { return s.toStdString(); }

constexpr const char* kUprightPhotosKey = "frames/uprightPhotos";

// A printer resolution typed or kept: a number above 0 that the settings' fixed point holds
// (at least a ten-thousandth, and far from the end of its range).
std::optional<core::FixedCount> printDpiFrom(const QString& typed) {
    const std::optional<long double> value = core::parseDecimal(utf8(typed.trimmed()));
    if (!value || !(*value > 0) || !(*value < 1e12L)) return std::nullopt;
    const core::FixedCount dpi = core::toFixed(*value);
    if (dpi <= 0) return std::nullopt;
    return dpi;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Lenzora2.0"));
    setFont(pixelFont("MS Serif", 16));

    buildSettingsBand();
    buildSlotColumn();
    buildPreview();
    buildOutputColumn();
    buildStatusBar();
    endMessages_ = new HeldMessages(this);
    installSlotGestures();

    setFixedSize(kDesignWidth, kDesignHeight);
    placeControls();
    fitToWorkArea();

    loadSettings();
}

MainWindow::~MainWindow() = default;  // a running compose is stopped by its job

void MainWindow::buildSettingsBand() {
    settingsGroup_ = namedChild<QGroupBox>(this, "settingsGroup", tr("系统设定"));

    pitchGroup_ = namedChild<QGroupBox>(settingsGroup_, "pitchGroup", tr("光栅片线距"));
    pitchGroup_->setGeometry(8, 24, 200, 129);
    measurePitchButton_ =
        namedChild<QPushButton>(pitchGroup_, "measurePitchButton", tr("现在测量"));
    measurePitchButton_->setGeometry(16, 22, 132, 30);
    pitchBox_ = namedChild<QComboBox>(pitchGroup_, "pitchBox");
    pitchBox_->setEditable(true);
    pitchBox_->setInsertPolicy(QComboBox::NoInsert);
    pitchBox_->addItems({"42.275", "21.25", "75.15", "61.53"});
    pitchBox_->setEditText(QStringLiteral("21.25"));
    pitchBox_->setGeometry(16, 58, 120, 28);
    auto* dpi = namedChild<QLabel>(pitchGroup_, "dpiCaption", tr("DPI:"));
    dpi->setGeometry(16, 94, 40, 24);
    resolutionLabel_ = namedChild<QLabel>(pitchGroup_, "resolutionLabel", QStringLiteral("422.75"));
    resolutionLabel_->setGeometry(60, 94, 56, 24);
    // Beside it: interlace at the printer's own resolution, or let the lens choose one.
    printDpiBox_ = namedChild<QComboBox>(pitchGroup_, "printDpiBox");
    printDpiBox_->setFont(pixelFont("Arial", 12));
    printDpiBox_->setEditable(true);
    printDpiBox_->setInsertPolicy(QComboBox::NoInsert);
    printDpiBox_->setCompleter(nullptr);  // a typed number stays as typed
    printDpiBox_->addItem(tr("自动"));
    printDpiBox_->addItems({"300", "600", "720", "1200", "1440", "2400", "2880"});
    printDpiBox_->setToolTip(tr("打印机分辨率: 自动按光栅片选择, 或直接在打印机的网格上合成"));
    printDpiBox_->setGeometry(116, 92, 80, 26);

    modeGroup_ = namedChild<QGroupBox>(settingsGroup_, "modeGroup", tr("合成方式"));
    modeGroup_->setGeometry(216, 24, 200, 129);
    columnsModeButton_ =
        namedChild<QRadioButton>(modeGroup_, "columnsModeButton", tr("立体图或左右变"));
    columnsModeButton_->setGeometry(16, 34, 176, 28);
    columnsModeButton_->setChecked(true);
    rowsModeButton_ = namedChild<QRadioButton>(modeGroup_, "rowsModeButton", tr("上下变图"));
    rowsModeButton_->setGeometry(16, 74, 176, 28);

    sizeGroup_ = namedChild<QGroupBox>(settingsGroup_, "sizeGroup", tr("输出尺寸"));
    sizeGroup_->setGeometry(424, 24, 200, 129);
    auto* widthLabel = namedChild<QLabel>(sizeGroup_, "widthCaption", tr("宽："));
    widthLabel->setGeometry(10, 26, 36, 24);
    widthEdit_ = namedChild<QLineEdit>(sizeGroup_, "widthEdit", QStringLiteral("287"));
    widthEdit_->setGeometry(46, 24, 64, 26);
    auto* heightLabel = namedChild<QLabel>(sizeGroup_, "heightCaption", tr("高："));
    heightLabel->setGeometry(10, 58, 36, 24);
    heightEdit_ = namedChild<QLineEdit>(sizeGroup_, "heightEdit", QStringLiteral("200"));
    heightEdit_->setGeometry(46, 56, 64, 26);
    unitBox_ = namedChild<QComboBox>(sizeGroup_, "unitBox");
    unitBox_->addItems({tr("毫米"), tr("Inch"), tr("Pixels")});
    unitBox_->setCurrentIndex(0);
    unitBox_->setGeometry(116, 40, 80, 28);
    auto* metre = namedChild<QLabel>(sizeGroup_, "metreNote", tr("1米 = 1000 毫米"));
    metre->setGeometry(10, 94, 184, 24);

    // The output error group is never shown; its slider only travels through the settings file.
    adjustmentGroup_ = namedChild<QGroupBox>(settingsGroup_, "adjustmentGroup", tr("输出误差"));
    adjustmentGroup_->setGeometry(632, 24, 200, 129);
    adjustmentSlider_ = namedChild<QSlider>(adjustmentGroup_, "adjustmentSlider", Qt::Horizontal);
    adjustmentSlider_->setRange(-4, 4);
    adjustmentSlider_->setSingleStep(2);
    adjustmentSlider_->setPageStep(1);
    adjustmentSlider_->setValue(0);
    adjustmentSlider_->setGeometry(10, 24, 180, 28);
    const char* scale[] = {"-4", "-2", "0", "2", "4"};
    for (int i = 0; i < 5; ++i) {
        auto* mark = namedChild<QLabel>(adjustmentGroup_, "", QString::fromLatin1(scale[i]));
        mark->setGeometry(10 + i * 42, 54, 30, 20);
    }
    auto* hint = namedChild<QLabel>(adjustmentGroup_, "adjustmentHint", tr("参考测试图调整"));
    hint->setGeometry(10, 90, 180, 24);
    adjustmentGroup_->hide();

    connect(pitchBox_, &QComboBox::editTextChanged, this, &MainWindow::onPitchEdited);
    connect(unitBox_, &QComboBox::currentIndexChanged, this, &MainWindow::onUnitChanged);
    connect(printDpiBox_, &QComboBox::textActivated, this, &MainWindow::onPrintDpiChosen);
    connect(printDpiBox_->lineEdit(), &QLineEdit::editingFinished, this,
            &MainWindow::onPrintDpiChosen);
    for (QRadioButton* button : {columnsModeButton_, rowsModeButton_}) {
        connect(button, &QRadioButton::toggled, this, [this](bool on) {
            if (on) onModeChosen();
        });
    }
    connect(measurePitchButton_, &QPushButton::clicked, this, &MainWindow::openPitchChart);
    connect(widthEdit_, &QLineEdit::textEdited, this, [this] { widthTyped_ = true; });
    connect(heightEdit_, &QLineEdit::textEdited, this, [this] { heightTyped_ = true; });
    widthEdit_->installEventFilter(this);
    heightEdit_->installEventFilter(this);
}

void MainWindow::buildSlotColumn() {
    slotGroup_ = namedChild<QGroupBox>(this, "slotGroup", tr("合成图像来源"));
    slotGroup_->setFont(pixelFont("Arial", 19));
    const QFont buttonFont = pixelFont("MS Sans Serif", 13);
    for (int i = 0; i < core::kMaxFrames; ++i) {
        const SlotPlace& place = kSlotPlaces[i];
        QWidget* buttonParent = place.buttonOnWindow ? static_cast<QWidget*>(this) : slotGroup_;
        QPushButton* button = namedChild<QPushButton>(
            buttonParent, slotControlName("slotButton", i + 1).c_str(), tr("图%1").arg(i + 1));
        button->setFont(buttonFont);
        button->setGeometry(place.buttonX, place.buttonY, kSlotButtonWidth, kSlotButtonHeight);
        slotButtons_[i] = button;
        connect(button, &QPushButton::clicked, this, [this, i] { chooseFrame(i + 1); });

        QLabel* thumbnail =
            namedChild<QLabel>(slotGroup_, slotControlName("thumbnail", i + 1).c_str());
        thumbnail->setGeometry(place.thumbX, place.thumbY, frames::kThumbnailWidth,
                               frames::kThumbnailHeight);
        thumbnail->setAlignment(Qt::AlignCenter);
        thumbnails_[i] = thumbnail;
    }

    // Under the slot grid: whether photos stand upright by their camera's orientation, kept
    // from run to run; frames loaded from then on follow it.
    uprightBox_ = namedChild<QCheckBox>(slotGroup_, "uprightBox", tr("按拍摄方向摆正照片"));
    uprightBox_->setFont(buttonFont);
    uprightBox_->setToolTip(tr("照片按相机记录的方向摆正; 更改只影响此后载入的图片."));
    uprightBox_->setGeometry(8, 430, 281, 24);
    uprightBox_->setChecked(
        platform::programOptions().value(QString::fromLatin1(kUprightPhotosKey), true).toBool());
    frames::setUprightPhotos(uprightBox_->isChecked());
    connect(uprightBox_, &QCheckBox::toggled, this, [](bool upright) {
        frames::setUprightPhotos(upright);
        platform::programOptions().setValue(QString::fromLatin1(kUprightPhotosKey), upright);
    });

    webAddressLabel_ = namedChild<ClickableLabel>(slotGroup_, "webAddressLabel",
                                                  QString::fromLatin1(platform::kMakerWebAddress));
    QFont link = pixelFont("Arial", 19);
    link.setUnderline(true);
    webAddressLabel_->setFont(link);
    webAddressLabel_->setStyleSheet(QStringLiteral("color: blue;"));
    webAddressLabel_->setCursor(Qt::PointingHandCursor);
    webAddressLabel_->setGeometry(8, 460, 281, 28);
    connect(webAddressLabel_, &ClickableLabel::clicked, this, &MainWindow::openWebAddress);
}

void MainWindow::buildPreview() {
    previewPanel_ = namedChild<QWidget>(this, "previewPanel");
    previewPanel_->setAutoFillBackground(true);
    QPalette teal = previewPanel_->palette();
    teal.setColor(QPalette::Window, QColor(0, 128, 128));
    previewPanel_->setPalette(teal);
    previewImage_ = namedChild<QLabel>(previewPanel_, "previewImage");
    previewImage_->setAlignment(Qt::AlignCenter);

    progressBar_ = namedChild<QProgressBar>(this, "progressBar");
    progressBar_->setRange(0, 200);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
    // The bar follows the compose's own count of its work while it runs.
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(40);
    connect(progressTimer_, &QTimer::timeout, this, [this] {
        if (composeJob_) progressBar_->setValue(composeJob_->progress());
    });
}

void MainWindow::buildOutputColumn() {
    outputGroup_ = namedChild<QGroupBox>(this, "outputGroup", tr("合成输出"));
    calibrationBox_ = namedChild<QCheckBox>(outputGroup_, "calibrationBox", tr("校准线"));
    composeButton_ = namedChild<QPushButton>(outputGroup_, "composeButton", tr("合成(&M)"));
    saveButton_ = namedChild<QPushButton>(outputGroup_, "saveButton", tr("存盘(&S)"));
    printButton_ = namedChild<QPushButton>(outputGroup_, "printButton", tr("打印(&P)"));
    effectButton_ = namedChild<QPushButton>(outputGroup_, "effectButton", tr("效果预览"));
    effectButton_->setShortcut(Qt::Key_F5);
    helpButton_ = namedChild<QPushButton>(outputGroup_, "helpButton", tr("帮助(&H)"));
    aboutButton_ = namedChild<QPushButton>(outputGroup_, "aboutButton", tr("关于(&A)"));
    exitButton_ = namedChild<QPushButton>(outputGroup_, "exitButton", tr("退出(&E)"));

    calibrationBox_->setGeometry(16, 36, 118, 28);
    QPushButton* column[] = {composeButton_, saveButton_,  printButton_, effectButton_,
                             helpButton_,    aboutButton_, exitButton_};
    int y = 84;
    for (QPushButton* button : column) {
        button->setGeometry(16, y, 108, 36);
        y += 56;
    }
    // Saving, printing and calibration lines wait for the first composite.
    calibrationBox_->setEnabled(false);
    saveButton_->setEnabled(false);
    printButton_->setEnabled(false);
    effectButton_->setEnabled(false);

    connect(effectButton_, &QPushButton::clicked, this, &MainWindow::openEffect);
    connect(helpButton_, &QPushButton::clicked, this, &MainWindow::showHelp);
    connect(aboutButton_, &QPushButton::clicked, this, &MainWindow::showAbout);
    connect(exitButton_, &QPushButton::clicked, this, &QWidget::close);
    connect(composeButton_, &QPushButton::clicked, this, &MainWindow::compose);
    connect(calibrationBox_, &QCheckBox::toggled, this, &MainWindow::onCalibrationToggled);
    connect(saveButton_, &QPushButton::clicked, this, &MainWindow::saveComposite);
    connect(printButton_, &QPushButton::clicked, this, &MainWindow::printComposite);

    // Jobs, below the column: Ctrl+O and Ctrl+S clash with none of its Alt letters.
    jobButton_ = namedChild<QPushButton>(outputGroup_, "jobButton", tr("作业(&J)"));
    jobButton_->setGeometry(16, 476, 108, 36);
    jobMenu_ = new JobMenu(
        this, jobButton_, [this] { return currentJob(); },
        [this](const core::Job& job) { applyJob(job); });

    // Alt+S and Alt+P before the first compose must not type into the settings boxes.
    auto* accelerators = new DisabledAccelerators(this);
    for (QWidget* box :
         std::initializer_list<QWidget*>{pitchBox_, pitchBox_->lineEdit(), widthEdit_, heightEdit_,
                                         unitBox_, printDpiBox_, printDpiBox_->lineEdit()}) {
        accelerators->watch(box);
    }
}

void MainWindow::buildStatusBar() {
    auto* bar = namedChild<ClickableStatusBar>(this, "statusBar");
    const QString panels[] = {tr("欢迎使用本软件"), QString::fromLatin1(platform::kMakerHelpLine),
                              QString::fromLatin1(platform::kMakerWebAddress)};
    const int widths[] = {200, 300, 50};
    for (int i = 0; i < 3; ++i) {
        auto* panel = namedChild<QLabel>(bar, "", panels[i]);
        panel->setAlignment(Qt::AlignCenter);
        panel->setFixedWidth(widths[i]);
        bar->addWidget(panel);
    }
    connect(bar, &ClickableStatusBar::clicked, this, &MainWindow::openWebAddress);
    bar->hide();
}

void MainWindow::placeControls() {
    const int w = width();
    const int h = height();
    settingsGroup_->setGeometry(0, 0, w, kSettingsBandHeight);
    const int columnsHeight = h - kSettingsBandHeight - kProgressHeight;
    slotGroup_->setGeometry(0, kSettingsBandHeight, kSlotColumnWidth, columnsHeight);
    outputGroup_->setGeometry(w - kOutputColumnWidth, kSettingsBandHeight, kOutputColumnWidth,
                              columnsHeight);
    previewPanel_->setGeometry(kSlotColumnWidth, kSettingsBandHeight,
                               w - kSlotColumnWidth - kOutputColumnWidth, columnsHeight);
    previewImage_->setGeometry(0, 0, previewPanel_->width(), previewPanel_->height());
    progressBar_->setGeometry(0, h - kProgressHeight, w, kProgressHeight);
    // Slots 13 to 16 have their buttons on the window, above the group.
    for (int i = 12; i < core::kMaxFrames; ++i) slotButtons_[i]->raise();
}

// Filling the work area, not resizable by the user. A window manager's title bar and borders
// come on top of the client area and are known only once the window is framed, so the fit is
// made again then; otherwise the bottom rows, the progress bar among them, fall off screen.
void MainWindow::fitToWorkArea() {
    const QScreen* shown = screen();
    if (shown == nullptr) return;
    const QRect area = shown->availableGeometry();
    const QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
    if (area == fittedArea_ && frame == fittedFrame_) return;
    fittedArea_ = area;
    fittedFrame_ = frame;
    const QSize client = area.size().shrunkBy(frame).expandedTo(QSize(kDesignWidth, kDesignHeight));
    if (client != size() || client != minimumSize() || client != maximumSize()) {
        setFixedSize(client);
        placeControls();
    }
    move(area.topLeft());  // a window's position is its frame's
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fitToWorkArea();
}

// Framing by the window manager moves the client area; the user moving the window changes
// neither the area nor the margins and is left alone.
void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    fitToWorkArea();
}

// Start-up: working folder, settings file, controls. Whatever goes wrong is reported and
// the program starts with the defaults of a missing settings file, shown in the window.
void MainWindow::loadSettings() {
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
        columnsModeButton_->setChecked(true);
    } else {
        rowsModeButton_->setChecked(true);  // its click handler sets the mode to 1
    }
    {
        QSignalBlocker block(pitchBox_);
        pitchBox_->setEditText(text(core::formatFixed(settings_.pitch)));
    }
    settings_.workingWidth = settings_.savedWidth;
    settings_.workingHeight = settings_.savedHeight;
    widthEdit_->setText(text(core::formatFixed(settings_.workingWidth)));
    heightEdit_->setText(text(core::formatFixed(settings_.workingHeight)));
    {
        QSignalBlocker block(unitBox_);
        const bool listed = settings_.sizeUnit >= 0 && settings_.sizeUnit < unitBox_->count();
        unitBox_->setCurrentIndex(listed ? settings_.sizeUnit : -1);
    }
    {
        QSignalBlocker block(adjustmentSlider_);
        adjustmentSlider_->setValue(settings_.errorAdjustment);
    }
    // The printer resolution is kept beside the settings file, which has no room for it.
    const QString keptDpi =
        platform::programOptions().value(QString::fromLatin1(platform::kPrintDpiKey)).toString();
    settings_.printDpi = printDpiFrom(keptDpi).value_or(0);
    showPrintDpi();
    core::recomputeAtStartUp(settings_);
    showResolution();
}

void MainWindow::showResolution() {
    resolutionLabel_->setText(text(core::formatFixed(settings_.resolution)));
}

void MainWindow::showPrintDpi() {
    const QSignalBlocker block(printDpiBox_);
    if (!settings_.onPrinterGrid()) {
        printDpiBox_->setCurrentIndex(0);
        return;
    }
    const QString dpi = text(core::formatFixed(settings_.printDpi));
    const int listed = printDpiBox_->findText(dpi);
    if (listed >= 0) {
        printDpiBox_->setCurrentIndex(listed);
    } else {
        printDpiBox_->setEditText(dpi);
    }
}

bool MainWindow::storeSettingsAndCleanUp() {
    return platform::guardHandler([&] {
        core::StoredSettings stored = core::storedFrom(settings_);
        stored.mode = columnsModeButton_->isChecked() ? core::kModeColumns : core::kModeRows;
        stored.pitch = core::parseFixedText(utf8(pitchBox_->currentText()));
        stored.sizeUnit = unitBox_->currentIndex();
        stored.errorAdjustment = adjustmentSlider_->value();
        // The working files go first: the settings file is flushed to disk, and on most file
        // systems that would first write out the working files just made, to be deleted.
        session_.discardComposite();
        core::removeWorkingFiles();
        // A settings file that cannot be written is reported, but the user can still leave.
        platform::guardHandler(
            [&] { core::writeSettingsFile(platform::hostPath(core::kSettingsFile), stored); });
    });
}

// Closing stops a running compose first (its thread is waited for, a step at most), then
// closes as ever.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (composeJob_) {
        composeJob_->cancel();
        finishCompose();
    }
    if (storeSettingsAndCleanUp()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::onPitchEdited() {
    platform::guardHandler([&] {
        core::FixedCount pitch = core::parseFixedText(utf8(pitchBox_->currentText()));
        if (core::changePitch(settings_, pitch)) showResolution();
    });
}

void MainWindow::onWidthEdited() {
    platform::guardHandler([&] {
        core::FixedCount width = core::parseFixedText(utf8(widthEdit_->text()));
        if (std::optional<std::int32_t> height = core::typeWidth(settings_, width)) {
            heightEdit_->setText(text(core::formatGeneral(*height)));
        }
        showResolution();
    });
}

void MainWindow::onHeightEdited() {
    platform::guardHandler([&] {
        core::FixedCount height = core::parseFixedText(utf8(heightEdit_->text()));
        if (std::optional<std::int32_t> width = core::typeHeight(settings_, height)) {
            widthEdit_->setText(text(core::formatGeneral(*width)));
        }
        showResolution();
    });
}

void MainWindow::onUnitChanged() {
    platform::guardHandler([&] {
        core::changeUnit(settings_, unitBox_->currentIndex());
        widthEdit_->setText(text(core::formatFixed(settings_.workingWidth)));
        heightEdit_->setText(text(core::formatFixed(settings_.workingHeight)));
    });
}

void MainWindow::onModeChosen() {
    settings_.mode = columnsModeButton_->isChecked() ? core::kModeColumns : core::kModeRows;
}

// "自动" or a resolution above 0 is taken and kept; any other text gives way to the last one.
void MainWindow::onPrintDpiChosen() {
    const QString typed = printDpiBox_->currentText().trimmed();
    const std::optional<core::FixedCount> dpi =
        typed == printDpiBox_->itemText(0) ? core::FixedCount{0} : printDpiFrom(typed);
    if (dpi && *dpi != settings_.printDpi) {
        platform::guardHandler([&] {
            core::changePrintDpi(settings_, *dpi);
            platform::programOptions().setValue(QString::fromLatin1(platform::kPrintDpiKey),
                                                text(core::formatFixed(settings_.printDpi)));
        });
        showResolution();
    }
    showPrintDpi();
}

// Slots 3 to 16 raise the frame count to their number once they hold a frame, and the
// resolution is recomputed even when the dialog was cancelled. A frame that cannot be read
// ends the handler before that. Several files fill this slot and the following ones.
void MainWindow::chooseFrame(int slot) {
    std::vector<std::string> chosen;
    if (!platform::guardHandler([&] {
            chosen = platform::services().openPicture->choose(windows::openPictureFilters());
        }))
        return;
    if (chosen.size() > 1) {
        fillSlots(frames::slotsFrom(slot), std::move(chosen));
        return;
    }
    platform::guardHandler([&] {
        if (!chosen.empty()) loadChosenFrame(slot, chosen.front());
        if (session_.countFrame(slot)) showResolution();
    });
}

void MainWindow::loadChosenFrame(int slot, const std::string& chosen) {
    if (session_.loadFrame(slot, chosen) == frames::FrameLoadResult::FormatError) {
        platform::showMessage(tr("File format error!").toStdString());
        return;
    }
    showThumbnail(slot);
}

// Files of another kind take no slot and are named once; an unreadable file is reported and
// the next file goes on into the next slot.
void MainWindow::fillSlots(const std::vector<int>& targets, std::vector<std::string> files) {
    if (composing()) return;
    const frames::SlotFill fill = frames::planSlotFill(std::move(files), targets);
    if (fill.refused > 0) platform::showMessage(tr("File format error!").toStdString());
    for (const auto& load : fill.loads) {
        platform::guardHandler([&] {
            loadChosenFrame(load.first, load.second);
            if (session_.countFrame(load.first)) showResolution();
        });
    }
    if (fill.leftOut > 0) {
        platform::showMessage(
            tr("%1 个文件未载入: 图16之后没有空位").arg(fill.leftOut).toStdString());
    }
}

void MainWindow::installSlotGestures() {
    SlotGestures::Handlers handlers;
    handlers.allowed = [this] { return !composing(); };
    handlers.loaded = [this](int slot) { return !session_.frameSlots()[slot].empty(); };
    handlers.dropFiles = [this](int slot, std::vector<std::string> files) {
        fillSlots(slot == 0 ? frames::emptySlots(session_.frameSlots()) : frames::slotsFrom(slot),
                  std::move(files));
    };
    handlers.swap = [this](int from, int to) {
        rearrangeSlots([&] { session_.swapSlots(from, to); });
    };
    handlers.clear = [this](int slot) { rearrangeSlots([&] { session_.clearSlot(slot); }); };
    handlers.reverse = [this] { rearrangeSlots([&] { session_.reverseFrames(); }); };
    handlers.clearAll = [this] {
        rearrangeSlots([&] {
            for (int slot = 1; slot <= core::kMaxFrames; ++slot) session_.clearSlot(slot);
        });
    };
    new SlotGestures(this, slotButtons_, thumbnails_, std::move(handlers));
}

// As a frame load does, the thumbnails and the resolution show the change; the composite stays
// until the next compose.
void MainWindow::rearrangeSlots(const std::function<void()>& change) {
    if (composing()) return;
    platform::guardHandler(change);
    for (int slot = 1; slot <= core::kMaxFrames; ++slot) showThumbnail(slot);
    showResolution();
}

void MainWindow::showThumbnail(int slot) {
    const raster::RasterImage& picture = session_.thumbnail(slot);
    QLabel* label = thumbnails_[static_cast<std::size_t>(slot - 1)];
    if (picture.empty()) {
        label->clear();
    } else {
        label->setPixmap(QPixmap::fromImage(raster::toQImage(picture)));
    }
}

void MainWindow::compose() {
    if (composing()) return;
    platform::guardHandler([&] {
        if (auto missing = session_.missingFrame()) {
            platform::showMessage(*missing);
            return;
        }
        std::optional<std::string> refusal;
        {
            platform::BusyCursor busy;
            // The sheet's bleed as last set in a print preview grows the composite around the
            // trim size.
            composingBleed_.millimetres = windows::loadSheetChoice().bleedMm;
            session_.setBleed(composingBleed_.millimetres);
            composingBleed_.pixels = session_.bleedPixels();
            refusal = session_.setOutputSize(utf8(widthEdit_->text()), utf8(heightEdit_->text()));
        }
        // A size a file could hold but memory cannot: the batch tool composes it band by band.
        if (refusal && session_.sizeLimit() == interlace::OutputLimit::Memory)
            refusal =
                tr("输出尺寸太大，内存放不下！请用批处理工具 lenzora-cli 合成。").toStdString();
        if (refusal) {
            platform::showMessage(*refusal);
            return;
        }
        progressBar_->setRange(0, 200);
        outputsEnabled_ = {saveButton_->isEnabled(), printButton_->isEnabled(),
                           calibrationBox_->isEnabled()};
        enableJobControls(false);
        showEffectOf(nullptr);
        composeCursor_ = std::make_unique<platform::BusyCursor>();
        composeJob_ = std::make_unique<ComposeJob>(session_, platform::coreCount(), this,
                                                   [this] { finishCompose(); });
        progressTimer_->start();
    });
}

void MainWindow::cancelCompose() {
    if (composeJob_) composeJob_->cancel();
}

void MainWindow::finishCompose() {
    if (!composeJob_) return;  // already finished by a close
    progressTimer_->stop();
    composeJob_->wait();
    session_.publishComposite();  // the new composite; the last one again for a failed compose
    const platform::BackgroundJob::Ending ending = composeJob_->ending();
    raster::RasterImage preview = composeJob_->takePreview();
    const int reached = composeJob_->progress();
    composeJob_.reset();
    enableJobControls(true);
    // The output controls as they were until the compose shows how it ended.
    saveButton_->setEnabled(outputsEnabled_[0]);
    printButton_->setEnabled(outputsEnabled_[1]);
    calibrationBox_->setEnabled(outputsEnabled_[2]);
    endMessages_->guardHandler([&] {
        bool stopped = false;
        try {
            stopped = ending.stopped();
        } catch (...) {
            // A frame that could not be read leaves the previous composite and its controls.
            composeCursor_.reset();
            progressBar_->setValue(0);
            throw;
        }
        composeCursor_.reset();
        if (stopped) {
            // Nothing of a stopped compose is shown: no composite, preview or output controls.
            session_.discardComposite();
            preview_ = raster::RasterImage();
            previewImage_->clear();
            progressBar_->setValue(0);
            saveButton_->setEnabled(false);
            printButton_->setEnabled(false);
            calibrationBox_->setEnabled(false);
            {
                QSignalBlocker block(calibrationBox_);
                calibrationBox_->setChecked(false);
            }
            return;
        }
        progressBar_->setValue(reached);
        composedLenses_ = {settings_.mode, settings_.frameCount, settings_.pitch,
                           settings_.resolution};
        composedBleed_ = composingBleed_;
        showPreview(std::move(preview));
        endMessages_->showMessage(tr("Merge OK！").toStdString());
        saveButton_->setEnabled(true);
        printButton_->setEnabled(true);
        calibrationBox_->setEnabled(true);
        progressBar_->setValue(0);
        calibrationBox_->setChecked(false);  // runs its click handling when it was ticked
        if (std::exchange(calibrationAfterCompose_, false)) calibrationBox_->setChecked(true);
    });
    showEffectOf(session_.compositeSnapshot());
}

void MainWindow::enableJobControls(bool enabled) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{pitchGroup_, modeGroup_, sizeGroup_, composeButton_,
                                         calibrationBox_, saveButton_, printButton_}) {
        control->setEnabled(enabled);
    }
    for (QPushButton* button : slotButtons_) button->setEnabled(enabled);
    jobMenu_->setOpenEnabled(enabled);
}

void MainWindow::onCalibrationToggled() {
    platform::guardHandler([&] {
        if (session_.composite().empty()) return;
        showEffectOf(nullptr);  // the band then takes the composite's pixels in place
        session_.setCalibrationBand(calibrationBox_->isChecked());
        showEffectOf(session_.compositeSnapshot());
        showPreview(session_.calibrationPreview());
    });
}

// Saves the composite under the name chosen in the shared save dialog.
void MainWindow::saveComposite() {
    platform::guardHandler([&] {
        const std::string name = outputChoices_.chooseSaveName(
            windows::savePictureFilters(raster::SavedPicture::Composite));
        if (name.empty()) return;
        const std::shared_ptr<const raster::RasterImage> composite = session_.compositeSnapshot();
        if (!composite) return;
        output::saveComposite(*composite, platform::hostPath(name), settings_.resolution,
                              session_.compositeProfile());
        jobOutput_ = name;
    });
}

// The printer set-up, then a fresh preview of the composite as it is now; its print button
// prints that composite, whatever composes or calibration bands come after, with the
// resolution read then: alone, or as the sheet of copies the preview lays out.
void MainWindow::printComposite() {
    platform::guardHandler([&] {
        const std::shared_ptr<const raster::RasterImage> composite = session_.compositeSnapshot();
        if (!composite) return;
        outputChoices_.printerSetup();
        platform::Printer& printer = *platform::services().printer;
        windows::PrintPreviewContent content;
        content.page = {printer.printableWidth(), printer.printableHeight(),
                        outputChoices_.printerDpiX(), outputChoices_.printerDpiY()};
        content.composite = composite;
        content.resolution = settings_.resolution;
        content.bleedPixels = composedBleed_.pixels;
        content.bleedMm = composedBleed_.millimetres;
        content.label = sheetLabel(*composite);
        windows::PrintPreviewActions actions;
        actions.printComposite = [this, composite] {
            output::printComposite(*composite, settings_.resolution, outputChoices_.printerDpiX(),
                                   outputChoices_.printerDpiY());
        };
        // The sheet is planned at the resolution of the preview's opening: its copies keep it.
        actions.printSheet = [this, composite, resolution = content.resolution,
                              label = content.label](const output::SheetPlan& plan) {
            output::printSheet(*composite, resolution, plan, label, outputChoices_.printerDpiX(),
                               outputChoices_.printerDpiY());
        };
        actions.saveSheet = [this, composite, resolution = content.resolution,
                             label = content.label,
                             profile = session_.compositeProfile()](const output::SheetPlan& plan) {
            const std::string name =
                platform::services().savePicture->choose(sheetSaveFilters(), sheetSaveName_);
            if (name.empty()) return;
            sheetSaveName_ = name;
            output::saveSheet(plan, *composite, resolution, profile, label,
                              platform::hostPath(name));
        };
        auto* preview =
            new windows::PrintPreviewWindow(this, std::move(content), std::move(actions));
        preview->show();
    });
}

// The label line of a sheet: frames, pitch and resolution of the last compose, the trim size
// (the composite without its bleed) and today's date.
std::string MainWindow::sheetLabel(const raster::RasterImage& composite) const {
    return output::sheetLabel({composedLenses_.frameCount, composedLenses_.pitch,
                               composedLenses_.resolution,
                               composite.width() - 2 * composedBleed_.pixels,
                               composite.height() - 2 * composedBleed_.pixels});
}

// previewImage_ shows the preview proportionally, centred in the panel, shrunk when it is larger.
void MainWindow::showPreview(raster::RasterImage preview) {
    preview_ = std::move(preview);
    const raster::RasterImage& picture = preview_;
    raster::DisplayFlags flags;
    flags.proportional = true;
    flags.centre = true;
    const raster::Rect place = raster::fitToArea(
        picture.width(), picture.height(), previewImage_->width(), previewImage_->height(), flags);
    const auto w = static_cast<std::int32_t>(place.width());
    const auto h = static_cast<std::int32_t>(place.height());
    if (w == picture.width() && h == picture.height()) {
        previewImage_->setPixmap(QPixmap::fromImage(raster::toQImage(picture)));
        return;
    }
    raster::RasterImage shown;
    shown.create(raster::PixelFormat::Bgr24, w, h);
    shown.stretchImage({0, 0, w, h}, picture);
    previewImage_->setPixmap(QPixmap::fromImage(raster::toQImage(shown)));
}

void MainWindow::openEffect() {
    std::shared_ptr<const raster::RasterImage> composite = session_.compositeSnapshot();
    if (!composite || composing()) return;
    if (!effectWindow_) effectWindow_ = new windows::EffectWindow(this);
    effectWindow_->show();  // first: the views are made for the size it is shown at
    effectWindow_->raise();
    effectWindow_->activateWindow();
    effectWindow_->showComposite(std::move(composite), composedLenses_);
}

void MainWindow::showEffectOf(std::shared_ptr<const raster::RasterImage> composite) {
    effectButton_->setEnabled(composite != nullptr);
    if (!effectWindow_ || !effectWindow_->isVisible()) return;
    if (composite) {
        effectWindow_->showComposite(std::move(composite), composedLenses_);
    } else {
        effectWindow_->clear();
    }
}

// Every click opens a new window, owned by this one and kept until the program ends.
void MainWindow::showHelp() {
    auto* window = new windows::HelpWindow(this);
    window->show();
}

void MainWindow::showAbout() {
    auto* window = new windows::AboutWindow(this);
    window->useDialogBorder();
    window->show();
}

windows::PitchChartWindow* MainWindow::createChartWindow() {
    auto* window = new windows::PitchChartWindow(this, outputChoices_, chart_,
                                                 [this] { return settings_.pitch; });
    currentChartWindow_ = window;
    return window;
}

windows::PitchChartWindow* MainWindow::currentChartWindow() const { return currentChartWindow_; }

// "现在测量": a fresh chart window each time, expecting the sheet's current pitch.
void MainWindow::openPitchChart() {
    windows::PitchChartWindow* window = createChartWindow();
    window->show();
    window->setExpectedPitch(settings_.pitch);
}

void MainWindow::openWebAddress() { platform::openMakerWebPage(); }

// Enter composes unless another button has the focus, as a default button does; Escape stops
// a running compose.
void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && composing()) {
        cancelCompose();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        if (focused && focused->isEnabled()) {
            focused->click();
        } else {
            composeButton_->click();
        }
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

// The width and height boxes recompute when the key that changed their text is released; the
// flag is taken before the handler runs, as its message box may take further key releases.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
        if (watched == widthEdit_ && std::exchange(widthTyped_, false)) onWidthEdited();
        if (watched == heightEdit_ && std::exchange(heightTyped_, false)) onHeightEdited();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace lenzora::app
