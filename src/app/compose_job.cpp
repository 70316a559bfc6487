#include "app/compose_job.h"

#include <QMetaObject>
#include <utility>

namespace lenzora::app {

ComposeJob::ComposeJob(compose::ComposeSession& session, int threads, QObject* receiver,
                       std::function<void()> finished)
    : receiver_(receiver),
      finished_(std::move(finished)),
      thread_([this, &session, threads] { run(session, threads); }) {}

ComposeJob::~ComposeJob() {
    cancel();
    wait();
}

void ComposeJob::wait() {
    if (thread_.joinable()) thread_.join();
}

void ComposeJob::run(compose::ComposeSession& session, int threads) {
    try {
        interlace::ComposeRun run;
        run.threads = threads;
        run.cancel = &cancellation_;
        session.compose(progress_, run);
        cancellation_.check();  // a stop asked during the last band still shows nothing
        preview_ = session.composePreview();
    } catch (...) {
        failure_ = std::current_exception();
    }
    // Queued to the receiver's thread; Qt drops it when the receiver is deleted first.
    QMetaObject::invokeMethod(receiver_, finished_, Qt::QueuedConnection);
}

}  // namespace lenzora::app
