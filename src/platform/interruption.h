#pragma once
// Ctrl-C and SIGTERM while the program works. The signal handler only notes the signal and
// wakes an event loop through a pipe; the work looks for the note at its steps and unwinds,
// so every temporary file and folder is removed by its owner on the way out. A second signal
// ends the process at once, as if none had been caught.

#include <exception>

namespace lenzora::platform {

// Thrown at the first step after a signal; not an Error, so nothing reports it as a failure.
class Interrupted : public std::exception {
  public:
    explicit Interrupted(int signal) : signal_(signal) {}
    const char* what() const noexcept override { return "Interrupted"; }
    int signal() const { return signal_; }
    // The shell's convention for a process ended by a signal: 128 + its number.
    int exitStatus() const { return 128 + signal_; }

  private:
    int signal_;
};

// Installs the handlers for SIGINT and SIGTERM. Called once, early in main().
void catchInterruptions();

// The signal caught, 0 while there is none.
int interruptionSignal();

// Throws Interrupted once a signal has been caught.
void throwIfInterrupted();

// A descriptor that becomes readable when a signal is caught, for an event loop to watch;
// -1 before catchInterruptions().
int interruptionDescriptor();

}  // namespace lenzora::platform
