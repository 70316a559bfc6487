// lenzora-cli chart, run as a process: the window's "生成" then "存盘" with those field texts.

#include <gtest/gtest.h>

#include "platform/file_io.h"
#include "raster/bmp_codec.h"
#include "support/json_line.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace lenzora {
namespace {

testing::ProcessResult cli(std::vector<std::string> args) {
    args.insert(args.begin(), "chart");
    return testing::runProcess(LENZORA_CLI, args);
}

// The tool's own line of standard error (the font engine may note things before it).
std::string toolLine(const std::string& err) {
    const std::size_t at = err.find("lenzora-cli: ");
    if (at == std::string::npos) return err;
    return err.substr(at, err.find('\n', at) - at);
}

std::uint32_t u32At(const platform::Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
}

TEST(CliChart, WorkedCasesGiveEveryNumber) {
    struct Case {
        std::vector<std::string> args;
        std::string json;
        std::size_t fileSize;
    } cases[] = {
        {{},
         R"({"dpi":1200,"width":6142,"height":10866,"grating_width":9921,"band_height":988,)"
         R"("period":30,"bar_width":15,"strip_length":4252,"label_column":1417,"font_size":192,)"
         R"("centre_correction":0,"middle":6,"band_lengths":[4177,4192,4207,4222,4237,4252,)"
         R"(4267,4282,4297,4312,4327],"labels":["39.2944","39.4356","39.5767","39.7178",)"
         R"("39.8589","40","40.1411","40.2822","40.4233","40.5644","40.7056"],)"
         R"("preview_width":511,"preview_height":905})",
         8345150},
        {{"--pitch", "42.275"},
         R"({"dpi":1200,"width":6142,"height":10866,"grating_width":9921,"band_height":988,)"
         R"("period":28,"bar_width":14,"strip_length":4252,"label_column":1417,"font_size":192,)"
         R"("centre_correction":4,"middle":6,"band_lengths":[4117,4132,4147,4162,4177,4192,)"
         R"(4207,4222,4237,4252,4267],"labels":["41.4964","41.6476","41.7988","41.95",)"
         R"("42.1012","42.2524","42.4036","42.5548","42.706","42.8571","43.0083"],)"
         R"("preview_width":511,"preview_height":905})",
         8345150},
        {{"--paper", "A3", "--dpi", "600", "--pitch", "21.25", "--bands", "9"},
         R"({"dpi":600,"width":4961,"height":8504,"grating_width":6850,"band_height":945,)"
         R"("period":28,"bar_width":14,"strip_length":4016,"label_column":709,"font_size":96,)"
         R"("centre_correction":2,"middle":4,"band_lengths":[3941,3956,3971,3986,4001,4016,)"
         R"(4031,4046,4061],"labels":["21.0284","21.1084","21.1885","21.2685","21.3485",)"
         R"("21.4286","21.5086","21.5886","21.6687"],"preview_width":826,"preview_height":1417})",
         62 + 8504 * std::size_t{624}},
    };
    for (const Case& c : cases) {
        testing::TempDir dir;
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--json", "-o", (dir / "chart.bmp").string()});
        const testing::ProcessResult r = cli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(testing::jsonLine(r.out), testing::jsonObject(c.json));
        const platform::Bytes file = platform::readWholeFile(dir / "chart.bmp");
        EXPECT_EQ(file.size(), c.fileSize);
    }
}

TEST(CliChart, SavedFileIsStampedOneBitBmpEvenUnderAJpegName) {
    testing::TempDir dir;
    const testing::ProcessResult r = cli({"-o", (dir / "chart.jpg").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const platform::Bytes file = platform::readWholeFile(dir / "chart.jpg");
    EXPECT_EQ(u32At(file, 38), 47233u);
    EXPECT_EQ(u32At(file, 42), 47233u);
    const raster::RasterImage chart = raster::decodeBmp(file);
    EXPECT_EQ(chart.format(), raster::PixelFormat::Indexed1);
    EXPECT_EQ(chart.width(), 6142);
    EXPECT_EQ(chart.height(), 10866);
}

TEST(CliChart, TypedPaperNamesGiveA4) {
    testing::TempDir dir;
    const testing::ProcessResult typed =
        cli({"--paper", "Letter", "--dpi", "300", "--json", "-o", (dir / "a.bmp").string()});
    const testing::ProcessResult a4 =
        cli({"--paper", "A4", "--dpi", "300", "--json", "-o", (dir / "b.bmp").string()});
    ASSERT_EQ(typed.exitCode, 0) << typed.err;
    EXPECT_EQ(typed.out, a4.out);
    const QJsonObject json = testing::jsonLine(typed.out);
    EXPECT_EQ(json["width"], QJsonValue(1535));
    EXPECT_EQ(json["height"], QJsonValue(2717));
}

TEST(CliChart, ErrorsAndBadUsage) {
    testing::TempDir dir;
    const std::string out = (dir / "c.bmp").string();
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string err;  // the tool's line of standard error
    } cases[] = {
        {{"--pitch", "abc", "-o", out},
         1,
         "lenzora-cli: 'abc' is not a valid floating point value"},
        {{"--dpi", "12x", "--pitch", "abc", "-o", out},
         1,
         "lenzora-cli: '12x' is not a valid integer value"},
        {{"--bands", "0", "-o", out}, 1, "lenzora-cli: 栏数不对!"},
        {{"--increment", "0", "-o", out}, 1, "lenzora-cli: 增幅不对!"},
        {{"--paper", "", "-o", out}, 1, "lenzora-cli: 纸张不对!"},
        {{"--pitch", "2400", "-o", out}, 1, "lenzora-cli: 预计线数不对!"},
        {{"--pitch", "800", "-o", out}, 1, "lenzora-cli: 预计线数不对!"},  // bars 0 wide
        {{"--dpi", "300", "--pitch", "200", "-o", out}, 1, "lenzora-cli: 预计线数不对!"},
        {{"--increment", "900", "-o", out}, 1, "lenzora-cli: 栏长超出光栅!"},
        {{"--pitch", "0", "-o", out}, 1, "lenzora-cli: Floating point division by zero"},
        // 58 GB of chart: refused before any of it is made.
        {{"--dpi", "99999", "-o", out}, 1, "lenzora-cli: DPI不对!"},
        {{"-o", (dir / "missing" / "c.bmp").string()},
         1,
         "lenzora-cli: Cannot create file \"" + (dir / "missing" / "c.bmp").string() +
             "\". File not found"},
        {{"--json"}, 2, "lenzora-cli: chart needs -o OUT"},
        {{"--colour", "red", "-o", out}, 2, "lenzora-cli: unknown option --colour"},
        {{"-o", out, "extra.bmp"}, 2, "lenzora-cli: chart takes no file names"},
    };
    for (const Case& c : cases) {
        const testing::ProcessResult r = cli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.err;
        EXPECT_EQ(toolLine(r.err), c.err);
        EXPECT_FALSE(platform::fileExists(out)) << c.err;
    }
    // Nothing half-written is left in the folder either.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);
}

TEST(CliChart, AFailedRunLeavesTheOldFile) {
    testing::TempDir dir;
    const std::string out = (dir / "c.bmp").string();
    ASSERT_EQ(cli({"--dpi", "300", "-o", out}).exitCode, 0);
    const platform::Bytes before = platform::readWholeFile(out);
    EXPECT_EQ(cli({"--bands", "0", "-o", out}).exitCode, 1);
    EXPECT_TRUE(platform::readWholeFile(out) == before);
}

}  // namespace
}  // namespace lenzora
