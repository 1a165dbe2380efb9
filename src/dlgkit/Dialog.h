// Dialog windows built from a template: a caption, a size in dialog units,
// and controls in tab order, each with an id, a kind, a text, a rectangle in
// dialog units and a few styles. Controls are found by id, their values move
// to and from members through DoDataExchange, and their notifications reach
// handlers through a message map. A dialog runs modally through DoModal.
#pragma once

#include "dlgkit/Controls.h"
#include "dlgkit/DialogUnits.h"
#include "dlgkit/Modal.h"

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ombrix::dlg {

enum class Kind { PushButton, AutoRadio, AutoCheck, GroupBox, Static, Edit, TextBox, Progress, Icon, Custom };

// Control styles.
enum CtlStyle : unsigned {
    Group = 1u << 0,  // starts a group (radio groups run to the next one)
    TabStop = 1u << 1,
    Hidden = 1u << 2,       // created invisible
    DefPush = 1u << 3,      // the default push button
    FrameEdges = 1u << 4,   // raised modal frame + client edge + static edge
    ClientEdges = 1u << 5,  // client edge + static edge
    Password = 1u << 6,     // edit shows its characters masked
    Center = 1u << 7,       // static centred horizontally
    CenterV = 1u << 8,      // static centred vertically
    Sunken = 1u << 9,       // static drawn sunken
    Border = 1u << 10,
    NoPrefix = 1u << 11,      // "&" shown as is
    Vertical = 1u << 12,      // progress bar
    Smooth = 1u << 13,        // progress bar
    PathEllipsis = 1u << 14,  // static: a long path gives way in its middle
    WordWrap = 1u << 15,      // static: a long text breaks into lines within its rectangle
};

// Window styles.
enum WndStyle : unsigned {
    SysMenu = 1u << 0,  // system menu and close box
    MinimizeBox = 1u << 1,
    ToolWindow = 1u << 2,       // small caption
    AppWindow = 1u << 3,        // a window of its own in the task bar
    ClientEdgeFrame = 1u << 4,  // sunken edge round the client area
};

constexpr int IDC_STATIC = -1;

// System commands.
enum SysCommand : unsigned { SC_MINIMIZE = 0xF020, SC_CLOSE = 0xF060 };

struct ControlSpec {
    int id;
    Kind kind;
    std::string text;
    QRect rect;  // dialog units
    unsigned style = 0;
};

struct DialogTemplate {
    std::string caption;
    QSize size;  // client size, dialog units
    unsigned style = 0;
    std::vector<ControlSpec> controls;
};

enum class Notify { Clicked, Change, KillFocus };

class Dialog;

struct DataExchange {
    Dialog& dlg;
    bool save;  // true: controls to members
};

class Dialog : public QDialog {
    Q_OBJECT
public:
    // Creates a Custom control for the given id.
    using CustomFactory = std::function<QWidget*(int id, QWidget* parent)>;

    explicit Dialog(DialogTemplate tpl, CustomFactory custom = {});
    ~Dialog() override;

    // Runs the dialog modally over its owner (the main window when none is
    // given) and returns the code EndDialog was given.
    int DoModal(QWidget* owner = nullptr);
    // Initialises and shows the dialog without a modal loop (the caller's own
    // loop drives it); ends like a modal run, through EndDialog.
    void Open();
    void EndDialog(int result);
    bool IsRunning() const { return running_; }
    int Result() const { return result_; }

    // Runs DoDataExchange; notifications the transfer raises are dropped.
    bool UpdateData(bool saveAndValidate = true);
    bool InTransfer() const { return transfer_ > 0; }

    QWidget* GetDlgItem(int id) const;
    template <class T>
    T* Item(int id) const {
        return qobject_cast<T*>(GetDlgItem(id));
    }
    std::string GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::string& text);
    void EnableItem(int id, bool enable);
    void ShowItem(int id, bool show);
    bool IsItemVisible(int id) const;
    bool IsItemEnabled(int id) const;

    // Radio group starting at firstId: index of the checked button, -1 if none.
    int CheckedRadio(int firstId) const;
    void CheckRadio(int firstId, int index);
    std::vector<int> RadioGroup(int firstId) const;
    // The radio buttons of the group that holds the control id, in order.
    std::vector<int> GroupOf(int id) const;

    // While the window works, its controls show disabled, except those it
    // names (which the work itself enables and disables), and it takes no
    // keyboard or mouse input. Escape and the close box still come through,
    // to OnCancel and OnClose, also while a box of the window's own is open.
    // EndBusy puts back each control's own state and the focus exactly as
    // they were. Neither raises a notification.
    void BeginBusy(const std::vector<int>& keep);
    void EndBusy();
    bool IsBusy() const { return busy_; }

    const BaseUnits& Units() const { return units_; }
    const DialogTemplate& Template() const { return tpl_; }
    // Pixel rectangle of a control, from its template rectangle.
    QRect ItemRect(int id) const;

    // The window's own system menu; nullptr when it has none.
    std::vector<MenuItem>* GetSystemMenu() { return hasSysMenu_ ? &sysMenu_ : nullptr; }
    void ShowSystemMenu(QPoint globalPos);
    virtual void OnSysCommand(unsigned id, long param);

protected:
    virtual bool OnInitDialog();
    virtual void DoDataExchange(DataExchange&) {}
    virtual void OnOK();
    virtual void OnCancel();
    // Close box or Close in the system menu.
    virtual void OnClose() { OnCancel(); }

    void Map(Notify code, int id, std::function<void()> handler);

    void reject() override { OnCancel(); }
    void accept() override { OnOK(); }
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Slot {
        ControlSpec spec;
        QWidget* outer = nullptr;  // the edge panel when there is one
        QWidget* inner = nullptr;
    };

    void Build(const CustomFactory& custom);
    void Notified(Notify code, int id);
    void RadioClicked(int id);
    void BeginRun(QWidget* owner);
    void FinishRun();
    const Slot* Find(int id) const;
    const Slot* ItemOf(const QWidget* w) const;
    void FocusFirstTabStop();
    void ShowFocusFrames();
    void NestRadiosInBoxes();
    void NameFieldsByLabels();
    bool MoveInRadioGroup(int id, bool forward);
    void OpenMenuFromKeyboard();
    bool BusyFilter(QObject* watched, QEvent* event);

    DialogTemplate tpl_;
    BaseUnits units_;
    std::vector<Slot> items_;
    struct Entry {
        Notify code;
        int id;
        std::function<void()> handler;
    };
    std::vector<Entry> map_;
    std::vector<MenuItem> sysMenu_;
    bool hasSysMenu_ = false;
    int transfer_ = 0;
    int quiet_ = 0;  // like a transfer: notifications raised meanwhile are dropped
    bool busy_ = false;
    std::vector<std::pair<QWidget*, bool>> busySaved_;  // each control's own enabled state
    QPointer<QWidget> busyFocus_;
    std::unique_ptr<QObject> busyTap_;
    class WmClose;
    std::unique_ptr<WmClose> wmClose_;
    bool running_ = false;
    bool ending_ = false;
    bool focusOnShow_ = false;
    int result_ = IDCANCEL;
    QWidget* owner_ = nullptr;
};

// Exchanges.
void DDX_Text(DataExchange& dx, int id, std::string& value);
void DDX_Check(DataExchange& dx, int id, std::int32_t& value);
void DDX_Radio(DataExchange& dx, int id, std::int32_t& value);
// Binds a pointer to the control once.
template <class T>
void DDX_Control(DataExchange& dx, int id, T*& control) {
    if (!control) control = dynamic_cast<T*>(dx.dlg.GetDlgItem(id));
}

}  // namespace ombrix::dlg
