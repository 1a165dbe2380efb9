// The batch's view on a command line: messages become lines on stderr (the
// summary on stdout), questions and prompts go to the terminal, and the two
// bars become one status line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Terminal.h"
#include "job/Job.h"
#include "job/JobWindow.h"
#include "picker/PickerPane.h"

namespace ombrix::cli {

// The picked files and the chosen folder, fixed by the command line.
class ArgPicker : public C_PickerPane {
public:
    ArgPicker(std::vector<std::string> files, std::string dest) : files_(std::move(files)), dest_(std::move(dest)) {}
    std::string FileSource(std::int32_t& index) override;
    std::string FileDestination() override { return dest_; }
    std::int32_t TotalFiles() override { return static_cast<std::int32_t>(files_.size()); }
    void DecryptTypes() override {}
    void EncryptTypes() override {}
    void DisableDestination() override {}
    void EnableDestination() override {}
    void ProcessOver() override {}

    const std::string& Current() const { return current_; }

private:
    std::vector<std::string> files_;
    std::string dest_;
    std::string current_;
};

// The status line on stderr: files done of the batch, percent of the current file.
class StatusLine {
public:
    explicit StatusLine(bool enabled) : enabled_(enabled) {}
    void SetTotal(std::int32_t upper) { upper_ = upper; }
    void SetDone(std::int32_t done) { done_ = done; }
    void SetPercent(std::int32_t percent) { percent_ = percent; }
    void SetFile(const std::string& path) { file_ = path; }
    void Show(bool on) {
        if (!on) Clear();
        shown_ = on;
    }
    void Draw();
    void Clear();

private:
    bool enabled_;
    bool shown_ = false;
    std::int32_t upper_ = 0, done_ = 0, percent_ = 0;
    std::string file_;
    std::string drawn_;  // the text on screen, empty when none
};

class CliWindow : public JobView {
public:
    // terminal prompts: whether PromptPassword may ask on the terminal.
    CliWindow(Terminal& terminal, ArgPicker& picker, bool terminalPrompts, bool confirmPrompts, bool progress)
        : terminal_(terminal), picker_(picker), terminalPrompts_(terminalPrompts), confirmPrompts_(confirmPrompts),
          status_(progress) {}

    void ShowMessage(const std::string& text) override;
    // The summary is the program's output.
    void ShowSummary(const std::string& text) override;
    // Asked on the terminal; an ended input means No, which keeps the existing file.
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    bool PromptPassword(const std::string& label, std::string& password) override;
    void SetBarColor(Bar, std::uint8_t, std::uint8_t, std::uint8_t) override {}
    void SetBarRange(Bar bar, std::int32_t lower, std::int32_t upper) override;
    void SetBarPos(Bar bar, std::int32_t pos) override;
    void ShowBar(Bar bar, bool show) override;
    void EnableButton(Button, bool) override {}
    C_PickerPane& Picker() override { return picker_; }
    void PumpEvents() override { status_.Draw(); }
    // The job whose file names the texts may hold: they are shown escaped.
    void Attach(const Job* job) override { job_ = job; }

private:
    void Show(std::FILE* stream, const std::string& text);
    std::vector<std::string> Names() const;

    const Job* job_ = nullptr;

    Terminal& terminal_;
    ArgPicker& picker_;
    bool terminalPrompts_;
    bool confirmPrompts_;
    StatusLine status_;
};

// The longest first line a password file may have: an endless file
// (/dev/zero) is refused after this much, not read into memory.
constexpr std::size_t kMaxPasswordLine = 1 << 20;

enum class PasswordRead { Ok, Unreadable, TooLong };

// Reads the one password: the first line of path ("-": standard input)
// without its "\n" or "\r\n". Unreadable sets errno (EINTR on a stop request).
PasswordRead ReadPasswordFile(const std::string& path, std::string& password);

}  // namespace ombrix::cli
