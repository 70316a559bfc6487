#include "cli/chart_command.h"

#include <cstdio>

#include "cli/cli_options.h"
#include "cli/json_writer.h"
#include "cli/terminal_progress.h"
#include "platform/error.h"
#include "testchart/chart_fields.h"
#include "testchart/generate_chart.h"
#include "testchart/save_chart.h"

namespace lenzora::cli {
namespace {

void printSummary(const testchart::ChartGeometry& g, const raster::RasterImage& preview,
                  bool json) {
    std::vector<std::string> labels;
    for (core::FixedCount value : g.labelValues) labels.push_back(testchart::bandLabel(value));
    if (json) {
        JsonObject out;
        out.add("dpi", std::int64_t{g.dpi});
        out.add("width", std::int64_t{g.chartWidth});
        out.add("height", std::int64_t{g.chartHeight});
        out.add("grating_width", std::int64_t{g.gratingWidth});
        out.add("band_height", std::int64_t{g.bandHeight});
        out.add("period", std::int64_t{g.period});
        out.add("bar_width", std::int64_t{g.barWidth});
        out.add("strip_length", std::int64_t{g.stripLength});
        out.add("label_column", std::int64_t{g.labelColumn});
        out.add("font_size", std::int64_t{g.fontSize});
        out.add("centre_correction", g.centreCorrection);
        out.add("middle", std::int64_t{g.middle});
        out.add("band_lengths", g.bandLengths);
        out.add("labels", labels);
        out.add("preview_width", std::int64_t{preview.width()});
        out.add("preview_height", std::int64_t{preview.height()});
        std::printf("%s\n", out.str().c_str());
        return;
    }
    std::printf("chart:   %d x %d at %d dpi\n", g.chartWidth, g.chartHeight, g.dpi);
    std::printf("period:  %d (bars %d wide)\n", g.period, g.barWidth);
    std::printf("bands:  ");
    for (const std::string& label : labels) std::printf(" %s", label.c_str());
    std::printf("\n");
}

}  // namespace

int runChart(const std::vector<std::string>& args) {
    AcceptedOptions accepted{{"--paper", "--dpi", "--pitch", "--bands", "--increment", "-o"}, {"--json"}};
    ParsedOptions options(args, accepted);
    if (!options.positional().empty()) throw UsageError("chart takes no file names");
    const auto out = options.value("-o");
    if (!out || out->empty()) throw UsageError("chart needs -o OUT");

    testchart::ChartFieldTexts texts;
    if (auto paper = options.value("--paper")) texts.paperEntry = testchart::paperEntryForText(*paper);
    if (auto dpi = options.value("--dpi")) texts.dpi = *dpi;
    if (auto pitch = options.value("--pitch")) texts.pitch = *pitch;
    if (auto bands = options.value("--bands")) texts.bands = *bands;
    if (auto increment = options.value("--increment")) texts.increment = *increment;

    const testchart::ChartInputs inputs = testchart::readChartFields(texts);
    testchart::ChartState chart;
    raster::RasterImage preview;
    {
        // Generating is about two thirds of the work, saving the rest.
        TerminalProgress progress;
        if (std::string refusal = testchart::generatePitchChart(chart, inputs, preview);
            !refusal.empty())
            throw platform::Error(refusal);
        for (int step = 0; step < 13; ++step) progress.advance();
        testchart::saveChartBmp(chart.image, *out, chart.resolution);
        for (int step = 0; step < 7; ++step) progress.advance();
    }
    printSummary(testchart::computeChartGeometry(inputs), preview, options.has("--json"));
    return 0;
}

}  // namespace lenzora::cli
