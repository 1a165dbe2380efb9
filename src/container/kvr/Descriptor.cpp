#include "container/kvr/Descriptor.h"

#include "container/kvr/Kvr.h"

namespace ombrix::kvr {

constinit const container::Format kFormat{
    .suffix = kSuffix,
    .name = "kvr",
    .mimeType = "application/x-ombrix-kvr",
    .mimeComment = "Ombrix .kvr container",
    // The stored name comes first: nothing fixed at the start to know it by.
    .magic = {},
    .iconDrawing = "src/container/kvr/icon.svg",
    .refusesEmptyPassword = false,
    .nameTerminator = kFileCode,
    .passwordTerminator = kPassCode,
    .label = "compatible, not protected",
    .about = "is a byte shift, not cryptographic protection",
    .naming = "is named after the file with the extension `.kvr`",
    .restoring = "under the name stored in it",
    .help =
        "is kept so that existing containers open. It does not protect anything: it holds the file's name, the "
        "password and the file's bytes, each byte shifted by a small fixed amount. The shift uses no key, and the "
        "password is stored inside the container: anyone who knows the format can read the file without the "
        "password. Do not rely on it for secrets.",
    .manual =
        "Kept so that existing containers open. A `.kvr` container holds the file's name, the password and the "
        "file's bytes, each byte shifted by a small fixed amount. The shift uses no key, and the password is "
        "stored inside the container: anyone who knows the format can read the file without the password. It "
        "hides a file from a casual look; it does not protect it. Do not rely on it for secrets.",
    .appStream =
        "nothing against anyone who looks. A `.kvr` container is a reversible byte shift that keeps existing "
        "containers readable. The password is stored inside the file, and the shift can be undone without "
        "it. It hides a file from a casual glance; do not use it for secrets.",
    .make = MakeCodec,
};

}  // namespace ombrix::kvr
