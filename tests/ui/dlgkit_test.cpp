// The dialog layer: geometry in dialog units, radio groups, transfers,
// notifications, modal runs and the system menu.
#include "dlgkit/Access.h"
#include "dlgkit/Dialog.h"
#include "dlgkit/Modal.h"
#include "dlgkit/Text.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace ombrix::dlg;

namespace {

// Two radio groups with a group box, a check box and a static in between.
class Sample : public Dialog {
public:
    Sample()
        : Dialog({"Sample",
                  {200, 120},
                  SysMenu,
                  {
                      {10, Kind::AutoRadio, "&Alpha", {5, 5, 60, 10}, Group},
                      {11, Kind::GroupBox, "Box", {2, 2, 120, 40}, 0},
                      {12, Kind::AutoCheck, "&Check", {5, 30, 60, 10}, TabStop},
                      {13, Kind::AutoRadio, "&Beta", {5, 17, 60, 10}, 0},
                      {20, Kind::AutoRadio, "&Gamma", {5, 50, 60, 10}, Group},
                      {21, Kind::Edit, "", {5, 64, 80, 12}, Border | TabStop},
                      {22, Kind::Static, "Label", {90, 64, 40, 10}, Group},
                      {23, Kind::AutoRadio, "&Delta", {5, 80, 60, 10}, 0},
                      {30, Kind::PushButton, "Push", {130, 5, 50, 14}, TabStop | FrameEdges},
                      {IDOK, Kind::PushButton, "OK", {130, 100, 50, 14}, TabStop},
                  }}) {
        Map(Notify::Clicked, 10, [this] { Clicked(10); });
        Map(Notify::Clicked, 13, [this] { Clicked(13); });
        Map(Notify::Change, 21, [this] { log.push_back("change " + GetDlgItemText(21)); });
        Map(Notify::KillFocus, 21, [this] { log.push_back("killfocus"); });
        Map(Notify::Clicked, 30, [this] { log.push_back("push"); });
    }

    std::int32_t radio1 = -1;
    std::int32_t radio2 = -1;
    std::int32_t check = 0;
    std::string text;
    std::vector<std::string> log;
    std::vector<int> checkedSeen;  // group state when each click arrived

protected:
    void DoDataExchange(DataExchange& dx) override {
        DDX_Radio(dx, 10, radio1);
        DDX_Radio(dx, 20, radio2);
        DDX_Check(dx, 12, check);
        DDX_Text(dx, 21, text);
    }

private:
    void Clicked(int id) {
        checkedSeen.push_back(CheckedRadio(10));
        log.push_back("clicked " + std::to_string(id));
    }
};

QRadioButton* Radio(Dialog& d, int id) { return d.Item<QRadioButton>(id); }

// A control with a context menu of its own, which it takes from the keyboard too.
class MenuOwner : public QWidget {
public:
    explicit MenuOwner(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }
    int menus = 0;

protected:
    void contextMenuEvent(QContextMenuEvent* e) override {
        ++menus;
        e->accept();
    }
};

// A labelled field, a line naming a file, and controls with and without
// menus of their own.
class Labelled : public Dialog {
public:
    Labelled()
        : Dialog({"Labelled",
                  {200, 80},
                  SysMenu,
                  {
                      {40, Kind::Static, "&Name   :", {5, 5, 40, 10}, Group},
                      {41, Kind::Edit, "", {50, 4, 80, 12}, Border | TabStop},
                      {42, Kind::Static, "", {5, 20, 190, 12}, Center | Border | PathEllipsis},
                      {43, Kind::Custom, "", {5, 40, 60, 20}, TabStop},
                      {44, Kind::AutoCheck, "&Check", {5, 62, 60, 10}, TabStop},
                      {45, Kind::Static, "Under", {5, 72, 40, 8}, 0},
                  }},
                 [](int, QWidget* parent) { return new MenuOwner(parent); }) {}
    MenuOwner* Owner() const { return static_cast<MenuOwner*>(GetDlgItem(43)); }
};

}  // namespace

class DlgkitTest : public QObject {
    Q_OBJECT
private slots:
    void mulDivRounds_data();
    void mulDivRounds();
    void layoutFollowsDialogUnits();
    void radioGroupsCountOnlyRadios();
    void radioTransfers();
    void transfersDropNotifications();
    void unchangedTextKeepsCaretAndSelection();
    void autoRadioChecksBeforeHandler();
    void killFocusOnlyWhenFocusMovesWithinWindow();
    void escapeCancelsOkReadsControls();
    void enterWithoutDefaultButtonDoesNothing();
    void modalRunsNestAndDisableOwner();
    void unscriptedBoxesAreCountedNotShown();
    void messageBoxCaption();
    void systemMenuFromKeyAndBackground();
    void textKeepsEveryByte();
    void textBoxLineBreaks();
    void elidedPathKeepsStartAndFileName_data();
    void elidedPathKeepsStartAndFileName();
    void pathLabelKeepsItsWholeText();
    void messageBoxLeavesRoomForItsCaption();
    void busyWindowTakesNoInputAndRestoresEveryState();
    void arrowKeysGoRoundTheRadioGroup();
    void radiosReadAsRadiosInTheirGroupBox();
    void fieldsAreNamedByTheirLabels();
    void menuKeysOpenTheWindowMenuWhereNoControlHasOne();
};

void DlgkitTest::mulDivRounds_data() {
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("c");
    QTest::addColumn<int>("r");
    QTest::newRow("exact") << 40 << 6 << 4 << 60;
    QTest::newRow("half up") << 3 << 5 << 2 << 8;
    QTest::newRow("half away from zero") << -3 << 5 << 2 << -8;
    QTest::newRow("below half") << 1 << 13 << 8 << 2;
    QTest::newRow("zero divisor") << 1 << 1 << 0 << -1;
}

void DlgkitTest::mulDivRounds() {
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, c);
    QFETCH(int, r);
    QCOMPARE(MulDiv(a, b, c), r);
}

void DlgkitTest::layoutFollowsDialogUnits() {
    Sample d;
    const QFontMetrics fm(d.font());
    const int w = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    QCOMPARE(d.Units().x, (w / 26 + 1) / 2);
    QCOMPARE(d.Units().y, fm.height());
    const BaseUnits u = d.Units();
    QCOMPARE(d.size(), QSize(MulDiv(200, u.x, 4), MulDiv(120, u.y, 8)));
    QCOMPARE(d.minimumSize(), d.maximumSize());  // no resizing
    QVERIFY(!(d.windowFlags() & Qt::WindowMaximizeButtonHint));
    QWidget* radio = d.GetDlgItem(10);  // held by its group box, placed in the window's units
    QCOMPARE(QRect(radio->mapTo(&d, QPoint(0, 0)), radio->size()), MapDialogRect({5, 5, 60, 10}, u));
    // A control with edges sits inside its bevel, which takes the template rectangle.
    QWidget* push = d.GetDlgItem(30);
    QCOMPARE(push->parentWidget()->geometry(), MapDialogRect({130, 5, 50, 14}, u));
    QVERIFY(push->geometry().width() < push->parentWidget()->width());
}

void DlgkitTest::radioGroupsCountOnlyRadios() {
    Sample d;
    QCOMPARE(d.RadioGroup(10), (std::vector<int>{10, 13}));  // box and check box skipped
    QCOMPARE(d.RadioGroup(20), (std::vector<int>{20}));      // the static starts a new group
}

void DlgkitTest::radioTransfers() {
    Sample d;
    d.radio1 = 1;
    d.UpdateData(false);
    QVERIFY(!Radio(d, 10)->isChecked());
    QVERIFY(Radio(d, 13)->isChecked());
    d.radio1 = 0;
    d.UpdateData(false);
    QVERIFY(Radio(d, 10)->isChecked());
    QVERIFY(!Radio(d, 13)->isChecked());
    d.radio1 = -1;  // -1 clears the group
    d.UpdateData(false);
    QVERIFY(!Radio(d, 10)->isChecked() && !Radio(d, 13)->isChecked());
    d.radio1 = 7;
    d.UpdateData(true);
    QCOMPARE(d.radio1, -1);
    Radio(d, 13)->setChecked(true);
    d.UpdateData(true);
    QCOMPARE(d.radio1, 1);
    QCOMPARE(d.radio2, -1);
}

void DlgkitTest::transfersDropNotifications() {
    Sample d;
    d.Open();
    d.text = "pushed";
    d.radio1 = 0;
    d.UpdateData(false);
    QCOMPARE(d.GetDlgItemText(21), std::string("pushed"));
    QVERIFY(d.log.empty());  // neither the edit's change nor any click
    QTest::keyClicks(d.GetDlgItem(21), "x");
    QCOMPARE(d.log, (std::vector<std::string>{"change pushedx"}));
    // A change raised outside a transfer still counts.
    d.SetDlgItemText(21, "direct");
    QCOMPARE(d.log.back(), std::string("change direct"));
}

void DlgkitTest::unchangedTextKeepsCaretAndSelection() {
    Sample d;
    d.Open();
    auto* edit = d.Item<QLineEdit>(21);
    QTest::keyClicks(edit, "hello world");
    edit->setSelection(2, 5);
    d.UpdateData(true);
    d.log.clear();
    d.UpdateData(false);
    QCOMPARE(edit->selectionStart(), 2);
    QCOMPARE(edit->selectedText(), QStringLiteral("llo w"));
    edit->deselect();
    edit->setCursorPosition(4);
    d.UpdateData(false);
    QCOMPARE(edit->cursorPosition(), 4);
    d.text = "other";
    d.UpdateData(false);
    QCOMPARE(edit->text(), QStringLiteral("other"));
    QVERIFY(d.log.empty());
}

void DlgkitTest::autoRadioChecksBeforeHandler() {
    Sample d;
    d.Open();
    d.radio1 = 1;
    d.UpdateData(false);
    QTest::mouseClick(Radio(d, 10), Qt::LeftButton);
    QTest::mouseClick(Radio(d, 10), Qt::LeftButton);  // clicking the checked one again
    QCOMPARE(d.checkedSeen, (std::vector<int>{0, 0}));
    QVERIFY(Radio(d, 10)->isChecked());
    QVERIFY(!Radio(d, 13)->isChecked());
    QCOMPARE(d.log.size(), std::size_t(2));
    // Checking from code is no click.
    Radio(d, 13)->setChecked(true);
    Radio(d, 13)->toggle();
    QCOMPARE(d.log.size(), std::size_t(2));
    // The other group is independent.
    QTest::mouseClick(Radio(d, 20), Qt::LeftButton);
    QVERIFY(Radio(d, 20)->isChecked());
    QVERIFY(Radio(d, 10)->isChecked());
}

void DlgkitTest::killFocusOnlyWhenFocusMovesWithinWindow() {
    Sample d;
    d.Open();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    d.GetDlgItem(21)->setFocus(Qt::TabFocusReason);
    QVERIFY(d.GetDlgItem(21)->hasFocus());
    QTest::keyClick(d.GetDlgItem(21), Qt::Key_Tab);
    QCOMPARE(d.log, (std::vector<std::string>{"killfocus"}));
    QVERIFY(d.GetDlgItem(30)->hasFocus());
}

void DlgkitTest::escapeCancelsOkReadsControls() {
    {
        Sample d;
        d.Open();
        d.Item<QCheckBox>(12)->setChecked(true);
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(!d.IsRunning());
        QCOMPARE(d.Result(), int(IDCANCEL));
        QCOMPARE(d.check, 0);  // cancel reads nothing
    }
    {
        Sample d;
        d.Open();
        d.Item<QCheckBox>(12)->setChecked(true);
        QTest::mouseClick(d.GetDlgItem(IDOK), Qt::LeftButton);
        QCOMPARE(d.Result(), int(IDOK));
        QCOMPARE(d.check, 1);
    }
    {
        Sample d;
        d.Open();
        d.close();  // the close box
        QVERIFY(!d.IsRunning());
        QCOMPARE(d.Result(), int(IDCANCEL));
    }
}

void DlgkitTest::enterWithoutDefaultButtonDoesNothing() {
    Sample d;
    d.Open();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    d.GetDlgItem(21)->setFocus();
    QTest::keyClick(d.GetDlgItem(21), Qt::Key_Return);
    QTest::keyClick(d.GetDlgItem(21), Qt::Key_Enter);
    // Focus on a push button does not make it the default either.
    d.GetDlgItem(IDOK)->setFocus();
    QTest::keyClick(d.GetDlgItem(IDOK), Qt::Key_Return);
    QVERIFY(d.IsRunning());
    for (auto* b : d.findChildren<QPushButton*>()) QVERIFY(!b->isDefault() && !b->autoDefault());
}

void DlgkitTest::modalRunsNestAndDisableOwner() {
    ModalHook hook;
    Sample outer;
    outer.Open();
    Sample inner;
    bool outerDisabledInside = false;
    bool innerOwnerDisabled = false;
    hook.Answer([&](QWidget* box) {
        outerDisabledInside = IsOwnerDisabled(&outer);
        // A message box from inside the dialog: owned by the dialog.
        MessageBox(box, "nested");
        innerOwnerDisabled = !IsOwnerDisabled(box);
        return int(IDOK);
    });
    hook.Answer(IDOK);
    QCOMPARE(inner.DoModal(&outer), int(IDOK));
    QVERIFY(outerDisabledInside);
    QVERIFY(innerOwnerDisabled);  // the message box had closed again
    QVERIFY(!IsOwnerDisabled(&outer));
    QCOMPARE(hook.Log().size(), std::size_t(2));
    QCOMPARE(hook.Log()[0].kind, Asked::Kind::Dialog);
    QCOMPARE(hook.Log()[0].caption, std::string("Sample"));
    QVERIFY(hook.Log()[0].ownerDisabled);
    QCOMPARE(hook.Log()[1].text, std::string("nested"));
    QCOMPARE(hook.Unscripted(), 0);
    QVERIFY(!inner.IsRunning());
    QVERIFY(!inner.isVisible());
}

void DlgkitTest::unscriptedBoxesAreCountedNotShown() {
    ModalHook hook;
    Sample d;
    QCOMPARE(MessageBox(nullptr, "a"), int(IDOK));
    QCOMPARE(MessageBox(nullptr, "b", "Q", Buttons::YesNo), int(IDNO));
    QCOMPARE(d.DoModal(), int(IDCANCEL));
    QCOMPARE(hook.Unscripted(), 3);
}

void DlgkitTest::messageBoxCaption() {
    ModalHook hook;
    hook.Answer(IDOK);
    hook.Answer(IDYES);
    hook.Answer(IDOK);
    SetAppName("");
    MessageBox(nullptr, "first");
    QCOMPARE(MessageBox(nullptr, "second", "Replace", Buttons::YesNo), int(IDYES));
    SetAppName("renamed");
    MessageBox(nullptr, "third");
    SetAppName("");
    QCOMPARE(hook.Log()[0].caption, std::string("dlgkit_test"));  // the program's file name
    QCOMPARE(hook.Log()[1].caption, std::string("Replace"));
    QCOMPARE(hook.Log()[1].buttons, Buttons::YesNo);
    QCOMPARE(hook.Log()[2].caption, std::string("renamed"));
}

void DlgkitTest::systemMenuFromKeyAndBackground() {
    ModalHook hook;
    Sample d;
    d.Open();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    hook.Answer(0);
    QTest::keyClick(&d, Qt::Key_Space, Qt::AltModifier);
    QCOMPARE(hook.Log().size(), std::size_t(1));
    QCOMPARE(hook.Log()[0].kind, Asked::Kind::Menu);
    QCOMPARE(hook.Log()[0].items, (std::vector<std::string>{"&Close\tAlt+F4"}));
    // Right-click on a control is no request; on the group box it is.
    auto rightClick = [&](QPoint at) {
        QWidget* to = d.childAt(at) ? d.childAt(at) : static_cast<QWidget*>(&d);
        QContextMenuEvent e(QContextMenuEvent::Mouse, to->mapFrom(&d, at), d.mapToGlobal(at));
        QApplication::sendEvent(to, &e);
    };
    rightClick(d.GetDlgItem(30)->mapTo(&d, QPoint(3, 3)));
    QCOMPARE(hook.Log().size(), std::size_t(1));
    hook.Answer(SC_CLOSE);
    const QRect box = d.ItemRect(11);
    rightClick(box.bottomRight() - QPoint(3, 3));
    QCOMPARE(hook.Log().size(), std::size_t(2));
    QVERIFY(!d.IsRunning());  // Close ends it as a cancel
    QCOMPARE(d.Result(), int(IDCANCEL));
    QCOMPARE(hook.Unscripted(), 0);
}

void DlgkitTest::textKeepsEveryByte() {
    QCOMPARE(ToQt("a\xFF"
                  "b"),
             QString::fromUtf8("a\xC3\xBF"
                               "b"));  // 0xFF shows as y-diaeresis
    QCOMPARE(ToQt("\xC3\xA9t\xC3\xA9"), QString::fromUtf8("\xC3\xA9t\xC3\xA9"));
    QCOMPARE(FromQt(QString::fromUtf8("\xC3\xA9")), std::string("\xC3\xA9"));
}

void DlgkitTest::textBoxLineBreaks() {
    TextBox box(nullptr);
    box.SetBytes("one\ntwo\r\nthree\rfour");
    QCOMPARE(box.Bytes(), std::string("one\r\ntwo\r\nthree\rfour"));
    QCOMPARE(box.toPlainText(), QStringLiteral("one\ntwo\nthreefour"));
}

void DlgkitTest::elidedPathKeepsStartAndFileName_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("room");  // in average characters
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QString deep = QStringLiteral("/home/someone");
    for (int i = 0; i < 12; ++i) deep += QStringLiteral("/folder%1").arg(i);
    QTest::newRow("fits") << "File --> /tmp/a.txt" << 60 << "File --> /tmp/a.txt"
                          << "File --> /tmp/a.txt";
    QTest::newRow("deep folder") << "File --> " + deep + "/report.txt" << 40 << "File --> /home/"
                                 << "/report.txt";
    QTest::newRow("failed") << "Failed :( " + deep + "/report.txt )" << 40 << "Failed :( /home/"
                            << "/report.txt )";
    QTest::newRow("name alone too long") << "File --> /tmp/" + QString(80, u'n') + "z.txt" << 40 << "File --> "
                                         << "nz.txt";
    QTest::newRow("no folder") << QString(90, u'x') + "end" << 40 << "xxx"
                               << "end";
}

void DlgkitTest::elidedPathKeepsStartAndFileName() {
    QFETCH(QString, text);
    QFETCH(int, room);
    QFETCH(QString, start);
    QFETCH(QString, end);
    const QFontMetrics fm(QApplication::font());
    const int width = room * fm.averageCharWidth();
    const QString shown = ElidePath(text, fm, width);
    QVERIFY2(fm.horizontalAdvance(shown) <= width, qPrintable(shown));
    QVERIFY2(shown.startsWith(start), qPrintable(shown));
    QVERIFY2(shown.endsWith(end), qPrintable(shown));
    QCOMPARE(shown == text, fm.horizontalAdvance(text) <= width);
    // What gives way is the middle, and only as much as it must.
    if (shown != text) QVERIFY(fm.horizontalAdvance(shown) > width - 3 * fm.averageCharWidth());
}

void DlgkitTest::pathLabelKeepsItsWholeText() {
    Labelled d;
    const std::string text = "File --> /home/someone/a/rather/deep/folder/of/things/kept/for/years/report-final.txt";
    d.SetDlgItemText(42, text);
    auto* label = d.Item<PathLabel>(42);
    QVERIFY(label);
    QCOMPARE(d.GetDlgItemText(42), text);  // reading gives back the whole text
    QCOMPARE(label->toolTip(), ToQt(text));
    QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Description), ToQt(text));
    QVERIFY(label->ShownText().startsWith(QStringLiteral("File --> /")));
    QVERIFY(label->ShownText().endsWith(QStringLiteral("/report-final.txt")));
    QVERIFY(label->ShownText().contains(QChar(0x2026)));
    QVERIFY(!label->testAttribute(Qt::WA_TransparentForMouseEvents));  // its tooltip shows
    QCOMPARE(label->font(), d.Item<QLabel>(45)->font());               // shortened, not shrunk
}

void DlgkitTest::messageBoxLeavesRoomForItsCaption() {
    ModalHook hook;
    int width = 0;
    QString title;
    QFont font;
    hook.Answer([&](QWidget* box) {
        auto* m = qobject_cast<QMessageBox*>(box);
        if (!m) return -1;
        m->show();  // sizes itself as it would on screen
        width = m->width();
        title = m->windowTitle();
        font = m->font();
        m->hide();
        return int(IDOK);
    });
    MessageBox(nullptr, "Selected File(s) : 2 , \n Encrypted File(s) : 2, \n Deleted Files : 0 ", "Completed ");
    QCOMPARE(title, QStringLiteral("Completed "));
    QVERIFY(width >= CaptionRoom(title, font));
    // Room for more than the caption: the window's icon and buttons too.
    QFont bold = font;
    bold.setBold(true);
    QVERIFY(CaptionRoom(title, font) > QFontMetrics(bold).horizontalAdvance(title) + 3 * QFontMetrics(bold).height());
}

void DlgkitTest::busyWindowTakesNoInputAndRestoresEveryState() {
    ModalHook hook;
    Sample d;
    d.Open();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    d.EnableItem(30, false);
    d.EnableItem(13, false);
    d.GetDlgItem(21)->setFocus(Qt::TabFocusReason);  // leaving it is a notification
    d.log.clear();

    d.BeginBusy({IDOK});
    for (int id : {10, 12, 13, 20, 21, 23, 30}) QVERIFY2(!d.IsItemEnabled(id), qPrintable(QString::number(id)));
    QVERIFY(d.IsItemEnabled(IDOK));
    QVERIFY(d.log.empty());  // the field lost the focus without a word
    // Nothing the user does gets through: keys, shortcuts, clicks.
    QTest::keyClick(&d, Qt::Key_Space, Qt::AltModifier);
    QTest::keyClick(&d, Qt::Key_A, Qt::AltModifier);
    QTest::mouseClick(d.GetDlgItem(IDOK), Qt::LeftButton);
    QVERIFY(hook.Log().empty());
    QVERIFY(d.IsRunning());
    d.EnableItem(IDOK, false);  // the work's own changes stay its own
    d.EndBusy();

    for (int id : {10, 12, 20, 21, 23}) QVERIFY2(d.IsItemEnabled(id), qPrintable(QString::number(id)));
    QVERIFY(!d.IsItemEnabled(30) && !d.IsItemEnabled(13));
    QVERIFY(!d.IsItemEnabled(IDOK));
    QCOMPARE(d.focusWidget(), d.GetDlgItem(21));
    QVERIFY(d.log.empty());

    // Escape still asks to cancel.
    d.BeginBusy({});
    QTest::keyClick(&d, Qt::Key_Escape);
    QVERIFY(!d.IsRunning());
    QCOMPARE(d.Result(), int(IDCANCEL));
    d.EndBusy();
}

void DlgkitTest::arrowKeysGoRoundTheRadioGroup() {
    Sample d;
    d.Open();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QTest::mouseClick(Radio(d, 10), Qt::LeftButton);
    QCOMPARE(d.focusWidget(), Radio(d, 10));
    d.log.clear();
    d.checkedSeen.clear();
    const auto press = [&](Qt::Key key) { QTest::keyClick(d.focusWidget(), key); };
    press(Qt::Key_Down);
    QCOMPARE(d.focusWidget(), Radio(d, 13));
    QVERIFY(Radio(d, 13)->isChecked() && !Radio(d, 10)->isChecked());
    press(Qt::Key_Right);  // round to the first again
    QCOMPARE(d.focusWidget(), Radio(d, 10));
    press(Qt::Key_Up);
    QCOMPARE(d.focusWidget(), Radio(d, 13));
    press(Qt::Key_Left);
    QCOMPARE(d.focusWidget(), Radio(d, 10));
    QCOMPARE(d.log, (std::vector<std::string>{"clicked 13", "clicked 10", "clicked 13", "clicked 10"}));
    QCOMPARE(d.checkedSeen, (std::vector<int>{1, 0, 1, 0}));  // checked before each handler
    // A disabled button is passed over; a group of one keeps the focus.
    d.EnableItem(13, false);
    press(Qt::Key_Down);
    QCOMPARE(d.focusWidget(), Radio(d, 10));
    Radio(d, 20)->setFocus();
    press(Qt::Key_Down);
    QCOMPARE(d.focusWidget(), Radio(d, 20));
    QCOMPARE(d.log.size(), std::size_t(4));
}

void DlgkitTest::radiosReadAsRadiosInTheirGroupBox() {
    Sample d;
    d.radio1 = 1;
    d.UpdateData(false);
    QAccessibleInterface* alpha = QAccessible::queryAccessibleInterface(Radio(d, 10));
    QAccessibleInterface* beta = QAccessible::queryAccessibleInterface(Radio(d, 13));
    QCOMPARE(alpha->role(), QAccessible::RadioButton);
    QCOMPARE(alpha->text(QAccessible::Name), QStringLiteral("Alpha"));
    QVERIFY(alpha->state().checkable && !alpha->state().checked);
    QVERIFY(beta->state().checked);
    QCOMPARE(alpha->parent()->role(), QAccessible::Grouping);
    QCOMPARE(alpha->parent()->text(QAccessible::Name), QStringLiteral("Box"));
    QCOMPARE(alpha->parent()->object(), static_cast<QObject*>(d.GetDlgItem(11)));
    QCOMPARE(beta->parent()->object(), alpha->parent()->object());
    QVERIFY(alpha->parent()->indexOfChild(alpha) >= 0);
    // Its default action is a click, with the handler as after any click.
    alpha->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(Radio(d, 10)->isChecked() && !Radio(d, 13)->isChecked());
    QCOMPARE(d.log, (std::vector<std::string>{"clicked 10"}));
    // A group with no box of its own stays where it was.
    QAccessibleInterface* gamma = QAccessible::queryAccessibleInterface(Radio(d, 20));
    QCOMPARE(gamma->role(), QAccessible::RadioButton);
    QCOMPARE(gamma->parent()->object(), static_cast<QObject*>(&d));
}

void DlgkitTest::fieldsAreNamedByTheirLabels() {
    Labelled d;
    QAccessibleInterface* field = QAccessible::queryAccessibleInterface(d.GetDlgItem(41));
    QCOMPARE(field->text(QAccessible::Name), QStringLiteral("Name"));
    QCOMPARE(d.Item<QLabel>(40)->buddy(), d.GetDlgItem(41));
    const auto labelled = field->relations(QAccessible::Label);
    QVERIFY(!labelled.isEmpty());
    QCOMPARE(labelled.first().first->object(), static_cast<QObject*>(d.GetDlgItem(40)));
    // A label to a field's right names nothing.
    Sample s;
    QVERIFY(s.GetDlgItem(21)->accessibleName().isEmpty());
}

void DlgkitTest::menuKeysOpenTheWindowMenuWhereNoControlHasOne() {
    ModalHook hook;
    Labelled d;
    d.Open();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    d.GetDlgItem(44)->setFocus();
    hook.Answer(0);
    hook.Answer(0);
    QTest::keyClick(d.GetDlgItem(44), Qt::Key_F10, Qt::ShiftModifier);
    QTest::keyClick(d.GetDlgItem(44), Qt::Key_Menu);
    QCOMPARE(hook.Log().size(), std::size_t(2));
    QCOMPARE(hook.Log()[0].kind, Asked::Kind::Menu);
    QCOMPARE(hook.Log()[1].kind, Asked::Kind::Menu);
    // A control with its own menu gets the request instead.
    MenuOwner* owner = d.Owner();
    owner->setFocus();
    QTest::keyClick(owner, Qt::Key_F10, Qt::ShiftModifier);
    QTest::keyClick(owner, Qt::Key_Menu);
    QCOMPARE(owner->menus, 2);
    QCOMPARE(hook.Log().size(), std::size_t(2));
    QCOMPARE(hook.Unscripted(), 0);
}

QTEST_MAIN(DlgkitTest)
#include "dlgkit_test.moc"
