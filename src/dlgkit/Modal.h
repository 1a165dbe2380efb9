// Every modal window of the program runs through here: dialogs, message
// boxes, the folder chooser and the system menu. Tests install a ModalHook that answers each
// box from a queue and records what was asked, so no test ever waits on a
// box nobody scripted.
#pragma once

#include <QFont>
#include <QPoint>
#include <QString>
#include <deque>
#include <functional>
#include <string>
#include <variant>
#include <vector>

class QWidget;

namespace ombrix::dlg {

class Dialog;

enum Result : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };
enum class Buttons { Ok, YesNo };

struct MenuItem {
    unsigned id = 0;  // 0 with an empty text is a separator
    std::string text;
    bool separator() const { return id == 0 && text.empty(); }
};

// What a box showed when it was asked.
struct Asked {
    enum class Kind { Message, Dialog, Menu, Folder };
    Kind kind = Kind::Message;
    std::string caption;
    std::string text;  // message text, or the folder a chooser starts in
    Buttons buttons = Buttons::Ok;
    std::vector<std::string> items;  // menu item texts, "" for a separator
    bool ownerDisabled = false;      // the owner took no input while it was up
    bool scripted = true;            // false: nothing was queued for it
};

// A script gets the open dialog, or the message box as it would have been
// shown (nullptr for menus), and may drive its real widgets. Its return value ends a dialog still open after it,
// and is the answer of a message box or menu.
using Script = std::function<int(QWidget* box)>;

class ModalHook {
public:
    ModalHook();  // installs itself for its lifetime
    ~ModalHook();
    ModalHook(const ModalHook&) = delete;
    ModalHook& operator=(const ModalHook&) = delete;

    void Answer(int result);
    void Answer(Script script);
    void AnswerFolder(std::string folder);  // a folder chooser's choice

    const std::vector<Asked>& Log() const { return log_; }
    std::size_t Pending() const { return queue_.size(); }
    int Unscripted() const;
    void ClearLog() { log_.clear(); }

    static ModalHook* Current();

    // Used by the runners.
    using Reply = std::variant<int, Script, std::string>;
    bool Take(Reply& reply);
    std::size_t Record(Asked asked);
    Asked& At(std::size_t i) { return log_[i]; }

private:
    std::deque<Reply> queue_;
    std::vector<Asked> log_;
    ModalHook* previous_ = nullptr;
};

// The application's name: the caption of every message box that names none.
void SetAppName(const std::string& name);
std::string AppName();

// The owner of boxes opened without one.
void SetMainWindow(QWidget* window);
QWidget* MainWindow();

// Modal message box: no icon; empty caption means AppName(). Returns IDOK,
// IDYES or IDNO. The box is at least CaptionRoom wide, so its caption shows
// whole in the title bar.
int MessageBox(QWidget* owner, const std::string& text, const std::string& caption = {}, Buttons buttons = Buttons::Ok);

// Width a window needs for its caption beside the title bar's icon and
// buttons, under the common window managers.
int CaptionRoom(const QString& caption, const QFont& font);

// Modal folder chooser starting in `start`; the chosen folder, or an empty
// string when the user cancelled.
QString ChooseFolder(QWidget* owner, const QString& caption, const QString& start);

// Modal popup menu at a global position; returns the chosen id, 0 for none.
unsigned PopupMenu(QWidget* owner, const std::vector<MenuItem>& items, QPoint globalPos);

// True while a modal window owned by this widget is open.
bool IsOwnerDisabled(const QWidget* owner);

namespace detail {
// Marks the owner disabled for the lifetime of the guard.
class OwnerDisable {
public:
    explicit OwnerDisable(QWidget* owner);
    ~OwnerDisable();
    OwnerDisable(const OwnerDisable&) = delete;
    OwnerDisable& operator=(const OwnerDisable&) = delete;

private:
    QWidget* owner_;
};
}  // namespace detail

}  // namespace ombrix::dlg
