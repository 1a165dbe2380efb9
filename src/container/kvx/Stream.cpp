// Encrypting and decrypting a stream. The caller's thread reads and writes
// (its callbacks are single-threaded), one worker runs the cryptography, and
// a few chunk slots let reading, cryptography and writing overlap. An input
// of one chunk needs no worker.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <sodium.h>
#include <system_error>
#include <thread>
#include <vector>

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

// Chunk buffers outlive a file, wiped, so that a batch of small files does
// not ask the system for 8 MiB of fresh memory per file.
class BufferPool {
public:
    static constexpr std::size_t kSize = kChunk + kMessageOverhead;  // the larger unit

    std::unique_ptr<std::uint8_t[]> Take() {
        std::lock_guard lock(m_);
        if (free_.empty()) return std::unique_ptr<std::uint8_t[]>(new std::uint8_t[kSize]);
        auto b = std::move(free_.back());
        free_.pop_back();
        return b;
    }
    // b must have been wiped.
    void Give(std::unique_ptr<std::uint8_t[]> b) {
        std::lock_guard lock(m_);
        if (b && free_.size() < kKept) free_.push_back(std::move(b));
    }

private:
    static constexpr std::size_t kKept = 2 * kSlots;
    std::mutex m_;
    std::vector<std::unique_ptr<std::uint8_t[]>> free_;
};

BufferPool& Buffers() {
    static BufferPool pool;
    return pool;
}

struct Slot {
    std::unique_ptr<std::uint8_t[]> in, out;
    std::size_t inLen = 0, outLen = 0;
    // The most each buffer ever held: what is wiped at the end. Wiping
    // whole buffers would cost a small file 8 MiB of page faults.
    std::size_t inUsed = 0, outUsed = 0;
    bool last = false;  // the input ends right after this unit
};

// One unit's input to its output, on the worker (or on the caller's thread
// when the input is that one unit); false when it does not verify.
using Transform = std::function<bool(Slot& slot, bool first)>;

// Units of the input go in order through the slots: read by the caller's
// thread, transformed by the worker, written by the caller's thread. A unit is
// handed on only once the next read has shown whether it is the last one;
// only the first unit may be empty.
class Pipeline {
public:
    Pipeline(std::size_t inUnit, std::size_t outUnit, Transform transform)
        : inUnit_(inUnit), outUnit_(outUnit), transform_(std::move(transform)) {
        static_assert(kChunk <= BufferPool::kSize);
        for (auto& s : slots_) {
            s.in = Buffers().Take();
            s.out = Buffers().Take();
        }
    }

    // Stops and joins the worker, and wipes the contents from the slots (the
    // worker's writes to them happen before the join).
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
            sodium_memzero(s.in.get(), s.inUsed);
            sodium_memzero(s.out.get(), s.outUsed);
            Buffers().Give(std::move(s.in));
            Buffers().Give(std::move(s.out));
        }
    }

    // done: the input bytes handled before the first unit.
    Result Run(const Stream& io, std::int64_t done) {
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
                if (n < 0) {
                    s.inUsed = inUnit_;  // how much came in before the failure is not known
                    return Result::ReadError;
                }
                s.inUsed = std::max(s.inUsed, static_cast<std::size_t>(n));
                if (n == 0 && ended && filled > 0) {
                    // nothing after the pending unit
                    if (!Submit(true)) return Result::NoResources;
                    continue;
                }
                s.inLen = static_cast<std::size_t>(n);
                ++filled;
                if (pending && !Submit(false)) return Result::NoResources;
                pending = !ended;
                if (ended && !Submit(true)) return Result::NoResources;
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
    // Hands the next unit on; false when no worker thread can be had. An
    // input that is one unit in all is transformed right here: a thread per
    // small file would cost more than its cryptography.
    bool Submit(bool last) {
        const std::uint64_t i = submitted_;
        slots_[i % kSlots].last = last;
        if (i == 0 && last) {
            {
                std::lock_guard lock(m_);
                ++submitted_;
            }
            Process(0);
            return true;
        }
        if (!worker_.joinable()) {
            try {
                worker_ = std::thread([this] { Work(); });
            } catch (const std::system_error&) {
                return false;
            }
        }
        {
            std::lock_guard lock(m_);
            ++submitted_;
        }
        toWorker_.notify_one();
        return true;
    }

    // Transforms unit i and records what came of it; false when it did not verify.
    bool Process(std::uint64_t i) {
        Slot& slot = slots_[i % kSlots];
        const bool ok = transform_(slot, i == 0);
        slot.outUsed = ok ? std::max(slot.outUsed, slot.outLen) : outUnit_;
        std::lock_guard lock(m_);
        if (ok) processed_ = i + 1;
        else failed_ = true;
        return ok;
    }

    void Work() {
        for (std::uint64_t i = 0;; ++i) {
            {
                std::unique_lock lock(m_);
                toWorker_.wait(lock, [&] { return quit_ || submitted_ > i; });
                if (quit_) return;
            }
            const bool ok = Process(i);
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
