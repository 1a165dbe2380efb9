#include "container/Digest.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ombrix {
namespace {

// Odd constants with well-spread bits: the golden ratio's and two mixers'.
constexpr std::uint64_t kA = 0x9e3779b97f4a7c15ULL;
constexpr std::uint64_t kB = 0xbf58476d1ce4e5b9ULL;
constexpr std::uint64_t kC = 0x94d049bb133111ebULL;

using Lane = Digest128::Lane;

// Starting keys of the four lanes (hex digits of pi), and the step that
// makes every stripe of a block meet other keys, so that moving data within
// a block changes the result too.
const Lane kKeys[4] = {{0x243f6a8885a308d3ULL, 0x13198a2e03707344ULL},
                       {0xa4093822299f31d0ULL, 0x082efa98ec4e6c89ULL},
                       {0x452821e638d01377ULL, 0xbe5466cf34e90c6cULL},
                       {0xc0ac29b7c97c50ddULL, 0x3f84d5b5b5470917ULL}};
const Lane kStep = {kA, kC};

inline Lane Load(const unsigned char* p) {
    Lane v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// One 16-byte piece: the product of its keyed halves, plus the piece itself
// with its halves swapped, so that nothing a product loses is lost.
inline Lane Absorb(Lane acc, Lane data, Lane key) {
    const Lane keyed = data ^ key;
#if defined(__SSE2__)
    // The compiler does not see that both factors fit in 32 bits.
    const Lane product =
        reinterpret_cast<Lane>(_mm_mul_epu32(reinterpret_cast<__m128i>(keyed), reinterpret_cast<__m128i>(keyed >> 32)));
#else
    const Lane product = (keyed & 0xffffffffULL) * (keyed >> 32);
#endif
    return acc + product + __builtin_shufflevector(data, data, 1, 0);
}

// Between blocks: each lane's bits are spread, so the order of blocks counts.
inline Lane Scramble(Lane acc) {
    acc ^= acc >> 47;
    acc ^= Lane{kB, kA};
    return acc * kC;
}

inline std::uint64_t Rotl(std::uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

// Folds the 128-bit product: every input bit reaches most output bits.
inline std::uint64_t Fold(std::uint64_t x, std::uint64_t y) {
    unsigned __int128 m = static_cast<unsigned __int128>(x) * y;
    return static_cast<std::uint64_t>(m) ^ static_cast<std::uint64_t>(m >> 64);
}

inline std::uint64_t Avalanche(std::uint64_t x) {
    x ^= x >> 30;
    x *= kB;
    x ^= x >> 27;
    x *= kC;
    return x ^ (x >> 31);
}

}  // namespace

Digest128::Digest128() : lanes_{{kA, kB}, {kB, kC}, {kC, kA}, {kA ^ kB, kB ^ kC}} {}

void Digest128::Stripes(const unsigned char* p, std::size_t count) {
    Lane a0 = lanes_[0], a1 = lanes_[1], a2 = lanes_[2], a3 = lanes_[3];
    while (count > 0) {
        // Keys for the next stripe of the current block.
        const Lane shift = kStep * static_cast<std::uint64_t>(stripeInBlock_);
        Lane k0 = kKeys[0] + shift, k1 = kKeys[1] + shift, k2 = kKeys[2] + shift, k3 = kKeys[3] + shift;
        const std::size_t run = std::min(count, kStripesPerBlock - stripeInBlock_);
        for (std::size_t i = 0; i < run; ++i, p += kStripe) {
            a0 = Absorb(a0, Load(p), k0);
            a1 = Absorb(a1, Load(p + 16), k1);
            a2 = Absorb(a2, Load(p + 32), k2);
            a3 = Absorb(a3, Load(p + 48), k3);
            k0 += kStep;
            k1 += kStep;
            k2 += kStep;
            k3 += kStep;
        }
        count -= run;
        stripeInBlock_ += run;
        if (stripeInBlock_ == kStripesPerBlock) {
            a0 = Scramble(a0);
            a1 = Scramble(a1);
            a2 = Scramble(a2);
            a3 = Scramble(a3);
            stripeInBlock_ = 0;
        }
    }
    lanes_[0] = a0;
    lanes_[1] = a1;
    lanes_[2] = a2;
    lanes_[3] = a3;
}

void Digest128::Update(const void* data, std::size_t n) {
    auto p = static_cast<const unsigned char*>(data);
    total_ += n;
    if (tailSize_ > 0) {
        std::size_t take = std::min(kStripe - tailSize_, n);
        std::memcpy(tail_ + tailSize_, p, take);
        tailSize_ += take;
        p += take;
        n -= take;
        if (tailSize_ < kStripe) return;
        Stripes(tail_, 1);
        tailSize_ = 0;
    }
    Stripes(p, n / kStripe);
    p += n / kStripe * kStripe;
    tailSize_ = n % kStripe;
    std::memcpy(tail_, p, tailSize_);
}

Digest128::Value Digest128::Final() const {
    Digest128 last = *this;
    if (tailSize_ > 0) {
        // The tail, padded with zeros; the length below tells the padding apart.
        std::memset(last.tail_ + tailSize_, 0, kStripe - tailSize_);
        last.Stripes(last.tail_, 1);
    }
    std::uint64_t lo = total_ * kA, hi = Rotl(total_, 32) ^ kB;
    for (const Lane& lane : last.lanes_) {
        lo = Fold(lo ^ lane[0], kB) + lane[1];
        hi = Fold(hi ^ lane[1], kC) + lane[0];
    }
    return {Avalanche(lo), Avalanche(hi ^ Rotl(lo, 17))};
}

}  // namespace ombrix
