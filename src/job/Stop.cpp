#include "job/Stop.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace ombrix {
namespace {

std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only touch lock-free atomics");

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
std::atomic<int> wakeFd{-1};

extern "C" void OnStopSignal(int signal) {
    const int saved = errno;
    RequestStop(signal);
    if (int fd = wakeFd.load(std::memory_order_relaxed); fd >= 0) {
        const char byte = 0;
        (void)!::write(fd, &byte, 1);  // a full pipe already holds a wake-up
    }
    errno = saved;
}

}  // namespace

void RequestStop(int signal) noexcept { stopSignal.store(signal, std::memory_order_relaxed); }
int StopRequested() noexcept { return stopSignal.load(std::memory_order_relaxed); }
void ClearStop() noexcept { stopSignal.store(0, std::memory_order_relaxed); }

sigset_t StopSignals::Set() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : kStopSignals) sigaddset(&set, s);
    return set;
}

StopSignals::StopSignals(int fd) {
    wakeFd.store(fd, std::memory_order_relaxed);
    struct sigaction act {};
    act.sa_handler = OnStopSignal;
    act.sa_mask = Set();
    act.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
        if (sigaction(kStopSignals[i], nullptr, &old_[i]) != 0 || old_[i].sa_handler == SIG_IGN) continue;
        caught_[i] = sigaction(kStopSignals[i], &act, nullptr) == 0;
    }
}

StopSignals::~StopSignals() {
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
        if (caught_[i]) sigaction(kStopSignals[i], &old_[i], nullptr);
    wakeFd.store(-1, std::memory_order_relaxed);
}

void EndByStopSignal(int signal) {
    std::fflush(nullptr);
    std::_Exit(128 + signal);
}

}  // namespace ombrix
