#include "ui/Help.h"

#include "dlgkit/Text.h"
#include "ui/Resource.h"

#include <QCoreApplication>

namespace ombrix::ui {

using namespace dlg;

namespace {

DialogTemplate HelpTemplate() {
    return {"Ombrix -- Help",
            {226, 190},
            0,
            {
                {IDOK, Kind::PushButton, "O&K", {86, 170, 42, 16}, DefPush | TabStop | FrameEdges},
                {IDC_HELP_TEXT, Kind::TextBox, "", {4, 4, 216, 163}, Border | TabStop},
                // Never shown, and no mnemonic: the user cannot press it.
                {IDC_SAVE_HELP, Kind::PushButton, "Button1", {12, 175, 22, 11}, TabStop | Hidden},
            }};
}

}  // namespace

CHelp::CHelp() : Dialog(HelpTemplate()) {
    setObjectName(QStringLiteral("CHelp"));
    Map(Notify::Clicked, IDC_SAVE_HELP, [this] { OnSaveHelp(); });
    GetDlgItem(IDC_HELP_TEXT)->setAccessibleName(QStringLiteral("Help text"));
}

void CHelp::DoDataExchange(DataExchange& dx) { DDX_Text(dx, IDC_HELP_TEXT, m_HelpText); }

bool CHelp::OnInitDialog() {
    Dialog::OnInitDialog();
    m_HelpText.clear();
    const std::string program = dlg::FromQt(QCoreApplication::applicationFilePath());
    if (!ReadHelpText(InstalledHelpFile(program), m_HelpText)) m_HelpText = kHelpNotLocated;
    UpdateData(false);
    return true;
}

void CHelp::OnSaveHelp() {
    UpdateData(true);
    WriteTextFile(kHelpFileName, m_HelpText);
}

}  // namespace ombrix::ui
