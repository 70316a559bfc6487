#pragma once
// Work spread over the machine's cores: a queue of numbered tasks taken by a few threads, and
// the flag that stops a long job between two of its steps.

#include <atomic>
#include <exception>
#include <functional>

namespace lenzora::platform {

// Thrown by Cancellation::check once a stop was asked; not an error the user is shown.
class Cancelled : public std::exception {
  public:
    const char* what() const noexcept override { return "cancelled"; }
};

// Asked from one thread (the window's), looked at by the job's threads between steps.
class Cancellation {
  public:
    void request() { requested_.store(true, std::memory_order_relaxed); }
    bool requested() const { return requested_.load(std::memory_order_relaxed); }
    void check() const {
        if (requested()) throw Cancelled();
    }

  private:
    std::atomic<bool> requested_{false};
};

// The number of threads a job uses when none is asked for: the cores this process may use.
int coreCount();

// Runs task(0) ... task(count - 1) on up to `threads` threads, the calling one among them.
// With one thread they run in order on the calling thread, as a plain loop would. Each task is
// taken once from a shared queue; once a task has failed the tasks not yet taken are skipped.
// After all threads are done the failure of the lowest-numbered failed task is thrown again,
// so the error reported does not depend on the number of threads.
void runTasks(int count, int threads, const std::function<void(int)>& task);

}  // namespace lenzora::platform
