#include "app/Ombrix.h"

#include "app/CommandLine.h"
#include "app/StopOnSignal.h"
#include "dlgkit/Look.h"
#include "dlgkit/Modal.h"
#include "dlgkit/Text.h"
#include "job/Job.h"
#include "ui/OmbrixDlg.h"
#include "ui/Texts.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace ombrix::app {

namespace {

bool Set(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

}  // namespace

bool HasDisplay() { return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM"); }

std::string NoDisplayMessage() { return text::Say<ui::WindowText::NoDisplay>(); }

int COmbrixApp::Run(int argc, char** argv) {
    // --help and --version need no display.
    const CommandLine early = ParseCommandLine(argc, argv);
    if (early.help || early.version) {
        std::fputs((early.help ? text::Say<ui::WindowText::Usage>() : text::Say<ui::WindowText::Version>()).c_str(),
                   stdout);
        return 0;
    }
    // Before QApplication, which would abort with a longer story.
    if (!HasDisplay()) {
        std::fprintf(stderr, "%s\n", NoDisplayMessage().c_str());
        return 2;
    }
    {
        QApplication qapp(argc, argv);  // takes Qt's own options out of argv
        const CommandLine line = ParseCommandLine(argc, argv);
        if (!line.error.empty()) {
            std::fputs(text::Say<ui::WindowText::UsageError>(line.error).c_str(), stderr);
            return 2;
        }
        files_ = line.files;
        // Wayland compositors match the window to its desktop entry by this name.
        QGuiApplication::setDesktopFileName(QStringLiteral(OMBRIX_APP_ID));
        dlg::SetAppName(AppNameFromPath(dlg::FromQt(QCoreApplication::applicationFilePath())));
        dlg::ApplyClassicLook();
        InitInstance();
    }
    EndIfStopped();
    return 0;
}

bool COmbrixApp::InitInstance() {
    ui::COmbrixDlg dlg(StartPicker(files_));
    RunMainWindow(dlg);
    return false;  // nothing follows the main window
}

}  // namespace ombrix::app
