#include "windows/view_canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "raster/fit.h"

namespace lenzora::windows {

ViewCanvas::ViewCanvas(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);  // the arrow keys tilt while the picture has the focus
    setAutoFillBackground(true);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, QColor(48, 48, 48));
    setPalette(dark);
}

void ViewCanvas::setImage(QImage image) {
    image_ = std::move(image);
    update();
}

QRect ViewCanvas::pictureRect() const {
    if (image_.isNull()) return {};
    raster::DisplayFlags fit;
    fit.stretch = true;
    fit.proportional = true;
    fit.centre = true;
    const raster::Rect place =
        raster::fitToArea(image_.width(), image_.height(), width(), height(), fit);
    return {static_cast<int>(place.left), static_cast<int>(place.top),
            static_cast<int>(place.width()), static_cast<int>(place.height())};
}

void ViewCanvas::paintEvent(QPaintEvent* /*event*/) {
    if (image_.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(pictureRect(), image_);
}

void ViewCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) pick(event->position());
}

void ViewCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) pick(event->position());
}

void ViewCanvas::pick(QPointF point) {
    const QRect picture = pictureRect();
    if (picture.isEmpty()) return;
    const double offset = alongHeight_ ? point.y() - picture.top() : point.x() - picture.left();
    const double extent = alongHeight_ ? picture.height() : picture.width();
    // Position 1 is the next lens's 0: the far edge stays just inside this lens.
    emit positionPicked(std::clamp(offset / extent, 0.0, std::nextafter(1.0, 0.0)));
}

}  // namespace lenzora::windows
