// The application: checks that there is a screen to show the window on, sets
// up the look, runs the main window modally (with the files named on the
// command line already picked) and ends when it closes.
#pragma once

#include <string>
#include <vector>

namespace ombrix::app {

// True when a window can be shown: a display is named, or Qt is told which
// platform to use (offscreen runs do that).
bool HasDisplay();

// The line printed when there is none.
std::string NoDisplayMessage();

class COmbrixApp {
public:
    // Runs the program; returns the process's exit status.
    int Run(int argc, char** argv);

private:
    bool InitInstance();

    std::vector<std::string> files_;  // picked in the pane at start-up
};

}  // namespace ombrix::app
