#pragma once
// Work on a thread of its own, so that the window that started it goes on repainting and
// answering while it runs; the window hears of its end through its own event queue.

#include <QObject>
#include <exception>
#include <functional>
#include <thread>

#include "platform/work_pool.h"

namespace lenzora::platform {

class BackgroundJob {
  public:
    using Work = std::function<void(const Cancellation&)>;

    // Starts `work` at once. It looks at the cancellation between its steps. `finished` runs
    // on `receiver`'s thread, from its event queue, once the work has ended, whichever way; it
    // is dropped when the receiver is gone by then.
    BackgroundJob(Work work, QObject* receiver, std::function<void()> finished);
    // Cancels work still running and waits for its thread.
    ~BackgroundJob();
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Asks the work to stop at its next step.
    void cancel() { cancellation_.request(); }
    // Waits until the thread has ended.
    void wait();

    // How the work ended, kept apart from the job so that the window can drop the job first.
    struct Ending {
        bool stopAsked = false;
        std::exception_ptr failure;  // what the work threw (a Cancelled for stopped work)

        // Whether the work is to count as stopped: a stop was asked before the end was
        // looked at, even when the work had just finished, or it threw Cancelled. Any other
        // failure wins over a stop and is thrown again here.
        bool stopped() const;
    };
    // Once ended (after wait()).
    Ending ending() const { return {cancellation_.requested(), failure_}; }

  private:
    void run(const Work& work);

    Cancellation cancellation_;
    std::exception_ptr failure_;
    QObject* receiver_;
    std::function<void()> finished_;
    std::jthread thread_;  // last: started once everything above exists
};

}  // namespace lenzora::platform
