// Records what reaches the accessibility layer (what a screen reader would
// hear of) while it lives. The layer stays silent until a screen reader
// connects; this switches it on the way that connection does.
#pragma once

#include <QAccessible>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <vector>

namespace ombrix::test {

class AccessLog {
public:
    struct Entry {
        QAccessible::Event type;
        QObject* object;
        QVariant value;  // of a value change
        QString name;    // of the object, when the event came
    };

    AccessLog() : previous_(QAccessible::installUpdateHandler(&Record)) {
        current_ = this;
        if (QPlatformAccessibility* layer = QGuiApplicationPrivate::platformIntegration()->accessibility())
            layer->setActive(true);
    }
    ~AccessLog() {
        if (QPlatformAccessibility* layer = QGuiApplicationPrivate::platformIntegration()->accessibility())
            layer->setActive(false);
        QAccessible::installUpdateHandler(previous_);
        current_ = nullptr;
    }
    AccessLog(const AccessLog&) = delete;
    AccessLog& operator=(const AccessLog&) = delete;

    std::vector<Entry> entries;

    // The events of one kind raised by one object, in order.
    std::vector<Entry> Of(const QObject* object, QAccessible::Event type) const {
        std::vector<Entry> out;
        for (const auto& e : entries)
            if (e.object == object && e.type == type) out.push_back(e);
        return out;
    }

private:
    static void Record(QAccessibleEvent* event) {
        if (!current_) return;
        Entry e{event->type(), event->object(), {}, {}};
        if (event->type() == QAccessible::ValueChanged)
            e.value = static_cast<QAccessibleValueChangeEvent*>(event)->value();
        if (QAccessibleInterface* iface = event->accessibleInterface()) e.name = iface->text(QAccessible::Name);
        current_->entries.push_back(e);
    }

    QAccessible::UpdateHandler previous_;
    inline static AccessLog* current_ = nullptr;
};

}  // namespace ombrix::test
