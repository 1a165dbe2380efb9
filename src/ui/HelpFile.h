// "help.sh" is a text file in the old sense: CR LF line ends on disk, LF in
// memory, and Ctrl+Z (0x1A) ends the text.
#pragma once

#include <string>

namespace ombrix::ui {

// Reads the text with CR LF turned into LF, up to 0x1A or the end. False when
// the file cannot be opened or is not a regular file; a read error part-way
// keeps what was read.
bool ReadTextFile(const std::string& path, std::string& text);

// Writes the text with each LF as CR LF; false when the file cannot be opened.
bool WriteTextFile(const std::string& path, const std::string& text);

}  // namespace ombrix::ui
