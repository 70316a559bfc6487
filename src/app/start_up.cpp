#include "app/start_up.h"

#include <QCoreApplication>

#include "platform/handler_guard.h"
#include "raster/size_limit.h"

namespace lenzora::app {

std::unique_ptr<MainWindow> startProgram(std::chrono::milliseconds splashDuration) {
    auto form = std::make_unique<MainWindow>();
    form->createChartWindow();  // the chart window, hidden until asked for

    // The splash: shown at once, events processed (its web address area works) until its
    // duration is over, then destroyed before the main window appears.
    auto splash = std::make_unique<windows::AboutWindow>(nullptr, splashDuration);
    bool over = false;
    QObject::connect(splash.get(), &windows::AboutWindow::splashOver, splash.get(),
                     [&over] { over = true; });
    splash->show();
    splash->repaint();
    while (!over) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    splash->hide();
    splash.reset();

    form->show();
    // A mistyped pixel ceiling is reported, not ignored; frames are then held to the default.
    platform::guardHandler(raster::checkMaxPixelsVariable);
    return form;
}

}  // namespace lenzora::app
