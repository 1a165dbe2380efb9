#include "dlgkit/Dialog.h"

#include "dlgkit/Access.h"
#include "dlgkit/Text.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWindow>
#include <algorithm>
#include <climits>
#include <qdrawutil.h>

#ifdef OMBRIX_HAVE_XCB
#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>
#endif

namespace ombrix::dlg {

namespace {

unsigned EdgesOf(unsigned style) {
    if (style & FrameEdges) return ModalFrameEdge | ClientEdge | StaticEdge;
    if (style & ClientEdges) return ClientEdge | StaticEdge;
    return 0;
}

bool IsButtonKind(Kind k) { return k == Kind::PushButton || k == Kind::AutoRadio || k == Kind::AutoCheck; }

// Width the control's text needs in the given font.
int NeededWidth(QWidget* w, const QFont& f) {
    const QFont keep = w->font();
    w->setFont(f);
    int need = w->sizeHint().width();
    if (auto* l = qobject_cast<QLabel*>(w))
        need = QFontMetrics(f).horizontalAdvance(l->text()) + 2 * l->frameWidth() + 1;
    w->setFont(keep);
    return need;
}

// Template rectangles are fixed, but the desktop's font may run wider than
// the one they were drawn for: narrow the text (first by stretch, then by
// size, down to three quarters) until it fits, and only where it has to.
void FitText(QWidget* w, const QFont& base) {
    QFont f = base;
    const int room = w->width();
    if (NeededWidth(w, f) > room) {
        for (int stretch = 95; stretch >= 80 && NeededWidth(w, f) > room; stretch -= 5) f.setStretch(stretch);
        const qreal size = base.pointSizeF();
        for (qreal s = size - 0.5; size > 0 && s >= size * 0.75 && NeededWidth(w, f) > room; s -= 0.5)
            f.setPointSizeF(s);
    }
    w->setFont(f);
}

// Texts kept on one line of their own: a wrapped or shortened one gives way otherwise.
bool FitsByFont(const ControlSpec& spec) {
    const bool oneLine = spec.kind == Kind::AutoRadio || spec.kind == Kind::AutoCheck || spec.kind == Kind::Static;
    return oneLine && !(spec.style & (PathEllipsis | WordWrap));
}

bool TakesInput(Kind k) { return IsButtonKind(k) || k == Kind::Edit || k == Kind::TextBox || k == Kind::Custom; }

// Hands every event of the application to a function while it lives.
class EventTap : public QObject {
public:
    explicit EventTap(std::function<bool(QObject*, QEvent*)> f) : f_(std::move(f)) { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override { return f_(watched, event); }

private:
    std::function<bool(QObject*, QEvent*)> f_;
};

}  // namespace

#ifdef OMBRIX_HAVE_XCB
// A close request from an X window manager (close box, Alt+F4) for a window
// that owns an open box never reaches the window: Qt drops it, as it would
// for a disabled window. A busy window hears of it here, before Qt does.
class Dialog::WmClose : public QAbstractNativeEventFilter {
public:
    explicit WmClose(Dialog& dlg) : dlg_(dlg) {
        auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        if (!x11 || !x11->connection()) return;
        connection_ = x11->connection();
        protocols_ = Atom("WM_PROTOCOLS");
        delete_ = Atom("WM_DELETE_WINDOW");
        if (protocols_ && delete_) qApp->installNativeEventFilter(this);
    }
    ~WmClose() override {
        if (qApp) qApp->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
        const auto* m = static_cast<const xcb_client_message_event_t*>(message);
        if (m->format != 32 || m->type != protocols_ || m->data.data32[0] != delete_ ||
            m->window != static_cast<xcb_window_t>(dlg_.winId()))
            return false;
        dlg_.OnClose();
        return true;
    }

private:
    xcb_atom_t Atom(const char* name) {
        const auto cookie = xcb_intern_atom(connection_, 1, static_cast<std::uint16_t>(std::strlen(name)), name);
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection_, cookie, nullptr);
        const xcb_atom_t atom = reply ? reply->atom : 0;
        std::free(reply);
        return atom;
    }

    Dialog& dlg_;
    xcb_connection_t* connection_ = nullptr;
    xcb_atom_t protocols_ = 0;
    xcb_atom_t delete_ = 0;
};
#else
class Dialog::WmClose {
public:
    explicit WmClose(Dialog&) {}
};
#endif

Dialog::Dialog(DialogTemplate tpl, CustomFactory custom) : QDialog(nullptr), tpl_(std::move(tpl)) {
    InstallAccessibility();
    Build(custom);
}

Dialog::~Dialog() = default;

void Dialog::Build(const CustomFactory& custom) {
    units_ = BaseUnitsOf(font());
    Qt::WindowFlags flags = (tpl_.style & AppWindow) ? Qt::Window : Qt::Dialog;
    if (tpl_.style & ToolWindow) flags = Qt::Tool;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (tpl_.style & SysMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tpl_.style & MinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    setWindowFlags(flags);
    setWindowTitle(ToQt(tpl_.caption));
    setSizeGripEnabled(false);
    setFixedSize(MapDialogSize(tpl_.size, units_));

    bool hasDefault = false;
    for (const auto& c : tpl_.controls) hasDefault |= (c.kind == Kind::PushButton && (c.style & DefPush));

    items_.reserve(tpl_.controls.size());
    for (const auto& spec : tpl_.controls) {
        Slot item{spec};
        const QRect px = MapDialogRect(spec.rect, units_);
        QWidget* parent = this;
        QRect inner = px;
        if (const unsigned edges = EdgesOf(spec.style)) {
            auto* panel = new EdgePanel(edges, this);
            panel->setGeometry(px);
            const int m = panel->Margin();
            inner = QRect(m, m, px.width() - 2 * m, px.height() - 2 * m);
            parent = panel;
            item.outer = panel;
        }
        const QString text = ToQt(spec.text);
        QWidget* w = nullptr;
        switch (spec.kind) {
        case Kind::PushButton: {
            auto* b = new QPushButton(text, parent);
            // Without a default button Enter must do nothing at all, so no
            // button may become default by taking the focus.
            b->setAutoDefault(hasDefault);
            if (spec.style & DefPush) b->setDefault(true);
            connect(b, &QPushButton::clicked, this, [this, id = spec.id] { Notified(Notify::Clicked, id); });
            w = b;
            break;
        }
        case Kind::AutoRadio: {
            auto* b = new AutoRadio(text, parent);
            b->setAutoExclusive(false);
            connect(b, &QAbstractButton::clicked, this, [this, id = spec.id] { RadioClicked(id); });
            b->installEventFilter(this);  // arrow keys move within the group
            w = b;
            break;
        }
        case Kind::AutoCheck: {
            auto* b = new QCheckBox(text, parent);
            connect(b, &QAbstractButton::clicked, this, [this, id = spec.id] { Notified(Notify::Clicked, id); });
            w = b;
            break;
        }
        case Kind::GroupBox: {
            auto* g = new QGroupBox(text, parent);
            g->setAttribute(Qt::WA_TransparentForMouseEvents);
            if (item.outer) item.outer->setAttribute(Qt::WA_TransparentForMouseEvents);
            w = g;
            break;
        }
        case Kind::Static: {
            QLabel* l = nullptr;
            if (spec.style & PathEllipsis) {
                auto* path = new PathLabel(parent);
                path->SetText(text);
                l = path;
            } else {
                l = new QLabel(parent);
                l->setTextFormat(Qt::PlainText);
                l->setText(text);
                l->setWordWrap(spec.style & WordWrap);
            }
            Qt::Alignment a = (spec.style & Center) ? Qt::AlignHCenter : Qt::AlignLeft;
            a |= (spec.style & CenterV) ? Qt::AlignVCenter : Qt::AlignTop;
            l->setAlignment(a);
            if (spec.style & Sunken) l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            else if (spec.style & Border) l->setFrameStyle(QFrame::Box | QFrame::Plain);
            // A shortened path shows the whole of it as a tooltip, so the
            // mouse must reach it.
            if (!(spec.style & PathEllipsis)) l->setAttribute(Qt::WA_TransparentForMouseEvents);
            w = l;
            break;
        }
        case Kind::Edit: {
            auto* e = new QLineEdit(parent);
            e->setMaxLength(INT_MAX);
            if (spec.style & Password) e->setEchoMode(QLineEdit::Password);
            connect(e, &QLineEdit::textChanged, this, [this, id = spec.id] { Notified(Notify::Change, id); });
            e->installEventFilter(this);
            w = e;
            break;
        }
        case Kind::TextBox: w = new TextBox(parent); break;
        case Kind::Progress: w = new ProgressBar(spec.style & Vertical, spec.style & Smooth, parent); break;
        case Kind::Icon: {
            auto* l = new QLabel(parent);
            const QPixmap pm(text);
            l->setPixmap(pm);
            l->setAttribute(Qt::WA_TransparentForMouseEvents);
            inner.setSize(pm.isNull() ? inner.size() : pm.size());
            w = l;
            break;
        }
        case Kind::Custom:
            w = custom ? custom(spec.id, parent) : nullptr;
            if (!w) w = new QWidget(parent);
            w->setParent(parent);
            break;
        }
        w->setGeometry(inner);
        if (FitsByFont(spec)) FitText(w, font());
        if (IsButtonKind(spec.kind) || spec.kind == Kind::Edit || spec.kind == Kind::TextBox)
            w->setFocusPolicy((spec.style & TabStop) ? Qt::StrongFocus : Qt::ClickFocus);
        else if (spec.kind != Kind::Custom) w->setFocusPolicy(Qt::NoFocus);
        if (spec.style & Hidden) {
            (item.outer ? item.outer : w)->hide();
        }
        item.inner = w;
        items_.push_back(item);
    }
    // Group boxes lie under everything else; among themselves the first is on top.
    for (const auto& it : items_)
        if (it.spec.kind == Kind::GroupBox) (it.outer ? it.outer : it.inner)->lower();
    NestRadiosInBoxes();
    NameFieldsByLabels();
    QWidget* prev = nullptr;
    for (const auto& it : items_) {
        if (!(it.spec.style & TabStop)) continue;
        if (prev) setTabOrder(prev, it.inner);
        prev = it.inner;
    }

    if (tpl_.style & SysMenu) {
        hasSysMenu_ = true;
        if (tpl_.style & MinimizeBox) sysMenu_.push_back({SC_MINIMIZE, "Mi&nimize"});
        sysMenu_.push_back({SC_CLOSE, "&Close\tAlt+F4"});
        auto* sc = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
        connect(sc, &QShortcut::activated, this, [this] { ShowSystemMenu(mapToGlobal(QPoint(0, 0))); });
        // Window managers keep Alt+Space for their own menu; the context-menu
        // keys reach ours too.
        for (const QKeySequence& key : {QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)}) {
            auto* menuKey = new QShortcut(key, this);
            connect(menuKey, &QShortcut::activated, this, [this] { OpenMenuFromKeyboard(); });
        }
    }
}

// Radios whose group lies inside one group box become its children, so
// screen readers read them as a group named by the box.
void Dialog::NestRadiosInBoxes() {
    for (const auto& first : items_) {
        if (first.spec.kind != Kind::AutoRadio) continue;
        const std::vector<int> group = GroupOf(first.spec.id);
        if (group.front() != first.spec.id) continue;  // each group once, from its first button
        QRect span;
        for (int id : group) span |= Find(id)->spec.rect;
        const Slot* box = nullptr;
        for (const auto& it : items_) {
            if (it.spec.kind != Kind::GroupBox || !it.spec.rect.contains(span)) continue;
            const auto area = [](const QRect& r) { return r.width() * r.height(); };
            if (!box || area(it.spec.rect) < area(box->spec.rect)) box = &it;
        }
        if (!box) continue;
        // Only a box that holds this group alone.
        bool alone = true;
        for (const auto& it : items_)
            if (it.spec.kind == Kind::AutoRadio && box->spec.rect.contains(it.spec.rect) &&
                std::find(group.begin(), group.end(), it.spec.id) == group.end())
                alone = false;
        if (!alone) continue;
        QWidget* holder = box->inner;
        holder->setAttribute(Qt::WA_TransparentForMouseEvents, false);
        if (box->outer) box->outer->setAttribute(Qt::WA_TransparentForMouseEvents, false);
        holder->setAccessibleName(SpokenName(ToQt(box->spec.text)));
        const QPoint origin = holder->mapTo(this, QPoint(0, 0));
        for (int id : group) {
            const Slot* radio = Find(id);
            QWidget* w = radio->outer ? radio->outer : radio->inner;
            const QRect at = w->geometry();
            w->setParent(holder);
            w->setGeometry(at.translated(-origin));
            w->setVisible(!(radio->spec.style & Hidden));
        }
    }
}

// An edit is named by the static text on its row to its left, as a reader
// of the window would pair them.
void Dialog::NameFieldsByLabels() {
    for (const auto& edit : items_) {
        if (edit.spec.kind != Kind::Edit) continue;
        const Slot* label = nullptr;
        for (const auto& it : items_) {
            if (it.spec.kind != Kind::Static || it.spec.rect.right() > edit.spec.rect.left()) continue;
            const int top = std::max(it.spec.rect.top(), edit.spec.rect.top());
            const int bottom = std::min(it.spec.rect.bottom(), edit.spec.rect.bottom());
            if (bottom - top < std::min(it.spec.rect.height(), edit.spec.rect.height()) / 2) continue;
            if (!label || it.spec.rect.right() > label->spec.rect.right()) label = &it;
        }
        if (!label) continue;
        if (auto* l = qobject_cast<QLabel*>(label->inner)) l->setBuddy(edit.inner);
        edit.inner->setAccessibleName(SpokenName(ToQt(label->spec.text)));
    }
}

const Dialog::Slot* Dialog::Find(int id) const {
    for (const auto& it : items_)
        if (it.spec.id == id) return &it;
    return nullptr;
}

const Dialog::Slot* Dialog::ItemOf(const QWidget* w) const {
    for (; w && w != this; w = w->parentWidget())
        for (const auto& it : items_)
            if (it.inner == w || it.outer == w) return &it;
    return nullptr;
}

QWidget* Dialog::GetDlgItem(int id) const {
    const Slot* it = Find(id);
    return it ? it->inner : nullptr;
}

QRect Dialog::ItemRect(int id) const {
    const Slot* it = Find(id);
    return it ? MapDialogRect(it->spec.rect, units_) : QRect();
}

std::string Dialog::GetDlgItemText(int id) const {
    const Slot* it = Find(id);
    if (!it) return {};
    QWidget* w = it->inner;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return FromQt(b->text());
    if (auto* g = qobject_cast<QGroupBox*>(w)) return FromQt(g->title());
    if (auto* l = qobject_cast<QLabel*>(w)) return FromQt(l->text());
    if (auto* e = qobject_cast<QLineEdit*>(w)) return FromQt(e->text());
    if (auto* t = qobject_cast<TextBox*>(w)) return t->Bytes();
    return FromQt(w->windowTitle());
}

void Dialog::SetDlgItemText(int id, const std::string& text) {
    const Slot* it = Find(id);
    if (!it) return;
    QWidget* w = it->inner;
    const QString q = ToQt(text);
    if (auto* path = qobject_cast<PathLabel*>(w)) path->SetText(q);
    else if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(q);
    else if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(q);
    else if (auto* l = qobject_cast<QLabel*>(w)) l->setText(q);
    else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (e->text() != q) e->setText(q);
    } else if (auto* t = qobject_cast<TextBox*>(w)) t->SetBytes(text);
    else w->setWindowTitle(q);
    if (FitsByFont(it->spec)) FitText(w, font());
}

void Dialog::EnableItem(int id, bool enable) {
    if (const Slot* it = Find(id)) it->inner->setEnabled(enable);
}

void Dialog::ShowItem(int id, bool show) {
    if (const Slot* it = Find(id)) (it->outer ? it->outer : it->inner)->setVisible(show);
}

bool Dialog::IsItemVisible(int id) const {
    const Slot* it = Find(id);
    return it && !(it->outer ? it->outer : it->inner)->isHidden();
}

bool Dialog::IsItemEnabled(int id) const {
    const Slot* it = Find(id);
    return it && it->inner->isEnabled();
}

std::vector<int> Dialog::RadioGroup(int firstId) const {
    std::vector<int> ids;
    bool in = false;
    for (const auto& it : items_) {
        if (!in) {
            in = it.spec.id == firstId;
        } else if (it.spec.style & Group) {
            break;
        }
        if (in && it.spec.kind == Kind::AutoRadio) ids.push_back(it.spec.id);
    }
    return ids;
}

int Dialog::CheckedRadio(int firstId) const {
    const auto ids = RadioGroup(firstId);
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (Item<QAbstractButton>(ids[i])->isChecked()) return static_cast<int>(i);
    return -1;
}

void Dialog::CheckRadio(int firstId, int index) {
    const auto ids = RadioGroup(firstId);
    for (std::size_t i = 0; i < ids.size(); ++i)
        Item<QAbstractButton>(ids[i])->setChecked(static_cast<int>(i) == index);
}

std::vector<int> Dialog::GroupOf(int id) const {
    std::size_t at = 0;
    while (at < items_.size() && items_[at].spec.id != id) ++at;
    if (at == items_.size()) return {};
    std::size_t start = at;
    while (start > 0 && !(items_[start].spec.style & Group)) --start;
    std::vector<int> ids;
    for (std::size_t i = start; i < items_.size(); ++i) {
        if (i > start && (items_[i].spec.style & Group)) break;
        if (items_[i].spec.kind == Kind::AutoRadio) ids.push_back(items_[i].spec.id);
    }
    return ids;
}

void Dialog::RadioClicked(int id) {
    for (int other : GroupOf(id))
        if (other != id) Item<QAbstractButton>(other)->setChecked(false);
    Notified(Notify::Clicked, id);
}

// Arrow keys on a radio button go round its group, and the button reached is
// clicked, as in the dialogs of the platform this layout comes from.
bool Dialog::MoveInRadioGroup(int id, bool forward) {
    const std::vector<int> group = GroupOf(id);
    const auto here = std::find(group.begin(), group.end(), id);
    if (here == group.end()) return false;
    const std::size_t n = group.size();
    std::size_t i = static_cast<std::size_t>(here - group.begin());
    for (std::size_t step = 1; step < n; ++step) {
        i = forward ? (i + 1) % n : (i + n - 1) % n;
        QWidget* w = GetDlgItem(group[i]);
        if (!w->isEnabled() || !w->isVisibleTo(this)) continue;
        setAttribute(Qt::WA_KeyboardFocusChange);
        w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        static_cast<QAbstractButton*>(w)->click();
        return true;
    }
    return true;  // a group of one: the key stays with it
}

void Dialog::Map(Notify code, int id, std::function<void()> handler) { map_.push_back({code, id, std::move(handler)}); }

void Dialog::Notified(Notify code, int id) {
    if (transfer_ > 0 || quiet_ > 0) return;  // raised by a transfer or a busy-state change: no handler runs
    for (const auto& e : map_) {
        if (e.code == code && e.id == id) {
            e.handler();
            return;
        }
    }
    // Unmapped OK and Cancel buttons end the dialog the standard way.
    if (code == Notify::Clicked && id == IDOK) OnOK();
    else if (code == Notify::Clicked && id == IDCANCEL) OnCancel();
}

bool Dialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Only a move of the focus inside the window counts; switching
        // windows or opening a menu does not.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (const Slot* it = ItemOf(qobject_cast<QWidget*>(watched))) Notified(Notify::KillFocus, it->spec.id);
        }
    } else if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Slot* it = ItemOf(qobject_cast<QWidget*>(watched));
        if (it && it->spec.kind == Kind::AutoRadio && !(key->modifiers() & ~Qt::KeypadModifier)) {
            switch (key->key()) {
            case Qt::Key_Down:
            case Qt::Key_Right: return MoveInRadioGroup(it->spec.id, true);
            case Qt::Key_Up:
            case Qt::Key_Left: return MoveInRadioGroup(it->spec.id, false);
            default: break;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool Dialog::UpdateData(bool saveAndValidate) {
    struct Guard {
        int& n;
        explicit Guard(int& c) : n(c) { ++n; }
        ~Guard() { --n; }
    } guard(transfer_);
    DataExchange dx{*this, saveAndValidate};
    DoDataExchange(dx);
    return true;
}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::EndDialog(int result) {
    result_ = result;
    if (!running_) return;
    running_ = false;
    ending_ = true;
    QDialog::done(result);
    ending_ = false;
}

void Dialog::FocusFirstTabStop() {
    for (const auto& it : items_) {
        if ((it.spec.style & TabStop) && !it.inner->isHidden() && it.inner->isEnabled() &&
            !(it.outer && it.outer->isHidden())) {
            ShowFocusFrames();
            it.inner->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

// Qt draws the focus frame only after a key has moved the focus; a window
// that opens with the focus on a control shows where it is from the start.
void Dialog::ShowFocusFrames() { setAttribute(Qt::WA_KeyboardFocusChange); }

void Dialog::BeginBusy(const std::vector<int>& keep) {
    if (busy_) return;
    busy_ = true;
    busyFocus_ = focusWidget();
    ++quiet_;
    for (const auto& it : items_) {
        if (!TakesInput(it.spec.kind) || std::find(keep.begin(), keep.end(), it.spec.id) != keep.end()) continue;
        busySaved_.emplace_back(it.inner, !it.inner->testAttribute(Qt::WA_ForceDisabled));
        it.inner->setEnabled(false);
    }
    --quiet_;
    busyTap_ =
        std::make_unique<EventTap>([this](QObject* watched, QEvent* event) { return BusyFilter(watched, event); });
    wmClose_ = std::make_unique<WmClose>(*this);
}

void Dialog::EndBusy() {
    if (!busy_) return;
    wmClose_.reset();
    busyTap_.reset();
    ++quiet_;
    for (const auto& [w, enabled] : busySaved_) w->setEnabled(enabled);
    busySaved_.clear();
    if (busyFocus_ && busyFocus_->isEnabled() && busyFocus_->isVisible()) busyFocus_->setFocus(Qt::OtherFocusReason);
    --quiet_;
    busyFocus_ = nullptr;
    busy_ = false;
}

// While busy: nothing the user does reaches the window's controls, its
// shortcuts or its drops. Escape still asks to cancel; the close box comes
// as a close event, which is no input.
bool Dialog::BusyFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != this) return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && !(key->modifiers() & ~Qt::KeypadModifier)) OnCancel();
        return true;
    }
    case QEvent::ShortcutOverride:
        event->accept();  // taken here, so no shortcut fires either
        return true;
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: event->ignore(); return true;
    default: return false;
    }
}

void Dialog::BeginRun(QWidget* owner) {
    owner_ = owner;
    running_ = true;
    ending_ = false;
    result_ = IDCANCEL;
    QRect over;
    // The window manager's frame: known for the owner, not yet for a box
    // that has never been shown. Boxes get frames like their owner's, so its
    // margins stand for theirs, and the box lands in the same place every
    // time, not a title bar lower from its second opening on.
    QMargins frame;
    winId();
    if (owner) {
        QWidget* top = owner->window();
        top->winId();
        if (windowHandle() && top->windowHandle()) windowHandle()->setTransientParent(top->windowHandle());
        over = top->frameGeometry();
        const QRect client = top->geometry();
        frame = QMargins(client.left() - over.left(), client.top() - over.top(), over.right() - client.right(),
                         over.bottom() - client.bottom());
    } else if (QScreen* s = QGuiApplication::primaryScreen()) {
        over = s->availableGeometry();
    }
    if (over.isValid()) {
        const QSize outer = size().grownBy(frame);
        const QPoint corner = over.center() - QPoint(outer.width() / 2, outer.height() / 2);
        setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), size()));
    }
}

void Dialog::FinishRun() {
    if (windowHandle()) windowHandle()->setTransientParent(nullptr);
    owner_ = nullptr;
}

void Dialog::Open() {
    if (running_) return;
    BeginRun(nullptr);
    focusOnShow_ = OnInitDialog();
    if (running_) show();
}

int Dialog::DoModal(QWidget* owner) {
    if (running_) return -1;
    if (!owner) owner = MainWindow();
    if (owner == this) owner = nullptr;
    detail::OwnerDisable disable(owner);
    BeginRun(owner);
    setWindowModality(Qt::ApplicationModal);
    focusOnShow_ = OnInitDialog();
    if (running_) {
        if (ModalHook* hook = ModalHook::Current()) {
            ModalHook::Reply reply;
            const bool have = hook->Take(reply);
            hook->Record({Asked::Kind::Dialog,
                          FromQt(windowTitle()),
                          {},
                          Buttons::Ok,
                          {},
                          owner == nullptr || IsOwnerDisabled(owner),
                          have});
            show();
            int r = IDCANCEL;
            if (have) {
                if (const int* code = std::get_if<int>(&reply)) r = *code;
                else if (const Script* script = std::get_if<Script>(&reply)) r = (*script)(this);
            }
            // An answer for a dialog still open is pressed like its button.
            if (running_ && r == IDOK) OnOK();
            else if (running_ && r == IDCANCEL) OnCancel();
            if (running_) EndDialog(r);
        } else {
            exec();
        }
    }
    running_ = false;
    hide();
    FinishRun();
    return result_;
}

void Dialog::paintEvent(QPaintEvent* e) {
    QDialog::paintEvent(e);
    if (tpl_.style & ClientEdgeFrame) {
        QPainter p(this);
        qDrawWinPanel(&p, rect(), palette(), true);
    }
}

void Dialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (focusOnShow_) {
        focusOnShow_ = false;
        FocusFirstTabStop();
    }
}

void Dialog::closeEvent(QCloseEvent* e) {
    if (ending_ || !running_) {
        e->accept();
        return;
    }
    e->ignore();
    OnClose();
}

void Dialog::contextMenuEvent(QContextMenuEvent* e) {
    if (!hasSysMenu_) {
        e->ignore();
        return;
    }
    if (e->reason() == QContextMenuEvent::Keyboard) {
        // No control took it for a menu of its own.
        e->accept();
        ShowSystemMenu(e->globalPos());
        return;
    }
    if (e->reason() != QContextMenuEvent::Mouse) {
        e->ignore();
        return;
    }
    const Slot* it = ItemOf(childAt(e->pos()));
    if (it && it->spec.kind != Kind::GroupBox && it->spec.kind != Kind::Static) {
        e->ignore();
        return;
    }
    e->accept();
    ShowSystemMenu(e->globalPos());
}

// Shift+F10 and the Menu key ask the focused control for its menu (an edit
// has its own); one that has none passes the request on to the window.
void Dialog::OpenMenuFromKeyboard() {
    QWidget* target = focusWidget() ? focusWidget() : this;
    QPoint at = target->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    if (!target->rect().contains(at)) at = QPoint(target->width() / 2, target->height() / 2);
    QContextMenuEvent e(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &e);
}

void Dialog::ShowSystemMenu(QPoint globalPos) {
    if (!hasSysMenu_) return;
    if (const unsigned id = PopupMenu(this, sysMenu_, globalPos)) OnSysCommand(id, 0);
}

void Dialog::OnSysCommand(unsigned id, long) {
    switch (id & 0xFFF0) {
    case SC_MINIMIZE: showMinimized(); break;
    case SC_CLOSE: OnClose(); break;
    default: break;
    }
}

void DDX_Text(DataExchange& dx, int id, std::string& value) {
    if (dx.save) value = dx.dlg.GetDlgItemText(id);
    else if (dx.dlg.GetDlgItemText(id) != value)
        dx.dlg.SetDlgItemText(id, value);  // an unchanged text keeps caret and selection
}

void DDX_Check(DataExchange& dx, int id, std::int32_t& value) {
    auto* b = dx.dlg.Item<QAbstractButton>(id);
    if (!b) return;
    if (dx.save) value = b->isChecked() ? 1 : 0;
    else b->setChecked(value == 1);
}

void DDX_Radio(DataExchange& dx, int id, std::int32_t& value) {
    if (dx.save) value = dx.dlg.CheckedRadio(id);
    else dx.dlg.CheckRadio(id, value);
}

}  // namespace ombrix::dlg
