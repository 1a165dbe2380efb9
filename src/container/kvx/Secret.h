// Inside the codec: key memory, the batch's key entries, and the pumped wait.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "container/kvx/Kvx.h"

namespace ombrix::kvx {

// Starts libsodium once; false when it cannot start.
bool Init();

// Key memory: sodium_malloc'ed (guard pages, locked where the system allows
// it) and wiped before it is freed. data() is null when the memory was refused.
struct SecretBytes {
    explicit SecretBytes(std::size_t size);
    ~SecretBytes();
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;

    std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    std::uint8_t* data_;
    std::size_t size_;
};

inline constexpr std::size_t kKeySize = 32;

// One derived key: the key, then the password it was derived from.
struct KeyCache::Entry {
    Entry(std::string_view password, const std::array<std::uint8_t, 16>& salt, KdfParams kdf, bool forEncrypt);

    const std::uint8_t* kek() const { return secret.data(); }
    bool Matches(std::string_view password) const;

    std::array<std::uint8_t, 16> salt;
    KdfParams kdf;
    bool forEncrypt;
    std::size_t passwordSize;
    SecretBytes secret;
};

// Runs work on a thread of its own and calls pump on this one about every
// 30 ms until work is done.
void RunPumped(const std::function<void()>& work, const std::function<void()>& pump);

// The wait between two pump calls.
inline constexpr auto kPumpEvery = std::chrono::milliseconds(30);

}  // namespace ombrix::kvx
