// A request to stop the batch, raised by a signal (SIGINT, SIGTERM, SIGHUP):
// the current file stops at its next block, its unfinished output is
// removed, nothing is deleted, and no further file is started.
#pragma once

namespace ombrix {

// Async-signal-safe: may be called from a signal handler.
void RequestStop(int signal) noexcept;
// The signal that asked to stop, or 0.
int StopRequested() noexcept;
// Forgets a request (a new batch in tests).
void ClearStop() noexcept;

}  // namespace ombrix
