// The desktop program: an empty application title (blank message box captions), the
// desktop's interface language, the Windows font names mapped to installed faces, then the
// start-up with its splash screen.

#include <QApplication>
#include <QIcon>

#include "app/start_up.h"
#include "platform/qt/font_substitutions.h"
#include "platform/qt/qt_services.h"
#include "platform/translation.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lenzora"));
    QApplication::setApplicationDisplayName(QString());
    QApplication::setDesktopFileName(QStringLiteral("lenzora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/lenzora.png")));
    lenzora::platform::useLanguage(lenzora::platform::desktopLanguage());
    lenzora::platform::registerFontSubstitutions();
    lenzora::platform::ScopedServices services(lenzora::platform::qtServices());

    std::unique_ptr<lenzora::app::MainWindow> form = lenzora::app::startProgram();
    return QApplication::exec();
}
