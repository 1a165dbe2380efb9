#include "container/FileIO.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/uio.h>
#include <unistd.h>

namespace ombrix::fsio {
namespace {

struct Fault {
    int nth = 0;
    int err = 0;
    int count = 0;
};
std::array<int, static_cast<std::size_t>(Op::kCount)> calls{};
std::array<Fault, static_cast<std::size_t>(Op::kCount)> faults{};
struct Action {
    int nth = 0;
    std::function<void()> run;
};
std::array<Action, static_cast<std::size_t>(Op::kCount)> actions{};

// Counts the call; true when this one is to fail (errno then set).
bool injected(Op op) {
    auto i = static_cast<std::size_t>(op);
    ++calls[i];
    if (actions[i].run && calls[i] == actions[i].nth) {
        int saved = errno;
        actions[i].run();
        errno = saved;
    }
    if (faults[i].nth != 0 && calls[i] >= faults[i].nth && calls[i] < faults[i].nth + faults[i].count) {
        errno = faults[i].err;
        return true;
    }
    return false;
}

}  // namespace

void FailNth(Op op, int n, int err, int count) { faults[static_cast<std::size_t>(op)] = {n, err, count}; }
void AtNth(Op op, int n, std::function<void()> action) {
    actions[static_cast<std::size_t>(op)] = {n, std::move(action)};
}
void ResetFaults() {
    calls.fill(0);
    faults.fill({});
    actions.fill({});
}
int Calls(Op op) { return calls[static_cast<std::size_t>(op)]; }
bool FlushPoint() { return !injected(Op::Flush); }

int Open(const std::string& path, int flags, mode_t mode) {
    if (injected(Op::Open)) return -1;
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

long long Read(int fd, void* buf, std::size_t size) {
    if (injected(Op::Read)) return -1;
    ssize_t n;
    do {
        n = ::read(fd, buf, size);
    } while (n < 0 && errno == EINTR);
    return n;
}

long long ReadAt(int fd, void* buf, std::size_t size, std::int64_t offset) {
    if (injected(Op::Read)) return -1;
    ssize_t n;
    do {
        n = ::pread(fd, buf, size, static_cast<off_t>(offset));
    } while (n < 0 && errno == EINTR);
    return n;
}

int WriteAll(int fd, const void* buf, std::size_t size) {
    if (injected(Op::Write)) return -1;
    auto p = static_cast<const unsigned char*>(buf);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

int WriteAll(int fd, const void* head, std::size_t headSize, const void* body, std::size_t bodySize) {
    if (injected(Op::Write)) return -1;
    iovec iov[2] = {{const_cast<void*>(head), headSize}, {const_cast<void*>(body), bodySize}};
    int first = 0;
    while (first < 2) {
        ssize_t n = ::writev(fd, iov + first, 2 - first);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        auto done = static_cast<std::size_t>(n);
        while (first < 2 && done >= iov[first].iov_len) done -= iov[first++].iov_len;
        if (first < 2) {
            iov[first].iov_base = static_cast<char*>(iov[first].iov_base) + done;
            iov[first].iov_len -= done;
        }
    }
    return 0;
}

int Sync(int fd) {
    if (injected(Op::Sync)) return -1;
    return ::fsync(fd);
}

int Close(int fd) {
    if (injected(Op::Close)) {
        int saved = errno;
        ::close(fd);  // the descriptor is gone either way
        errno = saved;
        return -1;
    }
    return ::close(fd);
}

int Fstat(int fd, struct stat& st) {
    if (injected(Op::Stat)) return -1;
    return ::fstat(fd, &st);
}

int Stat(const std::string& path, struct stat& st) {
    if (injected(Op::Stat)) return -1;
    return ::stat(path.c_str(), &st);
}

int Lstat(const std::string& path, struct stat& st) {
    if (injected(Op::Stat)) return -1;
    return ::lstat(path.c_str(), &st);
}

int Chmod(int fd, mode_t mode) {
    if (injected(Op::Chmod)) return -1;
    return ::fchmod(fd, mode);
}

int ChangeGroup(int fd, gid_t group) {
    if (injected(Op::Chown)) return -1;
    return ::fchown(fd, static_cast<uid_t>(-1), group);
}

int Advise(int fd, int advice) {
    if (injected(Op::Advise)) return -1;
    int err = ::posix_fadvise(fd, 0, 0, advice);
    if (err == 0) return 0;
    errno = err;
    return -1;
}

int Link(int fd, const std::string& to) {
    if (injected(Op::Link)) return -1;
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW);
}

int Rename(const std::string& from, const std::string& to) {
    if (injected(Op::Rename)) return -1;
    return ::rename(from.c_str(), to.c_str());
}

namespace {

// renameat2 without replacing; 1 where the file system cannot be asked that.
int TryNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    return errno == EINVAL || errno == ENOSYS || errno == ENOTSUP ? 1 : -1;
}

}  // namespace

int RenameNoReplace(const std::string& from, const std::string& to) {
    if (injected(Op::Rename)) return -1;
    if (int r = TryNoReplace(from, to); r <= 0) return r;
    // A hard link cannot replace either.
    if (::link(from.c_str(), to.c_str()) != 0) return -1;
    ::unlink(from.c_str());
    return 0;
}

int RenameAside(const std::string& from, const std::string& to) {
    if (injected(Op::Rename)) return -1;
    if (int r = TryNoReplace(from, to); r <= 0) return r;
    return ::rename(from.c_str(), to.c_str());
}

int Remove(const std::string& path) {
    if (injected(Op::Remove)) return -1;
    return ::unlink(path.c_str());
}

int SyncDir(const std::string& dir) {
    int fd = Open(dir.empty() ? "/" : dir, O_RDONLY | O_DIRECTORY);
    if (fd < 0) return -1;
    int r = Sync(fd);
    int saved = errno;
    ::close(fd);
    errno = saved;
    return r;
}

std::string DirName(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string HiddenName(const std::string& dir, const char* suffix) {
    static std::mt19937_64 rng{std::random_device{}()};
    char name[40];
    std::snprintf(name, sizeof name, ".ombrix-%012llx%s", static_cast<unsigned long long>(rng() & 0xffffffffffffULL),
                  suffix);
    return (dir == "/" ? "" : dir) + "/" + name;
}

FileIdentity FileIdentity::Of(const struct stat& st) {
    FileIdentity id;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    id.size = st.st_size;
    id.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.ctimeNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    id.mode = st.st_mode;
    id.gid = st.st_gid;
    id.valid = true;
    return id;
}

int Fd::close() {
    if (fd_ < 0) return 0;
    return Close(release());
}

void Fd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

}  // namespace ombrix::fsio
