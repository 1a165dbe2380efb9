#include "cli/CliWindow.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "cli/Printable.h"
#include "cli/Texts.h"
#include "job/Job.h"

namespace ombrix::cli {
namespace {

using text::Say;

void Put(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

std::size_t TerminalColumns() {
    winsize ws{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
    return 80;
}

}  // namespace

std::string ArgPicker::FileSource(std::int32_t& index) {
    if (index < 0 || static_cast<std::size_t>(index) >= files_.size()) return {};
    current_ = files_[static_cast<std::size_t>(index)];
    return current_;
}

void StatusLine::Draw() {
    if (!enabled_ || !shown_) return;
    std::string text = Say<CliText::Status>(std::to_string(done_), std::to_string(upper_), std::to_string(percent_));
    // One screen line at most, or the carriage return cannot take it back.
    const std::size_t room = TerminalColumns() - 1;
    std::string file = Escaped(file_);
    if (text.size() + file.size() > room) {
        std::size_t keep = room > text.size() + 3 ? room - text.size() - 3 : 0;
        std::size_t from = file.size() - std::min(keep, file.size());
        while (from < file.size() && (static_cast<unsigned char>(file[from]) & 0xC0) == 0x80) ++from;
        file = "..." + file.substr(from);
    }
    text += file;
    if (text.size() > room) text.resize(room);
    if (text == drawn_) return;
    std::string out = "\r" + text + "\033[K";
    std::fwrite(out.data(), 1, out.size(), stderr);
    std::fflush(stderr);
    drawn_ = std::move(text);
}

void StatusLine::Clear() {
    if (drawn_.empty()) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    drawn_.clear();
}

std::vector<std::string> CliWindow::Names() const {
    if (!job_) return {};
    const Job& j = *job_;
    std::vector<std::string> names{j.SFilePath, j.SFileParent, j.SFile, j.SFileAbName, j.SFileExt};
    names.insert(names.end(), {j.DFilePath, j.DFileCompletePath, j.DFile, j.DFileAbName, j.DFileExt});
    return names;
}

void CliWindow::Show(std::FILE* stream, const std::string& text) {
    status_.Clear();
    Put(stream, ForTerminal(text, Names()));
    status_.Draw();
}

void CliWindow::ShowMessage(const std::string& text) { Show(stderr, text); }
void CliWindow::ShowSummary(const std::string& text) { Show(stdout, text); }

bool CliWindow::AskYesNo(const std::string& text, const std::string&) {
    if (!terminal_.ok()) return false;
    status_.Clear();
    const std::string question = Say<CliText::YesNo>(ForTerminal(text, Names()));
    bool yes = false;
    for (;;) {
        auto line = terminal_.ReadLine(question);
        if (!line) {
            terminal_.Write("\n");
            break;
        }
        for (auto& c : *line)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (*line == "y" || *line == "yes" || *line == "n" || *line == "no") {
            yes = line->front() == 'y';
            break;
        }
    }
    status_.Draw();
    return yes;
}

// Like the window's prompt: OK needs a non-empty password, and when a
// confirmation is asked, an equal one; anything else asks again or cancels.
bool CliWindow::PromptPassword(const std::string& label, std::string& password) {
    password.clear();
    if (!terminalPrompts_ || !terminal_.ok()) return false;
    status_.Clear();
    for (;;) {
        terminal_.Write(ForTerminal(label, Names()) + "\n");
        auto first = terminal_.ReadSecret(Say<CliText::PasswordPrompt>());
        if (!first || first->empty()) break;
        if (confirmPrompts_) {
            auto second = terminal_.ReadSecret(Say<CliText::ConfirmPrompt>());
            if (!second) break;
            if (*second != *first) {
                terminal_.Write(Say<CliText::NotConfirmed>() + "\n");
                continue;
            }
        }
        password = std::move(*first);
        status_.Draw();
        return true;
    }
    status_.Draw();
    return false;
}

void CliWindow::SetBarRange(Bar bar, std::int32_t, std::int32_t upper) {
    if (bar == Bar::Batch) status_.SetTotal(upper);
}

void CliWindow::SetBarPos(Bar bar, std::int32_t pos) {
    if (bar == Bar::Batch) status_.SetDone(pos);
    else status_.SetPercent(pos);
    status_.SetFile(picker_.Current());
    status_.Draw();
}

void CliWindow::ShowBar(Bar bar, bool show) {
    if (bar == Bar::Batch) status_.Show(show);
}

PasswordRead ReadPasswordFile(const std::string& path, std::string& password) {
    password.clear();
    const bool useStdin = path == "-";
    const int fd = useStdin ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return PasswordRead::Unreadable;
    // Only as much as the longest first line allowed, and one byte more to tell.
    std::string text;
    std::size_t end = std::string::npos;
    char buf[64 << 10];
    ssize_t n = 0;
    while (end == std::string::npos && text.size() <= kMaxPasswordLine) {
        n = ReadUnlessStopped(fd, buf, std::min(sizeof buf, kMaxPasswordLine + 1 - text.size()));
        if (n <= 0) break;
        const std::size_t from = text.size();
        text.append(buf, static_cast<std::size_t>(n));
        end = text.find('\n', from);
    }
    const int err = errno;
    if (!useStdin) ::close(fd);
    if (n < 0) {
        errno = err;
        return PasswordRead::Unreadable;
    }
    if (end == std::string::npos) {
        if (text.size() > kMaxPasswordLine) return PasswordRead::TooLong;
    } else {
        text.resize(end);
        if (!text.empty() && text.back() == '\r') text.pop_back();
    }
    password = std::move(text);
    return PasswordRead::Ok;
}

}  // namespace ombrix::cli
