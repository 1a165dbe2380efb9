#include "ui/Password.h"

#include "ui/Resource.h"

namespace ombrix::ui {

using namespace dlg;

namespace {

DialogTemplate PasswordTemplate() {
    return {"Ombrix :  Password",
            {189, 64},
            0,
            {
                {IDOK, Kind::PushButton, "OK", {47, 52, 35, 10}, DefPush | TabStop},
                {IDCANCEL, Kind::PushButton, "Cancel", {115, 52, 37, 10}, TabStop},
                {IDC_FILE_LABEL,
                 Kind::Static,
                 "Static",
                 {2, 2, 185, 13},
                 Center | CenterV | Sunken | Border | Group | PathEllipsis},
                {IDC_ENTER_LABEL, Kind::Static, "Enter Password      :", {24, 22, 65, 8}, Group},
                {IDC_PASS_EDIT, Kind::Edit, "", {97, 19, 71, 12}, Password | Border | TabStop},
                {IDC_REPEAT_LABEL, Kind::Static, "Confirm Password  :", {24, 35, 67, 9}, Group},
                {IDC_REPEAT_EDIT, Kind::Edit, "", {97, 33, 71, 12}, Password | Border | TabStop},
            }};
}

}  // namespace

CPassword::CPassword() : Dialog(PasswordTemplate()) {
    setObjectName(QStringLiteral("CPassword"));
    Map(Notify::Change, IDC_REPEAT_EDIT, [this] { OnChangeConfirm(); });
}

void CPassword::DoDataExchange(DataExchange& dx) {
    DDX_Text(dx, IDC_FILE_LABEL, m_FileLabel);
    DDX_Text(dx, IDC_REPEAT_EDIT, m_Confirm);
    DDX_Text(dx, IDC_PASS_EDIT, m_Password);
}

bool CPassword::OnInitDialog() {
    Dialog::OnInitDialog();
    EnableItem(IDOK, false);
    m_Password.clear();
    m_Confirm.clear();
    UpdateData(false);
    // OK starts disabled, so the first tab stop would be Cancel: start in the
    // password field, where the user types.
    GetDlgItem(IDC_PASS_EDIT)->setFocus(Qt::OtherFocusReason);
    return false;
}

void CPassword::OnCancel() {
    // Each change of the confirmation reads both fields, so a cancel must
    // drop what was typed: the caller gets no password from a cancelled run.
    m_Password.clear();
    m_Confirm.clear();
    Dialog::OnCancel();
}

void CPassword::OnChangeConfirm() {
    UpdateData(true);
    EnableItem(IDOK, m_Confirm == m_Password && !m_Password.empty());
    UpdateData(false);
}

}  // namespace ombrix::ui
