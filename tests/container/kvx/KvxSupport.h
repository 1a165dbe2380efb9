// Tools for the ".kvx" tests: streams over strings, scripted randomness, and
// a reference writer built straight from libsodium, independent of the codec.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <sodium.h>
#include <string>
#include <thread>
#include <vector>

#include "container/kvx/Kvx.h"
#include "container/kvx/Seam.h"

namespace ombrix::kvx::test {

// The cheapest cost a reader accepts: tests stay fast.
inline constexpr KdfParams kFast{1, 8};

inline const std::uint8_t* U8(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }
inline std::uint8_t* U8(std::string& s) { return reinterpret_cast<std::uint8_t*>(s.data()); }

// n bytes that differ from chunk to chunk and from seed to seed.
inline std::string Pattern(std::size_t n, unsigned seed = 1) {
    std::string s(n, '\0');
    std::uint32_t x = 2463534242u ^ seed;
    for (auto& c : s) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    return s;
}

// A stream over strings. Reads come in pieces of at most `piece` bytes; the
// n-th read or write (1-based) fails when asked; every callback records
// whether it ran on the thread that made the stream.
struct MemoryStream {
    explicit MemoryStream(std::string in = {}) : input(std::move(in)) {}

    std::string input;
    std::size_t pos = 0;
    std::size_t piece = SIZE_MAX;
    std::string output;
    int reads = 0, writes = 0, failRead = 0, failWrite = 0, stops = 0;
    std::vector<std::int64_t> progress;
    std::function<bool(const MemoryStream&)> stopWhen;
    std::thread::id caller = std::this_thread::get_id();
    bool offThread = false;

    Stream Make() {
        Stream io;
        io.read = [this](std::uint8_t* buf, std::size_t n) -> long long {
            Note();
            if (++reads == failRead) return -1;
            n = std::min({n, piece, input.size() - pos});
            std::copy_n(input.data() + pos, n, buf);
            pos += n;
            return static_cast<long long>(n);
        };
        io.write = [this](const std::uint8_t* buf, std::size_t n) {
            Note();
            if (++writes == failWrite) return false;
            output.append(reinterpret_cast<const char*>(buf), n);
            return true;
        };
        io.progress = [this](std::int64_t done) {
            Note();
            progress.push_back(done);
        };
        io.stop = [this] {
            Note();
            ++stops;
            return stopWhen && stopWhen(*this);
        };
        return io;
    }

private:
    void Note() {
        if (std::this_thread::get_id() != caller) offThread = true;
    }
};

// Runs a driver over strings.
using Driver = Result (*)(KeyCache&, std::string_view, const Stream&);
inline Result Through(Driver driver, KeyCache& keys, const std::string& password, const std::string& in,
                      std::string& out) {
    MemoryStream s(in);
    Result r = driver(keys, password, s.Make());
    out = s.output;
    return r;
}
inline Result EncryptString(KeyCache& keys, const std::string& password, const std::string& plain, std::string& out) {
    return Through(Encrypt, keys, password, plain, out);
}
inline Result DecryptString(KeyCache& keys, const std::string& password, const std::string& box, std::string& out) {
    return Through(Decrypt, keys, password, box, out);
}

// While alive, libsodium's random bytes come from the given blocks, in
// order; a request of another size than the next block's is recorded.
class ScriptedRandom {
public:
    explicit ScriptedRandom(std::vector<std::string> blocks) : blocks_(blocks.begin(), blocks.end()) {
        seam::SetRandom([this](std::uint8_t* buf, std::size_t n) {
            if (blocks_.empty() || blocks_.front().size() != n) {
                mismatches.push_back(n);
                std::fill_n(buf, n, 0xEE);
                return;
            }
            std::copy_n(blocks_.front().data(), n, buf);
            blocks_.pop_front();
        });
    }
    ~ScriptedRandom() { seam::SetRandom({}); }
    ScriptedRandom(const ScriptedRandom&) = delete;
    ScriptedRandom& operator=(const ScriptedRandom&) = delete;

    std::size_t left() const { return blocks_.size(); }
    std::vector<std::size_t> mismatches;

private:
    std::deque<std::string> blocks_;
};

// What a container's random parts and cost are made of, for the reference writer.
struct Fixed {
    KdfParams kdf;
    std::string salt, fileKey, wrapNonce, streamHeader;

    // The blocks in the order the codec asks for them.
    std::vector<std::string> Script() const { return {salt, fileKey, wrapNonce, streamHeader}; }
};

inline std::string Le32(std::uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
}

// The header laid out field by field, and its wrapped key made with
// libsodium's calls directly.
inline std::string ReferenceHeader(const Fixed& f, const std::string& password) {
    std::string kek(32, '\0');
    EXPECT_EQ(crypto_pwhash(U8(kek), kek.size(), password.data(), password.size(), U8(f.salt), f.kdf.opsLimit,
                            std::size_t{f.kdf.memLimitKiB} * 1024, crypto_pwhash_ALG_ARGON2ID13),
              0);
    std::string h("\x89KVX\r\n\x1a\n", 8);
    h += '\x01';                // version
    h += '\x01';                // Argon2id v1.3
    h += std::string(2, '\0');  // reserved
    h += Le32(f.kdf.opsLimit) + Le32(f.kdf.memLimitKiB) + f.salt;
    EXPECT_EQ(h.size(), 36u);  // the part the wrap binds
    std::string wrapped(48, '\0');
    unsigned long long n = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(U8(wrapped), &n, U8(f.fileKey), f.fileKey.size(), U8(h), h.size(),
                                               nullptr, U8(f.wrapNonce), U8(kek));
    EXPECT_EQ(n, 48u);
    h += f.wrapNonce + wrapped + f.streamHeader;
    EXPECT_EQ(h.size(), kHeaderSize);
    return h;
}

struct Message {
    std::string plain;
    unsigned char tag = crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
};

// The plaintext cut into 1 MiB chunks, the last (possibly empty) one final.
inline std::vector<Message> StandardChunks(const std::string& plain) {
    std::vector<Message> m;
    std::size_t at = 0;
    do {
        const std::size_t n = std::min(kChunk, plain.size() - at);
        m.push_back({plain.substr(at, n)});
        at += n;
    } while (at < plain.size());
    m.back().tag = crypto_secretstream_xchacha20poly1305_TAG_FINAL;
    return m;
}

// The body as one plain secretstream run over the given messages; the first
// is bound to the header unless headerAd is false.
inline std::string ReferenceBody(const Fixed& f, const std::string& header, const std::vector<Message>& messages,
                                 bool headerAd = true) {
    crypto_secretstream_xchacha20poly1305_state st;
    std::string streamHeader(24, '\0');
    {
        ScriptedRandom random({f.streamHeader});
        crypto_secretstream_xchacha20poly1305_init_push(&st, U8(streamHeader), U8(f.fileKey));
    }
    EXPECT_EQ(streamHeader, f.streamHeader);
    std::string body;
    for (std::size_t i = 0; i < messages.size(); ++i) {
        const std::string& p = messages[i].plain;
        std::string c(p.size() + kMessageOverhead, '\0');
        unsigned long long n = 0;
        const bool ad = i == 0 && headerAd;
        crypto_secretstream_xchacha20poly1305_push(&st, U8(c), &n, U8(p), p.size(), ad ? U8(header) : nullptr,
                                                   ad ? header.size() : 0, messages[i].tag);
        EXPECT_EQ(n, c.size());
        body += c;
    }
    return body;
}

inline Fixed SomeFixed(KdfParams kdf = kFast) {
    auto bytes = [](std::size_t n, int from) {
        std::string s(n, '\0');
        for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(from + i);
        return s;
    };
    return {kdf, bytes(16, 0x10), bytes(32, 0x40), bytes(24, 0x80), bytes(24, 0xc0)};
}

// Where message k (0-based) begins in a container.
inline std::size_t MessageAt(std::size_t k) { return kHeaderSize + k * (kChunk + kMessageOverhead); }

}  // namespace ombrix::kvx::test
