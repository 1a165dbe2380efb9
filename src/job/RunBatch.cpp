#include "job/RunBatch.h"

#include "job/Job.h"

namespace ombrix {
namespace {

// A window whose controls are the settings; everything it shows or asks goes
// to the view, but for the questions the settings answer.
class SettingsWindow : public JobWindow {
public:
    SettingsWindow(JobView& view, ReplacePolicy replace) : view_(view), replace_(replace) {}

    ControlValues controls;

    void UpdateData(Job& job, bool saveAndValidate) override { controls.Exchange(job, saveAndValidate); }
    void ShowMessage(const std::string& text) override { view_.ShowMessage(text); }
    void ShowSummary(const std::string& text) override { view_.ShowSummary(text); }
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        if (replace_ == ReplacePolicy::Ask) return view_.AskYesNo(text, caption);
        return replace_ == ReplacePolicy::Yes;
    }
    bool PromptPassword(const std::string& label, std::string& password) override {
        return view_.PromptPassword(label, password);
    }
    void SetBarColor(Bar bar, std::uint8_t red, std::uint8_t green, std::uint8_t blue) override {
        view_.SetBarColor(bar, red, green, blue);
    }
    void SetBarRange(Bar bar, std::int32_t lower, std::int32_t upper) override { view_.SetBarRange(bar, lower, upper); }
    void SetBarPos(Bar bar, std::int32_t pos) override { view_.SetBarPos(bar, pos); }
    void ShowBar(Bar bar, bool show) override { view_.ShowBar(bar, show); }
    void EnableButton(Button button, bool enable) override { view_.EnableButton(button, enable); }
    C_PickerPane& Picker() override { return view_.Picker(); }
    void PumpEvents() override { view_.PumpEvents(); }

private:
    JobView& view_;
    ReplacePolicy replace_;
};

ControlValues Controls(const BatchSettings& s) {
    ControlValues c;
    c.password = c.confirm = s.password;
    c.del = s.deleteOriginals ? 1 : 0;
    c.encrypt = s.process == Process::Decrypt ? 1 : 0;
    c.same = s.destination == Destination::OneFolder ? 0 : 1;
    c.samePass = s.passwordMode == PasswordMode::EachFile ? 1 : 0;
    c.format = s.format;
    return c;
}

}  // namespace

BatchCounts RunBatch(JobView& view, const BatchSettings& settings) {
    SettingsWindow window(view, settings.replace);
    Job job(window);
    view.Attach(&job);
    job.OnInitDialog();
    window.controls = Controls(settings);
    job.UpdateData(true);
    job.ProcessFlag = settings.process == Process::Decrypt ? 1 : 0;
    job.OnMainButton();
    view.Attach(nullptr);
    return {job.SelectedCount, job.ProcessedCount, job.DeletedCount};
}

}  // namespace ombrix
