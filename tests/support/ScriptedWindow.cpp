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

MsgResult ScriptedWindow::MessageBox(const std::string& text, const std::string& caption,
                                     MsgButtons buttons) {
    Box box{text, caption, buttons};
    boxes.push_back(box);
    events.push_back("Box(" + text + ")");
    if (onBox) onBox(box);
    if (buttons == MsgButtons::Ok) return MsgResult::Ok;
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return MsgResult::No;
    }
    MsgResult r = answers_.front();
    answers_.pop_front();
    return r;
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

void ScriptedWindow::SetBarColor(int id, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    events.push_back("Color(" + std::to_string(id) + "," + std::to_string(r) + "," + std::to_string(g) +
                     "," + std::to_string(b) + ")");
}

void ScriptedWindow::SetBarRange(int id, std::int32_t lower, std::int32_t upper) {
    events.push_back("Range(" + std::to_string(id) + "," + std::to_string(lower) + "," +
                     std::to_string(upper) + ")");
}

void ScriptedWindow::SetBarPos(int id, std::int32_t pos) {
    positions_.emplace_back(id, pos);
    if (id == IDC_TOTAL_PROGRESS) events.push_back("Total(" + std::to_string(pos) + ")");
}

void ScriptedWindow::ShowControl(int id, bool show) {
    if (id == IDC_TOTAL_PROGRESS) shown[0] = show;
    if (id == IDC_FILE_PROGRESS) shown[1] = show;
    events.push_back((show ? "Show(" : "Hide(") + std::to_string(id) + ")");
}

void ScriptedWindow::EnableControl(int id, bool enable) {
    if (id == IDC_MAIN_BUTTON) enabled[0] = enable;
    if (id == IDC_EXIT_BUTTON) enabled[1] = enable;
    events.push_back((enable ? "Enable(" : "Disable(") + std::to_string(id) + ")");
}

void ScriptedWindow::ClearRecords() {
    boxes.clear();
    promptLabels.clear();
    events.clear();
    positions_.clear();
}

std::vector<int> ScriptedWindow::FilePositions() const {
    std::vector<int> v;
    for (auto [id, pos] : positions_)
        if (id == IDC_FILE_PROGRESS) v.push_back(pos);
    return v;
}

std::vector<int> ScriptedWindow::TotalPositions() const {
    std::vector<int> v;
    for (auto [id, pos] : positions_)
        if (id == IDC_TOTAL_PROGRESS) v.push_back(pos);
    return v;
}

std::vector<std::string> ScriptedWindow::Texts() const {
    std::vector<std::string> v;
    for (auto& b : boxes) v.push_back(b.text);
    return v;
}

}  // namespace ombrix::test
