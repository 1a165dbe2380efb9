// Fuzz target for the ".kvx" header reader: any bytes as the start of a
// file. Built as a libFuzzer target with clang, and replayed over the seed
// corpus by an ordinary test.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "container/kvx/Kvx.h"

namespace {

using namespace ombrix::kvx;

void Require(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Header h;
    const HeaderStatus status = ParseHeader(std::span(data, size), &h);
    const bool magicSoFar = std::equal(data, data + std::min(size, kMagic.size()), kMagic.begin());
    Require((status == HeaderStatus::BadMagic) == !magicSoFar);
    Require((status == HeaderStatus::TooShort) == (magicSoFar && size < kHeaderSize));
    if (status == HeaderStatus::Ok) {
        // Only what a reader may spend, and the fields read back as they lie.
        Require(Acceptable(h.kdf));
        const auto laid = HeaderBytes(h);
        Require(std::equal(laid.begin(), laid.end(), data));
    }

    // A reader comes to the same verdict, and reads no further than the header.
    std::size_t pos = 0;
    Stream io;
    io.read = [&](std::uint8_t* buf, std::size_t n) -> long long {
        n = std::min(n, size - pos);
        std::copy_n(data + pos, n, buf);
        pos += n;
        return static_cast<long long>(n);
    };
    KeyCache keys({1, 8});
    Decryptor reader(keys);
    const Result r = reader.ReadHeader(io);
    Require(r == (status == HeaderStatus::Ok ? Result::Ok : Result::BadHeader));
    Require(pos <= kHeaderSize);
    return 0;
}
