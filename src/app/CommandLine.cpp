#include "app/CommandLine.h"

#include "picker/PickerPaneWidget.h"
#include "ui/Texts.h"

#include <cstring>

namespace ombrix::app {

CommandLine ParseCommandLine(int argc, char** argv) {
    CommandLine line;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (!options || word[0] != '-' || word[1] == '\0') line.files.emplace_back(word);
        else if (std::strcmp(word, "--") == 0) options = false;
        else if (std::strcmp(word, "-h") == 0 || std::strcmp(word, "--help") == 0) line.help = true;
        else if (std::strcmp(word, "--version") == 0) line.version = true;
        else if (line.error.empty()) line.error = text::Say<ui::WindowText::UnknownOption>(word);
    }
    return line;
}

ui::COmbrixDlg::PickerFactory StartPicker(std::vector<std::string> files) {
    if (files.empty()) return {};
    return [files = std::move(files)](QWidget* parent) -> QWidget* {
        auto* pane = new PickerPaneWidget(parent);
        QList<QByteArray> paths;
        for (const std::string& f : files) paths << QByteArray(f.data(), qsizetype(f.size()));
        pane->pickGivenFiles(paths);
        return pane;
    };
}

}  // namespace ombrix::app
