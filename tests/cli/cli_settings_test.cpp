// lenzora-cli settings, run as a process: the output settings after start-up and frame loads.

#include <gtest/gtest.h>

#include "support/json_line.h"
#include "support/run_process.h"

namespace lenzora {
namespace {

testing::ProcessResult cli(const std::vector<std::string>& args) {
    return testing::runProcess(LENZORA_CLI, args);
}

// The resolution is the text the window shows; the others are numbers.
QJsonObject json(int frames, int strip, const char* resolution, int width, int height) {
    return {{"frames", frames},
            {"strip_width", strip},
            {"resolution", resolution},
            {"width_px", width},
            {"height_px", height}};
}

TEST(CliSettings, WorkedNumbers) {
    struct Case {
        std::vector<std::string> args;
        QJsonObject expected;
    } cases[] = {
        {{}, json(2, 3, "253.65", 2866, 1997)},
        {{"--pitch", "21.25"}, json(2, 6, "255", 2881, 2007)},
        {{"--pitch", "21.25", "--width", "700"}, json(2, 3, "127.5", 3513, 1003)},
        {{"--pitch", "21.25", "--width", "2000"}, json(2, 1, "42.5", 3346, 334)},
        {{"--pitch", "21.25", "--width", "100"}, json(2, 6, "255", 1003, 2007)},
        {{"--frames", "3"}, json(3, 2, "253.65", 2866, 1997)},
        {{"--frames", "4"}, json(4, 1, "169.1", 1910, 1331)},
        {{"--frames", "16", "--pitch", "75.15"}, json(16, 1, "1202.4", 13586, 9467)},
        {{"--unit", "in", "--width", "11.299", "--height", "7.8739"},
         json(2, 3, "253.65", 2865, 1997)},  // 2865.99 truncated
        {{"--unit", "px", "--width", "9000.7", "--height", "200"}, json(2, 3, "253.65", 9000, 200)},
        {{"--pitch", " 42.275 ", "--width=287"}, json(2, 3, "253.65", 2866, 1997)},
        {{"--pitch", "1", "--pitch", "21.25"}, json(2, 6, "255", 2881, 2007)},  // the last one
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"settings", "--json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        testing::ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(testing::jsonLine(r.out), c.expected) << ::testing::PrintToString(c.args);
    }
}

TEST(CliSettings, PlainTextWithoutJson) {
    testing::ProcessResult r = cli({"settings", "--pitch", "21.25"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("255 dpi"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("2881 x 2007"), std::string::npos) << r.out;
}

TEST(CliSettings, ConversionErrorsExitWithOne) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--pitch", "abc"}, "lenzora-cli: 'abc' is not a valid floating point value\n"},
        {{"--width", ""}, "lenzora-cli: '' is not a valid floating point value\n"},
        {{"--height", "1,5"}, "lenzora-cli: '1,5' is not a valid floating point value\n"},
        {{"--pitch", "1e30"}, "lenzora-cli: Invalid floating point operation\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"settings"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        testing::ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(r.out, "");
    }
}

TEST(CliSettings, BadUsageExitsWithTwo) {
    const std::vector<std::string> cases[] = {
        {"settings", "--pitch", "0"},
        {"settings", "--pitch", "-5"},
        {"settings", "--frames", "1"},
        {"settings", "--frames", "17"},
        {"settings", "--frames", "x"},
        {"settings", "--unit", "cm"},
        {"settings", "--colour"},
        {"settings", "--pitch"},
        {"settings", "frame.jpg"},
        {"unknown"},
        {},
    };
    for (const auto& args : cases) {
        testing::ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << ::testing::PrintToString(args);
    }
}

}  // namespace
}  // namespace lenzora
