// A fast 128-bit checksum of a byte stream, to tell whether an output read
// back from storage still carries exactly what went in. It guards against
// faults (bad sectors, lost writes, bugs), not against someone who crafts
// collisions: it is not cryptographic.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ombrix {

class Digest128 {
public:
    // Two 64-bit halves, worked on together.
    typedef std::uint64_t Lane __attribute__((vector_size(16)));

    struct Value {
        std::uint64_t lo = 0, hi = 0;
        bool operator==(const Value&) const = default;
    };

    Digest128();
    // Any split of the same bytes into calls gives the same value.
    void Update(const void* data, std::size_t n);
    Value Final() const;

private:
    // Stripes of 64 bytes, one 16-byte piece per lane; blocks of 16 stripes.
    static constexpr std::size_t kStripe = 64;
    static constexpr std::size_t kStripesPerBlock = 16;
    void Stripes(const unsigned char* p, std::size_t count);

    Lane lanes_[4];
    std::size_t stripeInBlock_ = 0;
    unsigned char tail_[kStripe];
    std::size_t tailSize_ = 0;
    std::uint64_t total_ = 0;
};

}  // namespace ombrix
