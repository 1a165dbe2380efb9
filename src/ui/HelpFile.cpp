#include "ui/HelpFile.h"

#include <cstdio>
#include <sys/stat.h>

namespace ombrix::ui {

bool ReadTextFile(const std::string& path, std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    struct stat st {};
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(f);
        return false;  // a folder of that name is no help file
    }
    int c;
    while ((c = std::getc(f)) != EOF && c != 0x1A) {
        if (c == '\r') {
            const int next = std::getc(f);
            if (next == '\n') {
                text += '\n';
                continue;
            }
            if (next != EOF) std::ungetc(next, f);
        }
        text += static_cast<char>(c);
    }
    std::fclose(f);
    return true;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    for (const char c : text) {
        if (c == '\n') std::putc('\r', f);
        std::putc(c, f);
    }
    return std::fclose(f) == 0;
}

std::string InstalledHelpFile(const std::string& programPath) {
    const std::size_t slash = programPath.rfind('/');
    const std::string bin = slash == std::string::npos ? "." : programPath.substr(0, slash);
    return bin + "/" OMBRIX_HELP_FROM_BIN "/" + kHelpFileName;
}

bool ReadHelpText(const std::string& installedCopy, std::string& text) {
    return ReadTextFile(kHelpFileName, text) || ReadTextFile(installedCopy, text);
}

}  // namespace ombrix::ui
