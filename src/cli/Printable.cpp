#include "cli/Printable.h"

namespace ombrix::cli {
namespace {

bool Between(unsigned char c, unsigned lo, unsigned hi) { return c >= lo && c <= hi; }

// Length of the valid UTF-8 sequence at s[i], 0 when there is none.
std::size_t SequenceAt(std::string_view s, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char c = at(0);
    if (c < 0x80) return 1;
    std::size_t n;
    unsigned lo = 0x80, hi = 0xBF;  // the allowed range of the second byte
    if (Between(c, 0xC2, 0xDF)) n = 2;
    else if (Between(c, 0xE0, 0xEF)) n = 3;
    else if (Between(c, 0xF0, 0xF4)) n = 4;
    else return 0;
    if (c == 0xE0) lo = 0xA0;       // no overlong forms
    else if (c == 0xED) hi = 0x9F;  // no surrogates
    else if (c == 0xF0) lo = 0x90;  // no overlong forms
    else if (c == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
    if (i + n > s.size() || !Between(at(1), lo, hi)) return 0;
    for (std::size_t k = 2; k < n; ++k)
        if (!Between(at(k), 0x80, 0xBF)) return 0;
    return n;
}

void Hex(std::string& out, unsigned char c) {
    static const char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[c >> 4];
    out += digits[c & 15];
}

// Appends the character or lone byte at s[i] and returns its length.
std::size_t AppendOne(std::string& out, std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = SequenceAt(s, i);
    if (n == 1 && (c < 0x20 || c == 0x7F)) {
        if (c == '\t') out += "\\t";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else Hex(out, c);
    } else if (n == 2 && c == 0xC2 && Between(static_cast<unsigned char>(s[i + 1]), 0x80, 0x9F)) {
        Hex(out, c);
        Hex(out, static_cast<unsigned char>(s[i + 1]));
    } else if (n == 0 && Between(c, 0x80, 0x9F)) {
        Hex(out, c);
    } else {
        out.append(s.substr(i, n ? n : 1));
    }
    return n ? n : 1;
}

}  // namespace

std::string Escaped(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) i += AppendOne(out, bytes, i);
    return out;
}

std::string ForTerminal(std::string_view text, const std::vector<std::string>& names) {
    std::vector<std::string_view> marked;  // only names that need escaping
    for (const auto& n : names)
        if (!n.empty() && Escaped(n) != n) marked.emplace_back(n);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t name = 0;
        for (auto n : marked)
            if (n.size() > name && text.substr(i, n.size()) == n) name = n.size();
        if (name > 0) {
            out += Escaped(text.substr(i, name));
            i += name;
        } else if (text[i] == '\n') {
            out += '\n';
            ++i;
        } else {
            i += AppendOne(out, text, i);
        }
    }
    return out;
}

}  // namespace ombrix::cli
