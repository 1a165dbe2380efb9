// Encrypting and decrypting a stream. The caller's thread reads and writes
// (its callbacks are single-threaded), one worker runs the cryptography, and
// a few chunk slots let reading, cryptography and writing overlap.
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <sodium.h>
#include <system_error>
#include <thread>

#include "container/kvx/Secret.h"

namespace ombrix::kvx {
namespace {

using StreamState = crypto_secretstream_xchacha20poly1305_state;
static_assert(kMessageOverhead == crypto_secretstream_xchacha20poly1305_ABYTES);
static_assert(kKeySize == crypto_secretstream_xchacha20poly1305_KEYBYTES);
static_assert(kKeySize == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);

constexpr std::size_t kWrapAdSize = 36;  // the header up to the wrap nonce
constexpr std::size_t kSlots = 4;

bool Stop(const Stream& io) { return io.stop && io.stop(); }
void Progress(const Stream& io, std::int64_t done) {
    if (io.progress) io.progress(done);
}

// Reads until n bytes or the end; -1 on failure. *ended tells whether the
// end was met.
long long Fill(const Stream& io, std::uint8_t* buf, std::size_t n, bool* ended) {
    std::size_t got = 0;
    *ended = false;
    while (got < n) {
        long long r = io.read(buf + got, n - got);
        if (r < 0 || static_cast<unsigned long long>(r) > n - got) return -1;
        if (r == 0) {
            *ended = true;
            break;
        }
        got += static_cast<std::size_t>(r);
    }
    return static_cast<long long>(got);
}

struct Slot {
    std::unique_ptr<std::uint8_t[]> in, out;
    std::size_t inLen = 0, outLen = 0;
    bool last = false;  // the input ends right after this unit
};

// One unit's input to its output, on the worker; false when it does not verify.
using Transform = std::function<bool(Slot& slot, bool first)>;

// Units of the input go in order through the slots: read by the caller's
// thread, transformed by the worker, written by the caller's thread. A unit is
// handed to the worker only once the next read has shown whether it is the
// last one; only the first unit may be empty.
class Pipeline {
public:
    Pipeline(std::size_t inUnit, std::size_t outUnit, Transform transform)
        : inUnit_(inUnit), outUnit_(outUnit), transform_(std::move(transform)) {
        for (auto& s : slots_) {
            s.in.reset(new std::uint8_t[inUnit]);
            s.out.reset(new std::uint8_t[outUnit]);
        }
    }

    // Stops and joins the worker, and wipes the contents from the slots.
    ~Pipeline() {
        if (worker_.joinable()) {
            {
                std::lock_guard lock(m_);
                quit_ = true;
            }
            toWorker_.notify_one();
            worker_.join();
        }
        for (auto& s : slots_) {
            sodium_memzero(s.in.get(), inUnit_);
            sodium_memzero(s.out.get(), outUnit_);
        }
    }

    // done: the input bytes handled before the first unit.
    Result Run(const Stream& io, std::int64_t done) {
        try {
            worker_ = std::thread([this] { Work(); });
        } catch (const std::system_error&) {
            return Result::NoResources;
        }
        std::uint64_t filled = 0, written = 0;
        bool ended = false;    // the input's end was met
        bool pending = false;  // unit `submitted_` is read, but is it the last one?
        for (;;) {
            if (Stop(io)) return Result::Stopped;
            std::uint64_t processed;
            {
                std::lock_guard lock(m_);
                if (failed_) return Result::Damaged;
                processed = processed_;
            }
            if (written < processed) {
                Slot& s = slots_[written % kSlots];
                if (!io.write(s.out.get(), s.outLen)) return Result::WriteError;
                ++written;
                done += static_cast<std::int64_t>(s.inLen);
                Progress(io, done);
                if (s.last) return Result::Ok;
                continue;
            }
            if (!ended && filled - written < kSlots) {
                Slot& s = slots_[filled % kSlots];
                const long long n = Fill(io, s.in.get(), inUnit_, &ended);
                if (n < 0) return Result::ReadError;
                if (n == 0 && ended && filled > 0) {
                    Submit(true);  // nothing after the pending unit
                    continue;
                }
                s.inLen = static_cast<std::size_t>(n);
                ++filled;
                if (pending) Submit(false);
                pending = !ended;
                if (ended) Submit(true);
                continue;
            }
            std::unique_lock lock(m_);
            if (!fromWorker_.wait_for(lock, kPumpEvery, [&] { return failed_ || processed_ != processed; })) {
                lock.unlock();
                Progress(io, done);
            }
        }
    }

private:
    void Submit(bool last) {
        slots_[submitted_ % kSlots].last = last;
        {
            std::lock_guard lock(m_);
            ++submitted_;
        }
        toWorker_.notify_one();
    }

    void Work() {
        for (std::uint64_t i = 0;; ++i) {
            {
                std::unique_lock lock(m_);
                toWorker_.wait(lock, [&] { return quit_ || submitted_ > i; });
                if (quit_) return;
            }
            const bool ok = transform_(slots_[i % kSlots], i == 0);
            {
                std::lock_guard lock(m_);
                if (ok) processed_ = i + 1;
                else failed_ = true;
            }
            fromWorker_.notify_one();
            if (!ok) return;
        }
    }

    const std::size_t inUnit_, outUnit_;
    Transform transform_;
    Slot slots_[kSlots];
    std::thread worker_;
    std::mutex m_;
    std::condition_variable toWorker_, fromWorker_;
    // Guarded by m_ (submitted_ is written by the caller's thread only).
    std::uint64_t submitted_ = 0, processed_ = 0;
    bool failed_ = false, quit_ = false;
};

}  // namespace

Result Encrypt(KeyCache& keys, std::string_view password, const Stream& io) {
    if (!Init()) return Result::NoResources;
    const KeyCache::Entry* kek = keys.ForEncrypt(password, [&] { Progress(io, 0); });
    if (!kek) return Result::NoResources;
    if (Stop(io)) return Result::Stopped;

    SecretBytes fileKey(kKeySize), state(sizeof(StreamState));
    if (!fileKey || !state) return Result::NoResources;
    auto* st = reinterpret_cast<StreamState*>(state.data());
    Header h;
    h.kdf = kek->kdf;
    h.salt = kek->salt;
    randombytes_buf(fileKey.data(), kKeySize);
    randombytes_buf(h.wrapNonce.data(), h.wrapNonce.size());
    const auto start = HeaderBytes(h);  // the wrap's additional data is the part before the nonce
    unsigned long long wrappedSize = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(h.wrappedKey.data(), &wrappedSize, fileKey.data(), kKeySize,
                                               start.data(), kWrapAdSize, nullptr, h.wrapNonce.data(), kek->kek());
    crypto_secretstream_xchacha20poly1305_init_push(st, h.streamHeader.data(), fileKey.data());
    const auto header = HeaderBytes(h);
    if (!io.write(header.data(), header.size())) return Result::WriteError;

    Pipeline pipeline(kChunk, kChunk + kMessageOverhead, [&](Slot& s, bool first) {
        unsigned long long n = 0;
        crypto_secretstream_xchacha20poly1305_push(st, s.out.get(), &n, s.in.get(), s.inLen,
                                                   first ? header.data() : nullptr, first ? header.size() : 0,
                                                   s.last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                                                          : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
        s.outLen = static_cast<std::size_t>(n);
        return true;
    });
    return pipeline.Run(io, 0);
}

Decryptor::Decryptor(KeyCache& keys) : keys_(keys) {}
Decryptor::~Decryptor() = default;

Result Decryptor::ReadHeader(const Stream& io) {
    haveHeader_ = false;
    fileKey_.reset();
    bool ended = false;
    const long long n = Fill(io, raw_.data(), raw_.size(), &ended);
    if (n < 0) return Result::ReadError;
    if (ParseHeader(std::span(raw_.data(), static_cast<std::size_t>(n)), &header_) != HeaderStatus::Ok)
        return Result::BadHeader;
    haveHeader_ = true;
    return Result::Ok;
}

Result Decryptor::Unlock(std::string_view password, const std::function<void()>& pump) {
    fileKey_.reset();
    if (!haveHeader_) return Result::BadHeader;
    const KeyCache::Entry* kek = keys_.ForDecrypt(password, header_, pump);
    if (!kek) return Result::NoResources;
    auto key = std::make_unique<SecretBytes>(kKeySize);
    if (!*key) return Result::NoResources;
    unsigned long long size = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(key->data(), &size, nullptr, header_.wrappedKey.data(),
                                                   header_.wrappedKey.size(), raw_.data(), kWrapAdSize,
                                                   header_.wrapNonce.data(), kek->kek()) != 0 ||
        size != kKeySize)
        return Result::WrongPassword;
    fileKey_ = std::move(key);
    return Result::Ok;
}

Result Decryptor::Body(const Stream& io) {
    if (!fileKey_) return Result::WrongPassword;
    SecretBytes state(sizeof(StreamState));
    if (!state) return Result::NoResources;
    auto* st = reinterpret_cast<StreamState*>(state.data());
    if (crypto_secretstream_xchacha20poly1305_init_pull(st, header_.streamHeader.data(), fileKey_->data()) != 0)
        return Result::Damaged;

    Pipeline pipeline(kChunk + kMessageOverhead, kChunk, [&](Slot& s, bool first) {
        unsigned long long n = 0;
        unsigned char tag = 0;
        if (crypto_secretstream_xchacha20poly1305_pull(st, s.out.get(), &n, &tag, s.in.get(), s.inLen,
                                                       first ? raw_.data() : nullptr, first ? raw_.size() : 0) != 0)
            return false;
        s.outLen = static_cast<std::size_t>(n);
        // The final message ends the input; every other one holds a full chunk.
        if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) return s.last;
        return tag == crypto_secretstream_xchacha20poly1305_TAG_MESSAGE && !s.last && n == kChunk;
    });
    return pipeline.Run(io, static_cast<std::int64_t>(kHeaderSize));
}

Result Decrypt(KeyCache& keys, std::string_view password, const Stream& io) {
    Decryptor reader(keys);
    if (Result r = reader.ReadHeader(io); r != Result::Ok) return r;
    if (Result r = reader.Unlock(password, [&] { Progress(io, kHeaderSize); }); r != Result::Ok) return r;
    if (Stop(io)) return Result::Stopped;
    return reader.Body(io);
}

}  // namespace ombrix::kvx
