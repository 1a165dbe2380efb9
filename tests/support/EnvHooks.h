// For test builds of the programs only: file-layer hooks named in the
// environment, so a test can make a child process meet a signal, a fault or
// a rival file at an exact point of its work.
//
// OMBRIX_TEST_AT holds one or more OP:N:ACTION joined by ";". OP is a file
// layer operation (open, read, write, flush, sync, close, rename, remove,
// stat), N counts its calls from 1, and ACTION is one of
//   raise=SIG    the process raises signal number SIG just before that call
//   fail=ERRNO   that call fails with errno number ERRNO
//   create=PATH  a file PATH is created just before that call
//
// OMBRIX_TEST_KVX_COST=OPS:KIB writes new .kvx containers at that key
// derivation cost (opslimit, memlimit in KiB) instead of the real one, so
// tests stay fast.
#pragma once

namespace ombrix::test {

// Installs the hooks; a malformed entry ends the process with status 99.
void InstallHooksFromEnvironment();

}  // namespace ombrix::test
