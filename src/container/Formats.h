// Every container format the program knows, in one list (Formats.cpp): the
// first is the one new containers are written in.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "container/Codec.h"
#include "container/Format.h"

namespace ombrix::container {

std::span<const Format* const> Formats();
// The first of the list: what new containers are written in unless another is chosen.
const Format& DefaultFormat();
// The format of this suffix (with its dot, in any letter case), or nullptr.
const Format* FindFormat(std::string_view suffix);
// The format of this name (Format::name, in any letter case), or nullptr.
const Format* FindFormatNamed(std::string_view name);
// The first format whose header ends its stored name and password with
// terminators, or nullptr.
const Format* FormatWithTerminators();

// The suffixes in the list's order, for texts: "A", "A and B", "A, B and C"
// (or "A or B" ...).
std::string SuffixList(std::string_view conjunction = "and");
// Any texts joined the same way.
std::string ListOf(const std::vector<std::string>& items, std::string_view conjunction = "and");

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
