#pragma once
// An up-down beside an edit box: its arrows step the box's whole number by 1 within the
// limits, while typed text stays unrestricted.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace lenzora::windows {

class UpDown : public QWidget {
    Q_OBJECT
public:
    // Placed against the right edge of `buddy`, as tall as it.
    UpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent);

    // One arrow press: the box's text read as a whole number (the last position when it is
    // none), moved by `steps` and held within the limits, written back.
    void stepBy(int steps);
    int position() const { return position_; }

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

private:
    QLineEdit* buddy_;
    QToolButton* up_;
    QToolButton* down_;
    int minimum_;
    int maximum_;
    int position_ = 0;
};

}  // namespace lenzora::windows
