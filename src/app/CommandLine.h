// The program's command line: the files to start with ("Open with", or
// `ombrix FILE...` in a terminal), and the usual --help and --version.
#pragma once

#include "ui/OmbrixDlg.h"

#include <string>
#include <vector>

namespace ombrix::app {

struct CommandLine {
    bool help = false;
    bool version = false;
    std::vector<std::string> files;  // as given: relative names count from the current folder
    std::string error;               // the first unknown option, as a one-line message
};

// Reads the words after the program's name. "--" ends the options; "-" and
// every other word are files. Qt takes its own options out of argv when the
// application object is made, so an unknown option counts only after that.
CommandLine ParseCommandLine(int argc, char** argv);

// The main window's picker: the picker pane with the given files already
// picked, which is the pane's own doing; the window calls nothing on it at
// start-up. No files: the window's usual pane.
ui::COmbrixDlg::PickerFactory StartPicker(std::vector<std::string> files);

}  // namespace ombrix::app
