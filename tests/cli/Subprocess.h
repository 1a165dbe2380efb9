// Runs a program as a child and hands back what it wrote: through pipes and
// without a controlling terminal, or on a fresh pseudo-terminal. Nothing
// waits forever: a child that outlives its deadline is killed.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace ombrix::test {

struct RunResult {
    std::string out, err;
    // Exit status as a shell reports it: 128 + N when signal N ended the
    // child; -1 when it was killed at its deadline or did not start.
    int code = -1;
    int signal = 0;  // the signal that ended it, 0 when it exited
};

struct RunOptions {
    std::string input;             // on its standard input
    std::string cwd;               // empty: the current folder
    std::vector<std::string> env;  // NAME=VALUE entries added to the environment
    // The reading end of its standard output or error is closed before it
    // starts: its writes there fail with EPIPE (SIGPIPE).
    bool closedOut = false, closedErr = false;
    std::vector<int> ignored;  // signals it starts with ignored, as under nohup
    std::chrono::seconds deadline{60};
};

// RunProgram runs args[0] with the arguments, in a session of its own so
// /dev/tty fails.
RunResult RunProgram(const std::vector<std::string>& args, const RunOptions& options);
RunResult RunProgram(const std::vector<std::string>& args, const std::string& input = {}, const std::string& cwd = {});

// A child whose standard input, output and error and controlling terminal
// are one pseudo-terminal.
class PtyChild {
public:
    PtyChild(const std::vector<std::string>& args, const std::string& cwd = {});
    ~PtyChild();
    PtyChild(const PtyChild&) = delete;
    PtyChild& operator=(const PtyChild&) = delete;

    // Reads until text appears after what earlier calls consumed; false on
    // timeout or end of output.
    bool Expect(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(20));
    void Send(const std::string& text);
    void Signal(int sig);
    // Exit status after reading the rest of the output, as RunResult::code.
    int Wait(std::chrono::seconds deadline = std::chrono::seconds(30));
    // Whether the terminal echoes what is typed, as the child left it.
    bool EchoOn() const;
    // Everything the child wrote so far ("\n" arrives as "\r\n").
    const std::string& Output() const { return output_; }

private:
    bool ReadSome(std::chrono::milliseconds timeout);
    pid_t pid_ = -1;
    int master_ = -1;
    std::string output_;
    std::size_t consumed_ = 0;
    int status_ = -2;  // -2: not yet reaped
};

}  // namespace ombrix::test
