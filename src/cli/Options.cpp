#include "cli/Options.h"

#include <algorithm>
#include <cstring>
#include <getopt.h>

#include "cli/Texts.h"
#include "container/Formats.h"

namespace ombrix::cli {

namespace {

using text::Say;

// The names --format takes, "a|b".
std::string FormatNames() {
    std::string names;
    for (const container::Format* f : container::Formats()) {
        if (!names.empty()) names += '|';
        names += f->name;
    }
    return names;
}

// The --format lines of the help, one line per format.
std::string FormatHelp() {
    std::string option = Say<CliText::FormatOption>(FormatNames());
    option.resize(std::max<std::size_t>(option.size() + 1, 28), ' ');
    std::string text = option + Say<CliText::FormatLine>() + "\n";
    for (const container::Format* f : container::Formats()) {
        text += std::string(30, ' ') + std::string(f->name) + "  " + std::string(f->label);
        text += (f == &container::DefaultFormat() ? Say<CliText::FormatDefault>() : "") + "\n";
    }
    return text + std::string(28, ' ') + Say<CliText::FormatDecrypt>() + "\n";
}

// The end of the password file's help: which formats refuse the empty password.
std::string EmptyPasswordHelp() {
    std::vector<std::string> refusing;
    for (const container::Format* f : container::Formats())
        if (f->refusesEmptyPassword) refusing.emplace_back(f->name);
    if (refusing.empty()) return "\n";
    const std::string who = refusing.size() == 1
                                ? Say<CliText::EmptyPasswordRefusedByOne>(refusing[0])
                                : Say<CliText::EmptyPasswordRefusedByMany>(container::ListOf(refusing));
    return ",\n" + std::string(28, ' ') + who + "\n";
}

}  // namespace

std::string Usage() { return Say<CliText::Usage>(container::SuffixList("or"), EmptyPasswordHelp(), FormatHelp()); }

namespace {

enum LongOnly { kEach = 256, kDelete, kReplace, kFormat, kVersionOpt };

const option kLong[] = {
    {"dest", required_argument, nullptr, 'd'},
    {"password-file", required_argument, nullptr, 'p'},
    {"each", no_argument, nullptr, kEach},
    {"delete", no_argument, nullptr, kDelete},
    {"replace", required_argument, nullptr, kReplace},
    {"format", required_argument, nullptr, kFormat},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersionOpt},
    {nullptr, 0, nullptr, 0},
};

ParseResult Error(std::string text) { return {{}, std::move(text)}; }
using text::Say;

// The option getopt refused: a long one as written, a short one as "-c".
std::string Offending(const char* lastArg) {
    if (std::strncmp(lastArg, "--", 2) == 0) return lastArg;
    return std::string("-") + static_cast<char>(optopt);
}

}  // namespace

ParseResult Parse(int argc, char** argv) {
    ParseResult r;
    Options& o = r.options;
    if (argc < 2) return Error(Say<CliText::MissingCommand>());
    const std::string command = argv[1];
    if (command == "-h" || command == "--help") {
        o.help = true;
        return r;
    }
    if (command == "--version") {
        o.version = true;
        return r;
    }
    if (command == "encrypt") o.decrypt = false;
    else if (command == "decrypt") o.decrypt = true;
    else return Error(Say<CliText::UnknownCommand>(command));

    // getopt sees the command as its program name and skips it.
    int n = argc - 1;
    char** args = argv + 1;
    opterr = 0;
    optind = 1;
    for (;;) {
        int c = getopt_long(n, args, ":d:p:qh", kLong, nullptr);
        if (c == -1) break;
        switch (c) {
        case 'd':
            if (!*optarg) return Error(Say<CliText::DestNeedsFolder>());
            o.dest = optarg;
            break;
        case 'p':
            if (!*optarg) return Error(Say<CliText::PasswordFileNeedsName>());
            o.passwordFile = optarg;
            break;
        case kEach: o.each = true; break;
        case kDelete: o.del = true; break;
        case kReplace:
            if (std::strcmp(optarg, "ask") == 0) o.replace = Replace::Ask;
            else if (std::strcmp(optarg, "yes") == 0) o.replace = Replace::Yes;
            else if (std::strcmp(optarg, "no") == 0) o.replace = Replace::No;
            else return Error(Say<CliText::ReplaceTakes>(optarg));
            break;
        case kFormat:
            if (const container::Format* f = container::FindFormatNamed(optarg)) o.format = f->suffix;
            else return Error(Say<CliText::FormatTakes>(FormatNames(), optarg));
            break;
        case 'q': o.quiet = true; break;
        case 'h': o.help = true; return r;
        case kVersionOpt: o.version = true; return r;
        case ':': return Error(Say<CliText::NeedsArgument>(Offending(args[optind - 1])));
        default: return Error(Say<CliText::UnknownOption>(Offending(args[optind - 1])));
        }
    }
    for (int i = optind; i < n; ++i) o.files.emplace_back(args[i]);
    if (o.files.empty()) return Error(Say<CliText::NoFile>());
    if (o.each && o.passwordFile) return Error(Say<CliText::EachExcludesPasswordFile>());
    if (o.decrypt && !o.format.empty()) return Error(Say<CliText::FormatIsForEncrypt>());
    return r;
}

std::string Absolute(const std::string& path, const std::string& cwd) {
    if (!path.empty() && path.front() == '/') return path;
    if (!cwd.empty() && cwd.back() == '/') return cwd + path;
    return cwd + "/" + path;
}

}  // namespace ombrix::cli
