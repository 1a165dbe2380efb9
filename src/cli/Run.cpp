#include "cli/Run.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "cli/CliWindow.h"
#include "cli/Options.h"
#include "cli/Printable.h"
#include "cli/Terminal.h"
#include "cli/Texts.h"
#include "job/RunBatch.h"
#include "job/Stop.h"

namespace ombrix::cli {
namespace {

using text::Say;

constexpr int kUsageError = 2;

int Usage(const std::string& error) {
    std::fputs(Say<CliText::UsageError>(Escaped(error), Say<CliText::Hint>()).c_str(), stderr);
    return kUsageError;
}

// A one-line refusal that is not about the command line itself.
int Refuse(const std::string& text) {
    std::fprintf(stderr, "%s\n", Escaped(text).c_str());
    return kUsageError;
}

// A signal during the questions before the batch ends the program at once:
// nothing was started yet.
void EndIfStopped() {
    if (int signal = StopRequested()) EndByStopSignal(signal);
}

}  // namespace

int Run(int argc, char** argv) {
    // A closed pipe on stdout or stderr loses a line, not the batch.
    std::signal(SIGPIPE, SIG_IGN);
    StopSignals stopSignals;

    ParseResult parsed = Parse(argc, argv);
    if (!parsed.error.empty()) return Usage(parsed.error);
    Options& o = parsed.options;
    if (o.help) {
        std::fputs(Usage().c_str(), stdout);
        return 0;
    }
    if (o.version) {
        std::fputs(Say<CliText::Version>().c_str(), stdout);
        return 0;
    }

    Terminal terminal;
    if (o.each && !terminal.ok()) return Usage(Say<CliText::EachNeedsTerminal>());
    if (!o.each && !o.passwordFile && !terminal.ok()) return Usage(Say<CliText::NoTerminalForPassword>());
    if (o.replace == Replace::Ask && !terminal.ok()) return Usage(Say<CliText::AskNeedsTerminal>());
    if (o.replace == Replace::Default) o.replace = isatty(STDIN_FILENO) && terminal.ok() ? Replace::Ask : Replace::No;

    // Placement takes a file's folder from the text before its last "/", so
    // every path must be absolute.
    char* cwdBuf = getcwd(nullptr, 0);
    if (!cwdBuf) return Refuse(Say<CliText::NoCurrentFolder>(std::strerror(errno)));
    const std::string cwd = cwdBuf;
    std::free(cwdBuf);
    for (auto& f : o.files) f = Absolute(f, cwd);
    if (o.dest) o.dest = Absolute(*o.dest, cwd);

    std::string password;
    if (o.passwordFile) {
        const PasswordRead read = ReadPasswordFile(*o.passwordFile, password);
        EndIfStopped();
        if (read == PasswordRead::Unreadable)
            return Refuse(Say<CliText::PasswordFileUnreadable>(*o.passwordFile, std::strerror(errno)));
        if (read == PasswordRead::TooLong) return Refuse(Say<CliText::PasswordLineTooLong>(*o.passwordFile));
    } else if (!o.each) {
        auto first = terminal.ReadSecret(Say<CliText::PasswordPrompt>());
        EndIfStopped();
        if (!first || first->empty()) return Refuse(Say<CliText::NoPassword>());
        if (!o.decrypt) {
            auto second = terminal.ReadSecret(Say<CliText::ConfirmPrompt>());
            EndIfStopped();
            if (!second || *second != *first) return Refuse(Say<CliText::NotConfirmed>());
        }
        password = std::move(*first);
    }

    ArgPicker picker(o.files, o.dest.value_or(std::string()));
    // A wrong password is asked again only where it was typed: never when it came from a file.
    const bool terminalPrompts = terminal.ok() && !o.passwordFile;
    const bool progress = !o.quiet && isatty(STDERR_FILENO);
    CliWindow window(terminal, picker, terminalPrompts, !o.decrypt, progress);
    BatchSettings settings;
    settings.process = o.decrypt ? Process::Decrypt : Process::Encrypt;
    settings.destination = o.dest ? Destination::OneFolder : Destination::OwnFolders;
    settings.passwordMode = o.each ? PasswordMode::EachFile : PasswordMode::OneForAll;
    settings.password = std::move(password);
    settings.deleteOriginals = o.del;
    settings.format = o.format;
    settings.replace = o.replace == Replace::Yes   ? ReplacePolicy::Yes
                       : o.replace == Replace::Ask ? ReplacePolicy::Ask
                                                   : ReplacePolicy::No;
    const BatchCounts counts = RunBatch(window, settings);

    // The batch stopped at the signal and showed its summary: 128 + the signal.
    EndIfStopped();
    const bool allDone = counts.processed == counts.selected;
    const bool allDeleted = !o.del || counts.deleted == counts.selected;
    return allDone && allDeleted ? 0 : 1;
}

}  // namespace ombrix::cli
