// Stands in for the file picker where the build has none: picks nothing.
#pragma once

#include "picker/PickerPane.h"

#include <QFrame>

namespace ombrix::ui {

class PlaceholderPicker : public QFrame, public C_PickerPane {
    Q_OBJECT
public:
    explicit PlaceholderPicker(QWidget* parent = nullptr);

    std::string FileSource(std::int32_t&) override { return {}; }
    std::string FileDestination() override { return {}; }
    std::int32_t TotalFiles() override { return 0; }
    void DecryptTypes() override {}
    void EncryptTypes() override {}
    void DisableDestination() override {}
    void EnableDestination() override {}
    void ProcessOver() override {}
};

}  // namespace ombrix::ui
