// SIGINT, SIGTERM and SIGHUP end the program the way closing its window
// does: a batch stops after its current file's next block (that file's
// output is removed, nothing is deleted), the close is carried out when the
// batch is over, and from the signal on no box waits for an answer: at
// logout nobody is there to give one.
#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace ombrix {
class StopSignals;
namespace ui {
class COmbrixDlg;
}
}  // namespace ombrix

namespace ombrix::app {

class StopOnSignal : public QObject {
public:
    // window: the main window, closed on a signal.
    explicit StopOnSignal(ui::COmbrixDlg& window);
    ~StopOnSignal() override;

private:
    void Stop();

    ui::COmbrixDlg& window_;
    int wake_[2] = {-1, -1};  // the handler writes, the event loop reads
    std::unique_ptr<StopSignals> signals_;
    QSocketNotifier* notifier_ = nullptr;
};

// Runs the main window modally, as the program's main window, until it ends.
void RunMainWindow(ui::COmbrixDlg& window);

// After the window has ended: ends the process by the signal that closed
// it, if one did. Returns otherwise.
void EndIfStopped();

}  // namespace ombrix::app
