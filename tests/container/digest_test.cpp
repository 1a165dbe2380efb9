// The checksum an output is verified with: the same bytes give the same
// value however they are fed; the faults storage makes (a flipped bit, a
// lost or repeated piece, pieces in the wrong place) change it.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>

#include "container/Digest.h"
#include "support/TempDir.h"

namespace ombrix::test {
namespace {

Digest128::Value Of(const std::string& bytes) {
    Digest128 d;
    d.Update(bytes.data(), bytes.size());
    return d.Final();
}

TEST(Digest, AnySplitOfTheSameBytesGivesTheSameValue) {
    const std::string bytes = RandomBytes(5000, 1);
    const auto whole = Of(bytes);
    std::mt19937 rng(2);
    for (int round = 0; round < 50; ++round) {
        Digest128 d;
        for (std::size_t at = 0; at < bytes.size();) {
            std::size_t n = std::min<std::size_t>(bytes.size() - at, rng() % (round < 10 ? 3 : 1500));
            d.Update(bytes.data() + at, n);
            at += n;
        }
        EXPECT_EQ(d.Final(), whole);
    }
    Digest128 stillOpen;
    stillOpen.Update(bytes.data(), 100);
    (void)stillOpen.Final();  // looking does not end it
    stillOpen.Update(bytes.data() + 100, bytes.size() - 100);
    EXPECT_EQ(stillOpen.Final(), whole);
}

TEST(Digest, StorageFaultsChangeTheValue) {
    const std::string bytes = RandomBytes(3 * 1024 + 77, 3);
    std::vector<std::pair<std::string, std::string>> faults;
    for (std::size_t at : {0u, 7u, 63u, 64u, 1000u, 1023u, 1024u, 2047u, 3100u, 3 * 1024u + 76u}) {
        for (int bit : {0, 7}) {
            std::string f = bytes;
            f[at] = static_cast<char>(f[at] ^ (1 << bit));
            faults.emplace_back("bit " + std::to_string(bit) + " at " + std::to_string(at), f);
        }
    }
    auto swapped = [&](std::size_t a, std::size_t b, std::size_t n) {
        std::string f = bytes;
        std::swap_ranges(f.begin() + a, f.begin() + a + n, f.begin() + b);
        return f;
    };
    faults.emplace_back("two stripes of one block swapped", swapped(0, 128, 64));
    faults.emplace_back("two blocks swapped", swapped(0, 1024, 1024));
    faults.emplace_back("the halves of a piece swapped", swapped(0, 8, 8));
    faults.emplace_back("one block twice", bytes.substr(0, 1024) + bytes.substr(0, 1024) + bytes.substr(2048));
    faults.emplace_back("cut short", bytes.substr(0, bytes.size() - 1));
    faults.emplace_back("a zero byte more", bytes + std::string(1, '\0'));
    faults.emplace_back("a block of zeros instead", std::string(1024, '\0') + bytes.substr(1024));
    const auto original = Of(bytes);
    for (const auto& [what, f] : faults) EXPECT_NE(Of(f), original) << what;

    // Short inputs, zeros of every length among them, all differ.
    std::set<std::pair<std::uint64_t, std::uint64_t>> seen;
    for (std::size_t n = 0; n <= 200; ++n) {
        for (char fill : {'\0', 'x'}) {
            if (n == 0 && fill == 'x') continue;
            auto v = Of(std::string(n, fill));
            EXPECT_TRUE(seen.emplace(v.lo, v.hi).second) << n << " bytes of " << int(fill);
        }
    }
}

}  // namespace
}  // namespace ombrix::test
