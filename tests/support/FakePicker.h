// The picker of every test: a list of paths and a destination, and a record
// of every call in order. The window tests host it in a widget.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "picker/PickerPane.h"

namespace ombrix::test {

class FakePicker : public C_PickerPane {
public:
    std::vector<std::string> paths;
    std::string destination;
    std::vector<std::string> calls;
    std::vector<std::string>* log = nullptr;         // also records here, when set
    std::function<void(std::int32_t)> onFileSource;  // runs inside FileSource

    std::string FileSource(std::int32_t& index) override;
    std::string FileDestination() override;
    std::int32_t TotalFiles() override;
    void DecryptTypes() override { Record("DecryptTypes"); }
    void EncryptTypes() override { Record("EncryptTypes"); }
    void DisableDestination() override { Record("DisableDestination"); }
    void EnableDestination() override { Record("EnableDestination"); }
    void ProcessOver() override { Record("ProcessOver"); }

private:
    void Record(const std::string& call);
};

}  // namespace ombrix::test
