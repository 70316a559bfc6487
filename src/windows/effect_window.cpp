#include "windows/effect_window.h"

#include <QCloseEvent>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/handler_guard.h"
#include "platform/qt/named_child.h"
#include "platform/translation.h"
#include "raster/fit.h"
#include "raster/qimage_conversion.h"
#include "windows/view_canvas.h"

namespace lenzora::windows {

namespace {

using platform::namedChild;
using PreviewFuture = QFutureWatcher<std::shared_ptr<const interlace::ViewPreview>>;

constexpr int kSliderSteps = 1000;  // the slider's positions over one lens
constexpr int kSwingInterval = 40;  // milliseconds: 25 views a second at most
constexpr int kSettleDelay = 250;   // milliseconds a new size must hold before a rebuild

}  // namespace

EffectWindow::EffectWindow(QWidget* owner) : QWidget(owner) {
    setObjectName(QStringLiteral("effectWindow"));
    setWindowFlags(Qt::Window);
    setWindowTitle(tr("效果预览"));
    buildControls();
    resize(900, 700);

    playTimer_ = new QTimer(this);
    playTimer_->setInterval(kSwingInterval);
    connect(playTimer_, &QTimer::timeout, this, &EffectWindow::swing);
    // A window being resized gets a new reduced copy once its size holds; until then the last
    // view is drawn scaled.
    settleTimer_ = new QTimer(this);
    settleTimer_->setSingleShot(true);
    settleTimer_->setInterval(kSettleDelay);
    connect(settleTimer_, &QTimer::timeout, this, &EffectWindow::buildPreview);
}

// A build still running finishes on its worker and is dropped with its watcher.
EffectWindow::~EffectWindow() = default;

void EffectWindow::buildControls() {
    canvas_ = namedChild<ViewCanvas>(this, "viewCanvas");
    positionSlider_ = namedChild<QSlider>(this, "positionSlider", Qt::Horizontal);
    positionSlider_->setRange(0, kSliderSteps - 1);
    positionSlider_->setFocusPolicy(Qt::NoFocus);  // the arrow keys step views, not the slider
    frameLabel_ = namedChild<QLabel>(this, "frameLabel");
    frameLabel_->setMinimumWidth(140);
    playButton_ = namedChild<QPushButton>(this, "playButton", tr("播放"));
    playButton_->setFocusPolicy(Qt::NoFocus);  // Space plays wherever the focus is
    auto* speedCaption = namedChild<QLabel>(this, "speedCaption", tr("速度（帧/秒）："));
    speedBox_ = namedChild<QSpinBox>(this, "speedBox");
    speedBox_->setRange(1, 1000 / kSwingInterval);
    speedBox_->setValue(4);
    auto* pitchCaption = namedChild<QLabel>(this, "sheetPitchCaption", tr("光栅片实际线距："));
    sheetPitchEdit_ = namedChild<QLineEdit>(this, "sheetPitchEdit");
    sheetPitchEdit_->setMaximumWidth(100);
    pitchMessage_ = namedChild<QLabel>(this, "pitchMessage");
    pitchMessage_->setStyleSheet(QStringLiteral("color: red;"));

    auto* tilt = new QHBoxLayout;
    tilt->addWidget(positionSlider_, 1);
    tilt->addWidget(frameLabel_);
    auto* options = new QHBoxLayout;
    options->addWidget(playButton_);
    options->addWidget(speedCaption);
    options->addWidget(speedBox_);
    options->addSpacing(24);
    options->addWidget(pitchCaption);
    options->addWidget(sheetPitchEdit_);
    options->addWidget(pitchMessage_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(canvas_, 1);
    layout->addLayout(tilt);
    layout->addLayout(options);

    connect(positionSlider_, &QSlider::valueChanged, this,
            [this](int value) { setPosition(static_cast<double>(value) / kSliderSteps); });
    connect(canvas_, &ViewCanvas::positionPicked, this, &EffectWindow::setPosition);
    connect(playButton_, &QPushButton::clicked, this, &EffectWindow::togglePlaying);
    connect(sheetPitchEdit_, &QLineEdit::textEdited, this, &EffectWindow::onSheetPitchEdited);
    canvas_->setFocus();
}

void EffectWindow::showComposite(std::shared_ptr<const raster::RasterImage> composite,
                                 const PrintLenses& print) {
    if (composite == composite_ && print == print_) return;
    composite_ = std::move(composite);
    builtSize_ = QSize();
    if (print != print_) {
        // Another print: the sheet is taken to be of its pitch until told otherwise.
        print_ = print;
        canvas_->setAlongHeight(print_.mode == core::kModeRows);
        positionSlider_->setPageStep(kSliderSteps / print_.frameCount);
        sheetPitchEdit_->setText(QString::fromStdString(core::formatFixed(print_.pitch)));
        onSheetPitchEdited();
    }
    if (position_ < 0) position_ = interlace::viewPosition(1, print_.frameCount);
    buildPreview();
    setPosition(position_);  // the label counts the new frames
}

void EffectWindow::clear() {
    ++request_;  // a build still running is dropped when it ends
    building_ = false;
    builtSize_ = QSize();
    composite_.reset();
    preview_.reset();
    view_ = raster::RasterImage();
    canvas_->setImage(QImage());
    frameLabel_->clear();
    playTimer_->stop();
    playButton_->setText(tr("播放"));
}

bool EffectWindow::playing() const { return playTimer_->isActive(); }

QSize EffectWindow::viewSize() const {
    raster::DisplayFlags fit;
    fit.stretch = true;
    fit.proportional = true;
    const raster::Rect place = raster::fitToArea(composite_->width(), composite_->height(),
                                                 canvas_->width(), canvas_->height(), fit);
    return {std::max(1, static_cast<int>(place.width())),
            std::max(1, static_cast<int>(place.height()))};
}

void EffectWindow::buildPreview() {
    if (!composite_ || !isVisible()) return;
    const QSize size = viewSize();
    if (size == builtSize_) return;
    builtSize_ = size;
    building_ = true;
    const std::uint64_t request = ++request_;
    auto* watcher = new PreviewFuture(this);
    connect(watcher, &PreviewFuture::finished, this, [this, watcher, request] {
        watcher->deleteLater();
        if (request != request_) return;  // a newer composite or size was asked for since
        building_ = false;
        platform::guardHandler([&] {
            preview_ = watcher->result();
            redraw();
        });
    });
    // The worker reads the snapshot it was given, which nothing writes, and hands back the
    // reduced copy whole.
    watcher->setFuture(QtConcurrent::run(
        [composite = composite_, mode = print_.mode, width = size.width(), height = size.height()] {
            return std::make_shared<const interlace::ViewPreview>(*composite, mode, width, height);
        }));
}

void EffectWindow::setPosition(double position) {
    position_ = position;
    {
        const QSignalBlocker quiet(positionSlider_);
        positionSlider_->setValue(
            std::min(static_cast<int>(std::floor(position * kSliderSteps)), kSliderSteps - 1));
    }
    frameLabel_->setText(tr("第 %1 帧，共 %2 帧")
                             .arg(interlace::frameAt(position_, print_.frameCount))
                             .arg(print_.frameCount));
    redraw();
}

// From the view under the position to the middle of the next (previous) one.
void EffectWindow::stepView(int steps) {
    const int n = print_.frameCount;
    const int k = std::clamp(interlace::frameAt(position_, n) + steps, 1, n);
    setPosition(interlace::viewPosition(k, n));
}

void EffectWindow::togglePlaying() {
    if (playing()) {
        playTimer_->stop();
        playButton_->setText(tr("播放"));
    } else if (composite_) {
        playTimer_->start();
        playButton_->setText(tr("暂停"));
    }
}

// One step of the swing between the middles of the first and the last view, turning at each.
void EffectWindow::swing() {
    const int n = print_.frameCount;
    const double first = interlace::viewPosition(1, n);
    const double last = interlace::viewPosition(n, n);
    double next = position_ + direction_ * speedBox_->value() * (kSwingInterval / 1000.0) / n;
    if (next > last) {
        next = 2 * last - next;
        direction_ = -1;
    } else if (next < first) {
        next = 2 * first - next;
        direction_ = 1;
    }
    setPosition(std::clamp(next, first, last));
}

// Q = R / sheet pitch. Text that is no pitch above 0, or a sheet whose lenses would be narrower
// than a print pixel, is named beside the box and the last good sheet stays.
void EffectWindow::onSheetPitchEdited() {
    const auto pitch = core::parseDecimal(sheetPitchEdit_->text().trimmed().toStdString());
    if (!pitch || !std::isfinite(static_cast<double>(*pitch)) || *pitch <= 0) {
        pitchMessage_->setText(tr("线距须为大于 0 的数"));
        return;
    }
    const long double period = core::fromFixed(print_.resolution) / *pitch;
    if (!(period >= 1)) {
        pitchMessage_->setText(QString::fromStdString(
            platform::translate("lenzora::interlace", interlace::kSheetPeriodTooSmall)));
        return;
    }
    pitchMessage_->clear();
    sheetPeriod_ = static_cast<double>(period);
    redraw();
}

void EffectWindow::redraw() {
    if (!preview_) return;
    view_ = preview_->view(sheetPeriod_, position_);
    canvas_->setImage(raster::toQImage(view_));
}

void EffectWindow::keyPressEvent(QKeyEvent* event) {
    const bool rows = print_.mode == core::kModeRows;
    const int key = event->key();
    if (key == (rows ? Qt::Key_Down : Qt::Key_Right)) {
        stepView(1);
    } else if (key == (rows ? Qt::Key_Up : Qt::Key_Left)) {
        stepView(-1);
    } else if (key == Qt::Key_Space) {
        togglePlaying();
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void EffectWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (composite_) settleTimer_->start();
}

void EffectWindow::closeEvent(QCloseEvent* event) {
    clear();
    QWidget::closeEvent(event);
}

}  // namespace lenzora::windows
