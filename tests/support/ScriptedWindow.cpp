#include "support/ScriptedWindow.h"

#include <gtest/gtest.h>

namespace ombrix::test {

ScriptedWindow::ScriptedWindow() { picker.log = &events; }

ScriptedWindow::~ScriptedWindow() {
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " Yes/No answer(s) left unused";
    EXPECT_TRUE(prompts_.empty()) << prompts_.size() << " prompt answer(s) left unused";
}

void ScriptedWindow::UpdateData(Job& job, bool saveAndValidate) {
    ++updates;
    events.push_back(saveAndValidate ? "UpdateData(TRUE)" : "UpdateData(FALSE)");
    controls.Exchange(job, saveAndValidate);
}

namespace {

const char* Name(Bar bar) { return bar == Bar::Batch ? "batch" : "file"; }

}  // namespace

void ScriptedWindow::Record(Box box) {
    boxes.push_back(box);
    events.push_back((box.kind == Box::Summary ? "Summary(" : "Box(") + box.text + ")");
    if (onBox) onBox(box);
}

void ScriptedWindow::ShowMessage(const std::string& text) { Record({text, "", Box::Message}); }
void ScriptedWindow::ShowSummary(const std::string& text) { Record({text, "", Box::Summary}); }

bool ScriptedWindow::AskYesNo(const std::string& text, const std::string& caption) {
    Record({text, caption, Box::Question});
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return false;
    }
    Answer a = answers_.front();
    answers_.pop_front();
    return a == Answer::Yes;
}

bool ScriptedWindow::PromptPassword(const std::string& label, std::string& password) {
    promptLabels.push_back(label);
    events.push_back("Prompt(" + label + ")");
    if (onPrompt) onPrompt();
    password.clear();
    if (prompts_.empty()) {
        ADD_FAILURE() << "unexpected prompt: " << label;
        return false;
    }
    PromptAnswer a = prompts_.front();
    prompts_.pop_front();
    if (!a) return false;
    password = *a;
    return true;
}

void ScriptedWindow::SetBarColor(Bar bar, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    events.push_back(std::string("Color(") + Name(bar) + "," + std::to_string(r) + "," + std::to_string(g) + "," +
                     std::to_string(b) + ")");
}

void ScriptedWindow::SetBarRange(Bar bar, std::int32_t lower, std::int32_t upper) {
    events.push_back(std::string("Range(") + Name(bar) + "," + std::to_string(lower) + "," + std::to_string(upper) +
                     ")");
}

void ScriptedWindow::SetBarPos(Bar bar, std::int32_t pos) {
    positions_.emplace_back(bar, pos);
    if (bar == Bar::Batch) events.push_back("Total(" + std::to_string(pos) + ")");
}

void ScriptedWindow::ShowBar(Bar bar, bool show) {
    shown[bar == Bar::Batch ? 0 : 1] = show;
    events.push_back((show ? "Show(" : "Hide(") + std::string(Name(bar)) + ")");
}

void ScriptedWindow::EnableButton(Button button, bool enable) {
    enabled[button == Button::Main ? 0 : 1] = enable;
    events.push_back((enable ? "Enable(" : "Disable(") + std::string(button == Button::Main ? "main" : "exit") + ")");
}

void ScriptedWindow::ClearRecords() {
    boxes.clear();
    promptLabels.clear();
    events.clear();
    positions_.clear();
}

std::vector<int> ScriptedWindow::FilePositions() const {
    std::vector<int> v;
    for (auto [bar, pos] : positions_)
        if (bar == Bar::File) v.push_back(pos);
    return v;
}

std::vector<int> ScriptedWindow::TotalPositions() const {
    std::vector<int> v;
    for (auto [bar, pos] : positions_)
        if (bar == Bar::Batch) v.push_back(pos);
    return v;
}

std::vector<std::string> ScriptedWindow::Texts() const {
    std::vector<std::string> v;
    for (auto& b : boxes) v.push_back(b.text);
    return v;
}

}  // namespace ombrix::test
