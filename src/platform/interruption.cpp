#include "platform/interruption.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace lenzora::platform {
namespace {

// Written by the handler, read by any thread: only lock-free atomics are safe in a handler.
std::atomic<int> caughtSignal{0};
std::atomic<int> wakeWriter{-1};
int wakeReader = -1;
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void noteSignal(int signal) {
    const int savedErrno = errno;
    caughtSignal.store(signal);
    const int writer = wakeWriter.load();
    if (writer >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(writer, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

void catchInterruptions() {
    if (wakeReader < 0) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
            wakeReader = ends[0];
            wakeWriter.store(ends[1]);
        }
    }
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    // Restarted calls keep a signal from looking like a read or write error; the handler is
    // reset so that a second Ctrl-C ends a process that is stuck.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

int interruptionSignal() { return caughtSignal.load(); }

void throwIfInterrupted() {
    if (const int signal = caughtSignal.load(); signal != 0) throw Interrupted(signal);
}

int interruptionDescriptor() { return wakeReader; }

}  // namespace lenzora::platform
