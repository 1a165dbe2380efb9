// The command line of ombrix-cli, parsed into settings. Parsing looks at no
// file and no terminal; what depends on them is decided in main.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ombrix::cli {

enum class Replace { Default, Ask, Yes, No };

struct Options {
    bool help = false;
    bool version = false;
    bool decrypt = false;
    std::vector<std::string> files;
    std::optional<std::string> dest;
    std::optional<std::string> passwordFile;  // "-" is standard input
    bool each = false;
    bool del = false;
    Replace replace = Replace::Default;
    std::string format;  // the suffix new containers take, with its dot; "" for the default
    bool quiet = false;
};

struct ParseResult {
    Options options;
    std::string error;  // non-empty: a usage error, one line
};

ParseResult Parse(int argc, char** argv);

// The --help text.
std::string Usage();

// path made absolute against cwd by prefixing it; links are not resolved.
std::string Absolute(const std::string& path, const std::string& cwd);

}  // namespace ombrix::cli
