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
    std::unique_ptr<Codec> (*make)();
};

std::span<const Format> Formats();

// The suffixes in the list's order, for texts: "A", "A and B", "A, B and C".
std::string SuffixList();

// Whether a file name ends in a container suffix, in any letter case.
bool IsContainerName(std::string_view name);

// One codec of each format, for one job.
class Codecs {
public:
    Codecs();
    // What new containers are written with.
    Codec& Default() { return *codecs_.front(); }
    // The codec of the format whose suffix is "." + ext (ext in lower case), or nullptr.
    Codec* ForExtension(std::string_view ext);
    // Every codec forgets what it kept for the batch.
    void EndBatch();

private:
    std::vector<std::unique_ptr<Codec>> codecs_;
};

}  // namespace ombrix::container
