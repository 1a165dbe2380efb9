// A window for core tests: records what the job shows, answers questions and
// prompts from queues, and fails the test on anything unscripted.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "job/Job.h"
#include "job/JobWindow.h"
#include "support/FakePicker.h"

namespace ombrix::test {

// What the controls show; UpdateData moves it to and from the job.
using Controls = ControlValues;

// What the job showed or asked: a message, the summary, or a Yes/No question
// (with its caption).
struct Box {
    enum Kind { Message, Summary, Question };
    std::string text, caption;
    Kind kind = Message;
    bool operator==(const Box&) const = default;
};

enum class Answer { Yes, No };

// A prompt answer: OK with a password, or cancel (nullopt).
using PromptAnswer = std::optional<std::string>;

class ScriptedWindow : public JobWindow {
public:
    ScriptedWindow();
    ~ScriptedWindow() override;  // fails the test on unused answers

    // Queues.
    void QueueAnswer(Answer yesOrNo) { answers_.push_back(yesOrNo); }
    void QueuePrompt(PromptAnswer answer) { prompts_.push_back(std::move(answer)); }
    // Runs while a prompt is shown, before it is answered.
    std::function<void()> onPrompt;
    std::function<void(const Box&)> onBox;

    // Records.
    std::vector<Box> boxes;
    std::vector<std::string> promptLabels;
    std::vector<std::string> events;          // every call, as text, in order
    std::vector<int> FilePositions() const;   // SetBarPos on the file bar
    std::vector<int> TotalPositions() const;  // SetBarPos on the batch bar
    std::vector<std::string> Texts() const;   // the boxes' texts
    void ClearRecords();                      // forgets boxes, prompts, events and bar positions
    int pumps = 0;
    int updates = 0;
    bool enabled[2] = {true, true};  // main, exit
    bool shown[2] = {false, false};  // total, file

    Controls controls;
    FakePicker picker;

    // JobWindow
    void UpdateData(Job& job, bool saveAndValidate) override;
    void ShowMessage(const std::string& text) override;
    void ShowSummary(const std::string& text) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    bool PromptPassword(const std::string& label, std::string& password) override;
    void SetBarColor(Bar bar, std::uint8_t r, std::uint8_t g, std::uint8_t b) override;
    void SetBarRange(Bar bar, std::int32_t lower, std::int32_t upper) override;
    void SetBarPos(Bar bar, std::int32_t pos) override;
    void ShowBar(Bar bar, bool show) override;
    void EnableButton(Button button, bool enable) override;
    C_PickerPane& Picker() override { return picker; }
    void PumpEvents() override { ++pumps; }
    void Attach(const Job* job) override { attached = job; }
    const Job* attached = nullptr;

private:
    void Record(Box box);

    std::deque<Answer> answers_;
    std::deque<PromptAnswer> prompts_;
    std::vector<std::pair<Bar, int>> positions_;
};

}  // namespace ombrix::test
