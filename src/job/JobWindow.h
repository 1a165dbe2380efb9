// The job's narrow view of its window. Every effect the job has on the screen
// goes through here, so the Qt window, the command line and the tests can
// each stand behind it.
#pragma once

#include <cstdint>
#include <string>

namespace ombrix {

class Job;
class C_PickerPane;

// Control ids the job drives.
enum ControlId : int {
    IDC_MAIN_BUTTON = 1018,
    IDC_EXIT_BUTTON = 1019,
    IDC_TOTAL_PROGRESS = 1023,  // batch bar, counts files
    IDC_FILE_PROGRESS = 1024,   // per-file bar, 0..100 percent
};

enum class MsgButtons { Ok, YesNo };
enum class MsgResult { Ok = 1, Yes = 6, No = 7 };

class JobWindow {
public:
    virtual ~JobWindow() = default;

    // TRUE copies the controls into the job's bound members
    // (m_Confirm, m_Delete, m_EncriptRadio, m_Password, m_SameRadio,
    // m_SamePassRadio); FALSE copies those members into the controls.
    virtual void UpdateData(Job& job, bool saveAndValidate) = 0;

    // Modal message box. An empty caption means the application's name.
    // No icon. Returns Ok for an OK box, Yes or No for a Yes/No box.
    virtual MsgResult MessageBox(const std::string& text, const std::string& caption,
                                 MsgButtons buttons) = 0;

    // The password prompt: shows label, returns true on OK with the typed
    // password; false on cancel (password then empty).
    virtual bool PromptPassword(const std::string& label, std::string& password) = 0;

    // Progress bars (IDC_TOTAL_PROGRESS, IDC_FILE_PROGRESS).
    virtual void SetBarColor(int id, std::uint8_t red, std::uint8_t green, std::uint8_t blue) = 0;
    virtual void SetBarRange(int id, std::int32_t lower, std::int32_t upper) = 0;
    virtual void SetBarPos(int id, std::int32_t pos) = 0;

    // Show or hide a control (the bars), enable or disable one (the buttons).
    virtual void ShowControl(int id, bool show) = 0;
    virtual void EnableControl(int id, bool enable) = 0;

    // The hosted file picker (m_ActX).
    virtual C_PickerPane& Picker() = 0;

    // Called every few tens of milliseconds during long file work, so the
    // window can repaint and move its bars.
    virtual void PumpEvents() = 0;
};

}  // namespace ombrix
