#include "Subprocess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace ombrix::test {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<char*> Argv(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// The current environment with extra NAME=VALUE entries; the strings live in extra.
std::vector<char*> Environment(const std::vector<std::string>& extra) {
    std::vector<char*> env;
    for (char** e = environ; *e; ++e) env.push_back(*e);
    for (auto& x : extra) env.push_back(const_cast<char*>(x.c_str()));
    env.push_back(nullptr);
    return env;
}

// Starts it as an interactive shell would, whatever this process ignores;
// the signals in ignored as nohup would.
[[noreturn]] void Exec(const std::vector<char*>& argv, const std::string& cwd, char** env = environ,
                       const std::vector<int>& ignored = {}) {
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP}) signal(s, SIG_DFL);
    for (int s : ignored) signal(s, SIG_IGN);
    execve(argv[0], argv.data(), env);
    _exit(127);
}

int Status(int status) {
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int MsLeft(Clock::time_point end) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

RunResult RunProgram(const std::vector<std::string>& args, const std::string& input, const std::string& cwd) {
    RunOptions options;
    options.input = input;
    options.cwd = cwd;
    return RunProgram(args, options);
}

RunResult RunProgram(const std::vector<std::string>& args, const RunOptions& options) {
    RunResult r;
    const std::string& input = options.input;
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC)) return r;
    auto argv = Argv(args);
    auto env = Environment(options.env);
    pid_t pid = fork();
    if (pid == 0) {
        setsid();  // no controlling terminal: /dev/tty cannot be opened
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        Exec(argv, options.cwd, env.data(), options.ignored);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    fcntl(in[1], F_SETFL, O_NONBLOCK);
    signal(SIGPIPE, SIG_IGN);

    const auto end = Clock::now() + options.deadline;
    std::size_t written = 0;
    int wfd = in[1];
    if (input.empty()) {
        close(wfd);
        wfd = -1;
    }
    int open = 2;
    for (auto [closed, fd] : {std::pair{options.closedOut, &out[0]}, std::pair{options.closedErr, &err[0]}}) {
        if (!closed) continue;
        close(*fd);
        *fd = -1;
        --open;
    }
    bool killed = false;
    while (open > 0) {
        pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {wfd, POLLOUT, 0}};
        int left = MsLeft(end);
        if (left == 0) {
            kill(pid, SIGKILL);
            killed = true;
            break;
        }
        if (poll(fds, wfd >= 0 ? 3 : 2, left) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[4096];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) (i == 0 ? r.out : r.err).append(buf, static_cast<std::size_t>(n));
            else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                (i == 0 ? out[0] : err[0]) = -1;
                --open;
            }
        }
        if (wfd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t n = write(wfd, input.data() + written, input.size() - written);
            if (n > 0) written += static_cast<std::size_t>(n);
            if (n < 0 && errno != EAGAIN && errno != EINTR) written = input.size();
            if (written == input.size()) {
                close(wfd);
                wfd = -1;
            }
        }
    }
    for (int fd : {out[0], err[0], wfd})
        if (fd >= 0) close(fd);
    int status = 0;
    waitpid(pid, &status, 0);
    r.code = killed ? -1 : Status(status);
    if (!killed && WIFSIGNALED(status)) r.signal = WTERMSIG(status);
    return r;
}

PtyChild::PtyChild(const std::vector<std::string>& args, const std::string& cwd) {
    auto argv = Argv(args);
    winsize ws{};
    ws.ws_row = 24;
    ws.ws_col = 100;
    pid_ = forkpty(&master_, nullptr, nullptr, &ws);
    if (pid_ == 0) Exec(argv, cwd);
}

PtyChild::~PtyChild() {
    if (pid_ > 0 && status_ == -2) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
}

bool PtyChild::ReadSome(std::chrono::milliseconds timeout) {
    if (master_ < 0) return false;
    pollfd fd{master_, POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(timeout.count())) <= 0) return false;
    char buf[4096];
    ssize_t n = read(master_, buf, sizeof buf);
    if (n <= 0) return false;  // EIO once the child's side is closed
    output_.append(buf, static_cast<std::size_t>(n));
    return true;
}

bool PtyChild::Expect(const std::string& text, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    for (;;) {
        auto at = output_.find(text, consumed_);
        if (at != std::string::npos) {
            consumed_ = at + text.size();
            return true;
        }
        int left = MsLeft(end);
        if (left == 0 || !ReadSome(std::chrono::milliseconds(left))) return false;
    }
}

void PtyChild::Send(const std::string& text) {
    if (master_ >= 0) (void)!write(master_, text.data(), text.size());
}

void PtyChild::Signal(int sig) {
    if (pid_ > 0 && status_ == -2) kill(pid_, sig);
}

bool PtyChild::EchoOn() const {
    termios t{};
    return tcgetattr(master_, &t) == 0 && (t.c_lflag & ECHO);
}

int PtyChild::Wait(std::chrono::seconds deadline) {
    if (status_ != -2) return status_;
    const auto end = Clock::now() + deadline;
    while (MsLeft(end) > 0 && ReadSome(std::chrono::milliseconds(MsLeft(end)))) {}
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (MsLeft(end) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            return status_ = -1;
        }
        usleep(10000);
    }
    return status_ = Status(status);
}

}  // namespace ombrix::test
