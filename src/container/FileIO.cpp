#include "container/FileIO.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
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

int Rename(const std::string& from, const std::string& to) {
    if (injected(Op::Rename)) return -1;
    return ::rename(from.c_str(), to.c_str());
}

int RenameNoReplace(const std::string& from, const std::string& to) {
    if (injected(Op::Rename)) return -1;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return -1;
    // File systems without RENAME_NOREPLACE: a hard link cannot replace either.
    if (::link(from.c_str(), to.c_str()) != 0) return -1;
    ::unlink(from.c_str());
    return 0;
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

int Fd::close() {
    if (fd_ < 0) return 0;
    return Close(release());
}

void Fd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

}  // namespace ombrix::fsio
