#include "cli/Options.h"

#include <algorithm>
#include <cstring>
#include <getopt.h>

#include "container/Formats.h"

namespace ombrix::cli {

namespace {

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
    std::string option = "      --format " + FormatNames();
    option.resize(std::max<std::size_t>(option.size() + 1, 28), ' ');
    std::string text = option + "the container encrypt writes each file into:\n";
    for (const container::Format* f : container::Formats()) {
        text += std::string(30, ' ') + std::string(f->name) + "  " + std::string(f->label);
        text += f == &container::DefaultFormat() ? " (the default)\n" : "\n";
    }
    return text + std::string(28, ' ') + "decrypt takes each container's format from its name\n";
}

// The end of the password file's help: which formats refuse the empty password.
std::string EmptyPasswordHelp() {
    std::vector<std::string> refusing;
    for (const container::Format* f : container::Formats())
        if (f->refusesEmptyPassword) refusing.emplace_back(f->name);
    if (refusing.empty()) return "\n";
    const std::string who = refusing.size() == 1 ? "a " + refusing[0] + " container refuses"
                                                 : container::ListOf(refusing) + " containers refuse";
    return ",\n" + std::string(28, ' ') + "which " + who + "\n";
}

}  // namespace

std::string Usage() {
    return "Usage: ombrix-cli encrypt [OPTIONS] FILE...\n"
           "       ombrix-cli decrypt [OPTIONS] FILE...\n"
           "Encrypt files into " +
           container::SuffixList("or") +
           " containers, or restore them, with a password.\n"
           "\n"
           "  -d, --dest DIR            every output into DIR (the \"specified directory\");\n"
           "                            without it, each output goes into its file's own directory\n"
           "  -p, --password-file F     the one password: the first line of F without its line end\n"
           "                            (\"-\" reads standard input); an empty first line is the empty password" +
           EmptyPasswordHelp() +
           "      --each                ask for a password for each file (needs a terminal)\n"
           "      --delete              delete each original after its file was processed\n"
           "      --replace ask|yes|no  the answer to the Replace question; default: ask when standard\n"
           "                            input is a terminal, otherwise no (the numbered alternative)\n" +
           FormatHelp() +
           "  -q, --quiet               no progress display\n"
           "  -h, --help                usage\n"
           "      --version             \"ombrix-cli 1.0\"\n"
           "\n"
           "Without -p or --each the password is asked on the terminal.\n"
           "Exit status: 0 when every file was processed (and with --delete every original deleted),\n"
           "1 otherwise, 2 for a usage error. SIGINT, SIGTERM and SIGHUP stop the batch: the file in\n"
           "progress gets no output, nothing more is deleted, and the program exits 130, 143 or 129.\n";
}

const char* const kVersion = "ombrix-cli 1.0\n";
const char* const kHint = "Try 'ombrix-cli --help'.";

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

// The option getopt refused: a long one as written, a short one as "-c".
std::string Offending(const char* lastArg) {
    if (std::strncmp(lastArg, "--", 2) == 0) return lastArg;
    return std::string("-") + static_cast<char>(optopt);
}

}  // namespace

ParseResult Parse(int argc, char** argv) {
    ParseResult r;
    Options& o = r.options;
    if (argc < 2) return Error("missing command: encrypt or decrypt");
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
    else return Error("unknown command '" + command + "': use encrypt or decrypt");

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
            if (!*optarg) return Error("--dest needs a directory");
            o.dest = optarg;
            break;
        case 'p':
            if (!*optarg) return Error("--password-file needs a file name (\"-\" for standard input)");
            o.passwordFile = optarg;
            break;
        case kEach: o.each = true; break;
        case kDelete: o.del = true; break;
        case kReplace:
            if (std::strcmp(optarg, "ask") == 0) o.replace = Replace::Ask;
            else if (std::strcmp(optarg, "yes") == 0) o.replace = Replace::Yes;
            else if (std::strcmp(optarg, "no") == 0) o.replace = Replace::No;
            else return Error("--replace takes ask, yes or no, not '" + std::string(optarg) + "'");
            break;
        case kFormat:
            if (const container::Format* f = container::FindFormatNamed(optarg)) o.format = f->suffix;
            else return Error("--format takes " + FormatNames() + ", not '" + std::string(optarg) + "'");
            break;
        case 'q': o.quiet = true; break;
        case 'h': o.help = true; return r;
        case kVersionOpt: o.version = true; return r;
        case ':': return Error("option '" + Offending(args[optind - 1]) + "' needs an argument");
        default: return Error("unknown option '" + Offending(args[optind - 1]) + "'");
        }
    }
    for (int i = optind; i < n; ++i) o.files.emplace_back(args[i]);
    if (o.files.empty()) return Error("no FILE given");
    if (o.each && o.passwordFile) return Error("--each and --password-file exclude each other");
    if (o.decrypt && !o.format.empty())
        return Error("--format is for encrypt: decrypt takes each container's format from its name");
    return r;
}

std::string Absolute(const std::string& path, const std::string& cwd) {
    if (!path.empty() && path.front() == '/') return path;
    if (!cwd.empty() && cwd.back() == '/') return cwd + path;
    return cwd + "/" + path;
}

}  // namespace ombrix::cli
