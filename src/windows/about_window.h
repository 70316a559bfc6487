#pragma once
// The about window, also the start-up splash: a picture with an invisible hot area over
// the maker's web address, and a timer that fires once, 2000 ms after creation.

#include <QWidget>

class QLabel;
class QTimer;

namespace lenzora::windows {

class HotArea;

class AboutWindow : public QWidget {
    Q_OBJECT
public:
    // The splash keeps the window's own borderless, always-on-top style.
    explicit AboutWindow(QWidget* owner = nullptr);

    // As opened by "关于(&A)": a single fixed border with only the close icon.
    void useDialogBorder();

    bool timerHasFired() const { return timerFired_; }

public slots:
    void Timer1Timer();
    void Shape1MouseDown();
    void Shape1ContextPopup();

signals:
    void timerFired();

private:
    QLabel* Image1 = nullptr;
    HotArea* Shape1 = nullptr;
    QTimer* Timer1 = nullptr;
    bool timerFired_ = false;
};

}  // namespace lenzora::windows
