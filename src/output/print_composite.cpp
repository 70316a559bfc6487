#include "output/print_composite.h"

#include "output/print_image.h"
#include "output/print_layout.h"
#include "platform/services.h"

namespace lenzora::output {

void printComposite(const raster::RasterImage& composite, core::FixedCount resolution, int dpiX,
                    int dpiY) {
    platform::Printer& printer = *platform::services().printer;
    const PrinterPage page{printer.printableWidth(), printer.printableHeight(), dpiX, dpiY};
    printer.startDocument();
    printStretched(printer, composite,
                   printRectangle(page, composite.width(), composite.height(), resolution));
    printer.endDocument();
}

}  // namespace lenzora::output
