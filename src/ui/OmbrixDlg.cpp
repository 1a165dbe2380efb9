#include "ui/OmbrixDlg.h"

#include "job/Stop.h"
#include "ui/AboutDlg.h"
#include "ui/Resource.h"
#include "ui/Texts.h"

#include "picker/FormatChoice.h"
#include "picker/PickerPaneWidget.h"

#include <QCoreApplication>
#include <QPainter>
#include <QShortcut>

namespace ombrix::ui {

using namespace dlg;

namespace {

DialogTemplate MainTemplate() {
    // One control a line, as in a table.
    // clang-format off
    return {"Ombrix ( Version 1.0 )",
            {393, 254},
            SysMenu | MinimizeBox | AppWindow,
            {
                {IDC_ENCRYPT_RADIO, Kind::AutoRadio, "&Encrypt", {12, 41, 39, 10}, Group},
                {IDC_DECRYPT_RADIO, Kind::AutoRadio, "&Decrypt", {124, 41, 39, 8}, 0},
                {IDC_SAME_RADIO, Kind::AutoRadio, "Encrypt All Files into the &Specified Directory", {12, 80, 154, 8}, Group},
                {IDC_RESPECTIVE_RADIO, Kind::AutoRadio, "Encrypt Files into the &Respective Directories", {12, 67, 157, 9}, 0},
                {IDC_SAMEPASS_RADIO, Kind::AutoRadio, "Apply S&ame Password to All Files", {12, 106, 121, 8}, Group},
                {IDC_EACHPASS_RADIO, Kind::AutoRadio, "&Prompt For  Password to Each File", {12, 117, 122, 8}, 0},
                {IDC_PROCESS_GROUP, Kind::GroupBox, "Select Process : ", {9, 31, 164, 21}, 0},
                {IDC_DESTINATION_GROUP, Kind::GroupBox, "Destination Settings : ", {9, 56, 164, 35}, 0},
                {IDC_PASSMODE_GROUP, Kind::GroupBox, "Password Settings : ", {9, 95, 162, 33}, 0},
                {IDC_DELETE_CHECK, Kind::AutoCheck, "De&lete Original File After Completing", {12, 136, 158, 9}, TabStop},
                {IDC_SETTINGS_GROUP, Kind::GroupBox, "Settings : ", {2, 2, 176, 153}, FrameEdges},
                {IDC_PASSWORD_LABEL, Kind::Static, "Enter Password       : ", {12, 177, 71, 11}, Group},
                {IDC_CONFIRM_LABEL, Kind::Static, "Confirm Password   : ", {12, 192, 70, 11}, Group},
                {IDC_PASSWORD_EDIT, Kind::Edit, "", {83, 176, 68, 12}, Password | Border | TabStop},
                {IDC_CONFIRM_EDIT, Kind::Edit, "", {83, 192, 68, 12}, Password | Border | TabStop},
                {IDC_MAIN_BUTTON, Kind::PushButton, "E&ncrypt", {33, 220, 44, 16}, TabStop | FrameEdges},
                {IDC_EXIT_BUTTON, Kind::PushButton, "E&xit", {95, 219, 42, 17}, TabStop | FrameEdges},
                {IDC_STATIC, Kind::GroupBox, "Final Stage : ", {2, 160, 176, 85}, FrameEdges},
                {IDC_PICKERPANE1, Kind::Custom, "", {191, 9, 191, 230}, TabStop},
                {IDC_STATIC, Kind::GroupBox, "", {185, 2, 203, 243}, FrameEdges},
                {IDC_ABOUT_BUTTON, Kind::PushButton, "ABOUT", {135, 15, 37, 15}, TabStop | ClientEdges},
                {IDC_TOTAL_PROGRESS, Kind::Progress, "", {13, 209, 139, 6}, Smooth | Border},
                {IDC_FILE_PROGRESS, Kind::Progress, "", {161, 174, 6, 64}, Vertical | Border},
                {IDC_HELP_BUTTON, Kind::PushButton, "Help", {96, 15, 35, 15}, TabStop | ClientEdges},
            }};
    // clang-format on
}

COmbrixDlg::PickerFactory DefaultPicker() {
    return [](QWidget* parent) -> QWidget* { return new PickerPaneWidget(parent); };
}

// The summary box's caption.

}  // namespace

COmbrixDlg::COmbrixDlg(PickerFactory picker)
    : Dialog(MainTemplate(),
             [f = picker ? std::move(picker) : DefaultPicker()](int id, QWidget* parent) -> QWidget* {
                 return id == IDC_PICKERPANE1 ? f(parent) : nullptr;
             }),
      job_(*this) {
    setObjectName(QStringLiteral("COmbrixDlg"));
    m_hIcon.addFile(QString::fromLatin1(kIcon32), QSize(32, 32));
    m_hIcon.addFile(QString::fromLatin1(kIcon16), QSize(16, 16));

    Map(Notify::Clicked, IDC_DECRYPT_RADIO, [this] { OnDecryptRadio(); });
    Map(Notify::Clicked, IDC_EACHPASS_RADIO, [this] { OnEachpassRadio(); });
    Map(Notify::Clicked, IDC_ENCRYPT_RADIO, [this] { OnEncryptRadio(); });
    Map(Notify::Clicked, IDC_EXIT_BUTTON, [this] { OnExitButton(); });
    Map(Notify::Clicked, IDC_RESPECTIVE_RADIO, [this] { OnRespectiveRadio(); });
    Map(Notify::Clicked, IDC_SAMEPASS_RADIO, [this] { OnSamepassRadio(); });
    Map(Notify::Clicked, IDC_SAME_RADIO, [this] { OnSameRadio(); });
    Map(Notify::Change, IDC_CONFIRM_EDIT, [this] { OnChangeConfirmEdit(); });
    Map(Notify::Change, IDC_PASSWORD_EDIT, [this] { OnChangePasswordEdit(); });
    Map(Notify::KillFocus, IDC_CONFIRM_EDIT, [this] { OnKillfocusConfirmEdit(); });
    Map(Notify::Clicked, IDC_MAIN_BUTTON, [this] { OnMainButton(); });
    Map(Notify::Clicked, IDC_ABOUT_BUTTON, [this] { OnAboutButton(); });
    Map(Notify::Clicked, IDC_HELP_BUTTON, [this] { OnHelpButton(); });

    // F1 stands in for the platform help engine: it opens our viewer.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] { OnHelpButton(); });

    GetDlgItem(IDC_TOTAL_PROGRESS)->setAccessibleName(QStringLiteral("Batch progress"));
    GetDlgItem(IDC_FILE_PROGRESS)->setAccessibleName(QStringLiteral("File progress"));
}

COmbrixDlg::~COmbrixDlg() = default;

void COmbrixDlg::DoDataExchange(DataExchange& dx) {
    DDX_Control(dx, IDC_FILE_PROGRESS, m_FileProgress);
    DDX_Control(dx, IDC_TOTAL_PROGRESS, m_TotalProgress);
    DDX_Control(dx, IDC_PICKERPANE1, m_ActX);
    DDX_Text(dx, IDC_CONFIRM_EDIT, job_.m_Confirm);
    DDX_Check(dx, IDC_DELETE_CHECK, job_.m_Delete);
    DDX_Radio(dx, IDC_ENCRYPT_RADIO, job_.m_EncriptRadio);
    DDX_Text(dx, IDC_PASSWORD_EDIT, job_.m_Password);
    DDX_Radio(dx, IDC_SAME_RADIO, job_.m_SameRadio);
    DDX_Radio(dx, IDC_SAMEPASS_RADIO, job_.m_SamePassRadio);
    // The pane's format choice is read, never written: the pane alone sets it.
    if (auto* choice = dynamic_cast<const FormatChoice*>(GetDlgItem(IDC_PICKERPANE1)); choice && dx.save)
        job_.m_Format = choice->ChosenFormat();
}

bool COmbrixDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    if (auto* menu = GetSystemMenu()) {
        const std::string about = LoadString(IDS_ABOUTBOX);
        if (!about.empty()) {
            menu->push_back({});
            menu->push_back({IDM_ABOUTBOX, about});
        }
    }
    setWindowIcon(m_hIcon);
    job_.OnInitDialog();
    return true;
}

// ---- JobWindow ----

void COmbrixDlg::UpdateData(Job& job, bool saveAndValidate) {
    Q_ASSERT(&job == &job_);
    (void)job;
    Dialog::UpdateData(saveAndValidate);
}

// Once a signal asked the program to stop, nobody may be there to answer
// (logout): the job's boxes are not shown and take their cancelling answer.

void COmbrixDlg::ShowMessage(const std::string& text) {
    if (!StopRequested()) dlg::MessageBox(this, text);
}

void COmbrixDlg::ShowSummary(const std::string& text) {
    if (!StopRequested()) dlg::MessageBox(this, text, text::Say<WindowText::SummaryCaption>());
}

bool COmbrixDlg::AskYesNo(const std::string& text, const std::string& caption) {
    return !StopRequested() && dlg::MessageBox(this, text, caption, Buttons::YesNo) == IDYES;
}

bool COmbrixDlg::PromptPassword(const std::string& label, std::string& password) {
    m_PasswordDlg.m_FileLabel = label;
    if (!StopRequested() && m_PasswordDlg.DoModal(this) == IDOK) {
        password = m_PasswordDlg.m_Password;
        return true;
    }
    password.clear();
    return false;
}

ProgressBar* COmbrixDlg::BarControl(Bar bar) {
    return Item<ProgressBar>(bar == Bar::Batch ? IDC_TOTAL_PROGRESS : IDC_FILE_PROGRESS);
}

void COmbrixDlg::SetBarColor(Bar bar, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    if (ProgressBar* b = BarControl(bar)) b->SetColor(QColor(red, green, blue));
}

void COmbrixDlg::SetBarRange(Bar bar, std::int32_t lower, std::int32_t upper) {
    if (ProgressBar* b = BarControl(bar)) b->SetRange(lower, upper);
}

void COmbrixDlg::SetBarPos(Bar bar, std::int32_t pos) {
    if (ProgressBar* b = BarControl(bar)) b->SetPos(pos);
}

void COmbrixDlg::ShowBar(Bar bar, bool show) {
    ShowItem(bar == Bar::Batch ? IDC_TOTAL_PROGRESS : IDC_FILE_PROGRESS, show);
}

void COmbrixDlg::EnableButton(Button button, bool enable) {
    EnableItem(button == Button::Main ? IDC_MAIN_BUTTON : IDC_EXIT_BUTTON, enable);
}

C_PickerPane& COmbrixDlg::Picker() {
    if (!m_ActX) m_ActX = dynamic_cast<C_PickerPane*>(GetDlgItem(IDC_PICKERPANE1));
    if (!m_ActX) {
        static NoPicker none;  // a factory made no picker: one that picks nothing
        return none;
    }
    return *m_ActX;
}

void COmbrixDlg::PumpEvents() {
    // Repaint, move the bars, and hear a close request now: held back, it
    // would be dropped by the first box the batch opens. The busy window
    // lets no other input through.
    QCoreApplication::processEvents();
}

// ---- ending ----

// Every way of ending the window comes here first: the close box, Alt+F4,
// Escape, Exit, RequestClose. During a batch the request is kept, and
// CloseIfRequested carries it out once the batch is over.
bool COmbrixDlg::HoldCloseForBatch() {
    if (!batch_) return false;
    closeRequested_ = true;
    return true;
}

void COmbrixDlg::CloseIfRequested() {
    if (!closeRequested_) return;
    closeRequested_ = false;
    OnCancel();
}

void COmbrixDlg::RequestClose() { OnCancel(); }

void COmbrixDlg::OnOK() {
    if (!HoldCloseForBatch()) Dialog::OnOK();
}

void COmbrixDlg::OnCancel() {
    if (!HoldCloseForBatch()) Dialog::OnCancel();
}

void COmbrixDlg::OnExitButton() { OnOK(); }

// ---- system menu, painting ----

void COmbrixDlg::OnSysCommand(unsigned id, long param) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) OnAboutButton();
    else Dialog::OnSysCommand(id, param);
}

QPoint COmbrixDlg::IconOrigin(QSize client, QSize icon) {
    return {(client.width() - icon.width() + 1) / 2, (client.height() - icon.height() + 1) / 2};
}

void COmbrixDlg::paintEvent(QPaintEvent* e) {
    if (!isMinimized()) {
        Dialog::paintEvent(e);
        return;
    }
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QSize icon(32, 32);
    p.drawPixmap(IconOrigin(size(), icon), m_hIcon.pixmap(icon));
}

// ---- settings handlers ----

namespace {

// What each process choice writes, by the index of its radio.
struct ProcessWording {
    const char* same;
    const char* respective;
    void (C_PickerPane::*tell)();
    const char* mainButton;
};
constexpr ProcessWording kProcess[2] = {
    {"Encrypt All Files into the &Specified Directory", "Encrypt Files into the &Respective Directories",
     &C_PickerPane::EncryptTypes, "E&ncrypt"},
    {"Decrypt All Files into the &Specified Directory", "Decrypt Files into the &Respective Directories",
     &C_PickerPane::DecryptTypes, "D&ecrypt"},
};

}  // namespace

void COmbrixDlg::ChooseProcess(int which) {
    UpdateData(true);
    if (job_.m_EncriptRadio == which) {
        const ProcessWording& w = kProcess[which];
        SetDlgItemText(IDC_SAME_RADIO, w.same);
        SetDlgItemText(IDC_RESPECTIVE_RADIO, w.respective);
        (Picker().*w.tell)();
        SetDlgItemText(IDC_MAIN_BUTTON, w.mainButton);
        job_.ProcessFlag = which;
    }
    UpdateData(false);
}

void COmbrixDlg::OnEncryptRadio() { ChooseProcess(0); }
void COmbrixDlg::OnDecryptRadio() { ChooseProcess(1); }

void COmbrixDlg::OnSameRadio() {
    UpdateData(true);
    if (job_.m_SameRadio == 0) Picker().EnableDestination();
    UpdateData(false);
}

void COmbrixDlg::OnRespectiveRadio() {
    UpdateData(true);
    if (job_.m_SameRadio == 1) Picker().DisableDestination();
    UpdateData(false);
}

// 0: one password typed here, fields open; 1: a prompt per file, fields shut.
void COmbrixDlg::ChoosePasswordMode(int which) {
    UpdateData(true);
    if (job_.m_SamePassRadio == which) {
        job_.m_Password.clear();
        job_.m_Confirm.clear();
        EnableItem(IDC_PASSWORD_EDIT, which == 0);
        EnableItem(IDC_CONFIRM_EDIT, which == 0);
        EnableItem(IDC_MAIN_BUTTON, which == 1);
    }
    UpdateData(false);
}

void COmbrixDlg::OnSamepassRadio() { ChoosePasswordMode(0); }
void COmbrixDlg::OnEachpassRadio() { ChoosePasswordMode(1); }

void COmbrixDlg::PasswordRule() {
    UpdateData(true);
    EnableItem(IDC_MAIN_BUTTON, job_.m_Confirm == job_.m_Password && !job_.m_Password.empty());
    UpdateData(false);
}

void COmbrixDlg::OnChangePasswordEdit() { PasswordRule(); }
void COmbrixDlg::OnChangeConfirmEdit() { PasswordRule(); }

void COmbrixDlg::OnKillfocusConfirmEdit() {
    // Uses the members the last change read; the controls are not read here.
    if (job_.m_Confirm == job_.m_Password) return;
    ShowMessage(text::Say<WindowText::NotConfirmed>());
    job_.m_Confirm.clear();
    UpdateData(false);
}

// ---- buttons ----

void COmbrixDlg::OnMainButton() {
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    };
    {
        Running running(batch_);
        // The batch itself disables and enables the main and Exit buttons.
        BeginBusy({IDC_MAIN_BUTTON, IDC_EXIT_BUTTON});
        job_.OnMainButton();
        EndBusy();
    }
    CloseIfRequested();
}

void COmbrixDlg::OnAboutButton() {
    CAboutDlg about;
    about.DoModal(this);
}

void COmbrixDlg::OnHelpButton() { m_HelpDlg.DoModal(this); }

}  // namespace ombrix::ui
