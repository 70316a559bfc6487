#include "platform/work_pool.h"

#include <sched.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

namespace lenzora::platform {

int coreCount() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
    return static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
}

void runTasks(int count, int threads, const std::function<void(int)>& task) {
    if (count <= 0) return;
    threads = std::clamp(threads, 1, count);
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    std::mutex failureLock;
    int failedTask = count;
    std::exception_ptr failure;

    auto work = [&] {
        for (int i = next.fetch_add(1); i < count && !failed.load(); i = next.fetch_add(1)) {
            try {
                task(i);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureLock);
                if (i < failedTask) {
                    failedTask = i;
                    failure = std::current_exception();
                }
                failed.store(true);
            }
        }
    };
    {
        std::vector<std::jthread> helpers;
        helpers.reserve(static_cast<std::size_t>(threads - 1));
        for (int t = 1; t < threads; ++t) helpers.emplace_back(work);
        work();
    }  // the helpers are joined here
    if (failure) std::rethrow_exception(failure);
}

}  // namespace lenzora::platform
