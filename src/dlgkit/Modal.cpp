#include "dlgkit/Modal.h"

#include "dlgkit/Text.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHash>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace ombrix::dlg {

namespace {

ModalHook* g_hook = nullptr;
std::string g_appName;
QPointer<QWidget> g_mainWindow;
QHash<const QWidget*, int> g_disabled;

}  // namespace

ModalHook::ModalHook() : previous_(g_hook) { g_hook = this; }
ModalHook::~ModalHook() {
    // Hooks nest; one that goes out of turn is taken out of the chain.
    ModalHook** link = &g_hook;
    while (*link && *link != this) link = &(*link)->previous_;
    if (*link) *link = previous_;
}
ModalHook* ModalHook::Current() { return g_hook; }

void ModalHook::Answer(int result) { queue_.emplace_back(result); }
void ModalHook::Answer(Script script) { queue_.emplace_back(std::move(script)); }
void ModalHook::AnswerFolder(std::string folder) { queue_.emplace_back(std::move(folder)); }

int ModalHook::Unscripted() const {
    int n = 0;
    for (const auto& a : log_) n += a.scripted ? 0 : 1;
    return n;
}

bool ModalHook::Take(Reply& reply) {
    if (queue_.empty()) return false;
    reply = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

std::size_t ModalHook::Record(Asked asked) {
    log_.push_back(std::move(asked));
    return log_.size() - 1;
}

void SetAppName(const std::string& name) { g_appName = name; }

std::string AppName() {
    if (!g_appName.empty()) return g_appName;
    return FromQt(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
}

void SetMainWindow(QWidget* window) { g_mainWindow = window; }
QWidget* MainWindow() { return g_mainWindow; }

bool IsOwnerDisabled(const QWidget* owner) { return owner && g_disabled.value(owner, 0) > 0; }

namespace {

// Drops keyboard and mouse input to a window that owns an open modal box,
// whichever way the input arrives, as a disabled window would.
class InputGate : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
            if (watched->isWidgetType() && IsOwnerDisabled(static_cast<QWidget*>(watched)->window())) return true;
            break;
        default: break;
        }
        return false;
    }
};

InputGate* g_gate = nullptr;

}  // namespace

namespace detail {
OwnerDisable::OwnerDisable(QWidget* owner) : owner_(owner ? owner->window() : nullptr) {
    if (!owner_) return;
    if (g_disabled.isEmpty() && qApp) {
        g_gate = new InputGate;
        qApp->installEventFilter(g_gate);
    }
    ++g_disabled[owner_];
}
OwnerDisable::~OwnerDisable() {
    if (!owner_) return;
    if (--g_disabled[owner_] <= 0) g_disabled.remove(owner_);
    if (g_disabled.isEmpty() && g_gate) {
        delete g_gate;  // removes itself as a filter
        g_gate = nullptr;
    }
}
}  // namespace detail

namespace {

// Runs a box that the hook answers without showing it: message boxes, menus.
// A script gets the box as it would have been shown, when there is one.
int Hooked(ModalHook& hook, Asked asked, int fallback, QWidget* box = nullptr) {
    ModalHook::Reply reply;
    const bool have = hook.Take(reply);
    asked.scripted = have;
    asked.ownerDisabled = true;
    hook.Record(std::move(asked));
    if (!have) return fallback;
    if (const int* r = std::get_if<int>(&reply)) return *r;
    if (const Script* s = std::get_if<Script>(&reply)) return (*s)(box);
    return fallback;
}

void SetUpMessageBox(QMessageBox& box, const std::string& text, const std::string& title, Buttons buttons) {
    box.setWindowTitle(ToQt(title));
    box.setTextFormat(Qt::PlainText);  // file names are never markup
    box.setText(ToQt(text));
    box.setIcon(QMessageBox::NoIcon);
    if (buttons == Buttons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
    } else {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    }
    for (QAbstractButton* b : box.buttons()) b->setIcon(QIcon());  // some themes put pictures on standard buttons
    // Qt leaves room for the caption as if the title bar held nothing else;
    // a box that is wide enough for its text alone shows "Com... ted".
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(
            new QSpacerItem(CaptionRoom(box.windowTitle(), box.font()), 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
            grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

int CaptionRoom(const QString& caption, const QFont& font) {
    // Title fonts are bold and often a little larger than the text's; the
    // bar also holds the window's icon and up to three buttons, each about
    // as wide as the bar is high, with a margin at either end.
    QFont title = font;
    title.setBold(true);
    const QFontMetrics fm(title);
    const int bar = fm.height() + 12;
    return fm.horizontalAdvance(caption) * 6 / 5 + 4 * bar + 2 * fm.height();
}

int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, Buttons buttons) {
    if (!owner) owner = MainWindow();
    const std::string title = caption.empty() ? AppName() : caption;
    detail::OwnerDisable disable(owner);
    QMessageBox box(owner);
    SetUpMessageBox(box, text, title, buttons);
    if (ModalHook* hook = ModalHook::Current())
        return Hooked(*hook, {Asked::Kind::Message, title, text, buttons, {}, true, true},
                      buttons == Buttons::Ok ? IDOK : IDNO, &box);
    const int r = box.exec();
    if (buttons == Buttons::Ok) return IDOK;
    return r == QMessageBox::Yes ? IDYES : IDNO;
}

QString ChooseFolder(QWidget* owner, const QString& caption, const QString& start) {
    detail::OwnerDisable disable(owner);
    if (ModalHook* hook = ModalHook::Current()) {
        ModalHook::Reply reply;
        const bool have = hook->Take(reply);
        hook->Record({Asked::Kind::Folder, FromQt(caption), FromQt(start), Buttons::Ok, {}, true, have});
        const std::string* folder = have ? std::get_if<std::string>(&reply) : nullptr;
        return folder ? ToQt(*folder) : QString();  // anything else is a cancel
    }
    return QFileDialog::getExistingDirectory(owner, caption, start, QFileDialog::ShowDirsOnly);
}

unsigned PopupMenu(QWidget* owner, const std::vector<MenuItem>& items, QPoint globalPos) {
    detail::OwnerDisable disable(owner);
    if (ModalHook* hook = ModalHook::Current()) {
        Asked asked{Asked::Kind::Menu, {}, {}, Buttons::Ok, {}, true, true};
        for (const auto& it : items) asked.items.push_back(it.text);
        return static_cast<unsigned>(Hooked(*hook, std::move(asked), 0));
    }
    QMenu menu(owner);
    for (const auto& it : items) {
        if (it.separator()) {
            menu.addSeparator();
        } else {
            QAction* a = menu.addAction(ToQt(it.text));
            a->setData(it.id);
        }
    }
    QAction* chosen = menu.exec(globalPos);
    return chosen ? chosen->data().toUInt() : 0u;
}

}  // namespace ombrix::dlg
