#include "app/StopOnSignal.h"

#include "job/Stop.h"
#include "ui/OmbrixDlg.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <fcntl.h>
#include <unistd.h>

namespace ombrix::app {

StopOnSignal::StopOnSignal(ui::COmbrixDlg& window) : window_(window) {
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) == 0) {
        notifier_ = new QSocketNotifier(wake_[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { Stop(); });
    }
    signals_ = std::make_unique<StopSignals>(wake_[1]);
}

StopOnSignal::~StopOnSignal() {
    signals_.reset();  // restores the handlers before the pipe goes
    delete notifier_;
    for (int fd : wake_)
        if (fd >= 0) ::close(fd);
}

void StopOnSignal::Stop() {
    char drain[64];
    while (::read(wake_[0], drain, sizeof drain) > 0) {}
    // Boxes open now take their cancelling answer (OK, No: keep the existing
    // file, Cancel: the prompt), then the window closes as by its close box.
    while (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        if (popup == QApplication::activePopupWidget()) break;  // one that will not close must not hold the program
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QDialog*>(w);
        if (box && box != static_cast<QWidget*>(&window_) && box->isVisible()) box->reject();
    }
    window_.RequestClose();
}

void RunMainWindow(ui::COmbrixDlg& window) {
    dlg::SetMainWindow(&window);
    {
        StopOnSignal stop(window);
        window.DoModal();
    }
    dlg::SetMainWindow(nullptr);
}

void EndIfStopped() {
    if (int signal = StopRequested()) EndByStopSignal(signal);
}

}  // namespace ombrix::app
