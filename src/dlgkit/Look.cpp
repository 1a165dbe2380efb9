#include "dlgkit/Look.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace ombrix::dlg {

void ApplyClassicLook() {
    // Fusion ships inside Qt on every platform and draws its bevels from the
    // palette's light and dark roles, so a grey palette with white highlights
    // and dark shadows gives raised buttons and sunken fields everywhere,
    // whatever the desktop theme would have drawn.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QColor face(192, 192, 192);
    QPalette p(face);
    p.setColor(QPalette::Window, face);
    p.setColor(QPalette::Button, face);
    p.setColor(QPalette::Light, Qt::white);
    p.setColor(QPalette::Midlight, QColor(223, 223, 223));
    p.setColor(QPalette::Mid, QColor(160, 160, 160));
    p.setColor(QPalette::Dark, QColor(128, 128, 128));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::AlternateBase, QColor(232, 232, 232));
    p.setColor(QPalette::Text, Qt::black);
    p.setColor(QPalette::WindowText, Qt::black);
    p.setColor(QPalette::ButtonText, Qt::black);
    p.setColor(QPalette::Highlight, QColor(0, 0, 128));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
    p.setColor(QPalette::ToolTipText, Qt::black);
    const QColor grey(128, 128, 128);
    p.setColor(QPalette::Disabled, QPalette::Text, grey);
    p.setColor(QPalette::Disabled, QPalette::WindowText, grey);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, grey);
    p.setColor(QPalette::Disabled, QPalette::Base, face);
    QApplication::setPalette(p);
}

}  // namespace ombrix::dlg
