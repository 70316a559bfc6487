#include "platform/background_job.h"

#include <QMetaObject>
#include <utility>

namespace lenzora::platform {

BackgroundJob::BackgroundJob(Work work, QObject* receiver, std::function<void()> finished)
    : receiver_(receiver),
      finished_(std::move(finished)),
      thread_([this, work = std::move(work)] { run(work); }) {}

BackgroundJob::~BackgroundJob() {
    cancel();
    wait();
}

void BackgroundJob::wait() {
    if (thread_.joinable()) thread_.join();
}

bool BackgroundJob::Ending::stopped() const {
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const Cancelled&) {
            return true;
        }
    }
    return stopAsked;
}

void BackgroundJob::run(const Work& work) {
    try {
        work(cancellation_);
    } catch (...) {
        failure_ = std::current_exception();
    }
    // Queued to the receiver's thread; Qt drops it when the receiver is deleted first.
    QMetaObject::invokeMethod(receiver_, finished_, Qt::QueuedConnection);
}

}  // namespace lenzora::platform
