// The password prompt, the help viewer and the About box, each run through
// the modal hook with scripts that drive their real widgets.
#include "Support.h"

#include "dlgkit/Look.h"
#include "dlgkit/Modal.h"
#include "dlgkit/Text.h"
#include "ui/AboutDlg.h"
#include "ui/Help.h"
#include "ui/HelpFile.h"
#include "ui/OmbrixDlg.h"
#include "ui/Password.h"
#include "ui/Resource.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace ombrix;
using namespace ombrix::dlg;
using namespace ombrix::ui;
using test::ReadBytes;
using test::WriteBytes;

namespace {

QLineEdit* Field(QWidget* box, int id) { return static_cast<Dialog*>(box)->Item<QLineEdit>(id); }
bool OkEnabled(QWidget* box) { return static_cast<Dialog*>(box)->IsItemEnabled(IDOK); }
void Click(QWidget* box, int id) { QTest::mouseClick(static_cast<Dialog*>(box)->GetDlgItem(id), Qt::LeftButton); }

// Runs the prompt once with a script; returns the result code.
int Prompt(CPassword& dlg, const std::string& label, Script script) {
    ModalHook hook;
    hook.Answer(std::move(script));
    dlg.m_FileLabel = label;
    const int r = dlg.DoModal();
    if (hook.Unscripted() != 0 || hook.Log().size() != 1) return -99;
    return r;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        home_ = QDir::currentPath();
        QVERIFY(tmp_.isValid());
        QDir::setCurrent(tmp_.path());
    }
    void cleanupTestCase() { QDir::setCurrent(home_); }
    void cleanup() { QFile::remove(QStringLiteral("help.sh")); }
    void promptOpensEmptyEveryRun();
    void promptOkFollowsConfirmation();
    void promptConfirmationFirst();
    void promptPasswordEditedAfterConfirmation();
    void promptCaseAndEmptying();
    void promptCancelAndEscape();
    void namesShowAsPlainText();
    void promptOkNeedsAPassword();
    void promptLineKeepsTheFileNameInSight_data();
    void promptLineKeepsTheFileNameInSight();
    void fieldsAndHelpTextHaveNames();
    void boxesOpenCentredOverTheMainWindowEveryTime();
    void helpByteRules_data();
    void helpByteRules();
    void helpRereadsAtEveryOpening();
    void helpSaveWritesCrLf();
    void helpLayout();
    void aboutBox();

private:
    QTemporaryDir tmp_;
    QString home_;
};

void DialogsTest::promptOpensEmptyEveryRun() {
    CPassword dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Ombrix :  Password"));
    QVERIFY(!(dlg.windowFlags() & Qt::WindowCloseButtonHint));
    for (const char* label : {"File --> /tmp/a.txt", "Failed :( /tmp/a.txt )"}) {
        const int r = Prompt(dlg, label, [&](QWidget* box) {
            [&] {
                QCOMPARE(static_cast<Dialog*>(box)->Item<QLabel>(IDC_FILE_LABEL)->text(), QString::fromUtf8(label));
                QVERIFY(Field(box, IDC_PASS_EDIT)->text().isEmpty());
                QVERIFY(Field(box, IDC_REPEAT_EDIT)->text().isEmpty());
                QVERIFY(!OkEnabled(box));
                QCOMPARE(Field(box, IDC_PASS_EDIT)->echoMode(), QLineEdit::Password);
                QCOMPARE(box->focusWidget(), Field(box, IDC_PASS_EDIT));
            }();
            if (std::string(label).find("Failed") == std::string::npos) test::Screenshot(*box, "prompt");
            QTest::keyClicks(Field(box, IDC_PASS_EDIT), "secret");
            QTest::keyClicks(Field(box, IDC_REPEAT_EDIT), "secret");
            Click(box, IDOK);
            return int(IDCANCEL);
        });
        QCOMPARE(r, int(IDOK));
        QCOMPARE(dlg.m_Password, std::string("secret"));
        QCOMPARE(dlg.m_FileLabel, std::string(label));
    }
}

void DialogsTest::promptOkFollowsConfirmation() {
    CPassword dlg;
    std::vector<bool> states;
    const int r = Prompt(dlg, "file", [&](QWidget* box) {
        QTest::keyClicks(Field(box, IDC_PASS_EDIT), "abc");
        states.push_back(OkEnabled(box));  // a password alone does not enable OK
        for (char c : std::string("abc")) {
            QTest::keyClicks(Field(box, IDC_REPEAT_EDIT), QString(QChar(c)));
            states.push_back(OkEnabled(box));
        }
        Click(box, IDOK);
        return int(IDCANCEL);
    });
    QCOMPARE(r, int(IDOK));
    QCOMPARE(states, (std::vector<bool>{false, false, false, true}));
}

void DialogsTest::promptConfirmationFirst() {
    CPassword dlg;
    bool afterPassword = true, afterRetype = false;
    Prompt(dlg, "file", [&](QWidget* box) {
        QTest::keyClicks(Field(box, IDC_REPEAT_EDIT), "pw");
        QTest::keyClicks(Field(box, IDC_PASS_EDIT), "pw");
        afterPassword = OkEnabled(box);  // only the confirmation's changes count
        QTest::keyClick(Field(box, IDC_REPEAT_EDIT), Qt::Key_Backspace);
        QTest::keyClicks(Field(box, IDC_REPEAT_EDIT), "w");
        afterRetype = OkEnabled(box);
        return int(IDCANCEL);
    });
    QVERIFY(!afterPassword);
    QVERIFY(afterRetype);
}

void DialogsTest::promptPasswordEditedAfterConfirmation() {
    CPassword dlg;
    bool enabled = false;
    QCOMPARE(Prompt(dlg, "file",
                    [&](QWidget* box) {
                        QTest::keyClicks(Field(box, IDC_PASS_EDIT), "pw");
                        QTest::keyClicks(Field(box, IDC_REPEAT_EDIT), "pw");
                        QTest::keyClicks(Field(box, IDC_PASS_EDIT), "X");
                        enabled = OkEnabled(box);
                        Click(box, IDOK);
                        return int(IDCANCEL);
                    }),
             int(IDOK));
    QVERIFY(enabled);
    QCOMPARE(dlg.m_Password, std::string("pwX"));
    QCOMPARE(Prompt(dlg, "file",
                    [&](QWidget* box) {
                        QTest::keyClicks(Field(box, IDC_PASS_EDIT), "pw");
                        QTest::keyClicks(Field(box, IDC_REPEAT_EDIT), "pw");
                        Field(box, IDC_PASS_EDIT)->selectAll();
                        QTest::keyClick(Field(box, IDC_PASS_EDIT), Qt::Key_Delete);
                        enabled = OkEnabled(box);
                        Click(box, IDOK);
                        return int(IDCANCEL);
                    }),
             int(IDOK));
    QVERIFY(enabled);
    QCOMPARE(dlg.m_Password, std::string());
}

void DialogsTest::promptCaseAndEmptying() {
    CPassword dlg;
    bool caseDiffers = true, emptied = true;
    Prompt(dlg, "file", [&](QWidget* box) {
        QTest::keyClicks(Field(box, IDC_PASS_EDIT), "Secret");
        QTest::keyClicks(Field(box, IDC_REPEAT_EDIT), "secret");
        caseDiffers = OkEnabled(box);
        Field(box, IDC_PASS_EDIT)->setText(QStringLiteral("secret"));
        QTest::keyClick(Field(box, IDC_REPEAT_EDIT), Qt::Key_End);
        QTest::keyClick(Field(box, IDC_REPEAT_EDIT), Qt::Key_Backspace);
        QTest::keyClicks(Field(box, IDC_REPEAT_EDIT), "t");
        if (!OkEnabled(box)) return -1;
        Field(box, IDC_REPEAT_EDIT)->selectAll();
        QTest::keyClick(Field(box, IDC_REPEAT_EDIT), Qt::Key_Backspace);
        emptied = OkEnabled(box);
        return int(IDCANCEL);
    });
    QVERIFY(!caseDiffers);
    QVERIFY(!emptied);
}

void DialogsTest::promptCancelAndEscape() {
    CPassword dlg;
    // A first run that ends with a password, so the cancels have one to lose.
    Prompt(dlg, "file", [](QWidget* box) {
        QTest::keyClicks(Field(box, IDC_PASS_EDIT), "old");
        QTest::keyClicks(Field(box, IDC_REPEAT_EDIT), "old");
        Click(box, IDOK);
        return int(IDCANCEL);
    });
    QCOMPARE(dlg.m_Password, std::string("old"));
    QCOMPARE(Prompt(dlg, "file",
                    [](QWidget* box) {
                        QTest::keyClicks(Field(box, IDC_PASS_EDIT), "typed");
                        QTest::keyClicks(Field(box, IDC_REPEAT_EDIT), "typed");
                        Click(box, IDCANCEL);
                        return int(IDOK);
                    }),
             int(IDCANCEL));
    QCOMPARE(dlg.m_Password, std::string());
    QCOMPARE(Prompt(dlg, "file",
                    [](QWidget* box) {
                        QTest::keyClicks(Field(box, IDC_PASS_EDIT), "typed");
                        QTest::keyClicks(Field(box, IDC_REPEAT_EDIT), "typed");
                        QTest::keyClick(box, Qt::Key_Escape);
                        return int(IDOK);
                    }),
             int(IDCANCEL));
    QCOMPARE(dlg.m_Password, std::string());
}

// A file name may hold control bytes and look like markup: the window shows
// it as text, whole, in the prompt's label and in message boxes alike.
void DialogsTest::namesShowAsPlainText() {
    const std::string name =
        "/tmp/a\tb\nc\x1b[31md\x7f\xc2\x9b"
        "e<b>f</b>&amp;.txt";
    const std::string label = "File --> " + name;
    CPassword dlg;
    const int r = Prompt(dlg, label, [&](QWidget* box) {
        auto* shown = static_cast<Dialog*>(box)->Item<QLabel>(IDC_FILE_LABEL);
        [&] {
            QCOMPARE(shown->textFormat(), Qt::PlainText);
            QCOMPARE(shown->text(), ToQt(label));
        }();
        test::Screenshot(*box, "prompt-control-bytes");
        return int(IDCANCEL);
    });
    QCOMPARE(r, int(IDCANCEL));

    const std::string text = "The Sorce File '" + name + "' Does Not Exist";
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = box->textFormat() == Qt::PlainText && box->text() == ToQt(text);
        test::Screenshot(*box, "message-control-bytes");
        box->button(QMessageBox::Ok)->click();
    });
    QCOMPARE(MessageBox(nullptr, text), int(IDOK));
    QVERIFY(seen);
}

void DialogsTest::helpByteRules_data() {
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("text");
    const QByteArray notLocated(kHelpNotLocated);
    QTest::newRow("missing") << false << QByteArray() << notLocated;
    QTest::newRow("empty") << true << QByteArray() << QByteArray();
    QTest::newRow("CR LF") << true << QByteArray("one\r\ntwo\r\n") << QByteArray("one\ntwo\n");
    QTest::newRow("CR CR LF") << true << QByteArray("one\r\r\ntwo") << QByteArray("one\r\ntwo");
    QTest::newRow("lone CR") << true << QByteArray("a\rb\r") << QByteArray("a\rb\r");
    QTest::newRow("0x1A ends") << true
                               << QByteArray(
                                      "ab\x1A"
                                      "cd\r\n")
                               << QByteArray("ab");
    QTest::newRow("0xFF kept") << true << QByteArray("x\xFFy") << QByteArray("x\xFFy");
}

void DialogsTest::helpByteRules() {
    QFETCH(bool, present);
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, text);
    if (present) WriteBytes("help.sh", file.toStdString());
    CHelp help;
    ModalHook hook;
    std::string atOpening;
    QString shown;
    hook.Answer([&](QWidget*) {
        atOpening = help.m_HelpText;
        shown = help.Item<TextBox>(IDC_HELP_TEXT)->toPlainText();
        return int(IDOK);
    });
    QCOMPARE(help.DoModal(), int(IDOK));
    QCOMPARE(QByteArray::fromStdString(atOpening), text);
    QCOMPARE(hook.Log().at(0).caption, std::string("Ombrix -- Help"));
    // OK reads the edit back, which holds CR LF at each line break.
    QCOMPARE(QByteArray::fromStdString(help.m_HelpText), text.replace("\r\n", "\n").replace("\n", "\r\n"));
    if (QTest::currentDataTag() == QByteArrayLiteral("0xFF kept")) QCOMPARE(shown, QString::fromUtf8("x\xC3\xBFy"));
    if (QTest::currentDataTag() == QByteArrayLiteral("CR LF")) QCOMPARE(shown, QStringLiteral("one\ntwo\n"));
}

void DialogsTest::helpRereadsAtEveryOpening() {
    CHelp help;
    ModalHook hook;
    std::vector<QString> shown;
    const auto look = [&](QWidget* box) {
        shown.push_back(static_cast<Dialog*>(box)->Item<TextBox>(IDC_HELP_TEXT)->toPlainText());
        return int(IDOK);
    };
    hook.Answer(look);
    hook.Answer(look);
    hook.Answer(look);
    WriteBytes("help.sh", "first");
    help.DoModal();
    WriteBytes("help.sh", "second\r\nline");
    help.DoModal();
    QFile::remove(QStringLiteral("help.sh"));
    QDir().mkdir(QStringLiteral("help.sh"));  // a folder is no help file
    help.DoModal();
    QDir().rmdir(QStringLiteral("help.sh"));
    QCOMPARE(shown, (std::vector<QString>{QStringLiteral("first"), QStringLiteral("second\nline"),
                                          QString::fromLatin1(kHelpNotLocated)}));
}

void DialogsTest::helpSaveWritesCrLf() {
    WriteBytes("help.sh", "one\r\ntwo\n\xFF");
    CHelp help;
    ModalHook hook;
    hook.Answer([&](QWidget*) {
        help.OnSaveHelp();
        return int(IDOK);
    });
    help.DoModal();
    // The edit holds CR LF at each break; written in text mode that is CR CR LF.
    QCOMPARE(ReadBytes("help.sh"), std::string("one\r\r\ntwo\r\r\n\xFF"));
    std::string back;
    QVERIFY(ReadTextFile("help.sh", back));
    QCOMPARE(back, std::string("one\r\ntwo\r\n\xFF"));
    QVERIFY(!WriteTextFile(tmp_.path().toStdString() + "/no/such/dir/help.sh", "x"));
}

void DialogsTest::helpLayout() {
    const std::string real = ReadBytes(OMBRIX_HELP_FILE);
    QVERIFY(!real.empty());
    WriteBytes("help.sh", real);
    CHelp help;
    ModalHook hook;
    bool okFocused = false;
    hook.Answer([&](QWidget* box) {
        auto* d = static_cast<Dialog*>(box);
        okFocused = d->focusWidget() == d->GetDlgItem(IDOK);
        test::Screenshot(*box, "help");
        return int(IDOK);
    });
    help.DoModal();
    QVERIFY(okFocused);
    auto* save = help.Item<QPushButton>(IDC_SAVE_HELP);
    QVERIFY(save->isHidden());
    QCOMPARE(save->text(), QStringLiteral("Button1"));  // no mnemonic to reach it by
    QVERIFY(!(help.windowFlags() & Qt::WindowCloseButtonHint));
}

void DialogsTest::aboutBox() {
    CAboutDlg about;
    ModalHook hook;
    bool iconShown = false;
    hook.Answer([&](QWidget* box) {
        for (auto* l : box->findChildren<QLabel*>()) iconShown |= !l->pixmap().isNull();
        test::Screenshot(*box, "about");
        QTest::mouseClick(static_cast<Dialog*>(box)->GetDlgItem(IDOK), Qt::LeftButton);
        return int(IDCANCEL);
    });
    QCOMPARE(about.DoModal(), int(IDOK));
    QVERIFY(iconShown);
    QCOMPARE(hook.Log().at(0).caption, std::string("About Ombrix"));
    bool version = false;
    QStringList lines;
    for (auto* l : about.findChildren<QLabel*>()) {
        version |= l->text() == QStringLiteral("Ombrix Version 1.0");
        lines << l->text();
    }
    QVERIFY(version);
    // What each format is worth, plainly.
    const QString text = lines.join(' ');
    QVERIFY(text.contains("A .kvr container is a byte shift, not cryptographic protection"));
    QVERIFY(text.contains("a .kvx container is encrypted and authenticated"));
}

void DialogsTest::promptOkNeedsAPassword() {
    // Equal texts are not enough: both empty leaves OK off.
    CPassword dlg;
    std::vector<bool> states;
    Prompt(dlg, "file", [&](QWidget* box) {
        QTest::keyClicks(Field(box, IDC_REPEAT_EDIT), "x");
        states.push_back(OkEnabled(box));
        QTest::keyClick(Field(box, IDC_REPEAT_EDIT), Qt::Key_Backspace);
        states.push_back(OkEnabled(box));
        return int(IDCANCEL);
    });
    QCOMPARE(states, (std::vector<bool>{false, false}));
}

void DialogsTest::promptLineKeepsTheFileNameInSight_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QString deep = QStringLiteral("/home/someone/projects/archive/2023/quarterly/reports/drafts/old");
    QTest::newRow("asking") << "File --> " + deep + "/budget-summary.ods"
                            << "File --> /"
                            << "/budget-summary.ods";
    QTest::newRow("failed") << "Failed :( " + deep + "/budget-summary.kvr )"
                            << "Failed :( /"
                            << "/budget-summary.kvr )";
}

void DialogsTest::promptLineKeepsTheFileNameInSight() {
    QFETCH(QString, label);
    QFETCH(QString, start);
    QFETCH(QString, end);
    CPassword dlg;
    QString shown, tip, description;
    Prompt(dlg, label.toStdString(), [&](QWidget* box) {
        auto* line = static_cast<Dialog*>(box)->Item<PathLabel>(IDC_FILE_LABEL);
        if (!line) return -1;
        shown = line->ShownText();
        tip = line->toolTip();
        description = QAccessible::queryAccessibleInterface(line)->text(QAccessible::Description);
        if (QTest::currentDataTag() == QByteArrayLiteral("asking")) test::Screenshot(*box, "prompt_long_path");
        QTest::keyClicks(Field(box, IDC_PASS_EDIT), "pw");
        QTest::keyClicks(Field(box, IDC_REPEAT_EDIT), "pw");
        Click(box, IDOK);
        return int(IDCANCEL);
    });
    QVERIFY2(shown.startsWith(start) && shown.endsWith(end), qPrintable(shown));
    QVERIFY(shown.contains(QChar(0x2026)));
    QCOMPARE(tip, label);
    QCOMPARE(description, label);
    QCOMPARE(dlg.m_FileLabel, label.toStdString());  // OK reads the whole line back
}

void DialogsTest::fieldsAndHelpTextHaveNames() {
    const auto name = [](QWidget* w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); };
    CPassword prompt;
    QCOMPARE(name(prompt.GetDlgItem(IDC_PASS_EDIT)), QStringLiteral("Enter Password"));
    QCOMPARE(name(prompt.GetDlgItem(IDC_REPEAT_EDIT)), QStringLiteral("Confirm Password"));
    QCOMPARE(prompt.Item<QLabel>(IDC_ENTER_LABEL)->buddy(), prompt.GetDlgItem(IDC_PASS_EDIT));
    QCOMPARE(prompt.Item<QLabel>(IDC_REPEAT_LABEL)->buddy(), prompt.GetDlgItem(IDC_REPEAT_EDIT));
    QCOMPARE(prompt.GetDlgItemText(IDC_ENTER_LABEL), std::string("Enter Password      :"));  // the text stays
    CHelp help;
    QCOMPARE(name(help.GetDlgItem(IDC_HELP_TEXT)), QStringLiteral("Help text"));
}

void DialogsTest::boxesOpenCentredOverTheMainWindowEveryTime() {
    test::OpenMain w;
    w.dlg->move(40, 30);
    CPassword prompt;
    CHelp help;
    ModalHook hook;
    std::vector<QRect> seen;
    const auto where = [&](QWidget* box) {
        seen.push_back(box->frameGeometry());
        return int(IDCANCEL);
    };
    for (int i = 0; i < 2; ++i) {
        hook.Answer(where);
        prompt.DoModal();
        hook.Answer(where);
        help.DoModal();
    }
    QCOMPARE(seen.size(), std::size_t(4));
    QCOMPARE(seen[2], seen[0]);
    QCOMPARE(seen[3], seen[1]);
    const QPoint centre = w.dlg->frameGeometry().center();
    for (const QRect& r : seen)
        QVERIFY2((r.center() - centre).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(r.x()).arg(r.y())));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ombrix::dlg::ApplyClassicLook();
    DialogsTest t;
    return QTest::qExec(&t, argc, argv);
}
#include "dialogs_test.moc"
