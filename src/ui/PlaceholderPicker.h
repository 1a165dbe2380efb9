// Stands in for the file picker where the build has none: picks nothing.
#pragma once

#include "picker/PickerPane.h"

#include <QFrame>

namespace ombrix::ui {

class PlaceholderPicker : public QFrame, public NoPicker {
    Q_OBJECT
public:
    explicit PlaceholderPicker(QWidget* parent = nullptr);
};

}  // namespace ombrix::ui
