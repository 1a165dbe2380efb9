// Key memory, the per-batch key cache and the key derivation, which runs on
// a thread of its own while the caller keeps its window painting.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <sodium.h>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "container/kvx/Seam.h"
#include "container/kvx/Secret.h"

namespace ombrix::kvx {
namespace {

std::atomic<int> derivations{0};
std::function<void()> onDerive;

}  // namespace

bool Init() {
    static const bool started = sodium_init() >= 0;
    return started;
}

SecretBytes::SecretBytes(std::size_t size)
    : data_(Init() ? static_cast<std::uint8_t*>(sodium_malloc(size)) : nullptr), size_(data_ ? size : 0) {}

SecretBytes::~SecretBytes() {
    if (!data_) return;
    sodium_memzero(data_, size_);
    sodium_free(data_);
}

KeyCache::Entry::Entry(std::string_view password, const std::array<std::uint8_t, 16>& salt, KdfParams kdf,
                       bool forEncrypt)
    : salt(salt), kdf(kdf), forEncrypt(forEncrypt), passwordSize(password.size()), secret(kKeySize + password.size()) {
    if (secret) std::memcpy(secret.data() + kKeySize, password.data(), password.size());
}

bool KeyCache::Entry::Matches(std::string_view password) const {
    return password.size() == passwordSize &&
           std::memcmp(secret.data() + kKeySize, password.data(), password.size()) == 0;
}

void RunPumped(const std::function<void()>& work, const std::function<void()>& pump) {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    std::thread worker;
    try {
        worker = std::thread([&] {
            work();
            std::lock_guard lock(m);
            done = true;
            cv.notify_one();
        });
    } catch (const std::system_error&) {
        work();  // no thread to be had: the window waits, the work still gets done
        return;
    }
    // The worker is joined whatever the pump does.
    struct Join {
        std::thread& t;
        ~Join() { t.join(); }
    } join{worker};
    std::unique_lock lock(m);
    while (!cv.wait_for(lock, kPumpEvery, [&] { return done; })) {
        lock.unlock();
        if (pump) pump();
        lock.lock();
    }
}

KeyCache::KeyCache(KdfParams params) : params_(params) {
    if (!Acceptable(params)) throw std::invalid_argument("key derivation cost out of the readable range");
}

KeyCache::~KeyCache() = default;

void KeyCache::Clear() { entries_.clear(); }

const KeyCache::Entry* KeyCache::ForEncrypt(std::string_view password, const std::function<void()>& pump) {
    for (const auto& e : entries_)
        if (e->forEncrypt && e->kdf == params_ && e->Matches(password)) return e.get();
    if (!Init()) return nullptr;
    std::array<std::uint8_t, 16> salt;
    randombytes_buf(salt.data(), salt.size());
    return Derive(password, salt, params_, true, pump);
}

const KeyCache::Entry* KeyCache::ForDecrypt(std::string_view password, const Header& h,
                                            const std::function<void()>& pump) {
    if (!Acceptable(h.kdf)) return nullptr;
    for (const auto& e : entries_)
        if (e->salt == h.salt && e->kdf == h.kdf && e->Matches(password)) return e.get();
    return Derive(password, h.salt, h.kdf, false, pump);
}

const KeyCache::Entry* KeyCache::Derive(std::string_view password, const std::array<std::uint8_t, 16>& salt,
                                        KdfParams kdf, bool forEncrypt, const std::function<void()>& pump) {
    auto e = std::make_unique<Entry>(password, salt, kdf, forEncrypt);
    if (!e->secret) return nullptr;
    int rc = -1;
    RunPumped(
        [&] {
            if (onDerive) onDerive();
            rc = crypto_pwhash(e->secret.data(), kKeySize, password.data(), password.size(), salt.data(), kdf.opsLimit,
                               std::size_t{kdf.memLimitKiB} * 1024, crypto_pwhash_ALG_ARGON2ID13);
        },
        pump);
    ++derivations;
    if (rc != 0) return nullptr;  // Argon2id could not get its memory
    entries_.push_back(std::move(e));
    return entries_.back().get();
}

namespace seam {
namespace {

std::function<void(std::uint8_t*, std::size_t)> scripted;
KdfParams newContainerCost = kModerate;

const char* Name() { return "ombrix-scripted"; }

void Fill(void* const buf, const std::size_t n) {
    if (scripted) scripted(static_cast<std::uint8_t*>(buf), n);
    else randombytes_sysrandom_implementation.buf(buf, n);
}

std::uint32_t Random() {
    std::uint32_t v;
    Fill(&v, sizeof v);
    return v;
}

randombytes_implementation scriptable = {Name, Random, nullptr, nullptr, Fill, nullptr};

}  // namespace

int Derivations() { return derivations.load(); }

void SetNewContainerCost(KdfParams cost) {
    if (!Acceptable(cost)) throw std::invalid_argument("key derivation cost out of the readable range");
    newContainerCost = cost;
}

KdfParams NewContainerCost() { return newContainerCost; }

void SetOnDerive(std::function<void()> hook) { onDerive = std::move(hook); }

void SetRandom(std::function<void(std::uint8_t*, std::size_t)> fill) {
    // After the library's own start-up, which takes random bytes of its own.
    Init();
    static const bool installed = randombytes_set_implementation(&scriptable) == 0;
    (void)installed;
    scripted = std::move(fill);
}

}  // namespace seam
}  // namespace ombrix::kvx
