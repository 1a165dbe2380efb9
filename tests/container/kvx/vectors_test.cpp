// Known answers: with the random parts fixed, a container must come out byte
// for byte as the reference writer lays it out from libsodium's own calls,
// and each expected output is pinned by a short hash, so that the layout
// cannot drift in the codec and the reference together.
#include "KvxSupport.h"

namespace ombrix::kvx::test {
namespace {

std::string ShortHash(const std::string& bytes) {
    unsigned char h[8];
    crypto_generichash(h, sizeof h, U8(bytes), bytes.size(), nullptr, 0);
    static const char* hex = "0123456789abcdef";
    std::string s;
    for (unsigned char b : h) s += {hex[b >> 4], hex[b & 15]};
    return s;
}

// Offset of the first difference, for a readable failure.
std::size_t FirstDifference(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    return i;
}

struct Vector {
    std::size_t size;
    const char* pin;  // ShortHash of the whole container
};

TEST(KvxVectors, ContainersComeOutByteForByte) {
    // Cost 2 passes over 16 KiB: an exchange of the two fields, or of KiB
    // and bytes, gives another key.
    const Fixed f = SomeFixed({2, 16});
    const std::string password = "correct horse battery staple";
    const Vector vectors[] = {
        {0, "e05fa60e21785f7e"},      {1, "996a560b8e7d1d67"},          {kChunk - 1, "e9d5d4d6d955ce2e"},
        {kChunk, "2bab72c93c277b89"}, {kChunk + 1, "60898d0a8c4ff5a2"}, {3 * kChunk, "3bcea30fb4c79a43"},
    };
    const std::string header = ReferenceHeader(f, password);
    ASSERT_EQ(Pattern(1), "\x42");  // the one-byte vector that docs/kvx-format.md quotes
    for (const auto& v : vectors) {
        SCOPED_TRACE(v.size);
        const std::string plain = Pattern(v.size);
        const std::string expected = header + ReferenceBody(f, header, StandardChunks(plain));
        EXPECT_EQ(expected.size(), kHeaderSize + plain.size() +
                                       kMessageOverhead * std::max<std::size_t>(1, (v.size + kChunk - 1) / kChunk));
        EXPECT_EQ(ShortHash(expected), v.pin);

        KeyCache keys(f.kdf);
        std::string got;
        {
            ScriptedRandom random(f.Script());
            ASSERT_EQ(EncryptString(keys, password, plain, got), Result::Ok);
            EXPECT_EQ(random.left(), 0u);
            EXPECT_TRUE(random.mismatches.empty());
        }
        ASSERT_EQ(got.size(), expected.size());
        EXPECT_EQ(FirstDifference(got, expected), expected.size());

        KeyCache fresh(f.kdf);
        std::string back;
        EXPECT_EQ(DecryptString(fresh, password, expected, back), Result::Ok);
        EXPECT_TRUE(back == plain);
    }
}

// The header fields at their offsets, as a reader in another language would
// take them apart.
TEST(KvxVectors, HeaderFieldsAtTheirOffsets) {
    const Fixed f = SomeFixed({7, 4096});
    const std::string h = ReferenceHeader(f, "pw");
    Header parsed;
    ASSERT_EQ(ParseHeader(std::span(U8(h), h.size()), &parsed), HeaderStatus::Ok);
    EXPECT_EQ(parsed.kdf, (KdfParams{7, 4096}));
    EXPECT_EQ(h.substr(12, 8), std::string("\x07\0\0\0\0\x10\0\0", 8));
    EXPECT_EQ(std::string(parsed.salt.begin(), parsed.salt.end()), f.salt);
    EXPECT_EQ(std::string(parsed.wrapNonce.begin(), parsed.wrapNonce.end()), f.wrapNonce);
    EXPECT_EQ(std::string(parsed.wrappedKey.begin(), parsed.wrappedKey.end()), h.substr(60, 48));
    EXPECT_EQ(std::string(parsed.streamHeader.begin(), parsed.streamHeader.end()), f.streamHeader);
    const auto laid = HeaderBytes(parsed);
    EXPECT_EQ(std::string(laid.begin(), laid.end()), h);
}

}  // namespace
}  // namespace ombrix::kvx::test
