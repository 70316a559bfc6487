#include "app/compose_job.h"

#include <utility>

namespace lenzora::app {

ComposeJob::ComposeJob(compose::ComposeSession& session, int threads, QObject* receiver,
                       std::function<void()> finished)
    : job_([this, &session,
            threads](const platform::Cancellation& cancel) { run(session, threads, cancel); },
           receiver, std::move(finished)) {}

void ComposeJob::run(compose::ComposeSession& session, int threads,
                     const platform::Cancellation& cancel) {
    interlace::ComposeRun run;
    run.threads = threads;
    run.cancel = &cancel;
    session.compose(progress_, run);
    cancel.check();  // a stop asked during the last band still shows nothing
    preview_ = session.composePreview();
    progress_.value.store(200);
}

}  // namespace lenzora::app
