#include "dlgkit/Controls.h"

#include "dlgkit/Text.h"

#include <QAccessible>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <qdrawutil.h>

namespace ombrix::dlg {

EdgePanel::EdgePanel(unsigned edges, QWidget* parent) : QWidget(parent), edges_(edges) {}

int EdgePanel::MarginOf(unsigned edges) {
    return ((edges & ModalFrameEdge) ? 3 : 0) + ((edges & ClientEdge) ? 2 : 0) + ((edges & StaticEdge) ? 1 : 0);
}

int EdgePanel::Margin() const { return MarginOf(edges_); }

void EdgePanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    QRect r = rect();
    if (edges_ & ModalFrameEdge) {
        qDrawWinPanel(&p, r, pal, false);
        r.adjust(3, 3, -3, -3);
    }
    if (edges_ & ClientEdge) {
        qDrawWinPanel(&p, r, pal, true);
        r.adjust(2, 2, -2, -2);
    }
    if (edges_ & StaticEdge) {
        qDrawShadeRect(&p, r, pal, true, 1, 0);
    }
}

PathLabel::PathLabel(QWidget* parent) : QLabel(parent) { setTextFormat(Qt::PlainText); }

void PathLabel::SetText(const QString& text) {
    setText(text);
    setToolTip(text);
    setAccessibleDescription(text);
}

QString PathLabel::ShownText() const { return ElidePath(text(), fontMetrics(), contentsRect().width()); }

void PathLabel::paintEvent(QPaintEvent* e) {
    QFrame::paintEvent(e);  // the frame; the text is ours to draw
    QPainter p(this);
    style()->drawItemText(&p, contentsRect(), int(alignment()), palette(), isEnabled(), ShownText(), foregroundRole());
}

QString ElidePath(const QString& text, const QFontMetrics& fm, int width) {
    if (fm.horizontalAdvance(text) <= width) return text;
    const qsizetype first = text.indexOf(u'/');
    const qsizetype last = text.lastIndexOf(u'/');
    if (first < 0) return fm.elidedText(text, Qt::ElideMiddle, width);
    const QString ellipsis(QChar(0x2026));
    const QString lead = text.left(first);
    const QString tail = text.mid(last);
    const auto fits = [&](qsizetype keep) { return fm.horizontalAdvance(text.left(keep) + ellipsis + tail) <= width; };
    if (first == last || !fits(first)) {
        // Not even the file name fits beside the start: shorten the name too.
        const QString head = first == last ? lead : lead + ellipsis;
        const int room = width - fm.horizontalAdvance(head);
        if (room < fm.horizontalAdvance(ellipsis) * 4) return fm.elidedText(text, Qt::ElideMiddle, width);
        return head + fm.elidedText(tail, Qt::ElideMiddle, room);
    }
    // The longest start of the path that still leaves room for the name.
    qsizetype lo = first, hi = last - 1;
    while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        if (fits(mid)) lo = mid;
        else hi = mid - 1;
    }
    return text.left(lo) + ellipsis + tail;
}

LiveLabel::LiveLabel(Tone tone, QWidget* parent) : QLabel(parent), tone_(tone) { setTextFormat(Qt::PlainText); }

void LiveLabel::Announce(const QString& text) {
    if (text == this->text()) return;
    setText(text);
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    if (!text.isEmpty()) {
        QAccessibleEvent alert(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

ProgressBar::ProgressBar(bool vertical, bool smooth, QWidget* parent)
    : QWidget(parent), vertical_(vertical), smooth_(smooth) {}

void ProgressBar::SetRange(int lower, int upper) {
    if (lower == lower_ && upper == upper_) return;
    lower_ = lower;
    upper_ = upper;
    update();
    // Screen readers read the value against the range: tell them both.
    QAccessibleValueChangeEvent changed(this, pos_);
    QAccessible::updateAccessibility(&changed);
}

void ProgressBar::SetPos(int pos) {
    if (pos == pos_) return;
    pos_ = pos;
    update();
    QAccessibleValueChangeEvent changed(this, pos_);
    QAccessible::updateAccessibility(&changed);
}

void ProgressBar::SetColor(const QColor& color) {
    color_ = color;
    update();
}

QColor ProgressBar::Color() const { return color_.isValid() ? color_ : palette().color(QPalette::Highlight); }

void ProgressBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Button));
    qDrawShadeRect(&p, rect(), pal, true, 1, 0);
    const QRect inner = rect().adjusted(2, 2, -2, -2);
    const long long span = static_cast<long long>(upper_) - lower_;
    if (span <= 0 || inner.isEmpty()) return;
    long long done = static_cast<long long>(pos_) - lower_;
    done = std::clamp(done, 0LL, span);
    const int length = vertical_ ? inner.height() : inner.width();
    const int filled = static_cast<int>(done * length / span);
    if (filled <= 0) return;
    const QColor c = Color();
    if (smooth_) {
        if (vertical_) p.fillRect(inner.left(), inner.bottom() + 1 - filled, inner.width(), filled, c);
        else p.fillRect(inner.left(), inner.top(), filled, inner.height(), c);
        return;
    }
    // Blocks two thirds as long as the bar is thick, two pixels apart.
    const int thick = vertical_ ? inner.width() : inner.height();
    const int block = std::max(2, thick * 2 / 3);
    for (int at = 0; at < filled; at += block + 2) {
        const int len = std::min(block, length - at);
        if (vertical_) p.fillRect(inner.left(), inner.bottom() + 1 - at - len, inner.width(), len, c);
        else p.fillRect(inner.left() + at, inner.top(), len, inner.height(), c);
    }
}

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TextBox::SetBytes(const std::string& text) {
    // Stored as it reads back: every line break as CR LF, a lone CR kept.
    std::string held;
    std::string shown;
    held.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            held += "\r\n";
            shown += '\n';
            ++i;
        } else if (c == '\n') {
            held += "\r\n";
            shown += '\n';
        } else {
            held += c;
            if (c != '\r') shown += c;
        }
    }
    if (held == bytes_) return;
    bytes_ = std::move(held);
    setPlainText(ToQt(shown));
}

}  // namespace ombrix::dlg
