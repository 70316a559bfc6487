// The task queue spread over threads, how a job on its own thread ended, and working files
// written whole without a flush.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/background_job.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/scratch_file.h"
#include "platform/work_pool.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace lenzora::platform {
namespace {

namespace fs = std::filesystem;

TEST(RunTasks, EveryTaskRunsOnceOnAnyNumberOfThreads) {
    for (int threads : {1, 2, 3, 8, 64}) {
        for (int count : {0, 1, 5, 40}) {
            std::vector<std::atomic<int>> runs(static_cast<std::size_t>(count));
            runTasks(count, threads, [&](int i) { runs[static_cast<std::size_t>(i)]++; });
            for (int i = 0; i < count; ++i)
                EXPECT_EQ(runs[static_cast<std::size_t>(i)].load(), 1)
                    << i << " of " << count << " on " << threads;
        }
    }
}

TEST(RunTasks, OneThreadIsAPlainLoopOnTheCallingThread) {
    std::vector<int> order;
    const std::thread::id caller = std::this_thread::get_id();
    runTasks(6, 1, [&](int i) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        order.push_back(i);
    });
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

// Tasks 3 and 7 fail. On several threads task 3 fails last: it waits until task 7 has
// failed, and a while more for that failure to be taken in. Task 3's failure is the one thrown
// all the same, and on one thread no task after it is started.
TEST(RunTasks, TheLowestFailedTaskIsThrownWhicheverFailedFirst) {
    for (int threads : {1, 2, 4, 16}) {
        std::atomic<int> started{0};
        std::atomic<bool> laterFailed{false};
        try {
            runTasks(16, threads, [&](int i) {
                started++;
                if (i == 7) {
                    laterFailed = true;
                    throw Error("task 7");
                }
                if (i != 3) return;
                if (threads > 1) {
                    // The waits order the failures; the bound only keeps a broken pool from
                    // hanging the test.
                    for (int wait = 0; wait < 1000 && !laterFailed; ++wait)
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    EXPECT_TRUE(laterFailed);
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                }
                throw Error("task 3");
            });
            FAIL() << "no failure";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "task 3") << threads << " threads";
        }
        if (threads == 1) {
            EXPECT_EQ(started.load(), 4);
        }
    }
}

// A stop asked counts even when the work had just finished; a real failure wins over it.
TEST(BackgroundJobEnding, AStopCountsUnlessTheWorkFailed) {
    const std::exception_ptr cancelled = std::make_exception_ptr(Cancelled());
    const std::exception_ptr failed = std::make_exception_ptr(Error("Disk full"));
    struct Case {
        bool stopAsked;
        std::exception_ptr failure;
        bool stopped;
        bool throws;
    } cases[] = {
        {false, nullptr, false, false},  {true, nullptr, true, false},
        {false, cancelled, true, false}, {true, cancelled, true, false},
        {false, failed, false, true},    {true, failed, false, true},
    };
    int index = 0;
    for (const Case& c : cases) {
        const BackgroundJob::Ending ending{c.stopAsked, c.failure};
        if (c.throws)
            EXPECT_THROW(static_cast<void>(ending.stopped()), Error) << index;
        else
            EXPECT_EQ(ending.stopped(), c.stopped) << index;
        ++index;
    }
}

TEST(ScratchFile, WrittenWholeOrNotAtAll) {
    testing::TempDir dir;
    const fs::path target = dir / "x01.bmp";
    std::ofstream(target) << "old";
    {
        ScratchFile file(target);
        file.write("new ", 4);
        file.write("content", 7);
        EXPECT_EQ(readWholeFile(target), (Bytes{'o', 'l', 'd'})) << "replaced only at the end";
        file.commit();
    }
    const Bytes written = readWholeFile(target);
    EXPECT_EQ(std::string(written.begin(), written.end()), "new content");
    {
        ScratchFile abandoned(target);
        abandoned.write("half", 4);
    }
    {
        const testing::FileSizeLimit limit(3);
        ScratchFile full(target);
        try {
            full.write("too long", 8);
            FAIL() << "wrote past the limit";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Disk full");
        }
    }
    EXPECT_EQ(readWholeFile(target).size(), 11U) << "the last whole file stays";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
        << "no temporary file is left";
    const fs::path folder = dir / "x03.bmp";
    fs::create_directory(folder);
    {
        ScratchFile onAFolder(folder);
        onAFolder.write("x", 1);
        EXPECT_THROW(onAFolder.commit(), Error);
    }
    EXPECT_TRUE(fs::is_directory(folder)) << "a folder in the way is never swapped out";
    try {
        ScratchFile nowhere(dir / "missing" / "x02.bmp");
        FAIL() << "opened in a missing folder";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
}

}  // namespace
}  // namespace lenzora::platform
