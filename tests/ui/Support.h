// Shared pieces of the window tests: a scriptable picker, byte files,
// screenshots, and the main window opened for a test.
#pragma once

#include "support/FakePicker.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ombrix::ui {
class COmbrixDlg;
}

namespace ombrix::test {

// The tests' fake picker as the window's picker control.
class FakePickerWidget : public QWidget, public FakePicker {
public:
    explicit FakePickerWidget(QWidget* parent = nullptr) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }
};

// The main window with a fake picker, opened (initialised and shown) and
// active, as the main window of the boxes it opens.
struct OpenMain {
    OpenMain();
    ~OpenMain();
    std::unique_ptr<ui::COmbrixDlg> dlg;
    FakePickerWidget* picker = nullptr;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// Saves a grab of the widget as <build>/screenshots/<name>.png.
void Screenshot(QWidget& w, const char* name);

}  // namespace ombrix::test
