// The desktop program: an empty application title (blank message box captions), the
// desktop's interface language, the Windows font names mapped to installed faces, then the
// start-up with its splash screen. Ctrl-C and SIGTERM end the program as its close does for
// the working files: they are removed, and the exit status is the shell's 128 + the signal's
// number.

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <cstdio>
#include <optional>
#include <string_view>

#include "app/start_up.h"
#include "core/working_files.h"
#include "platform/interruption.h"
#include "platform/qt/font_substitutions.h"
#include "platform/qt/qt_services.h"
#include "platform/translation.h"
#include "platform/version.h"

namespace {

// Also the manual page's source: its sections come from the headings.
constexpr const char* kHelp =
    "Usage: lenzora [--help | --version]\n"
    "\n"
    "Prepares lenticular prints in a window: interlaces 2 to 16 frames into one picture for\n"
    "a 3D or flip print, picks the resolution that gives every frame whole pixels under\n"
    "each lens, saves and prints it at its true size, and makes the pitch test chart that\n"
    "finds a lens sheet's true pitch. The batch tool lenzora-cli does the same work without\n"
    "a window.\n"
    "\n"
    "Options:\n"
    "  --help     Shows this help.\n"
    "  --version  Shows the version.\n"
    "\n"
    "Environment:\n"
    "  LENZORA_LANG              zh or en: the interface's language, over the desktop's.\n"
    "  LENZORA_MAX_FRAME_PIXELS  Refuses frames of more pixels (500000000).\n";

}  // namespace

int main(int argc, char** argv) {
    // Answered before the application is made, which needs a display.
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--version") {
            std::printf("lenzora %s\n", lenzora::platform::kVersion);
            return 0;
        }
        if (std::string_view(argv[i]) == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        }
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lenzora"));
    QApplication::setApplicationDisplayName(QString());
    // The desktop file's name: Wayland matches the window to its icon by it.
    QApplication::setDesktopFileName(QStringLiteral("io.github.lenzora.Lenzora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/lenzora.png")));
    lenzora::platform::useLanguage(lenzora::platform::desktopLanguage());
    lenzora::platform::registerFontSubstitutions();
    lenzora::platform::ScopedServices services(lenzora::platform::qtServices());

    lenzora::platform::catchInterruptions();
    std::optional<QSocketNotifier> signalled;
    if (const int descriptor = lenzora::platform::interruptionDescriptor(); descriptor >= 0) {
        signalled.emplace(descriptor, QSocketNotifier::Read);
        QObject::connect(&*signalled, &QSocketNotifier::activated, [&signalled] {
            signalled->setEnabled(false);
            QApplication::exit();
        });
    }

    std::unique_ptr<lenzora::app::MainWindow> form = lenzora::app::startProgram();
    // A signal during the splash finds no event loop to leave yet.
    const int status = lenzora::platform::interruptionSignal() == 0 ? QApplication::exec() : 0;
    if (const int signal = lenzora::platform::interruptionSignal(); signal != 0) {
        form.reset();
        lenzora::core::removeWorkingFiles();
        return 128 + signal;
    }
    return status;
}
