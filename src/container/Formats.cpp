#include "container/Formats.h"

#include "container/kvr/Kvr.h"
#include "container/kvx/Kvx.h"

namespace ombrix::container {
namespace {

constexpr Format kFormats[] = {
    {kvr::kSuffix, "compatible, not protected", kvr::MakeCodec},
    {kvx::kSuffix, "encrypted (Argon2id, XChaCha20-Poly1305)", kvx::MakeCodec},
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

std::span<const Format> Formats() { return kFormats; }

const Format* FindFormat(std::string_view suffix) {
    for (const Format& f : kFormats)
        if (suffix.size() == f.suffix.size() && EndsIn(suffix, f.suffix)) return &f;
    return nullptr;
}

std::string SuffixList(std::string_view conjunction) {
    std::string text;
    for (std::size_t i = 0; i < std::size(kFormats); ++i) {
        if (i > 0) text += i + 1 == std::size(kFormats) ? " " + std::string(conjunction) + " " : ", ";
        text += kFormats[i].suffix;
    }
    return text;
}

bool IsContainerName(std::string_view name) {
    for (const Format& f : kFormats)
        if (EndsIn(name, f.suffix)) return true;
    return false;
}

Codecs::Codecs() {
    for (const Format& f : kFormats) codecs_.push_back(f.make());
}

Codec* Codecs::ForExtension(std::string_view ext) {
    for (std::size_t i = 0; i < std::size(kFormats); ++i)
        if (kFormats[i].suffix.substr(1) == ext) return codecs_[i].get();
    return nullptr;
}

Codec& Codecs::ForNewContainers(std::string_view suffix) {
    const Format* f = FindFormat(suffix);
    return f ? *codecs_[static_cast<std::size_t>(f - kFormats)] : Default();
}

void Codecs::EndBatch() {
    for (auto& c : codecs_) c->EndBatch();
}

}  // namespace ombrix::container
