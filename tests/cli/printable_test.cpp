// Names shown on a terminal: control bytes escaped, everything else as it is.
#include <gtest/gtest.h>

#include "cli/Printable.h"

namespace ombrix::cli {
namespace {

TEST(Printable, ControlBytesAreEscapedAndTheRestPassesUnchanged) {
    struct Case {
        std::string name, shown;
    } cases[] = {
        {"plain name.txt", "plain name.txt"},
        {"tab\there", "tab\\there"},
        {"new\nline\r", "new\\nline\\r"},
        {"esc\x1b]0;title\a", "esc\\x1b]0;title\\x07"},
        {"del\x7f", "del\\x7f"},
        {"c1\xc2\x9b"
         "2J",
         "c1\\xc2\\x9b2J"},  // U+009B (CSI) in UTF-8
        {"c1\xc2\x80 \xc2\x9f", "c1\\xc2\\x80 \\xc2\\x9f"},
        {"raw\x9b"
         "2J",
         "raw\\x9b2J"},               // CSI of an 8-bit terminal
        {"\xe2\x9b!", "\xe2\\x9b!"},  // broken sequence: its 0x9B stands alone
        {"\xc0\x9b", "\xc0\\x9b"},    // overlong form is no character
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x94\x91", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x94\x91"},
        {"\xc2\xa0nbsp \xc2", "\xc2\xa0nbsp \xc2"},  // U+00A0 is printable; a lone lead byte stays
        {"latin1 \xe9\xff", "latin1 \xe9\xff"},
        {"back\\slash", "back\\slash"},
        {std::string("nul\0", 4), "nul\\x00"},
    };
    for (auto& k : cases) EXPECT_EQ(Escaped(k.name), k.shown) << k.shown;
}

TEST(Printable, MessagesKeepTheirOwnLineBreaksButNotThoseOfNames) {
    const std::string src = "/d/a\nb\x1b.txt", out = "/d/a\nb\x1b.kvr", stem = "a\nb\x1b";
    const std::string question = "In Encripting The File ' " + src + " ' ,' " + out + " ' Found.\n" +
                                 "To Replace The File Press 'YES' , To Create With ' /d/" + stem +
                                 "1.kvr ' Press 'NO' Button";
    EXPECT_EQ(ForTerminal(question, {src, "/d", stem, ".txt", "", out}),
              "In Encripting The File ' /d/a\\nb\\x1b.txt ' ,' /d/a\\nb\\x1b.kvr ' Found.\n"
              "To Replace The File Press 'YES' , To Create With ' /d/a\\nb\\x1b1.kvr ' Press 'NO' Button");
    // A control byte outside any known name is still escaped; a line break there is kept.
    EXPECT_EQ(ForTerminal("x\x1b[2J\ny\tz", {}), "x\\x1b[2J\ny\\tz");
    EXPECT_EQ(ForTerminal("Selected File(s) : 1 , \n Encrypted", {"plain"}), "Selected File(s) : 1 , \n Encrypted");
}

}  // namespace
}  // namespace ombrix::cli
