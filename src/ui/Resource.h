// Dialog, control, command and string ids of the program's windows.
#pragma once

#include <string>

namespace ombrix::ui {

enum : int {
    IDD_ABOUTBOX = 100,
    IDS_ABOUTBOX = 101,
    IDD_OMBRIX_DIALOG = 102,
    IDD_PASSWORD = 103,
    IDD_HELP = 104,
    IDR_MAINFRAME = 128,

    // Main window.
    IDC_ENCRYPT_RADIO = 1001,
    IDC_DECRYPT_RADIO = 1004,
    IDC_SAME_RADIO = 1005,
    IDC_RESPECTIVE_RADIO = 1006,
    IDC_SAMEPASS_RADIO = 1007,
    IDC_EACHPASS_RADIO = 1008,
    IDC_PROCESS_GROUP = 1009,
    IDC_DESTINATION_GROUP = 1010,
    IDC_PASSMODE_GROUP = 1011,
    IDC_DELETE_CHECK = 1012,
    IDC_SETTINGS_GROUP = 1013,
    IDC_PASSWORD_LABEL = 1014,
    IDC_CONFIRM_LABEL = 1015,
    IDC_PASSWORD_EDIT = 1016,
    IDC_CONFIRM_EDIT = 1017,
    IDC_MAIN_BUTTON = 1018,
    IDC_EXIT_BUTTON = 1019,
    IDC_PICKERPANE1 = 1021,
    IDC_ABOUT_BUTTON = 1022,
    IDC_TOTAL_PROGRESS = 1023,  // the batch bar
    IDC_FILE_PROGRESS = 1024,   // the per-file bar
    IDC_HELP_BUTTON = 1031,

    // Password prompt.
    IDC_FILE_LABEL = 1025,
    IDC_ENTER_LABEL = 1026,
    IDC_PASS_EDIT = 1027,
    IDC_REPEAT_LABEL = 1028,
    IDC_REPEAT_EDIT = 1029,

    // Help viewer.
    IDC_HELP_TEXT = 1032,
    IDC_SAVE_HELP = 1033,
};

// The system-menu command of the About entry.
constexpr unsigned IDM_ABOUTBOX = 0x0010;

// Icons of IDR_MAINFRAME.
inline constexpr const char* kIcon32 = ":/ombrix/ombrix32.png";
inline constexpr const char* kIcon16 = ":/ombrix/ombrix16.png";

// The string table; empty for an unknown id.
std::string LoadString(int id);

}  // namespace ombrix::ui
