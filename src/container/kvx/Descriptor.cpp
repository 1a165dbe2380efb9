#include "container/kvx/Descriptor.h"

#include "container/kvx/Kvx.h"

namespace ombrix::kvx {
namespace {

constexpr std::string_view kSignatures[] = {{"\x89KVX\r\n\x1a\n", 8}};

constexpr bool IsMagic(std::string_view s) {
    if (s.size() != kMagic.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (static_cast<std::uint8_t>(s[i]) != kMagic[i]) return false;
    return true;
}
static_assert(IsMagic(kSignatures[0]));

}  // namespace

constinit const container::Format kFormat{
    .suffix = kSuffix,
    .name = "kvx",
    .mimeType = "application/x-ombrix-kvx",
    .mimeComment = "Ombrix .kvx encrypted container",
    .magic = kSignatures,
    .iconDrawing = "src/container/kvx/icon.svg",
    .refusesEmptyPassword = true,
    .label = "encrypted (Argon2id, XChaCha20-Poly1305)",
    .about = "is encrypted and authenticated",
    .naming = "keeps the whole name",
    .restoring = "under the container's name without `.kvx` (in any letter case)",
    .help =
        "really encrypts: a key is derived from the password (Argon2id), and the contents are encrypted and "
        "sealed with it (XChaCha20-Poly1305). Without the password they cannot be read. A container that was "
        "changed, cut short or made longer is refused, and nothing is restored from it.\n"
        "\n"
        "What `.kvx` does not hide: the file's name (it is the container's own name), its size (the container's "
        "size gives it away), its dates and its permissions. A weak password stays weak.\n"
        "\n"
        "Deriving the key takes about a second, once per password in a batch: many files encrypted together with "
        "one password cost that second once, and once again when they are decrypted.",
    .manual =
        "Real encryption: a key derived from the password with Argon2id locks a random key made for each file, "
        "and that key encrypts the contents with XChaCha20-Poly1305 in authenticated pieces of 1 MiB. Without "
        "the password the contents cannot be read. A container that was changed, cut short or extended is "
        "refused, and nothing is restored from it: the restored file takes its name only after the whole "
        "container has been verified.\n"
        "\n"
        "Not protected: the file's name (it is the container's own name), its size (the container's size gives "
        "it away), its time stamps and its permissions. How strong the password is, is up to you.\n"
        "\n"
        "The key derivation takes about a second and 256 MiB of memory. It runs once per password in a batch: "
        "encrypting many files with one password costs one derivation, and so does decrypting the containers "
        "of that batch.",
    .appStream =
        "the contents. A `.kvx` container is encrypted and authenticated, with a key derived from the "
        "password by Argon2id and XChaCha20-Poly1305: without the password nobody can read it, and a "
        "container that was changed, cut short or extended is refused, with nothing restored from it. It "
        "does not hide the file's name (the container is named after it), its size, its dates or its "
        "permissions, and it is only as strong as the password.",
    .make = MakeCodec,
};

}  // namespace ombrix::kvx
