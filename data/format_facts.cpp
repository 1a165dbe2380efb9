// Fills the installed files' templates from the one list of formats, at
// build time, so that no data file names a format by hand:
//   format_facts fill TEMPLATE OUTPUT   every @NAME@ in TEMPLATE replaced
//   format_facts icons SOURCE_DIR DIR   each type's drawing copied to DIR/<icon>.svg
// A placeholder it does not know is an error, so templates and list stay in step.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "container/Codec.h"
#include "container/Formats.h"

namespace {

using ombrix::container::DefaultFormat;
using ombrix::container::Format;
using ombrix::container::Formats;
using ombrix::container::ListOf;

std::string S(std::string_view v) { return std::string(v); }

bool IsDefault(const Format& f) { return &f == &DefaultFormat(); }

// --- the texts' one markup: `name`, and paragraphs split by an empty line ---

std::vector<std::string> Paragraphs(std::string_view text) {
    std::vector<std::string> out;
    for (std::size_t at = 0; at <= text.size();) {
        std::size_t end = text.find("\n\n", at);
        if (end == std::string_view::npos) end = text.size();
        out.emplace_back(text.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

// Each `name` through name(), the text between through plain().
std::string Marked(std::string_view text, const std::function<std::string(std::string_view)>& plain,
                   const std::function<std::string(std::string_view)>& name) {
    std::string out;
    bool inName = false;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('`', at);
        if (end == std::string_view::npos) end = text.size();
        out += inName ? name(text.substr(at, end - at)) : plain(text.substr(at, end - at));
        inName = !inName;
        at = end + 1;
    }
    return out;
}

// The help text: names in double quotes.
std::string Help(std::string_view text) {
    return Marked(text, S, [](std::string_view n) { return "\"" + S(n) + "\""; });
}

std::string RoffEscaped(std::string_view text, bool name) {
    std::string out;
    for (char c : text) {
        if (c == '\\') out += "\\e";
        else if (c == '-' && name) out += "\\-";
        else out += c;
    }
    return out;
}
std::string RoffName(std::string_view n) { return "\\fI" + RoffEscaped(n, true) + "\\fR"; }
std::string RoffBold(std::string_view n) { return "\\fB" + RoffEscaped(n, true) + "\\fR"; }
// A man page's text: names in italics, each sentence on a line of its own,
// and no line a formatter takes for a request.
std::string Roff(std::string_view text) {
    const std::string marked = Marked(
        text, [](std::string_view t) { return RoffEscaped(t, false); }, RoffName);
    std::string out;
    for (std::size_t i = 0; i < marked.size(); ++i) {
        const bool lineStart = out.empty() || out.back() == '\n';
        if (lineStart && (marked[i] == '.' || marked[i] == '\'')) out += "\\&";
        const bool sentenceEnds = marked[i] == '.' && i + 2 < marked.size() && marked[i + 1] == ' ' &&
                                  ((marked[i + 2] >= 'A' && marked[i + 2] <= 'Z') || marked[i + 2] == '\\');
        out += marked[i];
        if (sentenceEnds) {
            out += '\n';
            ++i;
        }
    }
    return out;
}

std::string XmlEscaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '"') out += "&quot;";
        else out += c;
    }
    return out;
}
// AppStream and shared-mime-info: names as they are.
std::string Xml(std::string_view text) {
    const auto escaped = [](std::string_view t) { return XmlEscaped(t); };
    return Marked(text, escaped, escaped);
}

// Lines of at most width characters, broken at blanks, each after indent.
std::string Wrapped(const std::string& text, std::size_t width, const std::string& indent = "") {
    std::string out, line;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (!line.empty() && indent.size() + line.size() + 1 + word.size() > width) {
            out += indent + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return out + indent + line;
}

// "A, or B"; "A, B, or C": for items that hold commas of their own.
std::string Listed(const std::vector<std::string>& items, const std::string& conjunction) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i == 0 ? "" : i + 1 == items.size() ? ", " + conjunction + " " : ", ") + items[i];
    return out;
}

// --- facts every medium needs ---

// What the format's codec names a file "report.txt", or its numbered alternative.
std::string ContainerName(const Format& f, const std::string& name, const std::string& withoutExtension,
                          const std::string& number = "") {
    const auto parts = f.make()->ContainerName(name, withoutExtension);
    return parts.stem + number + parts.tail;
}
std::string ReportName(const Format& f, const std::string& number = "") {
    return ContainerName(f, "report.txt", "report", number);
}

template <class F>
std::vector<std::string> Each(F text) {
    std::vector<std::string> out;
    for (const Format* f : Formats()) out.push_back(text(*f));
    return out;
}

std::string Joined(const std::vector<std::string>& items, const std::string& between) {
    std::string out;
    for (const auto& i : items) out += (out.empty() ? "" : between) + i;
    return out;
}

std::string CountWord(std::size_t n) {
    static const char* const words[] = {"no", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine"};
    return n < std::size(words) ? words[n] : std::to_string(n);
}
// "both" for two, "all three" for three.
std::string AllOf(std::size_t n) { return n == 2 ? "both" : n == 1 ? "the one" : "all " + CountWord(n); }
std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// "A `.x` container keeps the whole name: `report.txt` becomes `report.txt.x`"
std::string NamingSentence(const Format& f) {
    return "A `" + S(f.suffix) + "` container " + S(f.naming) + ": `report.txt` becomes `" + ReportName(f) + "`";
}

std::vector<std::string> Refusing(std::string (*shown)(std::string_view)) {
    std::vector<std::string> out;
    for (const Format* f : Formats())
        if (f->refusesEmptyPassword) out.push_back(shown(f->suffix));
    return out;
}

// The paragraphs on one format, first of all the one that ends with what
// the list adds: that an empty password is refused, and how it is named.
std::vector<std::string> Described(const Format& f, std::string_view text, bool naming) {
    std::vector<std::string> paragraphs = Paragraphs(text);
    if (f.refusesEmptyPassword) paragraphs[0] += " An empty password is refused.";
    if (naming) paragraphs[0] += " " + NamingSentence(f) + "; decrypting restores the file " + S(f.restoring) + ".";
    return paragraphs;
}

std::string HelpFormats() {
    return Joined(Each([](const Format& f) {
                      std::vector<std::string> p = Described(f, f.help, false);
                      p[0] = "`" + S(f.suffix) + "`" + (IsDefault(f) ? ", the default, " : " ") + p[0];
                      for (auto& t : p) t = Help(t);
                      return Joined(p, "\n\n");
                  }),
                  "\n\n");
}

std::string ManFormats() {
    return Joined(Each([](const Format& f) {
                      std::string out = ".TP\n.I " + RoffEscaped(f.suffix, true) + "\n";
                      if (IsDefault(f)) out += "The default.\n";
                      std::vector<std::string> p = Described(f, f.manual, true);
                      for (std::size_t i = 0; i < p.size(); ++i) out += (i ? ".IP\n" : "") + Roff(p[i]) + "\n";
                      return out;
                  }),
                  "");
}

std::string MimeTypes() {
    return Joined(Each([](const Format& f) {
                      std::string out = "  <mime-type type=\"" + Xml(f.mimeType) + "\">\n";
                      out += "    <comment>" + Xml(f.mimeComment) + "</comment>\n";
                      out += "    <generic-icon name=\"application-x-generic\"/>\n";
                      out += "    <glob pattern=\"*" + Xml(f.suffix) + "\"/>\n";
                      if (!f.magic.empty()) {
                          out += "    <magic priority=\"60\">\n";
                          for (std::string_view m : f.magic) {
                              // Bytes as they are where printable, else \xNN; a hex
                              // digit right after an escape is escaped too.
                              std::string value;
                              bool escaped = false;
                              for (unsigned char c : m) {
                                  char hex[8];
                                  std::snprintf(hex, sizeof hex, "\\x%02x", c);
                                  escaped = c <= ' ' || c >= 0x7f || c == '\\' || (escaped && std::isxdigit(c));
                                  value += escaped ? hex : std::string(1, char(c));
                              }
                              out +=
                                  "      <match type=\"string\" offset=\"0\" value=\"" + XmlEscaped(value) + "\"/>\n";
                          }
                          out += "    </magic>\n";
                      }
                      return out + "  </mime-type>";
                  }),
                  "\n");
}

std::string IconName(const Format& f) {
    std::string name = S(f.mimeType);
    for (char& c : name)
        if (c == '/') c = '-';
    return name;
}

std::map<std::string, std::string> Facts() {
    const Format& def = DefaultFormat();
    const std::size_t n = Formats().size();
    const auto suffix = [](const Format& f) { return S(f.suffix); };
    const auto name = [](const Format& f) { return S(f.name); };
    const auto quoted = [](const Format& f) { return "\"" + S(f.suffix) + "\""; };
    const auto roffSuffix = [](const Format& f) { return RoffName(f.suffix); };
    std::map<std::string, std::string> facts = {
        {"SUFFIXES_OR", ListOf(Each(suffix), "or")},
        {"SUFFIXES_AND", ListOf(Each(suffix), "and")},
        {"NAMES", Joined(Each(name), " ")},
        {"SUFFIXES_BAR", Joined(Each(suffix), "|")},
        {"DEFAULT_NAME", S(def.name)},

        {"HELP_SUFFIXES_OR", ListOf(Each(quoted), "or")},
        {"HELP_SUFFIXES_AND", ListOf(Each(quoted), "and")},
        {"HELP_DEFAULT_SUFFIX", quoted(def)},
        {"HELP_KINDS", Upper(CountWord(n)) + (n == 1 ? " KIND" : " KINDS")},
        {"HELP_FORMATS", HelpFormats()},
        {"HELP_NAMING", Joined(Each([](const Format& f) { return Help(NamingSentence(f) + "."); }), " ")},
        {"HELP_RESTORING",
         Joined(Each([](const Format& f) { return Help("from `" + S(f.suffix) + "` " + S(f.restoring)); }), ", ")},
        {"HELP_NUMBERED", "\"" + ReportName(def, "1") + "\", \"" + ReportName(def, "2") + "\""},

        {"MAN_SUFFIXES_OR", ListOf(Each(roffSuffix), "or")},
        {"MAN_DEFAULT_SUFFIX", RoffName(def.suffix)},
        {"MAN_CHOICES",
         Joined(Each([](const Format& f) { return RoffName(f.suffix) + " \\(en " + S(f.label); }), ";\n")},
        {"MAN_ALL_KINDS", AllOf(n) + (n == 1 ? " kind" : " kinds")},
        {"MAN_FORMATS", ManFormats()},
        {"MAN_CLI_NAMING", RoffName("report.txt") + " becomes " +
                               Listed(Each([](const Format& f) {
                                          return RoffName(ReportName(f)) +
                                                 (IsDefault(f) ? " by default"
                                                               : " with " + RoffBold("--format " + S(f.name)));
                                      }),
                                      "or")},
        {"MAN_RESTORING", Listed(Each([](const Format& f) {
                                     return "a " + RoffName(f.suffix) + " container's file " + Roff(f.restoring);
                                 }),
                                 "and")},
        {"MAN_NUMBERED", RoffName(ReportName(def, "1")) + ", " + RoffName(ReportName(def, "2"))},
        {"MAN_FORMAT_OPTION", ".BR \\-\\-format \" \" " + Joined(Each(name), " | ")},
        {"MAN_FORMAT_NAMES",
         ListOf(Each([](const Format& f) { return RoffBold(f.name) + (IsDefault(f) ? " (the default)" : ""); }), "or")},
        {"MAN_EMPTY_REFUSED",
         Refusing(RoffName).empty()
             ? ""
             : ", which " + ListOf(Refusing(RoffName)) + (Refusing(RoffName).size() == 1 ? " refuses" : " refuse")},
        {"MAN_EXAMPLE_REPORT", RoffName("out/" + ContainerName(def, "report.doc", "report"))},
        {"MAN_EXAMPLE_NOTES", RoffName("out/" + ContainerName(def, "notes.txt", "notes"))},
        {"MAN_DEFAULT_GLOB", RoffEscaped("out/*" + S(def.suffix), true)},
        {"MAN_FORMAT_EXAMPLES", Joined(Each([](const Format& f) -> std::string {
                                           if (IsDefault(f)) return "";
                                           return ".TP\n.B ombrix\\-cli encrypt \\-\\-format " + S(f.name) +
                                                  " \\-p pwfile *.pdf\nEncrypts every PDF file of the folder into a\n" +
                                                  ".I " + RoffEscaped(f.suffix, true) +
                                                  "\ncontainer beside it\n.RI ( a.pdf \" becomes \" " +
                                                  RoffEscaped(ContainerName(f, "a.pdf", "a"), true) + " ).\n";
                                       }),
                                       "")},

        {"APPSTREAM_FORMATS", Joined(Each([](const Format& f) {
                                         const std::string text = "`" + S(f.suffix) + "`: " + S(f.appStream) +
                                                                  (IsDefault(f) ? " It is the default." : "");
                                         return "      <li>\n" + Wrapped(Xml(text), 84, "        ") + "\n      </li>";
                                     }),
                                     "\n")},
        {"APPSTREAM_ALL", AllOf(n)},
        {"APPSTREAM_MEDIATYPES",
         Joined(Each([](const Format& f) { return "    <mediatype>" + Xml(f.mimeType) + "</mediatype>"; }), "\n")},

        {"DESKTOP_KEYWORDS", Joined(Each([&](const Format& f) { return name(f) + ";"; }), "")},
        {"DESKTOP_MIME_TYPES", Joined(Each([](const Format& f) { return S(f.mimeType) + ";"; }), "")},
        {"MIME_TYPES", MimeTypes()},

        {"BASH_GLOBS", Joined(Each([](const Format& f) { return "*" + S(f.suffix); }), " | ")},
        {"ZSH_FORMATS", Joined(Each([](const Format& f) { return S(f.name) + "\\:\"" + S(f.label) + "\""; }), " ")},

        {"PACKAGE_FORMATS", Wrapped("Container formats: " +
                                        Joined(Each([](const Format& f) {
                                                   return "a " + S(f.suffix) + " container" +
                                                          (IsDefault(f) ? ", the default," : "") + " " + S(f.about);
                                               }),
                                               "; ") +
                                        ".",
                                    72)},
    };
    return facts;
}

int Fill(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) {
        std::cerr << "format_facts: cannot read " << from << "\n";
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    const std::string t = text.str();
    const auto facts = Facts();
    std::string out;
    for (std::size_t at = 0; at < t.size();) {
        const std::size_t open = t.find('@', at);
        const std::size_t close = open == std::string::npos ? open : t.find('@', open + 1);
        const std::string key = close == std::string::npos ? "" : t.substr(open + 1, close - open - 1);
        const bool placeholder =
            !key.empty() && key.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_") == std::string::npos;
        if (!placeholder) {
            const std::size_t upto = open == std::string::npos ? t.size() : open + 1;
            out += t.substr(at, upto - at);
            at = upto;
            continue;
        }
        const auto fact = facts.find(key);
        if (fact == facts.end()) {
            std::cerr << from << ": no fact named @" << key << "@\n";
            return 1;
        }
        out += t.substr(at, open - at) + fact->second;
        at = close + 1;
    }
    std::ofstream o(to, std::ios::binary);
    o << out;
    return o.flush() ? 0 : 1;
}

int Icons(const std::string& sourceDir, const std::string& dir) {
    for (const Format* f : Formats()) {
        const std::string from = sourceDir + "/" + S(f->iconDrawing), to = dir + "/" + IconName(*f) + ".svg";
        std::ifstream in(from, std::ios::binary);
        std::ofstream out(to, std::ios::binary);
        if (!in || !(out << in.rdbuf()) || !out.flush()) {
            std::cerr << "format_facts: cannot copy " << from << " to " << to << "\n";
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (argc == 4 && command == "fill") return Fill(argv[2], argv[3]);
    if (argc == 4 && command == "icons") return Icons(argv[2], argv[3]);
    std::cerr << "usage: format_facts fill TEMPLATE OUTPUT | icons SOURCE_DIR DIR\n";
    return 2;
}
