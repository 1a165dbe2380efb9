// The header: field checks in the order a reader meets them, none of which
// derives a key, and the layout as stored.
#include <algorithm>
#include <cstring>

#include "container/kvx/Kvx.h"

namespace ombrix::kvx {
namespace {

std::uint32_t LoadLe32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

void StoreLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Field offsets.
constexpr std::size_t kVersionAt = 8, kKdfAt = 9, kReservedAt = 10, kOpsAt = 12, kMemAt = 16, kSaltAt = 20,
                      kWrapNonceAt = 36, kWrappedKeyAt = 60, kStreamHeaderAt = 108;
static_assert(kStreamHeaderAt + 24 == kHeaderSize);

template <std::size_t N>
void CopyOut(std::array<std::uint8_t, N>& to, const std::uint8_t* from) {
    std::memcpy(to.data(), from, N);
}

}  // namespace

bool Acceptable(const KdfParams& kdf) {
    return kdf.opsLimit >= 1 && kdf.opsLimit <= kMaxOpsLimit && kdf.memLimitKiB >= kMinMemLimitKiB &&
           kdf.memLimitKiB <= kMaxMemLimitKiB;
}

HeaderStatus ParseHeader(std::span<const std::uint8_t> bytes, Header* out) {
    const std::size_t magicSeen = std::min(bytes.size(), kMagic.size());
    if (!std::equal(bytes.begin(), bytes.begin() + magicSeen, kMagic.begin())) return HeaderStatus::BadMagic;
    if (bytes.size() < kHeaderSize) return HeaderStatus::TooShort;
    const std::uint8_t* p = bytes.data();
    if (p[kVersionAt] != kVersion) return HeaderStatus::BadVersion;
    if (p[kKdfAt] != kKdfArgon2id13) return HeaderStatus::BadKdf;
    if (p[kReservedAt] != 0 || p[kReservedAt + 1] != 0) return HeaderStatus::BadReserved;
    const KdfParams kdf{LoadLe32(p + kOpsAt), LoadLe32(p + kMemAt)};
    if (kdf.opsLimit < 1 || kdf.opsLimit > kMaxOpsLimit) return HeaderStatus::BadOpsLimit;
    if (kdf.memLimitKiB < kMinMemLimitKiB || kdf.memLimitKiB > kMaxMemLimitKiB) return HeaderStatus::BadMemLimit;
    if (out) {
        out->kdf = kdf;
        CopyOut(out->salt, p + kSaltAt);
        CopyOut(out->wrapNonce, p + kWrapNonceAt);
        CopyOut(out->wrappedKey, p + kWrappedKeyAt);
        CopyOut(out->streamHeader, p + kStreamHeaderAt);
    }
    return HeaderStatus::Ok;
}

std::array<std::uint8_t, kHeaderSize> HeaderBytes(const Header& h) {
    std::array<std::uint8_t, kHeaderSize> b{};
    std::copy(kMagic.begin(), kMagic.end(), b.begin());
    b[kVersionAt] = kVersion;
    b[kKdfAt] = kKdfArgon2id13;
    StoreLe32(b.data() + kOpsAt, h.kdf.opsLimit);
    StoreLe32(b.data() + kMemAt, h.kdf.memLimitKiB);
    std::copy(h.salt.begin(), h.salt.end(), b.begin() + kSaltAt);
    std::copy(h.wrapNonce.begin(), h.wrapNonce.end(), b.begin() + kWrapNonceAt);
    std::copy(h.wrappedKey.begin(), h.wrappedKey.end(), b.begin() + kWrappedKeyAt);
    std::copy(h.streamHeader.begin(), h.streamHeader.end(), b.begin() + kStreamHeaderAt);
    return b;
}

const char* ToString(Result r) {
    switch (r) {
    case Result::Ok: return "ok";
    case Result::BadHeader: return "not a readable .kvx header";
    case Result::WrongPassword: return "wrong password";
    case Result::Damaged: return "damaged or altered";
    case Result::ReadError: return "read error";
    case Result::WriteError: return "write error";
    case Result::Stopped: return "stopped";
    case Result::NoResources: return "not enough memory";
    }
    return "?";
}

}  // namespace ombrix::kvx
