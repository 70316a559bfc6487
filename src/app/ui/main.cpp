// The desktop program: an empty application title (blank message box captions), the
// Windows font names mapped to installed faces, then the main window.

#include <QApplication>

#include "app/ui/TForm1.h"
#include "platform/qt/font_substitutions.h"
#include "platform/qt/qt_services.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lenzora"));
    QApplication::setApplicationDisplayName(QString());
    lenzora::platform::registerFontSubstitutions();
    lenzora::platform::ScopedServices services(lenzora::platform::qtServices());

    lenzora::ui::TForm1 form;
    form.show();
    return QApplication::exec();
}
