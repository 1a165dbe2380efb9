#include "cli/Terminal.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

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
        ssize_t n = ::read(fd_, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;  // end of input (Ctrl-D) or error
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
    struct sigaction act {}, old[std::size(kSignals)];
    act.sa_handler = RestoreAndRaise;
    sigemptyset(&act.sa_mask);
    for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &act, &old[i]);

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
    for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &old[i], nullptr);
    return line;
}

}  // namespace ombrix::cli
