// The job's narrow view of its window. Every effect the job has on the screen
// goes through here, in the job's own terms (which bar, which button, a
// message or the summary), so the Qt window, the command line and the tests
// can each stand behind it.
#pragma once

#include <cstdint>
#include <string>

namespace ombrix {

class Job;
class C_PickerPane;

enum class Bar {
    Batch,  // counts the batch's files
    File,   // the current file, 0..100 percent
};

enum class Button { Main, Exit };

// What a batch shows and asks.
class JobView {
public:
    virtual ~JobView() = default;

    // A message by the window's convention: OK alone, no icon, the
    // application's name as caption.
    virtual void ShowMessage(const std::string& text) = 0;
    // The summary that ends every batch.
    virtual void ShowSummary(const std::string& text) = 0;
    // A Yes/No question with its own caption; true for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;

    // The password prompt: shows label, returns true on OK with the typed
    // password; false on cancel (password then empty).
    virtual bool PromptPassword(const std::string& label, std::string& password) = 0;

    virtual void SetBarColor(Bar bar, std::uint8_t red, std::uint8_t green, std::uint8_t blue) = 0;
    virtual void SetBarRange(Bar bar, std::int32_t lower, std::int32_t upper) = 0;
    virtual void SetBarPos(Bar bar, std::int32_t pos) = 0;
    virtual void ShowBar(Bar bar, bool show) = 0;
    // The main and Exit buttons: off while a batch runs.
    virtual void EnableButton(Button button, bool enable) = 0;

    // The hosted file picker (m_ActX).
    virtual C_PickerPane& Picker() = 0;

    // Called every few tens of milliseconds during long file work, so the
    // window can repaint and move its bars.
    virtual void PumpEvents() = 0;

    // The job whose files the texts name, while a batch entry point runs
    // one (nullptr afterwards); windows that own their job need not care.
    virtual void Attach(const Job*) {}
};

// A window whose controls hold the job's settings.
class JobWindow : public JobView {
public:
    // TRUE copies the controls into the job's bound members
    // (m_Confirm, m_Delete, m_EncriptRadio, m_Password, m_SameRadio,
    // m_SamePassRadio, and m_Format from the picker's format choice where
    // there is one); FALSE copies those members into the controls, all but
    // m_Format, which the picker alone sets.
    virtual void UpdateData(Job& job, bool saveAndValidate) = 0;
};

}  // namespace ombrix
