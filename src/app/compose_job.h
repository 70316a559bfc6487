#pragma once
// A compose on a thread of its own, so that the window goes on repainting and answering
// while it runs: the session's compose on every core, then the preview. The new composite is
// the session's to publish once the job has ended (ComposeSession::publishComposite).

#include <QObject>
#include <atomic>
#include <exception>
#include <functional>

#include "compose/compose_session.h"
#include "interlace/compose_state.h"
#include "platform/background_job.h"
#include "raster/raster_image.h"

namespace lenzora::app {

class ComposeJob {
  public:
    // Starts at once. `finished` runs on `receiver`'s thread, from its event queue, once the
    // compose has ended, whichever way; it is dropped when the receiver is gone by then. The
    // receiver must outlive the job (it owns it). Destroying a job still running cancels it
    // and waits for its thread.
    ComposeJob(compose::ComposeSession& session, int threads, QObject* receiver,
               std::function<void()> finished);

    // Asks the compose to stop at its next step.
    void cancel() { job_.cancel(); }
    // Waits until the thread has ended (the compose and its preview, or its failure).
    void wait() { job_.wait(); }

    // Where the work stands, 0 ... 200 as the window's bar counts.
    int progress() const { return progress_.value.load(std::memory_order_relaxed); }

    // Once ended: how (stopped, failed or finished), and for a finished compose the preview
    // of the new composite.
    platform::BackgroundJob::Ending ending() const { return job_.ending(); }
    raster::RasterImage takePreview() { return std::move(preview_); }

  private:
    // The compose's work takes the bar to 190, the preview the rest: the bar is full only
    // when the whole job is done.
    class BarProgress : public interlace::ComposeProgress {
      public:
        static constexpr int kComposeEnd = 190;
        void reached(std::int64_t done, std::int64_t total) override {
            if (total > 0) value.store(static_cast<int>(done * kComposeEnd / total));
        }
        std::atomic<int> value{0};
    };

    // Hands the session's composite over to the compose (see ComposeSession::startCompose)
    // and gives the work the thread runs.
    platform::BackgroundJob::Work startIn(compose::ComposeSession& session, int threads);
    void run(compose::ComposeSession& session, int threads, const platform::Cancellation& cancel);

    BarProgress progress_;
    raster::RasterImage preview_;
    platform::BackgroundJob job_;  // last: started once everything above exists
};

}  // namespace lenzora::app
