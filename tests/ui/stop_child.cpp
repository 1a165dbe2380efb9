// The program's main window in a child process, for the signal tests: the
// window and its signal handling as the program runs them, with a fake
// picker holding the files named on the command line.
//
//   stop_child [--each] [--delete] [--raise-at-box TEXT=SIG] [--idle] FILE...
//
// --raise-at-box raises signal SIG when a box showing TEXT (in its caption or
// message) appears, or with TEXT "main" when the main window does;
// OMBRIX_TEST_AT sets file-layer hooks (support/EnvHooks.h).
// Unless --idle, the batch starts with the password "pw" once the window
// shows. Every box shown is printed as "box: caption: text"; "ended" is
// printed when the window has ended.
#include "Support.h"

#include "app/StopOnSignal.h"
#include "dlgkit/Look.h"
#include "dlgkit/Modal.h"
#include "dlgkit/Text.h"
#include "support/EnvHooks.h"
#include "ui/OmbrixDlg.h"
#include "ui/Resource.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>

using namespace ombrix;
using namespace ombrix::ui;

namespace {

// Logs every box as it appears, and raises the signal at the chosen one.
class BoxWatch : public QObject {
public:
    BoxWatch(QWidget* main, std::string text, int signal) : main_(main), text_(std::move(text)), signal_(signal) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* w = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && w && w->isWindow() && w != main_) {
            std::string shown = dlg::FromQt(w->windowTitle());
            if (auto* box = qobject_cast<QMessageBox*>(w)) shown += ": " + dlg::FromQt(box->text());
            std::printf("box: %s\n", shown.c_str());
            std::fflush(stdout);
            if (signal_ && shown.find(text_) != std::string::npos) std::raise(signal_);
        }
        if (event->type() == QEvent::Show && w == main_ && signal_ && text_ == "main") std::raise(signal_);
        return false;
    }

private:
    QWidget* main_;
    std::string text_;
    int signal_;
};

void Click(ui::COmbrixDlg& d, int id) { d.Item<QAbstractButton>(id)->click(); }

}  // namespace

int main(int argc, char** argv) {
    test::InstallHooksFromEnvironment();
    bool each = false, del = false, idle = false;
    std::string boxText;
    int boxSignal = 0;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--each")) each = true;
        else if (!std::strcmp(argv[i], "--delete")) del = true;
        else if (!std::strcmp(argv[i], "--idle")) idle = true;
        else if (!std::strcmp(argv[i], "--raise-at-box") && i + 1 < argc) {
            const std::string arg = argv[++i];
            boxText = arg.substr(0, arg.rfind('='));
            boxSignal = std::atoi(arg.substr(arg.rfind('=') + 1).c_str());
        } else files.emplace_back(argv[i]);
    }

    {
        QApplication app(argc, argv);
        dlg::ApplyClassicLook();
        test::FakePickerWidget* picker = nullptr;
        ui::COmbrixDlg window([&](QWidget* parent) -> QWidget* {
            picker = new test::FakePickerWidget(parent);
            return picker;
        });
        BoxWatch watch(&window, boxText, boxSignal);
        app.installEventFilter(&watch);
        if (!idle) {
            QTimer::singleShot(0, &window, [&] {
                picker->paths = files;
                Click(window, IDC_RESPECTIVE_RADIO);
                if (del) Click(window, IDC_DELETE_CHECK);
                if (each) {
                    Click(window, IDC_EACHPASS_RADIO);
                } else {
                    window.SetDlgItemText(IDC_PASSWORD_EDIT, "pw");
                    window.SetDlgItemText(IDC_CONFIRM_EDIT, "pw");
                }
                Click(window, IDC_MAIN_BUTTON);
            });
        }
        app::RunMainWindow(window);
        std::puts("ended");
        std::fflush(stdout);
    }
    app::EndIfStopped();
    return 0;
}
