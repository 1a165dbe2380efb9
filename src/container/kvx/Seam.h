// Test seam of the ".kvx" codec: count the key derivations, and script the
// random bytes for known-answer tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "container/kvx/Kvx.h"

namespace ombrix::kvx::seam {

// Argon2id runs since the program started.
int Derivations();

// The cost the codec writes new containers with, from the next batch on:
// kModerate unless a test chose a cheaper one (which must be Acceptable).
void SetNewContainerCost(KdfParams cost);
KdfParams NewContainerCost();

// Runs on the deriving thread as each Argon2id run begins: a test can ask
// for a stop there, or hold the derivation until the window has painted.
void SetOnDerive(std::function<void()> hook);

// Every random byte libsodium hands out comes from fill from now on; an empty
// function gives the system's randomness back. The codec asks, in this
// order: a salt (16 bytes, once per password and batch, when encrypting),
// then per file the file key (32), the wrap nonce (24) and the stream
// header (24), all on the thread that runs the driver.
void SetRandom(std::function<void(std::uint8_t* buf, std::size_t n)> fill);

}  // namespace ombrix::kvx::seam
