#include "app/CommandLine.h"

#include "picker/PickerPaneWidget.h"

#include <cstring>

namespace ombrix::app {

const char* const kUsage =
    "Usage: ombrix [FILE...]\n"
    "Opens the Ombrix window with the FILEs already picked in its file pane.\n"
    "A FILE that does not exist is left out and named in the pane.\n"
    "\n"
    "  -h, --help     this text\n"
    "      --version  \"ombrix 1.0\"\n"
    "\n"
    "Qt's own options (-style, -platform, ...) are accepted too.\n"
    "ombrix-cli runs the same batches from a terminal (ombrix-cli --help).\n";
const char* const kVersion = "ombrix 1.0\n";

CommandLine ParseCommandLine(int argc, char** argv) {
    CommandLine line;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (!options || word[0] != '-' || word[1] == '\0') line.files.emplace_back(word);
        else if (std::strcmp(word, "--") == 0) options = false;
        else if (std::strcmp(word, "-h") == 0 || std::strcmp(word, "--help") == 0) line.help = true;
        else if (std::strcmp(word, "--version") == 0) line.version = true;
        else if (line.error.empty()) line.error = std::string("unknown option '") + word + "'";
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
