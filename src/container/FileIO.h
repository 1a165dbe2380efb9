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

// The unit of file work: large enough for full speed, small enough to stay
// in the processor's cache and to check for a stop often.
inline constexpr std::size_t kBlock = 256 << 10;

enum class Op { Open, Read, Write, Flush, Sync, Close, Rename, Remove, Stat, Link, Chmod, Chown, Advise, kCount };

// Open flags are those of open(2); O_CLOEXEC is always added.
int Open(const std::string& path, int flags, mode_t mode = 0);
// Reads up to size bytes (retrying EINTR); -1 on error.
long long Read(int fd, void* buf, std::size_t size);
// Reads at an offset without moving the file position; -1 on error.
long long ReadAt(int fd, void* buf, std::size_t size, std::int64_t offset);
// Writes all bytes or fails with -1.
int WriteAll(int fd, const void* buf, std::size_t size);
// Writes head then body in one call where it can (one Write for the hooks).
int WriteAll(int fd, const void* head, std::size_t headSize, const void* body, std::size_t bodySize);
int Sync(int fd);
int Close(int fd);
int Fstat(int fd, struct stat& st);
int Stat(const std::string& path, struct stat& st);
// Does not follow a final symbolic link.
int Lstat(const std::string& path, struct stat& st);
// fchmod.
int Chmod(int fd, mode_t mode);
// fchown of the group alone.
int ChangeGroup(int fd, gid_t group);
// posix_fadvise over the whole file; -1 with errno on failure.
int Advise(int fd, int advice);
// Gives an open file (an unnamed one too) a name; never replaces (EEXIST).
int Link(int fd, const std::string& to);
// Replaces an existing target.
int Rename(const std::string& from, const std::string& to);
// Never replaces: fails with EEXIST when the target exists.
int RenameNoReplace(const std::string& from, const std::string& to);
// Moves a file to a fresh name nothing else uses, in one step: never
// replaces where the file system can tell, and never takes `from`'s name
// away before `to` names the file (as a link and an unlink would).
int RenameAside(const std::string& from, const std::string& to);
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
// The last part of a path: what follows its last "/".
std::string BaseName(const std::string& path);
// A hidden name for a passing file in dir, unlikely to be taken:
// dir + "/.ombrix-" + 12 hex digits + suffix.
std::string HiddenName(const std::string& dir, const char* suffix);

// A file as it was seen: which file (device and inode), the size and times
// that change when its contents do, and its permissions and group.
struct FileIdentity {
    dev_t dev = 0;
    ino_t ino = 0;
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::int64_t ctimeNs = 0;
    mode_t mode = 0;
    gid_t gid = 0;
    bool valid = false;

    static FileIdentity Of(const struct stat& st);
    // Same device and inode.
    bool SameFile(const FileIdentity& o) const { return valid && o.valid && dev == o.dev && ino == o.ino; }
    // The same file, its size and times untouched.
    bool Unchanged(const FileIdentity& o) const {
        return SameFile(o) && size == o.size && mtimeNs == o.mtimeNs && ctimeNs == o.ctimeNs;
    }
};

// A closed-on-scope file descriptor.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& o) noexcept : fd_(o.release()) {}
    Fd& operator=(Fd&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~Fd() { reset(); }
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    int release() {
        int f = fd_;
        fd_ = -1;
        return f;
    }
    // Closes through the layer; returns its result (0 when nothing was open).
    int close();
    void reset(int fd = -1);
private:
    int fd_ = -1;
};

}  // namespace ombrix::fsio
