#include "output/output_choices.h"

#include "platform/services.h"

namespace lenzora::output {

std::string OutputChoices::chooseSaveName(const std::vector<platform::FileFilter>& filters) {
    std::string name = platform::services().savePicture->choose(filters, lastSaveName_);
    if (!name.empty()) lastSaveName_ = name;
    return name;
}

void OutputChoices::printerSetup() {
    platform::Printer& printer = *platform::services().printer;
    printer.selectDefault();
    printer.showSetupDialog();
    printerDpiX_ = printer.horizontalDpi();
    printerDpiY_ = printer.verticalDpi();
}

}  // namespace lenzora::output
