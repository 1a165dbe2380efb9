#include "ui/AboutDlg.h"

#include "container/kvr/Kvr.h"
#include "container/kvx/Kvx.h"
#include "ui/Resource.h"

namespace ombrix::ui {

using namespace dlg;

namespace {

DialogTemplate AboutTemplate() {
    const std::string kvr(kvr::kSuffix), kvx(kvx::kSuffix);
    return {
        "About Ombrix",
        {228, 77},
        SysMenu | ToolWindow | ClientEdgeFrame,
        {
            {IDC_STATIC, Kind::Icon, kIcon32, {2, 3, 20, 20}, 0},
            {IDC_STATIC, Kind::Static, "Ombrix Version 1.0", {23, 3, 67, 8}, NoPrefix | Group},
            {IDOK, Kind::PushButton, "OK", {190, 3, 34, 14}, DefPush | Group | TabStop},
            {IDC_STATIC, Kind::Static, "Encrypts and decrypts batches of files", {23, 20, 200, 8}, NoPrefix},
            {IDC_STATIC,
             Kind::Static,
             "into " + kvr + " or " + kvx + " containers. A " + kvr + " container",
             {23, 30, 200, 8},
             NoPrefix},
            {IDC_STATIC, Kind::Static, "is a byte shift, not cryptographic protection;", {23, 40, 200, 8}, NoPrefix},
            {IDC_STATIC,
             Kind::Static,
             "a " + kvx + " container is encrypted and authenticated.",
             {23, 50, 200, 8},
             NoPrefix},
            {IDC_STATIC, Kind::Static, "Written in C++ with Qt.", {23, 62, 200, 8}, NoPrefix},
        }};
}

}  // namespace

CAboutDlg::CAboutDlg() : Dialog(AboutTemplate()) { setObjectName(QStringLiteral("CAboutDlg")); }

}  // namespace ombrix::ui
