#pragma once
// A label that reports clicks, as the link label and the status bar do.

#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>

namespace lenzora::app {

class ClickableLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            emit clicked();
        }
        QLabel::mouseReleaseEvent(event);
    }
};

class ClickableStatusBar : public QStatusBar {
    Q_OBJECT
  public:
    using QStatusBar::QStatusBar;

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) emit clicked();
        QStatusBar::mouseReleaseEvent(event);
    }
};

}  // namespace lenzora::app
