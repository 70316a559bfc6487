#pragma once

#include <QtGlobal>
// Printing the chart one dot per chart pixel, centred on the page.

#include "output/output_choices.h"
#include "raster/raster_image.h"
#include "testchart/chart_state.h"

namespace lenzora::testchart {

inline constexpr const char* kPrinterDpiWrong =
    QT_TRANSLATE_NOOP("lenzora::testchart", "打印机DPI设置不对!");

// Where the chart lands on a printable area of pageWidth × pageHeight device pixels: centred,
// exactly the chart's size.
raster::Rect centredChartRect(std::int32_t chartWidth, std::int32_t chartHeight,
                              std::int32_t pageWidth, std::int32_t pageHeight);

// Does nothing before the first chart. Otherwise runs the printer set-up step; a printer
// whose resolution is not the one the chart was made at gets "打印机DPI设置不对!" and no
// print, one of the same resolution gets the chart centred.
void printPitchChart(output::OutputChoices& output, const ChartState& chart);

}  // namespace lenzora::testchart
