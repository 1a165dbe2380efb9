#include "dlgkit/Access.h"

#include "dlgkit/Controls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeySequence>
#include <algorithm>

namespace ombrix::dlg {

namespace {

// "&Encrypt" -> "Encrypt", "R&&D" -> "R&D".
QString WithoutMnemonics(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') out += text[i];
        else if (++i < text.size()) out += text[i];
    }
    return out;
}

// A radio button of a group: checkable, checked when chosen, pressed by its
// default action like a click.
class RadioAccessible : public QAccessibleWidget {
public:
    explicit RadioAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::RadioButton) {
        addControllingSignal(QStringLiteral("clicked(bool)"));
    }

    QAbstractButton* Button() const { return static_cast<QAbstractButton*>(widget()); }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = Button()->isChecked();
        return s;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) return WithoutMnemonics(Button()->text());
        if (t == QAccessible::Accelerator)
            return QKeySequence::mnemonic(Button()->text()).toString(QKeySequence::NativeText);
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled()) names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& action) override {
        if (action == pressAction() && widget()->isEnabled()) Button()->click();
        else QAccessibleWidget::doAction(action);
    }
};

// A progress bar with its range and position as value.
class ProgressAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ProgressAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::ProgressBar) {}

    const ProgressBar* Bar() const { return static_cast<const ProgressBar*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            const long long span = static_cast<long long>(Bar()->Upper()) - Bar()->Lower();
            if (span <= 0) return {};
            const long long done =
                std::clamp<long long>(static_cast<long long>(Bar()->Pos()) - Bar()->Lower(), 0, span);
            return QStringLiteral("%1%").arg(done * 100 / span);
        }
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return Bar()->Pos(); }
    void setCurrentValue(const QVariant&) override {}  // shows progress, takes none
    QVariant maximumValue() const override { return Bar()->Upper(); }
    QVariant minimumValue() const override { return Bar()->Lower(); }
    QVariant minimumStepSize() const override { return 1; }
};

// An announced line: an alert or a status, named by its text.
class LiveAccessible : public QAccessibleWidget {
public:
    explicit LiveAccessible(LiveLabel* w)
        : QAccessibleWidget(
              w, w->GetTone() == LiveLabel::Tone::Alert ? QAccessible::AlertMessage : QAccessible::StatusBar) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<const QLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    auto* w = static_cast<QWidget*>(object);
    if (className == QLatin1String("ombrix::dlg::AutoRadio")) return new RadioAccessible(w);
    if (className == QLatin1String("ombrix::dlg::ProgressBar")) return new ProgressAccessible(w);
    if (className == QLatin1String("ombrix::dlg::LiveLabel")) return new LiveAccessible(static_cast<LiveLabel*>(w));
    return nullptr;
}

}  // namespace

void InstallAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(Factory);
}

QString SpokenName(const QString& text) {
    QString name = WithoutMnemonics(text).simplified();
    while (name.endsWith(u':') || name.endsWith(u' ')) name.chop(1);
    return name;
}

}  // namespace ombrix::dlg
