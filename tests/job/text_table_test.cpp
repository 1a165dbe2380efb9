// The texts' patterns take their parts once, as they are: a file name that
// holds "%1" or a "%" is shown as it is.
#include <gtest/gtest.h>

#include "job/Texts.h"

namespace ombrix::test {
namespace {

using text::Fill;
using text::Say;

TEST(TextTableTest, PartsGoInOnceAndAsTheyAre) {
    const struct {
        const char* what;
        std::string_view pattern;
        std::vector<std::string_view> parts;
        std::string text;
    } cases[] = {
        {"in order", "%1 and %2", {"a", "b"}, "a and b"},
        {"out of order, twice", "%2 %1 %2", {"a", "b"}, "b a b"},
        {"a part that holds a mark", "' %1 ' and %2", {"%2%1", "b"}, "' %2%1 ' and b"},
        {"a % that marks nothing", "100% of %1%", {"it"}, "100% of it%"},
        {"a mark at the end", "ends in %", {}, "ends in %"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string text;
        switch (c.parts.size()) {
        case 0: text = Fill(c.pattern, {}); break;
        case 1: text = Fill(c.pattern, {c.parts[0]}); break;
        default: text = Fill(c.pattern, {c.parts[0], c.parts[1]}); break;
        }
        EXPECT_EQ(text, c.text);
    }
    EXPECT_EQ(text::Arity("%1 %3 %2"), 3);
    EXPECT_EQ(text::Arity("100%"), 0);
    // A file name with a mark in a real message.
    EXPECT_EQ(Say<JobText::NotDeleted>("/tmp/50%1.txt"),
              "File ' /tmp/50%1.txt ' is Not Deleted Due to Access Failure.");
}

}  // namespace
}  // namespace ombrix::test
