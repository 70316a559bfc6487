#include "app/start_up.h"

#include <QCoreApplication>

#include "windows/about_window.h"

namespace lenzora::app {

std::unique_ptr<MainWindow> startProgram() {
    auto form = std::make_unique<MainWindow>();
    form->createChartWindow();  // the chart window, hidden until asked for

    // The splash: shown at once, events processed (its hot area works) until its timer
    // has fired once, then destroyed before the main window appears.
    auto splash = std::make_unique<windows::AboutWindow>();
    splash->show();
    splash->repaint();
    while (!splash->timerHasFired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    splash->hide();
    splash.reset();

    form->show();
    return form;
}

}  // namespace lenzora::app
