#include "dlgkit/Text.h"

#include <QStringDecoder>

namespace ombrix::dlg {

namespace {

// Length of the valid UTF-8 sequence at s[i], or 0.
std::size_t Utf8Length(const std::string& s, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((b(i + k) & 0xC0) != 0x80) return 0;
    if (n == 2 && c < 0xC2) return 0;  // overlong
    if (n == 3 && c == 0xE0 && b(i + 1) < 0xA0) return 0;
    if (n == 3 && c == 0xED && b(i + 1) >= 0xA0) return 0;  // surrogates
    if (n == 4 && (c > 0xF4 || (c == 0xF0 && b(i + 1) < 0x90) || (c == 0xF4 && b(i + 1) >= 0x90))) return 0;
    return n;
}

}  // namespace

QString ToQt(const std::string& bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t n = Utf8Length(bytes, i);
        if (n == 0) {
            out += QChar(static_cast<unsigned char>(bytes[i]));
            ++i;
        } else {
            out += QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(n));
            i += n;
        }
    }
    return out;
}

std::string FromQt(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return {utf8.constData(), static_cast<std::size_t>(utf8.size())};
}

}  // namespace ombrix::dlg
