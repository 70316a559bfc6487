#pragma once
// A pair of arrows beside an edit box: they step the box's number by 1 within the limits,
// keeping its decimals (42.275 -> 43.275), while typed text stays unrestricted.

#include <QWidget>

class QLineEdit;

namespace lenzora::windows {

class StepArrows : public QWidget {
    Q_OBJECT
  public:
    // Placed against the right edge of `buddy`, as tall as it.
    StepArrows(QLineEdit* buddy, int minimum, int maximum, QWidget* parent);

    // One arrow press: the box's number (the last one the arrows knew when the text is none),
    // moved by `steps`, held within the limits and written back in the general number form.
    void stepBy(int steps);

  private:
    QLineEdit* buddy_;
    int minimum_;
    int maximum_;
    long double position_ = 0;
};

}  // namespace lenzora::windows
