// One container format, as the program and its installed files speak of it.
// Each codec's folder holds its one Format; Formats.cpp lists them, and
// everything that names formats (the window, the command line, the data
// files generated at build time) reads them from that list.
#pragma once

#include <memory>
#include <span>
#include <string_view>

namespace ombrix::container {

class Codec;

struct Format {
    // --- names ---
    std::string_view suffix;       // with its dot; containers are recognised by it, in any letter case
    std::string_view name;         // what --format takes and the completions offer
    std::string_view mimeType;     // "application/x-ombrix-" + name
    std::string_view mimeComment;  // what file managers call such a file
    // Bytes a container starts with, each a signature of its own, for file
    // managers that meet one without its suffix; none when its first bytes
    // hold nothing fixed.
    std::span<const std::string_view> magic;
    // The type's icon: an SVG drawing, relative to the source tree's top.
    std::string_view iconDrawing;

    // --- what it does ---
    // An empty password is refused when encrypting (the codec asks this).
    bool refusesEmptyPassword = false;
    // The terminators that end the stored name and the stored password in a
    // header, for a format that stores both that way; empty otherwise.
    std::string_view nameTerminator = {}, passwordTerminator = {};

    // --- what the texts say of it ---
    // In the texts below, `x` marks a name (a suffix, a file name), shown as
    // each medium shows names; paragraphs are separated by an empty line.
    std::string_view label;      // what it is worth, for the user choosing it (picker, --help)
    std::string_view about;      // completes "A .x container ..." in the About box
    std::string_view naming;     // completes "A .x container ...": how it is named
    std::string_view restoring;  // how decrypting names the file it restores
    // Each completes "`.x` ...": the help text's, the man pages' and the
    // AppStream description's paragraphs on it.
    std::string_view help, manual, appStream;

    std::unique_ptr<Codec> (*make)();
};

}  // namespace ombrix::container
