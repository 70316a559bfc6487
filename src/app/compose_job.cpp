#include "app/compose_job.h"

#include <utility>

namespace lenzora::app {

ComposeJob::ComposeJob(compose::ComposeSession& session, int threads, QObject* receiver,
                       std::function<void()> finished)
    : job_(startIn(session, threads), receiver, std::move(finished)) {}

platform::BackgroundJob::Work ComposeJob::startIn(compose::ComposeSession& session, int threads) {
    session.startCompose();  // on the window's thread, before the compose's own starts
    return [this, &session, threads](const platform::Cancellation& cancel) {
        run(session, threads, cancel);
    };
}

void ComposeJob::run(compose::ComposeSession& session, int threads,
                     const platform::Cancellation& cancel) {
    interlace::ComposeRun run;
    run.threads = threads;
    run.cancel = &cancel;
    session.buildComposite(progress_, run);
    cancel.check();  // a stop asked during the last band still shows nothing
    preview_ = session.builtPreview();
    progress_.value.store(200);
}

}  // namespace lenzora::app
