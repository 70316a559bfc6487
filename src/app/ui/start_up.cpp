#include "app/ui/start_up.h"

#include <QCoreApplication>

#include "help/TForm5.h"

namespace lenzora::ui {

std::unique_ptr<TForm1> startProgram() {
    auto form = std::make_unique<TForm1>();
    form->createChartWindow();  // the chart window, hidden until asked for

    // The splash: shown at once, events processed (its hot area works) until its timer
    // has fired once, then destroyed before the main window appears.
    auto splash = std::make_unique<help::TForm5>();
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

}  // namespace lenzora::ui
