// The main window: start-up state, the settings handlers, keys, the system
// menu, the boxes it opens, and whole batches through the real core.
#include "AccessLog.h"
#include "Support.h"

#include "container/kvx/Kvx.h"
#include "container/kvx/Seam.h"
#include "dlgkit/Look.h"
#include "dlgkit/Modal.h"
#include "picker/PickerPaneWidget.h"
#include "ui/OmbrixDlg.h"
#include "ui/Resource.h"

#include <QAccessible>
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <qpa/qwindowsysteminterface.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace ombrix;
using namespace ombrix::dlg;
using namespace ombrix::ui;
using test::FakePicker;
using test::OpenMain;

namespace {

const char* const kNotConfirmed = "PassWord Is Not Confirmed, Please Retype it.";

bool Checked(Dialog& d, int id) { return d.Item<QAbstractButton>(id)->isChecked(); }
void Click(Dialog& d, int id) { QTest::mouseClick(d.GetDlgItem(id), Qt::LeftButton); }
QLineEdit* Edit(Dialog& d, int id) { return d.Item<QLineEdit>(id); }

// Moves the focus by Tab from a control, as the user would.
void TabFrom(Dialog& d, int id) {
    d.GetDlgItem(id)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(d.GetDlgItem(id), Qt::Key_Tab);
}

// Both password fields filled alike: the main button is on.
void TypePassword(Dialog& d, const char* password) {
    QTest::keyClicks(Edit(d, IDC_PASSWORD_EDIT), password);
    QTest::keyClicks(Edit(d, IDC_CONFIRM_EDIT), password);
}

// Files for a batch, in a folder of their own.
struct BatchFiles {
    QTemporaryDir dir;
    std::vector<std::string> paths;
    explicit BatchFiles(int n) {
        for (int i = 0; i < n; ++i) {
            paths.push_back(dir.filePath(QStringLiteral("f%1.txt").arg(i)).toStdString());
            test::WriteBytes(paths.back(), std::string(1000 + i, 'a' + i));
        }
    }
    // Picked, with the results going into the same folder.
    void PickInto(FakePicker& picker) const {
        picker.paths = paths;
        picker.destination = dir.path().toStdString();
    }
    bool Encrypted(int i) const { return QFile::exists(dir.filePath(QStringLiteral("f%1.kvr").arg(i))); }
};

std::vector<std::string> Texts(const ModalHook& hook) {
    std::vector<std::string> t;
    for (const auto& a : hook.Log()) t.push_back(a.kind == Asked::Kind::Message ? a.text : "[" + a.caption + "]");
    return t;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startupState();
    void layoutAndTabOrder();
    void systemMenuAndIcon();
    void passwordRule_data();
    void passwordRule();
    void leavingConfirmation();
    void passwordModeRadios();
    void processRadios();
    void destinationRadios();
    void keysEndTheWindow();
    void boxesFromButtonsMenuAndF1();
    void screenshotsWithRealPicker();
    void encryptThenDecrypt();
    void kvxChosenInThePaneRoundTripsWhileTheWindowPaints();
    void closeDuringBatchWaitsForItsEnd();
    void closeRequestsFromTheWindowSystemWaitForTheBatch_data();
    void closeRequestsFromTheWindowSystemWaitForTheBatch();
    void windowShowsBusyDuringBatchAndComesBackAsItWas();
    void focusShowsFromStartAndComesBackAfterBatch();
    void menuKeysReachAbout();
    void arrowKeysChooseWithinEachGroup();
    void screenReaderSeesGroupsFieldsAndBars();
    void barValuesReachScreenReadersDuringBatch();
    void summaryBoxHasRoomForItsCaption();
};

void MainWindowTest::startupState() {
    ModalHook hook;
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    QVERIFY(Checked(d, IDC_ENCRYPT_RADIO) && !Checked(d, IDC_DECRYPT_RADIO));
    QVERIFY(Checked(d, IDC_SAME_RADIO) && !Checked(d, IDC_RESPECTIVE_RADIO));
    QVERIFY(Checked(d, IDC_SAMEPASS_RADIO) && !Checked(d, IDC_EACHPASS_RADIO));
    QCOMPARE(d.GetDlgItemText(IDC_SAME_RADIO), std::string("Encrypt All Files into the &Specified Directory"));
    QCOMPARE(d.GetDlgItemText(IDC_RESPECTIVE_RADIO), std::string("Encrypt Files into the &Respective Directories"));
    QCOMPARE(d.GetDlgItemText(IDC_MAIN_BUTTON), std::string("E&ncrypt"));
    for (int id : {IDC_PASSWORD_EDIT, IDC_CONFIRM_EDIT}) {
        QVERIFY(Edit(d, id)->text().isEmpty());
        QVERIFY(d.IsItemEnabled(id));
        QCOMPARE(Edit(d, id)->echoMode(), QLineEdit::Password);
    }
    QVERIFY(!d.IsItemEnabled(IDC_MAIN_BUTTON));
    QVERIFY(d.IsItemEnabled(IDC_EXIT_BUTTON));
    QVERIFY(!Checked(d, IDC_DELETE_CHECK));
    QVERIFY(!d.IsItemVisible(IDC_TOTAL_PROGRESS));
    QVERIFY(!d.IsItemVisible(IDC_FILE_PROGRESS));
    QCOMPARE(d.focusWidget(), d.GetDlgItem(IDC_DELETE_CHECK));
    const Job& job = d.job();
    QCOMPARE(job.ProcessFlag, 0);
    QCOMPARE(job.SuccessFlag, 0);
    QCOMPARE(job.PassCode, std::string("$kvp$kvp$kvp$kvp"));
    QCOMPARE(job.FileCode, std::string("$kvf$kvf$kvf$kvf"));
    QCOMPARE(job.m_EncriptRadio, 0);
    QCOMPARE(job.m_SameRadio, 0);
    QCOMPARE(job.m_SamePassRadio, 0);
    QVERIFY(w.picker->calls.empty());  // the picker is told nothing at start
    QVERIFY(hook.Log().empty());
}

void MainWindowTest::layoutAndTabOrder() {
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    const BaseUnits u = d.Units();
    QCOMPARE(d.windowTitle(), QStringLiteral("Ombrix ( Version 1.0 )"));
    QCOMPARE(d.size(), MapDialogSize({393, 254}, u));
    QCOMPARE(d.minimumSize(), d.maximumSize());
    QVERIFY(!(d.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(d.windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(d.GetDlgItem(IDC_PASSWORD_EDIT)->geometry(), MapDialogRect({83, 176, 68, 12}, u));
    QCOMPARE(d.GetDlgItem(IDC_PICKERPANE1)->geometry(), MapDialogRect({191, 9, 191, 230}, u));
    QCOMPARE(d.GetDlgItem(IDC_MAIN_BUTTON)->parentWidget()->geometry(), MapDialogRect({33, 220, 44, 16}, u));
    QCOMPARE(d.GetDlgItem(IDC_PICKERPANE1), static_cast<QWidget*>(w.picker));
    auto* fileBar = d.Item<ProgressBar>(IDC_FILE_PROGRESS);
    auto* totalBar = d.Item<ProgressBar>(IDC_TOTAL_PROGRESS);
    QVERIFY(fileBar->Vertical() && !fileBar->Smooth());
    QVERIFY(!totalBar->Vertical() && totalBar->Smooth());
    // Tab stops in template order; the radios have none.
    std::vector<int> order;
    QWidget* at = d.GetDlgItem(IDC_DELETE_CHECK);
    const std::vector<int> ids{IDC_DELETE_CHECK, IDC_PASSWORD_EDIT, IDC_CONFIRM_EDIT, IDC_MAIN_BUTTON,
                               IDC_EXIT_BUTTON,  IDC_PICKERPANE1,   IDC_ABOUT_BUTTON, IDC_HELP_BUTTON};
    for (int i = 0; i < 40 && order.size() < ids.size(); ++i, at = at->nextInFocusChain())
        for (int id : ids)
            if (d.GetDlgItem(id) == at && (at->focusPolicy() & Qt::TabFocus)) order.push_back(id);
    QCOMPARE(order, ids);
    for (int id : {IDC_ENCRYPT_RADIO, IDC_DECRYPT_RADIO, IDC_SAME_RADIO, IDC_EACHPASS_RADIO})
        QVERIFY(!(d.GetDlgItem(id)->focusPolicy() & Qt::TabFocus));
}

void MainWindowTest::systemMenuAndIcon() {
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    const auto* menu = d.GetSystemMenu();
    QVERIFY(menu && menu->size() >= 2);
    QVERIFY(menu->at(menu->size() - 2).separator());
    QCOMPARE(menu->back().text, std::string("&About Ombrix..."));
    QCOMPARE(menu->back().id, IDM_ABOUTBOX);
    QVERIFY(!d.windowIcon().isNull());
    QVERIFY(d.windowIcon().availableSizes().contains(QSize(32, 32)));
    QVERIFY(d.windowIcon().availableSizes().contains(QSize(16, 16)));
    QCOMPARE(COmbrixDlg::IconOrigin({36, 36}, {32, 32}), QPoint(2, 2));
    QCOMPARE(COmbrixDlg::IconOrigin({30, 36}, {32, 32}), QPoint(0, 2));  // truncates toward zero
}

void MainWindowTest::passwordRule_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("confirm");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("same text") << "abc"
                               << "abc" << true;
    QTest::newRow("letter case differs") << "abc"
                                         << "aBc" << false;
    QTest::newRow("confirmation shorter") << "abcd"
                                          << "abc" << false;
    QTest::newRow("no confirmation") << "abc"
                                     << "" << false;
    QTest::newRow("confirmation typed first") << ""
                                              << "abc" << false;
}

void MainWindowTest::passwordRule() {
    QFETCH(QString, password);
    QFETCH(QString, confirm);
    QFETCH(bool, enabled);
    ModalHook hook;
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    if (password.isEmpty()) {
        QTest::keyClicks(Edit(d, IDC_CONFIRM_EDIT), confirm);
    } else {
        QTest::keyClicks(Edit(d, IDC_PASSWORD_EDIT), password);
        QTest::keyClicks(Edit(d, IDC_CONFIRM_EDIT), confirm);
    }
    QCOMPARE(d.IsItemEnabled(IDC_MAIN_BUTTON), enabled);
    // Emptying both fields disables it again.
    Edit(d, IDC_PASSWORD_EDIT)->clear();
    Edit(d, IDC_CONFIRM_EDIT)->clear();
    QVERIFY(!d.IsItemEnabled(IDC_MAIN_BUTTON));
    QVERIFY(hook.Log().empty());
}

void MainWindowTest::leavingConfirmation() {
    ModalHook hook;
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    // Both empty: leaving shows nothing.
    TabFrom(d, IDC_CONFIRM_EDIT);
    QVERIFY(hook.Log().empty());
    // A password, then tabbing through the confirmation without typing.
    QTest::keyClicks(Edit(d, IDC_PASSWORD_EDIT), "pw");
    TabFrom(d, IDC_CONFIRM_EDIT);
    QCOMPARE(Texts(hook), (std::vector<std::string>{kNotConfirmed}));
    QCOMPARE(hook.Log()[0].caption, AppName());
    QVERIFY(Edit(d, IDC_CONFIRM_EDIT)->text().isEmpty());
    QVERIFY(!d.IsItemEnabled(IDC_MAIN_BUTTON));
    QCOMPARE(hook.Unscripted(), 1);  // that box was left to the hook's default
    // A matching pair, then one more character in the password field.
    hook.ClearLog();
    hook.Answer(IDOK);
    QTest::keyClicks(Edit(d, IDC_CONFIRM_EDIT), "pw");
    QVERIFY(d.IsItemEnabled(IDC_MAIN_BUTTON));
    QTest::keyClicks(Edit(d, IDC_PASSWORD_EDIT), "!");
    QVERIFY(!d.IsItemEnabled(IDC_MAIN_BUTTON));
    QVERIFY(hook.Log().empty());
    TabFrom(d, IDC_CONFIRM_EDIT);
    QCOMPARE(Texts(hook), (std::vector<std::string>{kNotConfirmed}));
    QVERIFY(Edit(d, IDC_CONFIRM_EDIT)->text().isEmpty());
    QCOMPARE(Edit(d, IDC_PASSWORD_EDIT)->text(), QStringLiteral("pw!"));
    QVERIFY(!d.IsItemEnabled(IDC_MAIN_BUTTON));
    QCOMPARE(hook.Unscripted(), 0);
}

void MainWindowTest::passwordModeRadios() {
    ModalHook hook;
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    QTest::keyClicks(Edit(d, IDC_PASSWORD_EDIT), "pw");
    QTest::keyClicks(Edit(d, IDC_CONFIRM_EDIT), "pw");
    Click(d, IDC_EACHPASS_RADIO);
    for (int id : {IDC_PASSWORD_EDIT, IDC_CONFIRM_EDIT}) {
        QVERIFY(Edit(d, id)->text().isEmpty());
        QVERIFY(!d.IsItemEnabled(id));
    }
    QVERIFY(d.IsItemEnabled(IDC_MAIN_BUTTON));  // no password needed
    QCOMPARE(d.job().m_SamePassRadio, 1);
    Click(d, IDC_SAMEPASS_RADIO);
    for (int id : {IDC_PASSWORD_EDIT, IDC_CONFIRM_EDIT}) {
        QVERIFY(Edit(d, id)->text().isEmpty());
        QVERIFY(d.IsItemEnabled(id));
    }
    QVERIFY(!d.IsItemEnabled(IDC_MAIN_BUTTON));
    // Clicking it again while chosen empties the fields once more.
    QTest::keyClicks(Edit(d, IDC_PASSWORD_EDIT), "pw");
    QTest::keyClicks(Edit(d, IDC_CONFIRM_EDIT), "pw");
    QVERIFY(d.IsItemEnabled(IDC_MAIN_BUTTON));
    Click(d, IDC_SAMEPASS_RADIO);
    QVERIFY(Checked(d, IDC_SAMEPASS_RADIO));
    QVERIFY(Edit(d, IDC_PASSWORD_EDIT)->text().isEmpty());
    QVERIFY(Edit(d, IDC_CONFIRM_EDIT)->text().isEmpty());
    QVERIFY(!d.IsItemEnabled(IDC_MAIN_BUTTON));
    QVERIFY(hook.Log().empty());
    QVERIFY(w.picker->calls.empty());
}

void MainWindowTest::processRadios() {
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    Click(d, IDC_DECRYPT_RADIO);
    QCOMPARE(d.GetDlgItemText(IDC_SAME_RADIO), std::string("Decrypt All Files into the &Specified Directory"));
    QCOMPARE(d.GetDlgItemText(IDC_RESPECTIVE_RADIO), std::string("Decrypt Files into the &Respective Directories"));
    QCOMPARE(d.GetDlgItemText(IDC_MAIN_BUTTON), std::string("D&ecrypt"));
    QCOMPARE(d.job().ProcessFlag, 1);
    QVERIFY(Checked(d, IDC_DECRYPT_RADIO) && !Checked(d, IDC_ENCRYPT_RADIO));
    QVERIFY(Checked(d, IDC_SAME_RADIO));  // the other groups are untouched
    Click(d, IDC_DECRYPT_RADIO);          // again: the picker call repeats
    Click(d, IDC_ENCRYPT_RADIO);
    QCOMPARE(d.GetDlgItemText(IDC_SAME_RADIO), std::string("Encrypt All Files into the &Specified Directory"));
    QCOMPARE(d.GetDlgItemText(IDC_RESPECTIVE_RADIO), std::string("Encrypt Files into the &Respective Directories"));
    QCOMPARE(d.GetDlgItemText(IDC_MAIN_BUTTON), std::string("E&ncrypt"));
    QCOMPARE(d.job().ProcessFlag, 0);
    QCOMPARE(w.picker->calls, (std::vector<std::string>{"DecryptTypes", "DecryptTypes", "EncryptTypes"}));
}

void MainWindowTest::destinationRadios() {
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    const std::string same = d.GetDlgItemText(IDC_SAME_RADIO);
    Click(d, IDC_RESPECTIVE_RADIO);
    QCOMPARE(d.job().m_SameRadio, 1);
    Click(d, IDC_SAME_RADIO);
    QCOMPARE(d.job().m_SameRadio, 0);
    Click(d, IDC_SAME_RADIO);
    QCOMPARE(w.picker->calls,
             (std::vector<std::string>{"DisableDestination", "EnableDestination", "EnableDestination"}));
    QCOMPARE(d.GetDlgItemText(IDC_SAME_RADIO), same);
    QVERIFY(!d.IsItemEnabled(IDC_MAIN_BUTTON));
}

void MainWindowTest::keysEndTheWindow() {
    ModalHook hook;
    {
        OpenMain w;
        COmbrixDlg& d = *w.dlg;
        QTest::keyClicks(Edit(d, IDC_PASSWORD_EDIT), "pw");
        QTest::keyClicks(Edit(d, IDC_CONFIRM_EDIT), "pw");
        QTest::keyClick(Edit(d, IDC_CONFIRM_EDIT), Qt::Key_Return);
        QTest::keyClick(Edit(d, IDC_PASSWORD_EDIT), Qt::Key_Enter);
        QTest::keyClick(d.GetDlgItem(IDC_DELETE_CHECK), Qt::Key_Return);
        QVERIFY(d.IsRunning());  // Enter never ends the program
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(!d.IsRunning());
        QCOMPARE(d.Result(), int(IDCANCEL));
    }
    {
        OpenMain w;
        COmbrixDlg& d = *w.dlg;
        d.Item<QCheckBox>(IDC_DELETE_CHECK)->setChecked(true);
        Click(d, IDC_EXIT_BUTTON);
        QCOMPARE(d.Result(), int(IDOK));
        QCOMPARE(d.job().m_Delete, 1);  // Exit reads the controls first
    }
    {
        OpenMain w;
        COmbrixDlg& d = *w.dlg;
        d.Item<QCheckBox>(IDC_DELETE_CHECK)->setChecked(true);
        d.close();  // the close box
        QCOMPARE(d.Result(), int(IDCANCEL));
        QCOMPARE(d.job().m_Delete, 0);
    }
    {
        OpenMain w;
        COmbrixDlg& d = *w.dlg;
        hook.Answer(SC_CLOSE);
        QTest::keyClick(&d, Qt::Key_Space, Qt::AltModifier);
        QCOMPARE(d.Result(), int(IDCANCEL));
        QVERIFY(!d.IsRunning());
    }
    QCOMPARE(hook.Unscripted(), 0);
}

void MainWindowTest::boxesFromButtonsMenuAndF1() {
    ModalHook hook;
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    bool disabled = false;
    hook.Answer([&](QWidget*) {
        disabled = IsOwnerDisabled(&d);
        return int(IDOK);
    });
    Click(d, IDC_ABOUT_BUTTON);
    QVERIFY(disabled);
    // The system menu by key and by a right-click on the window's background.
    hook.Answer(int(IDM_ABOUTBOX));
    hook.Answer(IDOK);
    QTest::keyClick(&d, Qt::Key_Space, Qt::AltModifier);
    hook.Answer(int(IDM_ABOUTBOX));
    hook.Answer(IDOK);
    const QPoint background = d.ItemRect(IDC_SETTINGS_GROUP).topLeft() + QPoint(3, 3);
    QContextMenuEvent e(QContextMenuEvent::Mouse, background, d.mapToGlobal(background));
    QApplication::sendEvent(&d, &e);
    hook.Answer(IDOK);
    Click(d, IDC_HELP_BUTTON);
    hook.Answer(IDOK);
    QTest::keyClick(&d, Qt::Key_F1);
    QCOMPARE(Texts(hook), (std::vector<std::string>{"[About Ombrix]", "[]", "[About Ombrix]", "[]", "[About Ombrix]",
                                                    "[Ombrix -- Help]", "[Ombrix -- Help]"}));
    const auto& menu = hook.Log()[1].items;
    QCOMPARE(menu, (std::vector<std::string>{"Mi&nimize", "&Close\tAlt+F4", "", "&About Ombrix..."}));
    QCOMPARE(hook.Unscripted(), 0);
    QVERIFY(d.IsRunning());
}

void MainWindowTest::screenshotsWithRealPicker() {
    COmbrixDlg d;
    SetMainWindow(&d);
    d.Open();
    QVERIFY(dynamic_cast<C_PickerPane*>(d.GetDlgItem(IDC_PICKERPANE1)));
    test::Screenshot(d, "main_encrypt");
    Click(d, IDC_DECRYPT_RADIO);
    Click(d, IDC_RESPECTIVE_RADIO);
    test::Screenshot(d, "main_decrypt");
    SetMainWindow(nullptr);
}

void MainWindowTest::encryptThenDecrypt() {
    QTemporaryDir tmp;
    const std::string root = tmp.path().toStdString();
    QDir().mkpath(tmp.filePath(QStringLiteral("src")));
    QDir().mkpath(tmp.filePath(QStringLiteral("out")));
    QDir().mkpath(tmp.filePath(QStringLiteral("back")));
    const std::string a = "plain text\r\n", b = std::string("\x00\xFF\x1A\r\n bytes", 10);
    test::WriteBytes(root + "/src/a.txt", a);
    test::WriteBytes(root + "/src/b.bin", b);

    ModalHook hook;
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    FakePicker& picker = *w.picker;
    Click(d, IDC_EACHPASS_RADIO);
    QVERIFY(d.IsItemEnabled(IDC_MAIN_BUTTON));

    struct Seen {
        bool buttonsDisabled = true;
        bool barsHiddenAtSummary = false;
        bool totalShownDuringPrompts = true;
        std::vector<QString> labels;
    } seen;
    int prompts = 0;
    const auto answer = [&](const char* password) {
        return [&, password](QWidget* box) {
            auto* p = static_cast<Dialog*>(box);
            seen.labels.push_back(p->Item<QLabel>(IDC_FILE_LABEL)->text());
            seen.buttonsDisabled &= !d.IsItemEnabled(IDC_MAIN_BUTTON) && !d.IsItemEnabled(IDC_EXIT_BUTTON);
            seen.totalShownDuringPrompts &= d.IsItemVisible(IDC_TOTAL_PROGRESS);
            if (++prompts == 2) {
                // The main window takes no clicks while the prompt is up.
                QTest::mouseClick(d.GetDlgItem(IDC_ABOUT_BUTTON), Qt::LeftButton);
            }
            QTest::keyClicks(p->Item<QLineEdit>(IDC_PASS_EDIT), password);
            QTest::keyClicks(p->Item<QLineEdit>(IDC_REPEAT_EDIT), password);
            QTest::mouseClick(p->GetDlgItem(IDOK), Qt::LeftButton);
            return int(IDCANCEL);
        };
    };
    const auto summary = [&](QWidget*) {
        seen.barsHiddenAtSummary = !d.IsItemVisible(IDC_TOTAL_PROGRESS) && !d.IsItemVisible(IDC_FILE_PROGRESS);
        seen.buttonsDisabled &= !d.IsItemEnabled(IDC_MAIN_BUTTON) && !d.IsItemEnabled(IDC_EXIT_BUTTON);
        picker.calls.push_back("summary closed");
        return int(IDOK);
    };

    picker.paths = {root + "/src/a.txt", root + "/src/b.bin"};
    picker.destination = root + "/out";
    picker.calls.clear();
    picker.onFileSource = [&](std::int32_t i) {
        if (i == 1)  // the first file done: both bars show
            test::Screenshot(d, "main_midbatch");
    };
    hook.Answer(answer("k3y"));
    hook.Answer(answer("k3y"));
    hook.Answer(summary);
    Click(d, IDC_MAIN_BUTTON);
    QCOMPARE(Texts(hook),
             (std::vector<std::string>{"[Ombrix :  Password]", "[Ombrix :  Password]",
                                       "Selected File(s) : 2 , \n Encrypted File(s) : 2, \n Deleted Files : 0 "}));
    QCOMPARE(hook.Unscripted(), 0);
    QCOMPARE(hook.Log().back().caption, std::string("Completed "));
    QCOMPARE(hook.Log().back().text,
             std::string("Selected File(s) : 2 , \n Encrypted File(s) : 2, \n Deleted Files : 0 "));
    QCOMPARE(seen.labels, (std::vector<QString>{QString::fromStdString("File --> " + root + "/src/a.txt"),
                                                QString::fromStdString("File --> " + root + "/src/b.bin")}));
    QVERIFY(seen.buttonsDisabled);
    QVERIFY(seen.totalShownDuringPrompts);
    QVERIFY(seen.barsHiddenAtSummary);
    QCOMPARE(hook.Log().size(), std::size_t(3));  // the blocked click opened no About box
    QVERIFY(d.IsItemEnabled(IDC_MAIN_BUTTON) && d.IsItemEnabled(IDC_EXIT_BUTTON));
    QCOMPARE(d.Item<ProgressBar>(IDC_FILE_PROGRESS)->Color(), QColor(240, 0, 0));
    QCOMPARE(picker.calls, (std::vector<std::string>{"TotalFiles", "FileSource(0)", "FileDestination", "FileSource(1)",
                                                     "FileDestination", "DecryptTypes", "EncryptTypes",
                                                     "summary closed", "ProcessOver"}));
    QVERIFY(QFile::exists(tmp.filePath(QStringLiteral("out/a.kvr"))));
    QVERIFY(QFile::exists(tmp.filePath(QStringLiteral("out/b.kvr"))));

    picker.onFileSource = nullptr;
    // Decrypt the two containers, one wrong password first.
    Click(d, IDC_DECRYPT_RADIO);
    QVERIFY(d.IsItemEnabled(IDC_MAIN_BUTTON));
    picker.paths = {root + "/out/a.kvr", root + "/out/b.kvr"};
    picker.destination = root + "/back";
    picker.calls.clear();
    hook.ClearLog();
    seen = {};
    hook.Answer(answer("wrong"));
    hook.Answer(answer("k3y"));
    hook.Answer(answer("k3y"));
    hook.Answer(summary);
    Click(d, IDC_MAIN_BUTTON);
    QCOMPARE(hook.Unscripted(), 0);
    QCOMPARE(hook.Log().back().text,
             std::string("Selected File(s) : 2 , \n Decrypted File(s) : 2, \n Deleted Files : 0 "));
    QCOMPARE(seen.labels.at(1), QString::fromStdString("Failed :( " + root + "/out/a.kvr )"));
    QVERIFY(seen.buttonsDisabled && seen.barsHiddenAtSummary);
    QCOMPARE(test::ReadBytes(root + "/back/a.txt"), a);
    QCOMPARE(test::ReadBytes(root + "/back/b.bin"), b);
    QCOMPARE(picker.calls, (std::vector<std::string>{"TotalFiles", "FileSource(0)", "FileDestination", "FileSource(1)",
                                                     "FileDestination", "EncryptTypes", "DecryptTypes",
                                                     "summary closed", "ProcessOver"}));
    QVERIFY(d.IsItemEnabled(IDC_MAIN_BUTTON) && d.IsItemEnabled(IDC_EXIT_BUTTON));
    QVERIFY(d.IsRunning());
}

// The real pane's format choice reaches the job when files are placed; the
// window keeps handling its events while each key is derived.
void MainWindowTest::kvxChosenInThePaneRoundTripsWhileTheWindowPaints() {
    QTemporaryDir tmp;
    const std::string root = tmp.path().toStdString();
    for (auto sub : {"src", "out", "back"}) QDir().mkpath(tmp.filePath(QString::fromLatin1(sub)));
    const std::string a = "plain text\n", b = std::string(3 << 20, 'b') + "end", c = "the old format";
    test::WriteBytes(root + "/src/a.txt", a);
    test::WriteBytes(root + "/src/b.bin", b);
    test::WriteBytes(root + "/src/c.txt", c);

    kvx::seam::SetNewContainerCost({1, 8});
    // Each derivation waits until the window has handled an event posted
    // when it began: only a window that keeps pumping lets it go on.
    std::atomic<int> derivations{0}, pumpedDuring{0};
    kvx::seam::SetOnDerive([&] {
        ++derivations;
        auto seen = std::make_shared<std::atomic<bool>>(false);
        QMetaObject::invokeMethod(
            qApp, [seen] { *seen = true; }, Qt::QueuedConnection);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!*seen && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (*seen) ++pumpedDuring;
    });

    ModalHook hook;
    COmbrixDlg d;
    SetMainWindow(&d);
    d.Open();
    auto* pane = dynamic_cast<PickerPaneWidget*>(d.GetDlgItem(IDC_PICKERPANE1));
    QVERIFY(pane);
    auto* format = pane->findChild<QComboBox*>("format");
    auto* dest = pane->findChild<QLineEdit*>("destination");
    QVERIFY(format && dest && format->isVisible());
    dest->setText(tmp.filePath("out"));
    TypePassword(d, "k3y");
    // Runs a batch whose summary must read `text`.
    const auto batch = [&](const char* text) {
        hook.Answer(IDOK);
        Click(d, IDC_MAIN_BUTTON);
        QCOMPARE(hook.Log().back().text, std::string(text));
        QCOMPARE(hook.Unscripted(), 0);
    };

    // The default is .kvr, then .kvx chosen in the pane.
    pane->addPicks({QByteArray::fromStdString(root + "/src/c.txt")});
    batch("Selected File(s) : 1 , \n Encrypted File(s) : 1, \n Deleted Files : 0 ");
    QVERIFY(QFile::exists(tmp.filePath("out/c.kvr")));
    QCOMPARE(derivations.load(), 0);

    format->setFocus();
    QTest::keyClick(format, Qt::Key_Down);
    QCOMPARE(format->currentData().toString(), QString(".kvx"));
    pane->addPicks({QByteArray::fromStdString(root + "/src/a.txt"), QByteArray::fromStdString(root + "/src/b.bin")});
    pane->openFolder(tmp.filePath("src"));
    test::Screenshot(d, "main_encrypt_kvx");
    batch("Selected File(s) : 2 , \n Encrypted File(s) : 2, \n Deleted Files : 0 ");
    QVERIFY(QFile::exists(tmp.filePath("out/a.txt.kvx")));
    QVERIFY(QFile::exists(tmp.filePath("out/b.bin.kvx")));
    QCOMPARE(derivations.load(), 1);  // one password, one key for the batch
    QCOMPARE(pumpedDuring.load(), 1);

    // Decrypting both formats, a prompt for each file, a wrong password first.
    Click(d, IDC_DECRYPT_RADIO);
    Click(d, IDC_EACHPASS_RADIO);
    QVERIFY(!format->isVisible());
    dest->setText(tmp.filePath("back"));
    pane->openFolder(tmp.filePath("out"));
    pane->addPicks({QByteArray::fromStdString(root + "/out/a.txt.kvx"),
                    QByteArray::fromStdString(root + "/out/b.bin.kvx"),
                    QByteArray::fromStdString(root + "/out/c.kvr")});
    pane->layout()->activate();  // the format row's room goes to the lists before the event loop runs
    test::Screenshot(d, "main_decrypt_both_formats");
    std::vector<std::string> labels;
    const auto answer = [&](const char* password) {
        hook.Answer([&, password](QWidget* box) {
            auto* p = static_cast<Dialog*>(box);
            labels.push_back(p->Item<QLabel>(IDC_FILE_LABEL)->text().toStdString());
            QTest::keyClicks(p->Item<QLineEdit>(IDC_PASS_EDIT), password);
            QTest::keyClicks(p->Item<QLineEdit>(IDC_REPEAT_EDIT), password);
            QTest::mouseClick(p->GetDlgItem(IDOK), Qt::LeftButton);
            return int(IDCANCEL);
        });
    };
    for (auto p : {"wrong", "k3y", "k3y", "k3y"}) answer(p);
    batch("Selected File(s) : 3 , \n Decrypted File(s) : 3, \n Deleted Files : 0 ");
    QCOMPARE(labels,
             (std::vector<std::string>{"File --> " + root + "/out/a.txt.kvx", "Failed :( " + root + "/out/a.txt.kvx )",
                                       "File --> " + root + "/out/b.bin.kvx", "File --> " + root + "/out/c.kvr"}));
    QCOMPARE(test::ReadBytes(root + "/back/a.txt"), a);
    QCOMPARE(test::ReadBytes(root + "/back/b.bin"), b);
    QCOMPARE(test::ReadBytes(root + "/back/c.txt"), c);
    QCOMPARE(derivations.load(), 3);  // the wrong guess, then the right password once
    QCOMPARE(pumpedDuring.load(), 3);

    kvx::seam::SetOnDerive({});
    kvx::seam::SetNewContainerCost(kvx::kModerate);
    SetMainWindow(nullptr);
}

void MainWindowTest::closeDuringBatchWaitsForItsEnd() {
    ModalHook hook;
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    Click(d, IDC_EACHPASS_RADIO);
    bool stillRunning = false;
    w.picker->onFileSource = [&](std::int32_t) {
        d.close();  // the close box
        QTest::keyClick(&d, Qt::Key_Escape);
        d.PumpEvents();
        stillRunning = d.IsRunning() && d.BatchRunning();
    };
    w.picker->paths = {"/nonexistent/ombrix-test/file.txt"};
    hook.Answer(IDOK);  // the source cannot be read
    hook.Answer(IDOK);  // summary
    Click(d, IDC_MAIN_BUTTON);
    QVERIFY(stillRunning);
    QVERIFY(!d.IsRunning());
    QCOMPARE(d.Result(), int(IDCANCEL));
    QCOMPARE(hook.Log().back().caption, std::string("Completed "));
}

void MainWindowTest::closeRequestsFromTheWindowSystemWaitForTheBatch_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("close box") << false;
    QTest::newRow("Escape") << true;
}

void MainWindowTest::closeRequestsFromTheWindowSystemWaitForTheBatch() {
    QFETCH(bool, escape);
    BatchFiles files(3);
    ModalHook hook;
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    d.job().PumpInterval = std::chrono::milliseconds(0);  // the passes pump at every block
    TypePassword(d, "pw");
    files.PickInto(*w.picker);
    w.picker->onFileSource = [&](std::int32_t i) {
        if (i != 0) return;
        // Queued as a window manager's request or a key press arrives, to be
        // picked up whenever the window next looks at its events.
        QWindow* window = d.windowHandle();
        if (escape) {
            QWindowSystemInterface::handleKeyEvent(window, QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QWindowSystemInterface::handleKeyEvent(window, QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
        } else {
            QWindowSystemInterface::handleCloseEvent(window);
        }
    };
    bool openAtSummary = false;
    hook.Answer([&](QWidget*) {
        openAtSummary = d.IsRunning();
        return int(IDOK);
    });
    Click(d, IDC_MAIN_BUTTON);
    // Ended right after the batch, which ran to its end first.
    QVERIFY(!d.IsRunning());
    QCOMPARE(d.Result(), int(IDCANCEL));
    QVERIFY(openAtSummary);
    QCOMPARE(Texts(hook),
             (std::vector<std::string>{"Selected File(s) : 3 , \n Encrypted File(s) : 3, \n Deleted Files : 0 "}));
    for (int i = 0; i < 3; ++i) QVERIFY(files.Encrypted(i));
    QCOMPARE(w.picker->calls.back(), std::string("ProcessOver"));
}

void MainWindowTest::windowShowsBusyDuringBatchAndComesBackAsItWas() {
    BatchFiles files(2);
    ModalHook hook;
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    Click(d, IDC_EACHPASS_RADIO);  // fields off, main button on
    Click(d, IDC_RESPECTIVE_RADIO);
    d.Item<QCheckBox>(IDC_DELETE_CHECK)->setChecked(false);
    const std::vector<int> inputs{IDC_ENCRYPT_RADIO,  IDC_DECRYPT_RADIO,  IDC_SAME_RADIO,   IDC_RESPECTIVE_RADIO,
                                  IDC_SAMEPASS_RADIO, IDC_EACHPASS_RADIO, IDC_DELETE_CHECK, IDC_PASSWORD_EDIT,
                                  IDC_CONFIRM_EDIT,   IDC_MAIN_BUTTON,    IDC_EXIT_BUTTON,  IDC_PICKERPANE1,
                                  IDC_ABOUT_BUTTON,   IDC_HELP_BUTTON};
    const auto states = [&] {
        std::vector<bool> on;
        for (int id : inputs) on.push_back(d.IsItemEnabled(id));
        return on;
    };
    const std::vector<bool> before = states();
    w.picker->calls.clear();
    files.PickInto(*w.picker);
    std::vector<bool> during;
    w.picker->onFileSource = [&](std::int32_t i) {
        if (i != 1) return;
        during = states();
        test::Screenshot(d, "main_busy");
        // Keys, shortcuts and clicks of every kind find nothing to press.
        QTest::keyClick(&d, Qt::Key_D, Qt::AltModifier);
        QTest::keyClick(&d, Qt::Key_F1);
        QTest::keyClick(&d, Qt::Key_Space, Qt::AltModifier);
        QTest::mouseClick(d.GetDlgItem(IDC_ABOUT_BUTTON), Qt::LeftButton);
        QTest::mouseClick(d.GetDlgItem(IDC_SAMEPASS_RADIO), Qt::LeftButton);
    };
    for (int i = 0; i < 2; ++i) {
        hook.Answer(IDCANCEL);  // the prompt cancelled
        hook.Answer(IDOK);      // and the file reported
    }
    hook.Answer(IDOK);  // summary
    Click(d, IDC_MAIN_BUTTON);
    QCOMPARE(during, std::vector<bool>(inputs.size(), false));
    QCOMPARE(states(), before);
    QVERIFY(Checked(d, IDC_EACHPASS_RADIO) && Checked(d, IDC_RESPECTIVE_RADIO) && Checked(d, IDC_ENCRYPT_RADIO));
    const std::vector<std::string> asked = Texts(hook);
    QCOMPARE(asked.size(), std::size_t(5));  // no About, help or menu among them
    QCOMPARE(asked[0], std::string("[Ombrix :  Password]"));
    QCOMPARE(asked[2], std::string("[Ombrix :  Password]"));
    QCOMPARE(asked[4], std::string("Selected File(s) : 2 , \n Encrypted File(s) : 0, \n Deleted Files : 0 "));
    QCOMPARE(w.picker->calls, (std::vector<std::string>{"TotalFiles", "FileSource(0)", "FileSource(1)", "DecryptTypes",
                                                        "EncryptTypes", "ProcessOver"}));
    QVERIFY(d.IsRunning());
}

void MainWindowTest::focusShowsFromStartAndComesBackAfterBatch() {
    ModalHook hook;
    COmbrixDlg d;  // with the real picker
    SetMainWindow(&d);
    d.Open();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    auto* check = d.Item<QCheckBox>(IDC_DELETE_CHECK);
    QCOMPARE(d.focusWidget(), static_cast<QWidget*>(check));
    // The focus frame shows before any key was pressed.
    QStyleOptionButton opt;
    opt.initFrom(check);
    QVERIFY(opt.state & QStyle::State_HasFocus);
    QVERIFY(opt.state & QStyle::State_KeyboardFocusChange);
    const QImage framed = check->grab().toImage();
    d.setAttribute(Qt::WA_KeyboardFocusChange, false);
    QVERIFY(check->grab().toImage() != framed);
    d.setAttribute(Qt::WA_KeyboardFocusChange, true);
    test::Screenshot(d, "main_start_focus");

    Click(d, IDC_EACHPASS_RADIO);
    QWidget* main = d.GetDlgItem(IDC_MAIN_BUTTON);
    main->setFocus(Qt::TabFocusReason);
    hook.Answer(IDOK);  // summary of a batch of nothing
    QTest::keyClick(main, Qt::Key_Space);
    QCOMPARE(hook.Log().size(), std::size_t(1));
    QCOMPARE(d.focusWidget(), main);
    auto* location = d.GetDlgItem(IDC_PICKERPANE1)->findChild<QLineEdit*>(QStringLiteral("location"));
    QVERIFY(location);
    QVERIFY(!location->hasFocus() && !location->hasSelectedText());
    SetMainWindow(nullptr);
}

void MainWindowTest::menuKeysReachAbout() {
    ModalHook hook;
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    QWidget* check = d.GetDlgItem(IDC_DELETE_CHECK);
    hook.Answer(int(IDM_ABOUTBOX));
    hook.Answer(IDOK);
    QTest::keyClick(check, Qt::Key_F10, Qt::ShiftModifier);
    hook.Answer(int(IDM_ABOUTBOX));
    hook.Answer(IDOK);
    QTest::keyClick(check, Qt::Key_Menu);
    QCOMPARE(Texts(hook), (std::vector<std::string>{"[]", "[About Ombrix]", "[]", "[About Ombrix]"}));
    QCOMPARE(hook.Log()[0].items.back(), std::string("&About Ombrix..."));
    QCOMPARE(hook.Unscripted(), 0);
    // The help text says how to get there.
    const std::string help = test::ReadBytes(OMBRIX_HELP_FILE);
    QVERIFY(help.find("Shift+F10") != std::string::npos);
    QVERIFY(help.find("Menu key") != std::string::npos);
}

void MainWindowTest::arrowKeysChooseWithinEachGroup() {
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    Click(d, IDC_ENCRYPT_RADIO);
    w.picker->calls.clear();
    QTest::keyClick(d.GetDlgItem(IDC_ENCRYPT_RADIO), Qt::Key_Down);
    QCOMPARE(d.focusWidget(), d.GetDlgItem(IDC_DECRYPT_RADIO));
    QVERIFY(Checked(d, IDC_DECRYPT_RADIO));
    QCOMPARE(d.GetDlgItemText(IDC_MAIN_BUTTON), std::string("D&ecrypt"));  // its handler ran
    QTest::keyClick(d.GetDlgItem(IDC_DECRYPT_RADIO), Qt::Key_Down);
    QCOMPARE(d.focusWidget(), d.GetDlgItem(IDC_ENCRYPT_RADIO));  // round, not on to the next group
    QCOMPARE(w.picker->calls, (std::vector<std::string>{"DecryptTypes", "EncryptTypes"}));
    Click(d, IDC_SAMEPASS_RADIO);
    QTest::keyClick(d.GetDlgItem(IDC_SAMEPASS_RADIO), Qt::Key_Up);
    QCOMPARE(d.focusWidget(), d.GetDlgItem(IDC_EACHPASS_RADIO));
    QVERIFY(!d.IsItemEnabled(IDC_PASSWORD_EDIT));
    QVERIFY(Checked(d, IDC_SAME_RADIO));  // the other groups untouched
}

void MainWindowTest::screenReaderSeesGroupsFieldsAndBars() {
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    const auto iface = [&](int id) { return QAccessible::queryAccessibleInterface(d.GetDlgItem(id)); };
    const std::vector<std::pair<std::vector<int>, QString>> groups{
        {{IDC_ENCRYPT_RADIO, IDC_DECRYPT_RADIO}, QStringLiteral("Select Process")},
        {{IDC_SAME_RADIO, IDC_RESPECTIVE_RADIO}, QStringLiteral("Destination Settings")},
        {{IDC_SAMEPASS_RADIO, IDC_EACHPASS_RADIO}, QStringLiteral("Password Settings")},
    };
    for (const auto& [ids, group] : groups) {
        for (int id : ids) {
            QCOMPARE(iface(id)->role(), QAccessible::RadioButton);
            QCOMPARE(iface(id)->parent()->role(), QAccessible::Grouping);
            QCOMPARE(iface(id)->parent()->text(QAccessible::Name), group);
        }
    }
    QCOMPARE(iface(IDC_ENCRYPT_RADIO)->text(QAccessible::Name), QStringLiteral("Encrypt"));
    QVERIFY(iface(IDC_ENCRYPT_RADIO)->state().checked);
    QCOMPARE(iface(IDC_PASSWORD_EDIT)->text(QAccessible::Name), QStringLiteral("Enter Password"));
    QCOMPARE(iface(IDC_CONFIRM_EDIT)->text(QAccessible::Name), QStringLiteral("Confirm Password"));
    QCOMPARE(iface(IDC_TOTAL_PROGRESS)->role(), QAccessible::ProgressBar);
    QCOMPARE(iface(IDC_TOTAL_PROGRESS)->text(QAccessible::Name), QStringLiteral("Batch progress"));
    QCOMPARE(iface(IDC_FILE_PROGRESS)->role(), QAccessible::ProgressBar);
    QCOMPARE(iface(IDC_FILE_PROGRESS)->text(QAccessible::Name), QStringLiteral("File progress"));
    QVERIFY(iface(IDC_FILE_PROGRESS)->state().invisible);  // hidden until a batch
    // Texts, tab stops and layout are those of the window as it always was.
    QCOMPARE(d.GetDlgItemText(IDC_PASSWORD_LABEL), std::string("Enter Password       : "));
    QVERIFY(!(d.GetDlgItem(IDC_ENCRYPT_RADIO)->focusPolicy() & Qt::TabFocus));
    QCOMPARE(QRect(d.GetDlgItem(IDC_DECRYPT_RADIO)->mapTo(&d, QPoint(0, 0)), d.GetDlgItem(IDC_DECRYPT_RADIO)->size()),
             d.ItemRect(IDC_DECRYPT_RADIO));
}

void MainWindowTest::barValuesReachScreenReadersDuringBatch() {
    BatchFiles files(3);
    ModalHook hook;
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    TypePassword(d, "pw");
    files.PickInto(*w.picker);
    auto* total = d.Item<ProgressBar>(IDC_TOTAL_PROGRESS);
    auto* file = d.Item<ProgressBar>(IDC_FILE_PROGRESS);
    std::vector<QString> seen;  // "value of min..max", as read at each file's start
    w.picker->onFileSource = [&](std::int32_t) {
        QAccessibleValueInterface* v = QAccessible::queryAccessibleInterface(total)->valueInterface();
        seen.push_back(QStringLiteral("%1 of %2..%3")
                           .arg(v->currentValue().toInt())
                           .arg(v->minimumValue().toInt())
                           .arg(v->maximumValue().toInt()));
    };
    test::AccessLog log;
    hook.Answer(IDOK);
    Click(d, IDC_MAIN_BUTTON);
    QCOMPARE(seen, (std::vector<QString>{"0 of 0..3", "1 of 0..3", "2 of 0..3"}));
    std::vector<int> totals;
    for (const auto& e : log.Of(total, QAccessible::ValueChanged)) totals.push_back(e.value.toInt());
    QCOMPARE(totals, (std::vector<int>{0, 1, 2, 3}));  // the new range, then each file
    const auto fileValues = log.Of(file, QAccessible::ValueChanged);
    QVERIFY(fileValues.size() >= 3);
    QCOMPARE(fileValues.back().value.toInt(), 100);
    QCOMPARE(fileValues.back().name, QStringLiteral("File progress"));
    QCOMPARE(QAccessible::queryAccessibleInterface(file)->text(QAccessible::Value), QStringLiteral("100%"));
}

void MainWindowTest::summaryBoxHasRoomForItsCaption() {
    ModalHook hook;
    OpenMain w;
    COmbrixDlg& d = *w.dlg;
    Click(d, IDC_EACHPASS_RADIO);
    int width = 0, room = 0;
    hook.Answer([&](QWidget* box) {
        if (!box) return -1;
        box->show();
        width = box->width();
        room = CaptionRoom(box->windowTitle(), box->font());
        test::Screenshot(*box, "summary");
        box->hide();
        return int(IDOK);
    });
    Click(d, IDC_MAIN_BUTTON);
    QCOMPARE(hook.Log().back().caption, std::string("Completed "));
    QVERIFY(room > 0);
    QVERIFY(width >= room);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ombrix::dlg::ApplyClassicLook();
    MainWindowTest t;
    return QTest::qExec(&t, argc, argv);
}
#include "mainwindow_test.moc"
