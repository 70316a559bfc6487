// lenzora-cli compose --job and --save-job: a saved job composes to the same bytes as the
// options it was saved from, options override it, and -o may come from it.

#include <gtest/gtest.h>

#include "platform/file_io.h"
#include "support/pictures.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace lenzora {
namespace {

using Args = std::vector<std::string>;

// compose with the arguments of `parts` one after the other.
int compose(std::initializer_list<Args> parts) {
    Args args = {"compose"};
    for (const Args& part : parts) args.insert(args.end(), part.begin(), part.end());
    const testing::ProcessResult r = testing::runProcess(LENZORA_CLI, args);
    EXPECT_EQ(r.err, "");
    return r.exitCode;
}

TEST(CliJob, ASavedJobComposesToTheBytesOfItsOptions) {
    const Args every = {"--pitch",  "21.25", "--unit", "px",   "--width",      "600",
                        "--height", "400",   "--mode", "rows", "--calibration"};
    struct Case {
        const char* name;
        Args saving;     // the options of the run that saves the job
        Args overrides;  // given with --job
        Args same;       // the options of a run that must give the same bytes
    } cases[] = {
        {"defaults", {}, {}, {}},
        {"every setting", every, {}, every},
        {"overridden",
         {"--pitch", "21.25", "--width", "100", "--calibration"},
         {"--pitch", "61.53", "--no-calibration", "--mode", "rows"},
         {"--pitch", "61.53", "--width", "100", "--mode", "rows"}},
    };
    testing::TempDir dir;
    Args frames;
    for (int q = 1; q <= 3; ++q) {
        frames.push_back((dir / ("f" + std::to_string(q) + ".bmp")).string());
        testing::writeBmp(frames.back(), testing::patternImage(300 + q, 200, q));
    }
    const std::string job = (dir / "card.lzjob").string();
    const std::string saved = (dir / "saved.bmp").string();
    const std::string same = (dir / "same.bmp").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(compose({c.saving, {"--save-job", job, "-o", saved}, frames}), 0);
        ASSERT_EQ(compose({c.same, {"-o", same}, frames}), 0);
        // From the job, its output taken from it when -o is left out.
        std::filesystem::remove(saved);
        ASSERT_EQ(compose({{"--job", job}, c.overrides}), 0);
        EXPECT_EQ(platform::readWholeFile(saved), platform::readWholeFile(same));
    }
}

}  // namespace
}  // namespace lenzora
