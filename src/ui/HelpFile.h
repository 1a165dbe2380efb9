// "help.sh" is a text file in the old sense: CR LF line ends on disk, LF in
// memory, and Ctrl+Z (0x1A) ends the text.
#pragma once

#include <string>

#include "ui/Texts.h"

namespace ombrix::ui {

inline constexpr const char* kHelpFileName = "help.sh";
inline constexpr const char* kHelpNotLocated = PatternOf(ui::WindowText::HelpNotLocated).data();

// Reads the text with CR LF turned into LF, up to 0x1A or the end. False when
// the file cannot be opened or is not a regular file; a read error part-way
// keeps what was read.
bool ReadTextFile(const std::string& path, std::string& text);

// Writes the text with each LF as CR LF; false when the file cannot be opened.
bool WriteTextFile(const std::string& path, const std::string& text);

// The copy of the help text installed beside a program at programPath: the
// data folder is found relative to the program's folder, so an installed tree
// works wherever it was put.
std::string InstalledHelpFile(const std::string& programPath);

// Reads the help text: "help.sh" in the current folder first, then the
// installed copy. False when neither is a readable file.
bool ReadHelpText(const std::string& installedCopy, std::string& text);

}  // namespace ombrix::ui
