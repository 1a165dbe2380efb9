#include "ui/PlaceholderPicker.h"

#include <QLabel>
#include <QVBoxLayout>

namespace ombrix::ui {

PlaceholderPicker::PlaceholderPicker(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* l = new QLabel(tr("No file picker in this build."), this);
    l->setAlignment(Qt::AlignCenter);
    l->setWordWrap(true);
    (new QVBoxLayout(this))->addWidget(l);
}

}  // namespace ombrix::ui
