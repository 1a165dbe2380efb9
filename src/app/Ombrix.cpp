#include "app/Ombrix.h"

#include "dlgkit/Look.h"
#include "dlgkit/Modal.h"
#include "dlgkit/Text.h"
#include "job/Job.h"
#include "ui/OmbrixDlg.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace ombrix::app {

namespace {

bool Set(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v;
}

}  // namespace

bool HasDisplay() { return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM"); }

std::string NoDisplayMessage()
{
    return "ombrix: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
           "start it from a graphical desktop session, or over ssh with X forwarding (ssh -X).";
}

int COmbrixApp::Run(int argc, char** argv)
{
    // Before QApplication, which would abort with a longer story.
    if (!HasDisplay()) {
        std::fprintf(stderr, "%s\n", NoDisplayMessage().c_str());
        return 2;
    }
    QApplication qapp(argc, argv);
    dlg::SetAppName(AppNameFromPath(dlg::FromQt(QCoreApplication::applicationFilePath())));
    dlg::ApplyClassicLook();
    InitInstance();
    return 0;
}

bool COmbrixApp::InitInstance()
{
    ui::COmbrixDlg dlg;
    dlg::SetMainWindow(&dlg);
    dlg.DoModal();
    dlg::SetMainWindow(nullptr);
    return false;  // nothing follows the main window
}

}  // namespace ombrix::app
