#include "cli/Terminal.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "job/Stop.h"

namespace ombrix::cli {
namespace {

// What a signal handler needs to give the echo back.
volatile sig_atomic_t g_restoreFd = -1;
termios g_saved{};

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void RestoreAndRaise(int sig) {
    if (g_restoreFd >= 0) tcsetattr(g_restoreFd, TCSANOW, &g_saved);
    signal(sig, SIG_DFL);
    raise(sig);
}

}  // namespace

ssize_t ReadUnlessStopped(int fd, void* buf, std::size_t size) {
    // The stop signals are held back from the check until ppoll waits, so
    // one that comes in between still wakes it.
    const sigset_t stops = StopSignals::Set();
    sigset_t waiting;
    sigprocmask(SIG_BLOCK, &stops, &waiting);
    ssize_t n = -1;
    for (;;) {
        if (StopRequested()) {
            errno = EINTR;
            break;
        }
        pollfd p{fd, POLLIN, 0};
        if (ppoll(&p, 1, nullptr, &waiting) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        n = ::read(fd, buf, size);
        if (n >= 0 || (errno != EINTR && errno != EAGAIN)) break;
    }
    const int saved = errno;
    sigprocmask(SIG_SETMASK, &waiting, nullptr);
    errno = saved;
    return n;
}

Terminal::Terminal() { fd_ = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC); }

Terminal::~Terminal() {
    if (fd_ >= 0) ::close(fd_);
}

void Terminal::Write(std::string_view text) {
    while (!text.empty()) {
        ssize_t n = ::write(fd_, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::optional<std::string> Terminal::Read() {
    std::string line;
    for (;;) {
        char c;
        if (ReadUnlessStopped(fd_, &c, 1) != 1) return std::nullopt;  // end of input (Ctrl-D), error, stop
        if (c == '\n') break;
        line.push_back(c);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::optional<std::string> Terminal::ReadLine(std::string_view prompt) {
    Write(prompt);
    return Read();
}

std::optional<std::string> Terminal::ReadSecret(std::string_view prompt) {
    termios saved{};
    if (tcgetattr(fd_, &saved) != 0) return std::nullopt;
    g_saved = saved;
    g_restoreFd = fd_;
    // A signal that would end the program gives the echo back first; one
    // that asks to stop ends the read, and the echo comes back below.
    struct sigaction act {};
    struct sigaction old[std::size(kSignals)];
    act.sa_handler = RestoreAndRaise;
    sigemptyset(&act.sa_mask);
    bool swapped[std::size(kSignals)] = {};
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        if (sigaction(kSignals[i], nullptr, &old[i]) == 0 && old[i].sa_handler == SIG_DFL)
            swapped[i] = sigaction(kSignals[i], &act, nullptr) == 0;

    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
    quiet.c_lflag |= ICANON;
    // Echo goes off before the prompt shows, so nothing typed after it is echoed.
    std::optional<std::string> line;
    if (tcsetattr(fd_, TCSANOW, &quiet) == 0) {
        Write(prompt);
        line = Read();
        Write("\n");
    }
    tcsetattr(fd_, TCSANOW, &saved);
    g_restoreFd = -1;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        if (swapped[i]) sigaction(kSignals[i], &old[i], nullptr);
    return line;
}

}  // namespace ombrix::cli
