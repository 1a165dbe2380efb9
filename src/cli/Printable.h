// Names on a terminal. A file name may hold any byte but "/" and NUL, and a
// terminal obeys control bytes: ESC and CSI sequences move the cursor, set
// the title, rewrite the screen. So control bytes in names are shown
// escaped, as \t, \n, \r or \xHH.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ombrix::cli {

// bytes with every control byte escaped: below 0x20, 0x7F, the C1 controls
// U+0080..U+009F (C2 80..C2 9F in UTF-8), and the bytes 0x80..0x9F that are
// not part of valid UTF-8, which a terminal in an 8-bit mode takes as C1
// controls (0x9B is CSI there). Other bytes, valid or not, pass unchanged.
std::string Escaped(std::string_view bytes);

// A message for the terminal: every occurrence of one of names is escaped
// whole, line breaks elsewhere (the program's own) are kept, and any other
// control byte is escaped.
std::string ForTerminal(std::string_view text, const std::vector<std::string>& names);

}  // namespace ombrix::cli
