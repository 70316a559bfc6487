#pragma once
// The boxes that end work running behind the window ("Merge OK！", a compose's error): shown at
// once while the window is the active one, otherwise held until it is next activated, so that
// a box never comes up over another window and takes a keystroke meant for it.

#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace lenzora::app {

class HeldMessages : public QObject {
    Q_OBJECT
  public:
    // Watches `window`'s activation; owned by it.
    explicit HeldMessages(QWidget* window);

    void showMessage(const std::string& text);
    // Runs `handler` as platform::guardHandler does, its error shown or held as above.
    bool guardHandler(const std::function<void()>& handler);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Held {
        bool error = false;
        std::string text;
    };
    void showOrHold(Held box);
    void showHeld();

    QWidget* window_;
    std::vector<Held> held_;
};

}  // namespace lenzora::app
