#include "dlgkit/Dialog.h"

#include "dlgkit/Text.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QPainter>
#include <QWindow>
#include <qdrawutil.h>
#include <climits>

namespace ombrix::dlg {

namespace {

unsigned EdgesOf(unsigned style)
{
    if (style & FrameEdges)
        return ModalFrameEdge | ClientEdge | StaticEdge;
    if (style & ClientEdges)
        return ClientEdge | StaticEdge;
    return 0;
}

bool IsButtonKind(Kind k) { return k == Kind::PushButton || k == Kind::AutoRadio || k == Kind::AutoCheck; }

// Width the control's text needs in the given font.
int NeededWidth(QWidget* w, const QFont& f)
{
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
void FitText(QWidget* w, const QFont& base)
{
    QFont f = base;
    const int room = w->width();
    if (NeededWidth(w, f) > room) {
        for (int stretch = 95; stretch >= 80 && NeededWidth(w, f) > room; stretch -= 5)
            f.setStretch(stretch);
        const qreal size = base.pointSizeF();
        for (qreal s = size - 0.5; size > 0 && s >= size * 0.75 && NeededWidth(w, f) > room; s -= 0.5)
            f.setPointSizeF(s);
    }
    w->setFont(f);
}

bool FitsByFont(Kind k) { return k == Kind::AutoRadio || k == Kind::AutoCheck || k == Kind::Static; }

}  // namespace

Dialog::Dialog(DialogTemplate tpl, CustomFactory custom) : QDialog(nullptr), tpl_(std::move(tpl))
{
    Build(custom);
}

Dialog::~Dialog() = default;

void Dialog::Build(const CustomFactory& custom)
{
    units_ = BaseUnitsOf(font());
    Qt::WindowFlags flags = (tpl_.style & AppWindow) ? Qt::Window : Qt::Dialog;
    if (tpl_.style & ToolWindow)
        flags = Qt::Tool;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (tpl_.style & SysMenu)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tpl_.style & MinimizeBox)
        flags |= Qt::WindowMinimizeButtonHint;
    setWindowFlags(flags);
    setWindowTitle(ToQt(tpl_.caption));
    setSizeGripEnabled(false);
    setFixedSize(MapDialogSize(tpl_.size, units_));

    bool hasDefault = false;
    for (const auto& c : tpl_.controls)
        hasDefault |= (c.kind == Kind::PushButton && (c.style & DefPush));

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
            if (spec.style & DefPush)
                b->setDefault(true);
            connect(b, &QPushButton::clicked, this, [this, id = spec.id] { Notified(Notify::Clicked, id); });
            w = b;
            break;
        }
        case Kind::AutoRadio: {
            auto* b = new AutoRadio(text, parent);
            b->setAutoExclusive(false);
            connect(b, &QAbstractButton::clicked, this, [this, id = spec.id] { RadioClicked(id); });
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
            if (item.outer)
                item.outer->setAttribute(Qt::WA_TransparentForMouseEvents);
            w = g;
            break;
        }
        case Kind::Static: {
            auto* l = new QLabel(parent);
            l->setTextFormat(Qt::PlainText);
            l->setText(text);
            Qt::Alignment a = (spec.style & Center) ? Qt::AlignHCenter : Qt::AlignLeft;
            a |= (spec.style & CenterV) ? Qt::AlignVCenter : Qt::AlignTop;
            l->setAlignment(a);
            if (spec.style & Sunken)
                l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            else if (spec.style & Border)
                l->setFrameStyle(QFrame::Box | QFrame::Plain);
            l->setAttribute(Qt::WA_TransparentForMouseEvents);
            w = l;
            break;
        }
        case Kind::Edit: {
            auto* e = new QLineEdit(parent);
            e->setMaxLength(INT_MAX);
            if (spec.style & Password)
                e->setEchoMode(QLineEdit::Password);
            connect(e, &QLineEdit::textChanged, this, [this, id = spec.id] { Notified(Notify::Change, id); });
            e->installEventFilter(this);
            w = e;
            break;
        }
        case Kind::TextBox:
            w = new TextBox(parent);
            break;
        case Kind::Progress:
            w = new ProgressBar(spec.style & Vertical, spec.style & Smooth, parent);
            break;
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
            if (!w)
                w = new QWidget(parent);
            w->setParent(parent);
            break;
        }
        w->setGeometry(inner);
        if (FitsByFont(spec.kind))
            FitText(w, font());
        if (IsButtonKind(spec.kind) || spec.kind == Kind::Edit || spec.kind == Kind::TextBox)
            w->setFocusPolicy((spec.style & TabStop) ? Qt::StrongFocus : Qt::ClickFocus);
        else if (spec.kind != Kind::Custom)
            w->setFocusPolicy(Qt::NoFocus);
        if (spec.style & Hidden) {
            (item.outer ? item.outer : w)->hide();
        }
        item.inner = w;
        items_.push_back(item);
    }
    // Group boxes lie under everything else; among themselves the first is on top.
    for (const auto& it : items_)
        if (it.spec.kind == Kind::GroupBox)
            (it.outer ? it.outer : it.inner)->lower();
    QWidget* prev = nullptr;
    for (const auto& it : items_) {
        if (!(it.spec.style & TabStop))
            continue;
        if (prev)
            setTabOrder(prev, it.inner);
        prev = it.inner;
    }

    if (tpl_.style & SysMenu) {
        hasSysMenu_ = true;
        if (tpl_.style & MinimizeBox)
            sysMenu_.push_back({SC_MINIMIZE, "Mi&nimize"});
        sysMenu_.push_back({SC_CLOSE, "&Close\tAlt+F4"});
        auto* sc = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
        connect(sc, &QShortcut::activated, this, [this] { ShowSystemMenu(mapToGlobal(QPoint(0, 0))); });
    }
}

const Dialog::Slot* Dialog::Find(int id) const
{
    for (const auto& it : items_)
        if (it.spec.id == id)
            return &it;
    return nullptr;
}

const Dialog::Slot* Dialog::ItemOf(const QWidget* w) const
{
    for (; w && w != this; w = w->parentWidget())
        for (const auto& it : items_)
            if (it.inner == w || it.outer == w)
                return &it;
    return nullptr;
}

QWidget* Dialog::GetDlgItem(int id) const
{
    const Slot* it = Find(id);
    return it ? it->inner : nullptr;
}

QRect Dialog::ItemRect(int id) const
{
    const Slot* it = Find(id);
    return it ? MapDialogRect(it->spec.rect, units_) : QRect();
}

std::string Dialog::GetDlgItemText(int id) const
{
    const Slot* it = Find(id);
    if (!it)
        return {};
    QWidget* w = it->inner;
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return FromQt(b->text());
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return FromQt(g->title());
    if (auto* l = qobject_cast<QLabel*>(w))
        return FromQt(l->text());
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return FromQt(e->text());
    if (auto* t = qobject_cast<TextBox*>(w))
        return t->Bytes();
    return FromQt(w->windowTitle());
}

void Dialog::SetDlgItemText(int id, const std::string& text)
{
    const Slot* it = Find(id);
    if (!it)
        return;
    QWidget* w = it->inner;
    const QString q = ToQt(text);
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(q);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(q);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(q);
    else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (e->text() != q)
            e->setText(q);
    } else if (auto* t = qobject_cast<TextBox*>(w))
        t->SetBytes(text);
    else
        w->setWindowTitle(q);
    if (FitsByFont(it->spec.kind))
        FitText(w, font());
}

void Dialog::EnableItem(int id, bool enable)
{
    if (const Slot* it = Find(id))
        it->inner->setEnabled(enable);
}

void Dialog::ShowItem(int id, bool show)
{
    if (const Slot* it = Find(id))
        (it->outer ? it->outer : it->inner)->setVisible(show);
}

bool Dialog::IsItemVisible(int id) const
{
    const Slot* it = Find(id);
    return it && !(it->outer ? it->outer : it->inner)->isHidden();
}

bool Dialog::IsItemEnabled(int id) const
{
    const Slot* it = Find(id);
    return it && it->inner->isEnabled();
}

std::vector<int> Dialog::RadioGroup(int firstId) const
{
    std::vector<int> ids;
    bool in = false;
    for (const auto& it : items_) {
        if (!in) {
            in = it.spec.id == firstId;
        } else if (it.spec.style & Group) {
            break;
        }
        if (in && it.spec.kind == Kind::AutoRadio)
            ids.push_back(it.spec.id);
    }
    return ids;
}

int Dialog::CheckedRadio(int firstId) const
{
    const auto ids = RadioGroup(firstId);
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (Item<QAbstractButton>(ids[i])->isChecked())
            return static_cast<int>(i);
    return -1;
}

void Dialog::CheckRadio(int firstId, int index)
{
    const auto ids = RadioGroup(firstId);
    for (std::size_t i = 0; i < ids.size(); ++i)
        Item<QAbstractButton>(ids[i])->setChecked(static_cast<int>(i) == index);
}

void Dialog::RadioClicked(int id)
{
    // Find the start of the group that holds id, then clear its other buttons.
    int start = 0;
    for (const auto& it : items_) {
        if (it.spec.style & Group)
            start = it.spec.id;
        if (it.spec.id == id)
            break;
    }
    for (int other : RadioGroup(start))
        if (other != id)
            Item<QAbstractButton>(other)->setChecked(false);
    Notified(Notify::Clicked, id);
}

void Dialog::Map(Notify code, int id, std::function<void()> handler)
{
    map_.push_back({code, id, std::move(handler)});
}

void Dialog::Notified(Notify code, int id)
{
    if (transfer_ > 0)
        return;  // a transfer's own notifications never reach handlers
    for (const auto& e : map_) {
        if (e.code == code && e.id == id) {
            e.handler();
            return;
        }
    }
    // Unmapped OK and Cancel buttons end the dialog the standard way.
    if (code == Notify::Clicked && id == IDOK)
        OnOK();
    else if (code == Notify::Clicked && id == IDCANCEL)
        OnCancel();
}

bool Dialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        // Only a move of the focus inside the window counts; switching
        // windows or opening a menu does not.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (const Slot* it = ItemOf(qobject_cast<QWidget*>(watched)))
                Notified(Notify::KillFocus, it->spec.id);
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool Dialog::UpdateData(bool saveAndValidate)
{
    struct Guard {
        int& n;
        explicit Guard(int& c) : n(c) { ++n; }
        ~Guard() { --n; }
    } guard(transfer_);
    DataExchange dx{*this, saveAndValidate};
    DoDataExchange(dx);
    return true;
}

bool Dialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void Dialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::EndDialog(int result)
{
    result_ = result;
    if (!running_)
        return;
    running_ = false;
    ending_ = true;
    QDialog::done(result);
    ending_ = false;
}

void Dialog::FocusFirstTabStop()
{
    for (const auto& it : items_) {
        if ((it.spec.style & TabStop) && !it.inner->isHidden() && it.inner->isEnabled() &&
            !(it.outer && it.outer->isHidden())) {
            it.inner->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void Dialog::BeginRun(QWidget* owner)
{
    owner_ = owner;
    running_ = true;
    ending_ = false;
    result_ = IDCANCEL;
    QRect over;
    if (owner) {
        QWidget* top = owner->window();
        winId();
        top->winId();
        if (windowHandle() && top->windowHandle())
            windowHandle()->setTransientParent(top->windowHandle());
        over = top->frameGeometry();
    } else if (QScreen* s = QGuiApplication::primaryScreen()) {
        over = s->availableGeometry();
    }
    if (over.isValid())
        move(over.center() - QPoint(width() / 2, height() / 2));
}

void Dialog::FinishRun()
{
    if (windowHandle())
        windowHandle()->setTransientParent(nullptr);
    owner_ = nullptr;
}

void Dialog::Open()
{
    if (running_)
        return;
    BeginRun(nullptr);
    focusOnShow_ = OnInitDialog();
    if (running_)
        show();
}

int Dialog::DoModal(QWidget* owner)
{
    if (running_)
        return -1;
    if (!owner)
        owner = MainWindow();
    if (owner == this)
        owner = nullptr;
    detail::OwnerDisable disable(owner);
    BeginRun(owner);
    setWindowModality(Qt::ApplicationModal);
    focusOnShow_ = OnInitDialog();
    if (running_) {
        if (ModalHook* hook = ModalHook::Current()) {
            ModalHook::Reply reply;
            const bool have = hook->Take(reply);
            hook->Record({Asked::Kind::Dialog, FromQt(windowTitle()), {}, Buttons::Ok, {},
                          owner == nullptr || IsOwnerDisabled(owner), have});
            show();
            int r = IDCANCEL;
            if (have) {
                if (const int* code = std::get_if<int>(&reply))
                    r = *code;
                else if (const Script* script = std::get_if<Script>(&reply))
                    r = (*script)(this);
            }
            // An answer for a dialog still open is pressed like its button.
            if (running_ && r == IDOK)
                OnOK();
            else if (running_ && r == IDCANCEL)
                OnCancel();
            if (running_)
                EndDialog(r);
        } else {
            exec();
        }
    }
    running_ = false;
    hide();
    FinishRun();
    return result_;
}

void Dialog::paintEvent(QPaintEvent* e)
{
    QDialog::paintEvent(e);
    if (tpl_.style & ClientEdgeFrame) {
        QPainter p(this);
        qDrawWinPanel(&p, rect(), palette(), true);
    }
}

void Dialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (focusOnShow_) {
        focusOnShow_ = false;
        FocusFirstTabStop();
    }
}

void Dialog::closeEvent(QCloseEvent* e)
{
    if (ending_ || !running_) {
        e->accept();
        return;
    }
    e->ignore();
    OnClose();
}

void Dialog::contextMenuEvent(QContextMenuEvent* e)
{
    if (!hasSysMenu_ || e->reason() != QContextMenuEvent::Mouse) {
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

void Dialog::ShowSystemMenu(QPoint globalPos)
{
    if (!hasSysMenu_)
        return;
    if (const unsigned id = PopupMenu(this, sysMenu_, globalPos))
        OnSysCommand(id, 0);
}

void Dialog::OnSysCommand(unsigned id, long)
{
    switch (id & 0xFFF0) {
    case SC_MINIMIZE:
        showMinimized();
        break;
    case SC_CLOSE:
        OnClose();
        break;
    default:
        break;
    }
}

void DDX_Text(DataExchange& dx, int id, std::string& value)
{
    if (dx.save)
        value = dx.dlg.GetDlgItemText(id);
    else if (dx.dlg.GetDlgItemText(id) != value)
        dx.dlg.SetDlgItemText(id, value);  // an unchanged text keeps caret and selection
}

void DDX_Check(DataExchange& dx, int id, std::int32_t& value)
{
    auto* b = dx.dlg.Item<QAbstractButton>(id);
    if (!b)
        return;
    if (dx.save)
        value = b->isChecked() ? 1 : 0;
    else
        b->setChecked(value == 1);
}

void DDX_Radio(DataExchange& dx, int id, std::int32_t& value)
{
    if (dx.save)
        value = dx.dlg.CheckedRadio(id);
    else
        dx.dlg.CheckRadio(id, value);
}

}  // namespace ombrix::dlg
