#pragma once
// Alt+letter while a box has the focus: when the letter is the accelerator of a disabled
// button, the key press is swallowed. Otherwise the box takes it as typing ("287s"), or a
// list box selects the entry starting with the letter ("Pixels" for Alt+P).

#include <QObject>

class QWidget;

namespace lenzora::app {

class DisabledAccelerators : public QObject {
    Q_OBJECT
  public:
    // Checks against the buttons of `window` as they are at each key press.
    explicit DisabledAccelerators(QWidget* window);

    // Guards the key presses that reach `box`.
    void watch(QWidget* box);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
};

}  // namespace lenzora::app
