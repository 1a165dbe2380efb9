// Shared pieces of the window tests: a scriptable picker, byte files,
// screenshots, and the main window opened for a test.
#pragma once

#include "picker/PickerPane.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ombrix::ui {
class COmbrixDlg;
}

namespace ombrix::test {

// A picker whose picks the test sets; records every call by name.
class FakePicker : public QWidget, public C_PickerPane {
public:
    explicit FakePicker(QWidget* parent = nullptr) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }

    std::vector<std::string> files;
    std::string destination;
    std::vector<std::string> calls;
    std::function<void(std::int32_t)> onFileSource;  // runs inside FileSource

    std::string FileSource(std::int32_t& index) override;
    std::string FileDestination() override { return destination; }
    std::int32_t TotalFiles() override { return static_cast<std::int32_t>(files.size()); }
    void DecryptTypes() override { calls.push_back("DecryptTypes"); }
    void EncryptTypes() override { calls.push_back("EncryptTypes"); }
    void DisableDestination() override { calls.push_back("DisableDestination"); }
    void EnableDestination() override { calls.push_back("EnableDestination"); }
    void ProcessOver() override { calls.push_back("ProcessOver"); }
};

// The main window with a fake picker, opened (initialised and shown) and
// active, as the main window of the boxes it opens.
struct OpenMain {
    OpenMain();
    ~OpenMain();
    std::unique_ptr<ui::COmbrixDlg> dlg;
    FakePicker* picker = nullptr;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// Saves a grab of the widget as <build>/screenshots/<name>.png.
void Screenshot(QWidget& w, const char* name);

}  // namespace ombrix::test
