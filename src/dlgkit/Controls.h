// The few control kinds the dialogs need that Qt has no exact match for.
#pragma once

#include <QColor>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QWidget>
#include <string>

namespace ombrix::dlg {

// Bevelled edges drawn around a control, from the outside in: a raised
// modal frame, a sunken client edge, a thin sunken static edge.
enum Edge : unsigned { ModalFrameEdge = 1, ClientEdge = 2, StaticEdge = 4 };

class EdgePanel : public QWidget {
    Q_OBJECT
public:
    EdgePanel(unsigned edges, QWidget* parent);
    int Margin() const;
    static int MarginOf(unsigned edges);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    unsigned edges_;
};

// A radio button that a click always checks; the dialog clears the rest of
// its group before the click is reported.
class AutoRadio : public QRadioButton {
    Q_OBJECT
public:
    using QRadioButton::QRadioButton;

protected:
    void nextCheckState() override { setChecked(true); }
};

// A line of text that names a file ("File --> /home/me/docs/report.txt").
// It keeps its whole text, but when that does not fit it shortens the middle
// of the path, so the start of the line and the file name always show. The
// whole text is its tooltip and accessible description.
class PathLabel : public QLabel {
    Q_OBJECT
public:
    explicit PathLabel(QWidget* parent);
    void SetText(const QString& text);
    // What the label shows at its present width.
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent*) override;
};

// A line whose changes a screen reader should announce without the user
// moving to it: an error (read as an alert) or a status such as a count.
class LiveLabel : public QLabel {
    Q_OBJECT
public:
    enum class Tone { Alert, Status };
    LiveLabel(Tone tone, QWidget* parent);
    Tone GetTone() const { return tone_; }
    // Sets the text and announces it when it is new and not empty.
    void Announce(const QString& text);

private:
    Tone tone_;
};

// Shortens text to width: the part before the first "/" and the part from
// the last "/" on are kept whole, the folders between give way first.
// A file name too long on its own is shortened in its own middle.
QString ElidePath(const QString& text, const QFontMetrics& fm, int width);

// Progress bar: horizontal or vertical (filling upwards), smooth or in
// blocks, in the highlight colour unless given one.
class ProgressBar : public QWidget {
    Q_OBJECT
public:
    ProgressBar(bool vertical, bool smooth, QWidget* parent);
    void SetRange(int lower, int upper);
    void SetPos(int pos);
    void SetColor(const QColor& color);
    int Lower() const { return lower_; }
    int Upper() const { return upper_; }
    int Pos() const { return pos_; }
    QColor Color() const;
    bool Vertical() const { return vertical_; }
    bool Smooth() const { return smooth_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool vertical_;
    bool smooth_;
    int lower_ = 0;
    int upper_ = 100;
    int pos_ = 0;
    QColor color_;
};

// Read-only multi-line text that keeps its text as bytes. Line breaks read
// back as CR LF, the way an edit control holds them; LF and CR LF both break
// a line on screen.
class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent);
    void SetBytes(const std::string& text);
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

}  // namespace ombrix::dlg
