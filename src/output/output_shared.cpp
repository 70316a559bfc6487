#include "output/output_shared.h"

#include "platform/services.h"

namespace lenzora {

std::string OutputShared::chooseSaveName() {
    std::string name = platform::services().savePicture->choose(lastSaveName_);
    if (!name.empty()) lastSaveName_ = name;
    return name;
}

void OutputShared::printerSetup() {
    platform::Printer& printer = *platform::services().printer;
    printer.selectDefault();
    printer.showSetupDialog();
    printerDpiX_ = printer.horizontalDpi();
    printerDpiY_ = printer.verticalDpi();
}

}  // namespace lenzora
