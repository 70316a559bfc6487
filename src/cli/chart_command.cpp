#include "cli/chart_command.h"

#include <QJsonArray>
#include <cstdio>
#include <filesystem>

#include "cli/cli_options.h"
#include "cli/format_help.h"
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
        QJsonArray bandLengths;
        for (std::int64_t length : g.bandLengths) bandLengths.append(qint64{length});
        QJsonArray labelTexts;
        for (const std::string& label : labels) labelTexts.append(QString::fromStdString(label));
        printJson({
            {"dpi", g.dpi},
            {"width", g.chartWidth},
            {"height", g.chartHeight},
            {"grating_width", g.gratingWidth},
            {"band_height", g.bandHeight},
            {"period", g.period},
            {"bar_width", g.barWidth},
            {"strip_length", g.stripLength},
            {"label_column", g.labelColumn},
            {"font_size", g.fontSize},
            {"centre_correction", qint64{g.centreCorrection}},
            {"middle", g.middle},
            {"band_lengths", bandLengths},
            {"labels", labelTexts},
            {"preview_width", preview.width()},
            {"preview_height", preview.height()},
        });
        return;
    }
    std::printf("chart:   %d x %d at %d dpi\n", g.chartWidth, g.chartHeight, g.dpi);
    std::printf("period:  %d (bars %d wide)\n", g.period, g.barWidth);
    std::printf("bands:  ");
    for (const std::string& label : labels) std::printf(" %s", label.c_str());
    std::printf("\n");
}

const CommandDescription kChart = {
    "usage: lenzora-cli chart [--paper TEXT] [--dpi N] [--pitch LPI] [--bands N] [--increment N]\n"
    "                         [--json] -o OUT",
    "Makes the pitch test chart as the chart window's Generate then Save buttons do with\n"
    "these field texts, and prints its numbers.",
    {
        {"--paper", "TEXT", "Paper as typed into the paper box: A4, A3, 8' x 10' (A4)."},
        {"--dpi", "N", "Resolution of the chart in dots per inch (1200)."},
        {"--pitch", "LPI", "Expected pitch of the lens sheet in lines per inch (40)."},
        {"--bands", "N", "Number of bands (11)."},
        {"--increment", "N", "Increment between the bands (15)."},
        {"--json", nullptr, "Prints one JSON object on one line."},
        {"-o", "OUT", "The chart, one bit a pixel, in the format its name says (below)."},
    },
};

}  // namespace

int runChart(const std::vector<std::string>& args) {
    const CommandLine options(kChart, args);
    if (options.helpAsked()) {
        std::fputs((options.helpText() + chartFormatsHelp()).c_str(), stdout);
        return 0;
    }
    if (!options.positional().empty()) throw UsageError("chart takes no file names");
    const auto out = options.value("-o");
    if (!out || out->empty()) throw UsageError("chart needs -o OUT");
    // Checked before the chart is made: a chart that could never be saved is not started.
    std::error_code ignored;
    if (std::filesystem::is_directory(*out, ignored))
        throw UsageError("-o names a folder: " + *out);

    testchart::ChartFieldTexts texts;
    if (auto paper = options.value("--paper"))
        texts.paperEntry = testchart::paperEntryForText(*paper);
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
        testchart::saveChart(chart.image, *out, chart.resolution);
        for (int step = 0; step < 7; ++step) progress.advance();
    }
    printSummary(testchart::computeChartGeometry(inputs), preview, options.has("--json"));
    return 0;
}

const char* chartSynopsis() { return kChart.synopsis; }

}  // namespace lenzora::cli
