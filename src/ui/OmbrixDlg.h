// The main window: the settings, the password fields, the main and Exit
// buttons, the two progress bars and the file picker. It owns the job and is
// the job's window.
#pragma once

#include "dlgkit/Dialog.h"
#include "job/Job.h"
#include "job/JobWindow.h"
#include "picker/PickerPane.h"
#include "ui/Help.h"
#include "ui/Password.h"

#include <QIcon>
#include <functional>

namespace ombrix::ui {

class COmbrixDlg : public dlg::Dialog, public JobWindow {
    Q_OBJECT
public:
    // Makes the picker control; the widget must also be a C_PickerPane.
    using PickerFactory = std::function<QWidget*(QWidget* parent)>;

    explicit COmbrixDlg(PickerFactory picker = {});
    ~COmbrixDlg() override;

    using dlg::Dialog::UpdateData;

    // JobWindow
    void UpdateData(Job& job, bool saveAndValidate) override;
    void ShowMessage(const std::string& text) override;
    void ShowSummary(const std::string& text) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    bool PromptPassword(const std::string& label, std::string& password) override;
    void SetBarColor(Bar bar, std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
    void SetBarRange(Bar bar, std::int32_t lower, std::int32_t upper) override;
    void SetBarPos(Bar bar, std::int32_t pos) override;
    void ShowBar(Bar bar, bool show) override;
    void EnableButton(Button button, bool enable) override;
    C_PickerPane& Picker() override;
    void PumpEvents() override;

    Job& job() { return job_; }
    bool BatchRunning() const { return batch_; }

    // Ends the window as its close box does. During a batch the request is
    // kept and carried out once the batch is over (help.sh promises it).
    void RequestClose();

    void OnSysCommand(unsigned id, long param) override;

    // Where a minimised window draws its icon in a client area.
    static QPoint IconOrigin(QSize client, QSize icon);

    CHelp m_HelpDlg;
    CPassword m_PasswordDlg;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(dlg::DataExchange& dx) override;
    void OnOK() override;
    void OnCancel() override;
    void paintEvent(QPaintEvent* e) override;

private:
    dlg::ProgressBar* BarControl(Bar bar);

    void OnDecryptRadio();
    void OnEachpassRadio();
    void OnEncryptRadio();
    void OnExitButton();
    void OnRespectiveRadio();
    void OnSamepassRadio();
    void OnSameRadio();
    void OnChangeConfirmEdit();
    void OnChangePasswordEdit();
    void OnKillfocusConfirmEdit();
    void OnMainButton();
    void OnAboutButton();
    void OnHelpButton();
    void PasswordRule();
    bool HoldCloseForBatch();
    void CloseIfRequested();
    void ChooseProcess(int which);
    void ChoosePasswordMode(int which);

    dlg::ProgressBar* m_FileProgress = nullptr;
    dlg::ProgressBar* m_TotalProgress = nullptr;
    C_PickerPane* m_ActX = nullptr;
    QIcon m_hIcon;
    Job job_;
    bool batch_ = false;
    bool closeRequested_ = false;  // a close asked for during the batch
};

}  // namespace ombrix::ui
