#include "job/Stop.h"

#include <atomic>

namespace ombrix {
namespace {

std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only touch lock-free atomics");

}  // namespace

void RequestStop(int signal) noexcept { stopSignal.store(signal, std::memory_order_relaxed); }
int StopRequested() noexcept { return stopSignal.load(std::memory_order_relaxed); }
void ClearStop() noexcept { stopSignal.store(0, std::memory_order_relaxed); }

}  // namespace ombrix
