// The help viewer: shows "help.sh" from the current folder, read afresh at
// every opening.
#pragma once

#include "dlgkit/Dialog.h"

#include <string>

namespace ombrix::ui {

inline constexpr const char* kHelpFileName = "help.sh";
inline constexpr const char* kHelpNotLocated = "         Help File 'Help.sh' not Located      ";

class CHelp : public dlg::Dialog {
    Q_OBJECT
public:
    CHelp();

    std::string m_HelpText;

    // The command of the hidden button: writes the shown text back.
    void OnSaveHelp();

protected:
    void DoDataExchange(dlg::DataExchange& dx) override;
    bool OnInitDialog() override;
};

}  // namespace ombrix::ui
