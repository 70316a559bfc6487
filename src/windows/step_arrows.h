#pragma once
// A pair of arrows beside an edit box: they step the box's whole number by 1 within the
// limits, while typed text stays unrestricted.

#include <QWidget>

class QLineEdit;

namespace lenzora::windows {

class StepArrows : public QWidget {
    Q_OBJECT
  public:
    // Placed against the right edge of `buddy`, as tall as it.
    StepArrows(QLineEdit* buddy, int minimum, int maximum, QWidget* parent);

    // One arrow press: the box's text read as a whole number (the last position when it is
    // none), moved by `steps` and held within the limits, written back.
    void stepBy(int steps);

  private:
    QLineEdit* buddy_;
    int minimum_;
    int maximum_;
    int position_ = 0;
};

}  // namespace lenzora::windows
