#include "testchart/print_pitch_chart.h"

#include "app/numbers.h"
#include "output/print_image.h"
#include "platform/services.h"

namespace lenzora::testchart {

raster::Rect centredChartRect(std::int32_t chartWidth, std::int32_t chartHeight,
                              std::int32_t pageWidth, std::int32_t pageHeight) {
    const long double w = chartWidth;
    const long double h = chartHeight;
    const long double pw = pageWidth;
    const long double ph = pageHeight;
    return raster::Rect{toPixelCount((pw - w) / 2, Rounding::Nearest),
                        toPixelCount((ph - h) / 2, Rounding::Nearest),
                        toPixelCount((w + pw) / 2, Rounding::Nearest),
                        toPixelCount((h + ph) / 2, Rounding::Nearest)};
}

void PrintPitchChart(OutputShared& output, const ChartState& chart) {
    if (!chart.exists()) return;
    output.printerSetup();
    // The chart's own resolution, not whatever the DPI box says now: a chart printed at
    // another resolution would come out at the wrong size with every label wrong.
    if (output.printerDpiX() != chart.resolution) {
        ShowMessage(kPrinterDpiWrong);
        return;
    }
    platform::Printer& printer = *platform::services().printer;
    printer.startDocument();
    printStretched(printer, chart.image,
                   centredChartRect(chart.image.width(), chart.image.height(),
                                    printer.printableWidth(), printer.printableHeight()));
    printer.endDocument();
}

}  // namespace lenzora::testchart
