// Every file access of the core goes through here, so that tests can make
// the N-th call of any kind fail with a chosen errno.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace ombrix::fsio {

enum class Op { Open, Read, Write, Flush, Sync, Close, Rename, Remove, Stat, kCount };

// Open flags are those of open(2); O_CLOEXEC is always added.
int Open(const std::string& path, int flags, mode_t mode = 0);
// Reads up to size bytes (retrying EINTR); -1 on error.
long long Read(int fd, void* buf, std::size_t size);
// Reads at an offset without moving the file position; -1 on error.
long long ReadAt(int fd, void* buf, std::size_t size, std::int64_t offset);
// Writes all bytes or fails with -1.
int WriteAll(int fd, const void* buf, std::size_t size);
int Sync(int fd);
int Close(int fd);
int Fstat(int fd, struct stat& st);
int Stat(const std::string& path, struct stat& st);
// Replaces an existing target.
int Rename(const std::string& from, const std::string& to);
// Never replaces: fails with EEXIST when the target exists.
int RenameNoReplace(const std::string& from, const std::string& to);
int Remove(const std::string& path);
// fsync of a directory, by path.
int SyncDir(const std::string& dir);

// Test hook: the n-th call (1-based, counted from the last Reset) of op, and
// the count - 1 calls after it, fail with err. Flush is counted at every
// flush of buffered output.
void FailNth(Op op, int n, int err, int count = 1);
// Test hook: action runs just before the n-th call of op (counted the same
// way) goes to the system, e.g. to change a file behind the pass's back.
void AtNth(Op op, int n, std::function<void()> action);
// Clears the counts, the failures and the actions.
void ResetFaults();
int Calls(Op op);
// Where a layer call stands in for a buffered flush: counts it, and reports
// an injected failure (returns false with errno set).
bool FlushPoint();

// The directory part of a path: "/" for "/name", "." when there is no "/".
std::string DirName(const std::string& path);

// A closed-on-scope file descriptor.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& o) noexcept : fd_(o.release()) {}
    Fd& operator=(Fd&& o) noexcept { reset(o.release()); return *this; }
    ~Fd() { reset(); }
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    int release() { int f = fd_; fd_ = -1; return f; }
    // Closes through the layer; returns its result (0 when nothing was open).
    int close();
    void reset(int fd = -1);
private:
    int fd_ = -1;
};

}  // namespace ombrix::fsio
