// lenzora-cli: the program's computations without a window, for batch work and scripts.

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli/chart_command.h"
#include "cli/cli_options.h"
#include "cli/compose_command.h"
#include "cli/proof_command.h"
#include "cli/settings_command.h"
#include "platform/interruption.h"
#include "platform/translation.h"
#include "platform/version.h"

namespace {

// Every command's own usage lines, as its --help starts, so that the overview lists all the
// options each takes.
std::string usageText() {
    constexpr std::string_view kLead = "usage: ";
    constexpr std::size_t kShift = kLead.size() - 2;  // "usage: " gives way to an indent of two
    std::string text = "usage:\n";
    for (const char* synopsis : {lenzora::cli::composeSynopsis(), lenzora::cli::proofSynopsis(),
                                 lenzora::cli::chartSynopsis(), lenzora::cli::settingsSynopsis()}) {
        std::string lines = "  " + std::string(std::string_view(synopsis).substr(kLead.size()));
        // The lines after the first lose as much of their indent.
        for (std::size_t at = lines.find('\n'); at != std::string::npos;
             at = lines.find('\n', at + 1)) {
            lines.erase(at + 1, kShift);
        }
        text += lines + '\n';
    }
    return text + "  lenzora-cli COMMAND --help\n  lenzora-cli --version\n";
}

int usage(const std::string& problem) {
    if (!problem.empty()) std::fprintf(stderr, "lenzora-cli: %s\n", problem.c_str());
    std::fputs(usageText().c_str(), stderr);
    return 2;
}

}  // namespace

// The toolkit's own notices (drawing the chart's labels starts it) are no business of the
// batch tool's users; its errors reach them as the program's texts.
void quietToolkit(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg)
        std::fprintf(stderr, "lenzora-cli: %s\n", message.toLocal8Bit().constData());
}

int main(int argc, char** argv) {
    qInstallMessageHandler(quietToolkit);
    // Ctrl-C and SIGTERM unwind the work, so its temporary files and folder go with it.
    lenzora::platform::catchInterruptions();
    // Errors speak the desktop's language as the window does; usage and help are English.
    lenzora::platform::useLanguage(lenzora::platform::desktopLanguage());
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage("");
    const std::string command = args.front();
    args.erase(args.begin());
    try {
        if (command == "settings") return lenzora::cli::runSettings(args);
        if (command == "compose") return lenzora::cli::runCompose(args);
        if (command == "chart") return lenzora::cli::runChart(args);
        if (command == "proof") return lenzora::cli::runProof(args);
        if (command == "--help" || command == "-h") {
            std::fputs(usageText().c_str(), stdout);
            return 0;
        }
        if (command == "--version") {
            std::printf("lenzora-cli %s\n", lenzora::platform::kVersion);
            return 0;
        }
        return usage("unknown command " + command);
    } catch (const lenzora::platform::Interrupted& e) {
        return e.exitStatus();
    } catch (const lenzora::cli::UsageError& e) {
        return usage(e.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "lenzora-cli: Out of memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lenzora-cli: %s\n", e.what());
    }
    return 1;
}
