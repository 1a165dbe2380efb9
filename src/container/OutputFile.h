// How an output is written, checked and given its name, and how an original
// is deleted, whatever the container format: nothing partial is ever named,
// nothing is readable beyond its input's permissions, and an original goes
// only when its output was read back intact and the original is still the
// very file that was read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>

#include "container/Digest.h"
#include "container/FileIO.h"

namespace ombrix {

// Reads an output's bytes back through `read` (from offset 0; 0 at the end,
// -1 on failure) and adds the content they carry to `content`. False when
// the bytes cannot be what was written, or a read failed.
using ContentDecoder =
    std::function<bool(const std::function<long long(unsigned char* buf, std::size_t n)>& read, Digest128& content)>;

class OutputFile {
public:
    // An unnamed file in target's folder, readable by the user alone; a
    // hidden named one (".ombrix-....tmp") where the file system cannot make
    // unnamed files. ok() is false, with errno set, when neither can be made.
    explicit OutputFile(std::string target);
    // Drops an unfinished output quietly.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool ok() const { return fd_.ok(); }
    int fd() const { return fd_.get(); }
    const std::string& target() const { return target_; }

    // Reserves the final size of a large output up front, so the writes that
    // follow need not extend it block by block.
    void Reserve(std::int64_t size);
    // What closing reports (network file systems report late write errors
    // there), keeping the descriptor the output is named through.
    bool Close();
    bool Sync();

    enum class ReadBack { Same, Differs, Unreadable, Stopped };
    // Drops the synced output's cached pages, reads it back from storage and
    // compares the digest of what it decodes to with `expected`. Stops at
    // the next block when `stop` says so.
    ReadBack Verify(const ContentDecoder& decode, const Digest128::Value& expected, const std::function<bool()>& stop);

    // The input's permission bits, without set-user-ID and set-group-ID. A
    // file system that refuses leaves the output private. The group's bits
    // are for the input's group: an output that cannot have that group (a
    // set-group-ID folder gives it the folder's, and a user outside the
    // input's group gets the user's own) keeps no group rights.
    void TakeMode(mode_t inputMode, gid_t inputGroup);
    // Gives the finished output its name: the target must be free unless
    // `replace`. errno is set on failure (EEXIST: the name was taken).
    bool Commit(bool replace);
    // Device, inode and times of the output as it stands.
    fsio::FileIdentity Identity() const;
    // Drops an unfinished output; a named temporary is removed through
    // `remove`, which reports a failure.
    void Discard(const std::function<void(const std::string&)>& remove);

private:
    std::string target_;
    std::string tempPath_;  // the hidden named temporary, if one is used
    fsio::Fd fd_;
};

// Deletes the original at `path` only if it is, at that moment, the file
// `read` describes (device, inode, size, modification and change times):
// it is first renamed aside in its own folder, so no other file can take
// its name before the unlink, then checked again, then unlinked. Any
// mismatch or failure puts it back and returns false.
bool DeleteIfUnchanged(const std::string& path, const fsio::FileIdentity& read);

}  // namespace ombrix
