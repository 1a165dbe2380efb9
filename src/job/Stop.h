// A request to stop the batch, raised by a signal (SIGINT, SIGTERM, SIGHUP):
// the current file stops at its next block, its unfinished output is
// removed, nothing is deleted, and no further file is started.
#pragma once

#include <csignal>

namespace ombrix {

// Async-signal-safe: may be called from a signal handler.
void RequestStop(int signal) noexcept;
// The signal that asked to stop, or 0.
int StopRequested() noexcept;
// Forgets a request (a new batch in tests).
void ClearStop() noexcept;

// For its lifetime, SIGINT, SIGTERM and SIGHUP request a stop instead of
// ending the process; each also writes one byte to wakeFd when one is given,
// so an event loop can notice. A signal ignored when it is made stays
// ignored (nohup, background jobs). Interrupted system calls are restarted.
class StopSignals {
public:
    explicit StopSignals(int wakeFd = -1);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signals a stop can come from.
    static sigset_t Set();

private:
    struct sigaction old_[3];
    bool caught_[3] = {};
};

// Ends the process once the program has cleaned up after a stop signal,
// with the exit status a shell shows for that signal: 128 + its number
// (130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP).
[[noreturn]] void EndByStopSignal(int signal);

}  // namespace ombrix
