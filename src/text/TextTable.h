// Tables of texts, one per front end, ready for translation: each text has a
// name (an enumerator) and a pattern whose variable parts are %1 to %9,
// filled in by Say. A translation changes the patterns alone; the number of
// parts a call passes is checked against its pattern when it compiles.
//
// A table is an array of TextEntry<Id> in the enumerators' order, declared
// with OMBRIX_TEXT_TABLE(Id, table) so that Say finds it.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace ombrix::text {

template <class Id>
struct TextEntry {
    Id id;
    std::string_view pattern;
};

// The highest %n in a pattern: how many parts it takes.
constexpr int Arity(std::string_view pattern) {
    int n = 0;
    for (std::size_t i = 0; i + 1 < pattern.size(); ++i)
        if (pattern[i] == '%' && pattern[i + 1] >= '1' && pattern[i + 1] <= '9' && pattern[i + 1] - '0' > n)
            n = pattern[i + 1] - '0';
    return n;
}

// Every entry sits at its enumerator's place, and uses each of its parts.
template <class Id, std::size_t N>
constexpr bool InOrder(const TextEntry<Id> (&table)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (static_cast<std::size_t>(table[i].id) != i) return false;
        for (int k = 1; k <= Arity(table[i].pattern); ++k) {
            const char mark[] = {'%', static_cast<char>('0' + k)};
            if (table[i].pattern.find(std::string_view(mark, 2)) == std::string_view::npos) return false;
        }
    }
    return true;
}

// The pattern with %1 ... replaced by the parts, in one pass: a part that
// holds "%1" itself stays as it is.
inline std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> parts) {
    std::string out;
    out.reserve(pattern.size() + 64);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto k = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (k < parts.size()) out += parts.begin()[k];
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

// The text named id, its parts filled in.
template <auto id, class... Parts>
std::string Say(const Parts&... parts) {
    constexpr std::string_view pattern = PatternOf(id);
    static_assert(Arity(pattern) == sizeof...(Parts), "the text takes another number of parts");
    return Fill(pattern, {std::string_view(parts)...});
}

}  // namespace ombrix::text

// Makes a table the one Say reads for its enumeration, checking its order.
#define OMBRIX_TEXT_TABLE(Id, table)                                                     \
    static_assert(::ombrix::text::InOrder(table), #table " is out of its names' order"); \
    constexpr std::string_view PatternOf(Id id) { return table[static_cast<std::size_t>(id)].pattern; }
