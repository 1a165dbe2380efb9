#include "container/OutputFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace ombrix {
namespace {

constexpr int kNameAttempts = 64;

// An unnamed file is given its name through /proc; without /proc it could
// never be named. Asked once.
bool Nameable(int fd) {
    static const bool procMounted = ::access(("/proc/self/fd/" + std::to_string(fd)).c_str(), F_OK) == 0;
    return procMounted;
}

// The file system (or kernel) makes no unnamed files; anything else is about
// the folder itself and a named temporary would fail the same way.
bool NoUnnamedFiles(int err) { return err == EOPNOTSUPP || err == EISDIR || err == EINVAL; }

}  // namespace

OutputFile::OutputFile(std::string target) : target_(std::move(target)) {
    const std::string dir = fsio::DirName(target_);
    int fd = fsio::Open(dir, O_TMPFILE | O_RDWR, 0600);
    if (fd >= 0 && Nameable(fd)) {
        fd_.reset(fd);
        return;
    }
    if (fd >= 0) ::close(fd);
    else if (!NoUnnamedFiles(errno)) return;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string path = fsio::HiddenName(dir, ".tmp");
        fd = fsio::Open(path, O_RDWR | O_CREAT | O_EXCL, 0600);
        if (fd >= 0) {
            fd_.reset(fd);
            tempPath_ = std::move(path);
            return;
        }
        if (errno != EEXIST) return;
    }
}

OutputFile::~OutputFile() {
    fd_.reset();
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
}

void OutputFile::Reserve(std::int64_t size) {
    // Small files gain nothing from it but a call.
    if (size >= static_cast<std::int64_t>(4 * fsio::kBlock))
        (void)::fallocate(fd_.get(), 0, 0, static_cast<off_t>(size));
}

bool OutputFile::Close() {
    if (!fsio::FlushPoint()) return false;
    int dup = ::fcntl(fd_.get(), F_DUPFD_CLOEXEC, 0);
    return dup >= 0 && fsio::Close(dup) == 0;
}

bool OutputFile::Sync() { return fsio::Sync(fd_.get()) == 0; }

OutputFile::ReadBack OutputFile::Verify(const ContentDecoder& decode, const Digest128::Value& expected,
                                        const std::function<bool()>& stop) {
    // Without the cached pages the read comes from the device where it can;
    // where it cannot, reading the cache still checks the decoding.
    (void)fsio::Advise(fd_.get(), POSIX_FADV_DONTNEED);
    std::int64_t offset = 0;
    bool stopped = false, unreadable = false;
    const auto read = [&](unsigned char* buf, std::size_t n) -> long long {
        if (stop()) {
            stopped = true;
            return -1;
        }
        long long got = fsio::ReadAt(fd_.get(), buf, n, offset);
        if (got < 0) {
            unreadable = true;
            return -1;
        }
        offset += got;
        return got;
    };
    Digest128 content;
    const bool decoded = decode(read, content);
    if (stopped) return ReadBack::Stopped;
    if (unreadable) return ReadBack::Unreadable;
    return decoded && content.Final() == expected ? ReadBack::Same : ReadBack::Differs;
}

void OutputFile::TakeMode(mode_t inputMode, gid_t inputGroup) {
    mode_t mode = inputMode & 0777;
    struct stat st {};
    if (fsio::Fstat(fd_.get(), st) != 0 || (st.st_gid != inputGroup && fsio::ChangeGroup(fd_.get(), inputGroup) != 0))
        mode &= ~mode_t{070};
    (void)fsio::Chmod(fd_.get(), mode);
}

bool OutputFile::Commit(bool replace) {
    if (!tempPath_.empty()) {
        if ((replace ? fsio::Rename(tempPath_, target_) : fsio::RenameNoReplace(tempPath_, target_)) != 0) return false;
        tempPath_.clear();
        return true;
    }
    if (!replace) return fsio::Link(fd_.get(), target_) == 0;
    // No call links over an existing name: a hidden name first, then at once
    // over the target. Only a complete file ever carries that hidden name.
    const std::string dir = fsio::DirName(target_);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string hidden = fsio::HiddenName(dir, ".tmp");
        if (fsio::Link(fd_.get(), hidden) != 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        if (fsio::Rename(hidden, target_) == 0) return true;
        int err = errno;
        ::unlink(hidden.c_str());
        errno = err;
        return false;
    }
    errno = EEXIST;
    return false;
}

fsio::FileIdentity OutputFile::Identity() const {
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0) return {};
    return fsio::FileIdentity::Of(st);
}

void OutputFile::Discard(const std::function<void(const std::string&)>& remove) {
    fd_.reset();
    if (tempPath_.empty()) return;
    remove(tempPath_);
    tempPath_.clear();
}

namespace {

// The rename aside sets the change time itself, so after it only the rest is compared.
bool Unchanged(const std::string& path, const fsio::FileIdentity& read, bool changeTimeToo) {
    struct stat st {};
    if (fsio::Lstat(path, st) != 0) return false;
    const auto now = fsio::FileIdentity::Of(st);
    return now.SameFile(read) && now.size == read.size && now.mtimeNs == read.mtimeNs &&
           (!changeTimeToo || now.ctimeNs == read.ctimeNs);
}

}  // namespace

bool DeleteIfUnchanged(const std::string& path, const fsio::FileIdentity& read) {
    if (!Unchanged(path, read, true)) return false;
    const std::string dir = fsio::DirName(path);
    std::string aside;
    for (int attempt = 0; aside.empty(); ++attempt) {
        if (attempt == kNameAttempts) return false;
        aside = fsio::HiddenName(dir, ".del");
        if (fsio::RenameAside(path, aside) == 0) break;
        if (errno != EEXIST) return false;
        aside.clear();
    }
    if (Unchanged(aside, read, false) && fsio::Remove(aside) == 0) return true;
    (void)fsio::RenameNoReplace(aside, path);
    return false;
}

}  // namespace ombrix
