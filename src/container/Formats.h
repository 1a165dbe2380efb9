// Every container format the program knows, in one list: adding a format is
// adding its codec here. The first is the one new containers are written in.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "container/Codec.h"

namespace ombrix::container {

struct Format {
    std::string_view suffix;  // with its dot; containers are recognised by it, in any letter case
    std::string_view label;   // what it is worth, for the user choosing it
    std::unique_ptr<Codec> (*make)();
};

std::span<const Format> Formats();
// The format of this suffix (with its dot, in any letter case), or nullptr.
const Format* FindFormat(std::string_view suffix);

// The suffixes in the list's order, for texts: "A", "A and B", "A, B and C"
// (or "A or B" ...).
std::string SuffixList(std::string_view conjunction = "and");

// Whether a file name ends in a container suffix, in any letter case.
bool IsContainerName(std::string_view name);

// One codec of each format, for one job.
class Codecs {
public:
    Codecs();
    // What new containers are written with when nothing else was chosen.
    Codec& Default() { return *codecs_.front(); }
    // What new containers are written with when `suffix` was chosen (see
    // FindFormat); the default for a suffix of no format ("" among them).
    Codec& ForNewContainers(std::string_view suffix);
    // The codec of the format whose suffix is "." + ext (ext in lower case), or nullptr.
    Codec* ForExtension(std::string_view ext);
    // Every codec forgets what it kept for the batch.
    void EndBatch();

private:
    std::vector<std::unique_ptr<Codec>> codecs_;
};

}  // namespace ombrix::container
