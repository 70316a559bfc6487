#pragma once
// The effect window's picture: one view, fitted to the control with its shape kept and centred;
// pressing and dragging the mouse across it picks the viewing position under the pointer.

#include <QImage>
#include <QRect>
#include <QWidget>

namespace lenzora::windows {

class ViewCanvas : public QWidget {
    Q_OBJECT
  public:
    explicit ViewCanvas(QWidget* parent);

    // The view to show, drawn scaled when it was made for another size; a null image shows
    // nothing.
    void setImage(QImage image);
    const QImage& image() const { return image_; }
    // Whether the pointer picks the position along the height (rows mode) or the width.
    void setAlongHeight(bool alongHeight) { alongHeight_ = alongHeight; }
    // Where the image lands in the control.
    QRect pictureRect() const;

  signals:
    // The pointer, pressed or dragged, stands at `fraction` (0 ... just below 1) of the way
    // across the picture.
    void positionPicked(double fraction);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void pick(QPointF point);

    QImage image_;
    bool alongHeight_ = false;
};

}  // namespace lenzora::windows
