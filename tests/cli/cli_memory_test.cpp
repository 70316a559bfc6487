// lenzora-cli under an address-space limit: what a run takes follows the work asked for, not
// what a file claims, and what cannot fit is refused before it is made.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "support/pictures.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace lenzora {
namespace {

namespace fs = std::filesystem;

// Far below what the refused work needs, far above what the tool takes for the work allowed.
constexpr std::uint64_t kLimit = 2ull << 30;

std::string dataFile(const char* name) { return (fs::path(LENZORA_TEST_DATA) / name).string(); }

std::string toolLine(const std::string& err) { return err.substr(0, err.find('\n')); }

TEST(CliMemory, ThinFramesComposeWithinTheLimit) {
    if (testing::kAddressSanitizer) GTEST_SKIP() << "no address-space limit under ASan";
    testing::TempDir dir;
    // Scaled to cover 1910 x 1331, these frames are 1910 x 1910000 and 1910 x 955000 pixels.
    const testing::ProcessResult r = testing::runLimitedProcess(
        kLimit, {}, LENZORA_CLI,
        {"compose", "-o", (dir / "out.bmp").string(), dataFile("thin-8bit-1x1000.bmp"),
         dataFile("thin-grey-8x4000.jpg")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST(CliMemory, ChartsAndCompositesBeyondTheMemoryAreRefusedBeforeTheyAreMade) {
    if (testing::kAddressSanitizer) GTEST_SKIP() << "no address-space limit under ASan";
    testing::TempDir dir;
    testing::writeBmp(dir / "a.bmp", testing::patternImage(40, 20, 1));
    testing::writeBmp(dir / "b.bmp", testing::patternImage(40, 20, 2));
    const std::string out = (dir / "out.bmp").string();
    struct Case {
        std::vector<std::string> args;
        std::string err;  // empty: made and saved
    } cases[] = {
        {{"chart", "--dpi", "99999", "-o", out}, "lenzora-cli: DPI不对!"},  // 58 GB
        {{"chart", "--dpi", "2400", "-o", out}, ""},
        // 2.4 GB, small enough for a BMP file, but held whole to compose through working files.
        {{"compose", "--unit", "px", "--width", "40000", "--height", "20000", "--work-dir",
          (dir / "work").string(), "-o", out, (dir / "a.bmp").string(), (dir / "b.bmp").string()},
         "lenzora-cli: Output size too large!"},
        {{"compose", "--unit", "px", "--width", "4000", "--height", "2000", "-o", out,
          (dir / "a.bmp").string(), (dir / "b.bmp").string()},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        fs::remove(out);
        const testing::ProcessResult r =
            testing::runLimitedProcess(kLimit, {}, LENZORA_CLI, c.args);
        EXPECT_EQ(r.exitCode, c.err.empty() ? 0 : 1);
        EXPECT_EQ(toolLine(r.err), c.err);
        EXPECT_EQ(fs::exists(out), c.err.empty());
    }
}

// Straight into its file, a composite larger than the memory the tool may take is made band by
// band: the same rows as a small composite of the same frames (one colour each, so scaling
// them to cover either size changes nothing).
TEST(CliMemory, CompositesLargerThanTheMemoryGoIntoTheirFileBandByBand) {
    if (testing::kAddressSanitizer) GTEST_SKIP() << "no address-space limit under ASan";
    testing::TempDir dir;
    for (int q : {1, 2}) {
        raster::RasterImage solid;
        solid.create(raster::PixelFormat::Bgr24, 40, 20);
        for (std::int32_t y = 0; y < 20; ++y) std::memset(solid.row(y), 60 * q, 3 * 40);
        testing::writeBmp(dir / (std::to_string(q) + ".bmp"), solid);
    }
    auto compose = [&](const char* height, const fs::path& out, std::uint64_t limit) {
        return testing::runLimitedProcess(
            limit, {}, LENZORA_CLI,
            {"compose", "--unit", "px", "--width", "14000", "--height", height, "-o", out.string(),
             (dir / "1.bmp").string(), (dir / "2.bmp").string()});
    };
    const testing::ProcessResult small = compose("100", dir / "small.bmp", kLimit);
    ASSERT_EQ(small.exitCode, 0) << small.err;
    // 588 MB of pixels within 500 MB of address space.
    const testing::ProcessResult large = compose("14000", dir / "large.bmp", 500ull << 20);
    ASSERT_EQ(large.exitCode, 0) << large.err;
    constexpr std::uint64_t kRowBytes = 3 * 14000;
    ASSERT_EQ(fs::file_size(dir / "large.bmp"), 54 + kRowBytes * 14000);
    auto rowOf = [&](const fs::path& file, std::uint64_t fromEnd) {
        std::ifstream in(file, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(fs::file_size(file) - fromEnd * kRowBytes));
        std::string row(kRowBytes, '\0');
        in.read(row.data(), static_cast<std::streamsize>(kRowBytes));
        return row;
    };
    for (std::uint64_t fromEnd : {1, 7000, 14000})
        EXPECT_EQ(rowOf(dir / "large.bmp", fromEnd), rowOf(dir / "small.bmp", 1)) << fromEnd;
}

// A 2000 x 1000 frame against ceilings set by the environment and by the option, which wins.
TEST(CliMemory, FramesAboveTheCeilingAreRefusedByName) {
    testing::TempDir dir;
    const fs::path big = dir / "big.bmp";
    testing::writeBmp(big, testing::patternImage(2000, 1000, 1));
    testing::writeBmp(dir / "small.bmp", testing::patternImage(40, 20, 2));
    const std::string refusal = "lenzora-cli: 图片太大! \"" + big.string() + "\" 2000 x 1000 像素";
    struct Case {
        std::vector<std::string> environment;
        std::vector<std::string> options;
        std::string err;
        int exitCode = 1;
    } cases[] = {
        {{"LENZORA_MAX_FRAME_PIXELS=1999999"}, {}, refusal},
        {{"LENZORA_MAX_FRAME_PIXELS=2000000"}, {}, "", 0},
        {{}, {"--max-frame-pixels", "1999999"}, refusal},
        {{"LENZORA_MAX_FRAME_PIXELS=1000"}, {"--max-frame-pixels", "2000000"}, "", 0},
        // A ceiling that is no whole number above 0 is refused as a mistyped option is.
        {{"LENZORA_MAX_FRAME_PIXELS=2000000 px"},
         {},
         "lenzora-cli: 环境变量 LENZORA_MAX_FRAME_PIXELS 的值 \"2000000 px\" 无效: 应为大于 0 "
         "的整数像素数",
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.environment) + ::testing::PrintToString(c.options));
        std::vector<std::string> args = {"compose", "-o", (dir / "out.bmp").string()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(big.string());
        args.push_back((dir / "small.bmp").string());
        const testing::ProcessResult r =
            testing::runLimitedProcess(0, c.environment, LENZORA_CLI, args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(toolLine(r.err), c.err);
    }
}

}  // namespace
}  // namespace lenzora
