// Pictures refused before decoding: more pixels than the ceiling, more bytes than memory.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "platform/error.h"
#include "raster/bmp_codec.h"
#include "raster/jpeg_codec.h"
#include "raster/memory_budget.h"
#include "raster/size_limit.h"
#include "support/temp_dir.h"

namespace lenzora::raster {
namespace {

class SizeLimit : public ::testing::Test {
  protected:
    void TearDown() override {
        setMaxImagePixels(0);
        ::unsetenv(kMaxPixelsVariable);
    }
};

// A value that is no whole number above 0 leaves the default, and both programs refuse it
// at start-up (checkMaxPixelsVariable).
TEST_F(SizeLimit, TheCeilingIsTheSettingElseTheEnvironmentElse500Megapixels) {
    struct Case {
        const char* environment;  // nullptr: unset
        std::uint64_t set;
        std::uint64_t ceiling;
        bool refused = false;
    } cases[] = {
        {nullptr, 0, 500'000'000},
        {"2000000000", 0, 2'000'000'000},
        {"1000", 0, 1000},
        {"12 px", 0, 500'000'000, true},
        {"", 0, 500'000'000, true},
        {"-5", 0, 500'000'000, true},
        {"junk", 0, 500'000'000, true},
        {"0", 0, 500'000'000, true},
        {"1000", 77, 77},
        {nullptr, 900'000'000, 900'000'000},
    };
    for (const Case& c : cases) {
        if (c.environment != nullptr)
            ::setenv(kMaxPixelsVariable, c.environment, 1);
        else
            ::unsetenv(kMaxPixelsVariable);
        setMaxImagePixels(c.set);
        EXPECT_EQ(maxImagePixels(), c.ceiling) << (c.environment ? c.environment : "unset");
        bool refused = false;
        try {
            checkMaxPixelsVariable();
        } catch (const platform::Error&) {
            refused = true;
        }
        EXPECT_EQ(refused, c.refused) << (c.environment ? c.environment : "unset");
    }
}

// Every reader, in every format it gives: a 30 x 20 frame decodes at a ceiling of 600 pixels
// and is refused at 599 with its name and size, before anything is decoded.
TEST_F(SizeLimit, AFrameAboveTheCeilingIsRefusedNamingItAndItsSize) {
    testing::TempDir dir;
    RasterImage colour;
    colour.create(PixelFormat::Bgr24, 30, 20);
    RasterImage indexed;
    indexed.create(PixelFormat::Indexed4, 30, 20);
    RasterImage oneBit;
    oneBit.create(PixelFormat::Indexed1, 30, 20);
    saveBmpFile(colour, dir / "colour.bmp");
    saveBmpFile(indexed, dir / "indexed.bmp");
    saveBmpFile(oneBit, dir / "one-bit.bmp");
    {
        const platform::Bytes jpeg = encodeJpeg(colour);
        std::ofstream(dir / "colour.jpg", std::ios::binary)
            .write(reinterpret_cast<const char*>(jpeg.data()),
                   static_cast<std::streamsize>(jpeg.size()));
    }
    auto load = [](const std::filesystem::path& path) {
        if (path.extension() == ".jpg") return loadJpegFile(path);
        RasterImage image;
        image.loadBmpFile(path);
        return image;
    };
    for (const char* name : {"colour.bmp", "indexed.bmp", "one-bit.bmp", "colour.jpg"}) {
        SCOPED_TRACE(name);
        setMaxImagePixels(600);
        EXPECT_EQ(load(dir / name).width(), 30);
        setMaxImagePixels(599);
        try {
            load(dir / name);
            ADD_FAILURE() << "decoded";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.what(), "图片太大! \"" + (dir / name).string() + "\" 30 x 20 像素");
        }
        const OwnFilesOnly workingFile;  // the program's own files: memory only
        EXPECT_EQ(load(dir / name).width(), 30);
    }
}

// Memory this process cannot get counts as much as memory the machine lacks: under an
// address-space limit, a picture of 400 megapixels (1.2 GB) is refused and a small one is not.
TEST(SizeLimitDeathTest, APictureBeyondTheMemoryLeftIsRefused) {
    auto underLimit = [] {
        std::ifstream statm("/proc/self/statm");
        std::uint64_t pages = 0;
        statm >> pages;
        const rlimit limit{pages * 4096 + (256ull << 20), RLIM_INFINITY};
        if (::setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(3);
        checkDecodedSize(1000, 1000, 24);
        try {
            checkDecodedSize(20000, 20000, 24);
        } catch (const ImageTooLarge&) {
            std::_Exit(0);
        }
        std::_Exit(1);
    };
    EXPECT_EXIT(underLimit(), ::testing::ExitedWithCode(0), "");
}

// Frames read side by side share one budget: a reservation that does not fit waits until
// another ends, then goes ahead.
TEST(MemoryBudget, AReservationThatDoesNotFitWaitsForAnotherToEnd) {
    MemoryBudget budget([] { return std::uint64_t{100}; });
    MemoryReservation first;
    budget.reserve(first, 60, 1, 1);
    std::atomic<bool> reserved{false};
    std::thread second([&] {
        MemoryReservation held;
        budget.reserve(held, 60, 2, 2);
        reserved = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(reserved);
    first.release();
    second.join();
    EXPECT_TRUE(reserved);
}

// With nobody to wait for (no other reservation, or only ones that wait on something
// themselves), a reservation that does not fit is refused at once; a stop ends a wait.
TEST(MemoryBudget, WhatNothingCanMakeFitIsRefusedAndAStopEndsAWait) {
    MemoryBudget budget([] { return std::uint64_t{100}; });
    try {
        MemoryReservation alone;
        budget.reserve(alone, 101, 7, 9);
        ADD_FAILURE() << "too large alone, reserved";
    } catch (const ImageTooLarge& e) {
        EXPECT_STREQ(e.what(), "图片太大! 7 x 9 像素");
    }

    MemoryReservation parked;
    budget.reserve(parked, 60, 1, 1);
    budget.park(parked, true);  // as a frame waiting for frame 1's colour profile
    MemoryReservation first;
    EXPECT_THROW(budget.reserve(first, 60, 1, 1), ImageTooLarge);
    budget.park(parked, false);

    platform::Cancellation cancel;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        cancel.request();
    });
    MemoryReservation waiting;
    EXPECT_THROW(budget.reserve(waiting, 60, 1, 1, &cancel), platform::Cancelled);
    stopper.join();
    EXPECT_EQ(waiting.bytes(), 0u);
}

}  // namespace
}  // namespace lenzora::raster
