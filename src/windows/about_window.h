#pragma once
// The about window, also the start-up splash: a picture with an invisible area over the
// maker's web address, and a timer that fires once, the splash duration after creation.

#include <QWidget>
#include <chrono>

class QLabel;
class QTimer;

namespace lenzora::windows {

class LinkArea;

class AboutWindow : public QWidget {
    Q_OBJECT
  public:
    // How long the start-up shows the splash before the main window appears.
    static constexpr std::chrono::milliseconds kSplashDuration{2000};

    // Borderless and always on top, as the splash shows it. `splashDuration` is when
    // splashOver() comes.
    explicit AboutWindow(QWidget* owner = nullptr,
                         std::chrono::milliseconds splashDuration = kSplashDuration);

    // As opened by "关于(&A)": a single fixed border with only the close icon, still on top.
    void useDialogBorder();

  signals:
    // Once, the splash duration after creation; the start-up then ends the splash. The window
    // itself stays open.
    void splashOver();

  private slots:
    void openWebAddress();

  private:
    QLabel* picture_ = nullptr;
    LinkArea* webAddressArea_ = nullptr;
    QTimer* splashTimer_ = nullptr;
};

}  // namespace lenzora::windows
