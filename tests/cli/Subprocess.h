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
    int code = -1;  // exit status; -1 when killed or not started
};

// RunProgram runs args[0] with the arguments, in cwd (empty: the current one), with
// input on its standard input, in a session of its own so /dev/tty fails.
RunResult RunProgram(const std::vector<std::string>& args, const std::string& input = {},
              const std::string& cwd = {}, std::chrono::seconds deadline = std::chrono::seconds(60));

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
    // Exit status after reading the rest of the output; -1 when killed.
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
