#include "ui/AboutDlg.h"

#include "container/Formats.h"
#include "ui/Resource.h"
#include "ui/Texts.h"

namespace ombrix::ui {

using namespace dlg;

namespace {

// What the program does, and what each container format is worth.
std::string Credits() {
    std::string text = text::Say<WindowText::AboutIntro>(container::SuffixList("or"));
    for (const container::Format* f : container::Formats())
        text +=
            (f == container::Formats().front() ? " " + text::Say<WindowText::AboutFirstFormat>(f->suffix, f->about)
                                               : "; " + text::Say<WindowText::AboutNextFormat>(f->suffix, f->about));
    return text + ".";
}

DialogTemplate AboutTemplate() {
    // About a line for the opening sentence and one for each format.
    const int credits = 10 * (2 + static_cast<int>(container::Formats().size()));
    const int written = 22 + credits;
    return {"About Ombrix",
            {228, written + 15},
            SysMenu | ToolWindow | ClientEdgeFrame,
            {
                {IDC_STATIC, Kind::Icon, kIcon32, {2, 3, 20, 20}, 0},
                {IDC_STATIC, Kind::Static, "Ombrix Version 1.0", {23, 3, 67, 8}, NoPrefix | Group},
                {IDOK, Kind::PushButton, "OK", {190, 3, 34, 14}, DefPush | Group | TabStop},
                {IDC_STATIC, Kind::Static, Credits(), {23, 20, 200, credits}, NoPrefix | WordWrap},
                {IDC_STATIC, Kind::Static, "Written in C++ with Qt.", {23, written, 200, 8}, NoPrefix},
            }};
}

}  // namespace

CAboutDlg::CAboutDlg() : Dialog(AboutTemplate()) { setObjectName(QStringLiteral("CAboutDlg")); }

}  // namespace ombrix::ui
