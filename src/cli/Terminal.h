// The controlling terminal (/dev/tty), where questions and passwords are
// asked, whatever standard input and output are connected to.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace ombrix::cli {

class Terminal {
public:
    Terminal();  // ok() is false when the process has no terminal
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    bool ok() const { return fd_ >= 0; }
    void Write(std::string_view text);
    // One line, echoed; nullopt on end of input, an error or a stop request.
    std::optional<std::string> ReadLine(std::string_view prompt);
    // One line with echo off; the echo comes back even when a signal ends
    // the program meanwhile.
    std::optional<std::string> ReadSecret(std::string_view prompt);

private:
    std::optional<std::string> Read();
    int fd_ = -1;
};

// read(2) that gives up on a stop request (-1, errno EINTR), also on one
// that arrives while it waits for input, so no question outlives a signal.
ssize_t ReadUnlessStopped(int fd, void* buf, std::size_t size);

}  // namespace ombrix::cli
