#include "Support.h"

#include "dlgkit/Modal.h"
#include "ui/OmbrixDlg.h"

#include <QDir>
#include <QTest>
#include <fstream>
#include <sstream>

namespace ombrix::test {

OpenMain::OpenMain() {
    dlg = std::make_unique<ui::COmbrixDlg>([this](QWidget* parent) -> QWidget* {
        picker = new FakePickerWidget(parent);
        return picker;
    });
    dlg::SetMainWindow(dlg.get());
    dlg->Open();
    dlg->activateWindow();
    (void)QTest::qWaitForWindowActive(dlg.get());
}

OpenMain::~OpenMain() { dlg::SetMainWindow(nullptr); }

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void Screenshot(QWidget& w, const char* name) {
    QDir().mkpath(QStringLiteral(OMBRIX_SHOT_DIR));
    w.grab().save(QStringLiteral(OMBRIX_SHOT_DIR "/%1.png").arg(QString::fromLatin1(name)));
}

}  // namespace ombrix::test
