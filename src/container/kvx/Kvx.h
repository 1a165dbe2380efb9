// The ".kvx" container: a password-derived key (Argon2id) wraps a random file
// key (XChaCha20-Poly1305), which encrypts the contents as a stream of 1 MiB
// authenticated messages. docs/kvx-format.md has the byte layout.
//
// A pure codec: it reads and writes through the caller's callbacks, all of
// them called on the caller's thread; the cryptography of inputs longer than
// one chunk runs on a worker.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace ombrix::container {
class Codec;
}

namespace ombrix::kvx {

inline constexpr std::string_view kSuffix = ".kvx";

inline constexpr std::array<std::uint8_t, 8> kMagic = {0x89, 'K', 'V', 'X', '\r', '\n', 0x1a, '\n'};
inline constexpr std::uint8_t kVersion = 1;
inline constexpr std::uint8_t kKdfArgon2id13 = 1;
inline constexpr std::size_t kHeaderSize = 132;
inline constexpr std::size_t kChunk = 1 << 20;
inline constexpr std::size_t kMessageOverhead = 17;  // secretstream tag + MAC

// Key derivation cost. Memory in KiB, as stored.
struct KdfParams {
    std::uint32_t opsLimit = 3;
    std::uint32_t memLimitKiB = 262144;
    bool operator==(const KdfParams&) const = default;
};
// What new containers are written with (libsodium's MODERATE).
inline constexpr KdfParams kModerate{3, 262144};
// What a reader accepts: a crafted header must not cost minutes or gigabytes.
inline constexpr std::uint32_t kMaxOpsLimit = 16;
inline constexpr std::uint32_t kMinMemLimitKiB = 8;
inline constexpr std::uint32_t kMaxMemLimitKiB = 1 << 20;
bool Acceptable(const KdfParams& kdf);

// The fixed-size header, field by field.
struct Header {
    KdfParams kdf;
    std::array<std::uint8_t, 16> salt{};
    std::array<std::uint8_t, 24> wrapNonce{};
    std::array<std::uint8_t, 48> wrappedKey{};
    std::array<std::uint8_t, 24> streamHeader{};
};

enum class HeaderStatus { Ok, TooShort, BadMagic, BadVersion, BadKdf, BadReserved, BadOpsLimit, BadMemLimit };
// Checks the first bytes of a file (at least kHeaderSize when it has them)
// without deriving any key; fills *out when Ok.
HeaderStatus ParseHeader(std::span<const std::uint8_t> bytes, Header* out = nullptr);
// Lays the header out as stored.
std::array<std::uint8_t, kHeaderSize> HeaderBytes(const Header& h);

enum class Result {
    Ok,
    BadHeader,      // not a header this program reads (see ParseHeader); no key was derived
    WrongPassword,  // the file key does not open with this password
    Damaged,        // the contents do not verify: changed, cut short, reordered or extended
    ReadError,      // the read callback failed
    WriteError,     // the write callback failed
    Stopped,        // the stop callback asked to stop, between chunks
    NoResources,    // the system refused the memory the key derivation or the keys need
};
const char* ToString(Result r);

struct Stream;
class Decryptor;
struct SecretBytes;

// Derived keys for one batch, in locked memory, wiped when cleared or
// destroyed. Encrypting derives one key per distinct password, with one
// random salt per password for the whole batch; decrypting keeps one key per
// (password, salt, cost). Used on one thread: the one that runs the drivers.
class KeyCache {
public:
    struct Entry;

    // params: the cost of new containers; must be Acceptable.
    explicit KeyCache(KdfParams params = kModerate);
    ~KeyCache();
    KeyCache(const KeyCache&) = delete;
    KeyCache& operator=(const KeyCache&) = delete;

    const KdfParams& params() const { return params_; }
    // Wipes and forgets every key (the batch is over).
    void Clear();

private:
    friend Result Encrypt(KeyCache&, std::string_view, const Stream&);
    friend class Decryptor;
    // The key for a password (and, for new containers, its salt), or nullptr
    // when the memory for it was refused. pump runs on this thread about
    // every 30 ms while Argon2id works on another.
    const Entry* ForEncrypt(std::string_view password, const std::function<void()>& pump);
    const Entry* ForDecrypt(std::string_view password, const Header& h, const std::function<void()>& pump);
    const Entry* Derive(std::string_view password, const std::array<std::uint8_t, 16>& salt, KdfParams kdf,
                        bool forEncrypt, const std::function<void()>& pump);

    KdfParams params_;
    std::vector<std::unique_ptr<Entry>> entries_;
};

// What the drivers read from and write to. All are called on the thread that
// runs the driver, never on the worker.
struct Stream {
    // Reads up to n bytes; the count, 0 at the end, -1 on failure (as is a
    // count above n).
    std::function<long long(std::uint8_t* buf, std::size_t n)> read;
    // Writes all n bytes; false on failure.
    std::function<bool(const std::uint8_t* buf, std::size_t n)> write;
    // Bytes of the input handled so far (including the header when
    // decrypting). Called after each chunk, and about every 30 ms while the
    // driver waits for the key derivation or the worker.
    std::function<void(std::int64_t done)> progress;
    // Asked between chunks; true stops the driver (Result::Stopped).
    std::function<bool()> stop;
};

// Writes a whole container: header, then the input as chunks. Ok only when
// the last chunk is written.
Result Encrypt(KeyCache& keys, std::string_view password, const Stream& io);

// Reads a container in three steps, so that a caller can ask for the password
// again after WrongPassword without reading the file again.
class Decryptor {
public:
    explicit Decryptor(KeyCache& keys);
    ~Decryptor();
    Decryptor(const Decryptor&) = delete;
    Decryptor& operator=(const Decryptor&) = delete;

    // Reads the header through io.read. Ok, BadHeader or ReadError.
    Result ReadHeader(const Stream& io);
    // Opens the file key. Ok, WrongPassword or NoResources; may be called again.
    Result Unlock(std::string_view password, const std::function<void()>& pump);
    // Reads the rest of the input and writes the contents. Ok only when the
    // final message verified and the input ended right after it; what was
    // written before any other result must be thrown away.
    Result Body(const Stream& io);

    const Header& header() const { return header_; }

private:
    KeyCache& keys_;
    Header header_;
    std::array<std::uint8_t, kHeaderSize> raw_{};
    bool haveHeader_ = false;
    std::unique_ptr<SecretBytes> fileKey_;
};

// ReadHeader, Unlock and Body in one go.
Result Decrypt(KeyCache& keys, std::string_view password, const Stream& io);

// The format behind the job's codec interface: one key cache per batch,
// at the cost seam::NewContainerCost() gives when the batch begins.
std::unique_ptr<container::Codec> MakeCodec();

}  // namespace ombrix::kvx
