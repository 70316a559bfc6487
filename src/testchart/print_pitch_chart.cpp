#include "testchart/print_pitch_chart.h"

#include "core/numbers.h"
#include "output/print_image.h"
#include "platform/services.h"
#include "platform/translation.h"

namespace lenzora::testchart {

raster::Rect centredChartRect(std::int32_t chartWidth, std::int32_t chartHeight,
                              std::int32_t pageWidth, std::int32_t pageHeight) {
    // The left and top edges round half to even; the right and bottom edges follow at the
    // chart's own size. Rounding them apart would make the rectangle a dot wider or narrower
    // than the chart when a margin is odd, and the stretch would then double or merge a
    // column of bars somewhere on the page.
    const std::int32_t left = core::toPixelCount(
        (static_cast<long double>(pageWidth) - chartWidth) / 2, core::Rounding::Nearest);
    const std::int32_t top = core::toPixelCount(
        (static_cast<long double>(pageHeight) - chartHeight) / 2, core::Rounding::Nearest);
    return raster::Rect{left, top, left + chartWidth, top + chartHeight};
}

void printPitchChart(output::OutputChoices& output, const ChartState& chart) {
    if (!chart.exists()) return;
    output.printerSetup();
    // The chart's own resolution, not whatever the DPI box says now: a chart printed at
    // another resolution would come out at the wrong size with every label wrong.
    if (output.printerDpiX() != chart.resolution) {
        platform::showMessage(platform::translate("lenzora::testchart", kPrinterDpiWrong));
        return;
    }
    platform::Printer& printer = *platform::services().printer;
    printer.startDocument();
    output::printStretched(printer, chart.image,
                           centredChartRect(chart.image.width(), chart.image.height(),
                                            printer.printableWidth(), printer.printableHeight()));
    printer.endDocument();
}

}  // namespace lenzora::testchart
