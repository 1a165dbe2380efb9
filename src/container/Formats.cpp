#include "container/Formats.h"

#include "container/kvr/Descriptor.h"
#include "container/kvx/Descriptor.h"

namespace ombrix::container {
namespace {

// One line per format; the first is what new containers are written in.
constexpr const Format* kFormats[] = {
    &kvr::kFormat,
    &kvx::kFormat,
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The last bytes of name are suffix, in any letter case.
bool EndsIn(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    name.remove_prefix(name.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (Lower(name[i]) != suffix[i]) return false;
    return true;
}

}  // namespace

std::span<const Format* const> Formats() { return kFormats; }

const Format& DefaultFormat() { return *kFormats[0]; }

const Format* FindFormat(std::string_view suffix) {
    for (const Format* f : kFormats)
        if (suffix.size() == f->suffix.size() && EndsIn(suffix, f->suffix)) return f;
    return nullptr;
}

const Format* FindFormatNamed(std::string_view name) {
    for (const Format* f : kFormats)
        if (name.size() == f->name.size() && EndsIn(name, f->name)) return f;
    return nullptr;
}

const Format* FormatWithTerminators() {
    for (const Format* f : kFormats)
        if (!f->nameTerminator.empty() && !f->passwordTerminator.empty()) return f;
    return nullptr;
}

std::string ListOf(const std::vector<std::string>& items, std::string_view conjunction) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? " " + std::string(conjunction) + " " : ", ";
        text += items[i];
    }
    return text;
}

std::string SuffixList(std::string_view conjunction) {
    std::vector<std::string> suffixes;
    for (const Format* f : kFormats) suffixes.emplace_back(f->suffix);
    return ListOf(suffixes, conjunction);
}

bool IsContainerName(std::string_view name) {
    for (const Format* f : kFormats)
        if (EndsIn(name, f->suffix)) return true;
    return false;
}

Codecs::Codecs() {
    for (const Format* f : kFormats) codecs_.push_back(f->make());
}

Codec* Codecs::ForExtension(std::string_view ext) {
    for (std::size_t i = 0; i < std::size(kFormats); ++i)
        if (kFormats[i]->suffix.substr(1) == ext) return codecs_[i].get();
    return nullptr;
}

Codec& Codecs::ForNewContainers(std::string_view suffix) {
    for (std::size_t i = 0; i < std::size(kFormats); ++i)
        if (kFormats[i] == FindFormat(suffix)) return *codecs_[i];
    return Default();
}

void Codecs::EndBatch() {
    for (auto& c : codecs_) c->EndBatch();
}

}  // namespace ombrix::container
