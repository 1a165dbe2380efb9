// The help viewer: shows "help.sh" from the current folder, or else the copy
// installed with the program, read afresh at every opening.
#pragma once

#include "dlgkit/Dialog.h"
#include "ui/HelpFile.h"

#include <string>

namespace ombrix::ui {

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
