// The per-file password prompt. One object serves every question: each run
// starts with both fields empty and OK disabled.
#pragma once

#include "dlgkit/Dialog.h"

#include <string>

namespace ombrix::ui {

class CPassword : public dlg::Dialog {
    Q_OBJECT
public:
    CPassword();

    std::string m_FileLabel;  // the line shown above the fields
    std::string m_Confirm;
    std::string m_Password;  // the answer after IDOK; empty after a cancel

protected:
    void DoDataExchange(dlg::DataExchange& dx) override;
    bool OnInitDialog() override;
    void OnCancel() override;

private:
    void OnChangeConfirm();
};

}  // namespace ombrix::ui
