// The encryption and decryption passes. Block I/O in one pass over the
// input; the output goes to a temporary file beside its final name and takes
// that name only when complete, so a failure never leaves a partial file and
// never costs an existing one.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <random>
#include <unistd.h>

#include "container/Container.h"
#include "container/FileIO.h"
#include "job/Job.h"

namespace ombrix {
namespace {

constexpr std::size_t kBlock = 256 << 10;

bool Contains(const std::string& s, std::string_view what) { return s.find(what) != std::string::npos; }

// The per-file bar shows each integer percentage that a byte-by-byte copy
// would reach, once, in order; 0 is never set.
class FileBar {
public:
    FileBar(JobWindow& window, std::chrono::milliseconds pumpEvery)
        : window_(window), pumpEvery_(pumpEvery), lastPump_(std::chrono::steady_clock::now()) {
        window_.SetBarColor(IDC_FILE_PROGRESS, 240, 0, 0);
        window_.SetBarRange(IDC_FILE_PROGRESS, 0, 100);
        window_.ShowControl(IDC_FILE_PROGRESS, true);
        window_.SetBarPos(IDC_FILE_PROGRESS, 0);
    }

    void SetTotal(std::int64_t total) { total_ = total; }

    // done: bytes done so far.
    void Advance(std::int64_t done) {
        if (total_ > 0) {
            if (total_ >= 100) {
                // Steps of at most one percent: every value up to the new one is reached.
                for (int p = shown_ + 1, to = Percent(done); p <= to; ++p) Show(p);
            } else {
                for (std::int64_t k = done_ + 1; k <= done; ++k)
                    if (int p = Percent(k); p > shown_) Show(p);
            }
        }
        done_ = done;
        auto now = std::chrono::steady_clock::now();
        if (now - lastPump_ >= pumpEvery_) {
            window_.PumpEvents();
            lastPump_ = std::chrono::steady_clock::now();
        }
    }

private:
    int Percent(std::int64_t done) const {
        return static_cast<int>(static_cast<unsigned __int128>(done) * 100 /
                                static_cast<unsigned __int128>(total_));
    }
    void Show(int p) {
        window_.SetBarPos(IDC_FILE_PROGRESS, p);
        shown_ = p;
    }

    JobWindow& window_;
    std::chrono::milliseconds pumpEvery_;
    std::chrono::steady_clock::time_point lastPump_;
    std::int64_t total_ = 0;
    std::int64_t done_ = 0;
    int shown_ = 0;
};

// The input file, opened only if it is a regular file.
struct Source {
    fsio::Fd fd;
    std::int64_t size = 0;
    FileId id;
};

Source OpenSource(const std::string& path) {
    Source src;
    fsio::Fd fd(fsio::Open(path, O_RDONLY | O_NONBLOCK));
    struct stat st {};
    if (!fd.ok() || fsio::Fstat(fd.get(), st) != 0 || !S_ISREG(st.st_mode)) return src;
    src.fd = std::move(fd);
    src.size = st.st_size;
    src.id = {st.st_dev, st.st_ino, true};
    return src;
}

bool NamesFile(const std::string& path, const FileId& id) {
    struct stat st {};
    return fsio::Stat(path, st) == 0 && FileId{st.st_dev, st.st_ino, true} == id;
}

// The output under construction.
class TempOutput {
public:
    explicit TempOutput(const std::string& target) {
        static std::mt19937_64 rng{std::random_device{}()};
        const std::string dir = fsio::DirName(target);
        for (int attempt = 0; attempt < 64; ++attempt) {
            char name[32];
            std::snprintf(name, sizeof name, ".ombrix-%012llx.tmp",
                          static_cast<unsigned long long>(rng() & 0xffffffffffffULL));
            std::string path = (dir == "/" ? "" : dir) + "/" + name;
            int fd = fsio::Open(path, O_WRONLY | O_CREAT | O_EXCL, 0666);
            if (fd >= 0) {
                fd_.reset(fd);
                path_ = std::move(path);
                return;
            }
            if (errno != EEXIST) return;
        }
    }
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;
    // Quietly removes an unfinished output (the pass reports its own failure).
    ~TempOutput() {
        fd_.reset();
        if (!path_.empty()) ::unlink(path_.c_str());
    }

    // Reserves the final size up front where the file system can, so the
    // writes that follow need not extend the file block by block.
    void Reserve(std::int64_t size) {
        if (size > 0) (void)::fallocate(fd_.get(), 0, 0, static_cast<off_t>(size));
    }

    bool ok() const { return fd_.ok(); }
    int fd() const { return fd_.get(); }
    const std::string& path() const { return path_; }

    // Flushes and closes; false on failure.
    bool Close() {
        if (!fsio::FlushPoint()) {
            fd_.reset();
            return false;
        }
        return fd_.close() == 0;
    }
    // Gives the output its final name. errno is set on failure.
    bool Commit(const std::string& target, bool replace) {
        int r = replace ? fsio::Rename(path_, target) : fsio::RenameNoReplace(path_, target);
        if (r != 0) return false;
        path_.clear();
        return true;
    }
    // Removes it through the job, which reports a failed removal; done with it.
    void Discard(Job& job) {
        fd_.reset();
        if (path_.empty()) return;
        job.DeleteFile(path_);
        path_.clear();
    }

private:
    fsio::Fd fd_;
    std::string path_;
};

enum class CopyResult { Done, ReadError, WriteError };

// Copies bytes [from, from + count) of the source, shifted, to the output.
CopyResult CopyShifted(Source& src, std::int64_t from, std::int64_t count, int out,
                       void (*shift)(unsigned char*, std::size_t), FileBar& bar) {
    std::unique_ptr<unsigned char[]> buf(new unsigned char[kBlock]);
    std::int64_t done = 0;
    while (done < count) {
        auto want = static_cast<std::size_t>(std::min<std::int64_t>(kBlock, count - done));
        long long n = fsio::ReadAt(src.fd.get(), buf.get(), want, from + done);
        if (n <= 0) return CopyResult::ReadError;  // an error, or the file got shorter
        shift(buf.get(), static_cast<std::size_t>(n));
        if (fsio::WriteAll(out, buf.get(), static_cast<std::size_t>(n)) != 0) return CopyResult::WriteError;
        done += n;
        bar.Advance(done);
    }
    struct stat st {};
    if (fsio::Fstat(src.fd.get(), st) != 0 || st.st_size != src.size) return CopyResult::ReadError;
    return CopyResult::Done;
}

}  // namespace

void Job::Encryption() {
    FileBar bar(window_, PumpInterval);
    SFileId = {};
    const std::string notDone = "' " + SFilePath + " ' is not Encrypted ";
    const std::string destDir = m_SameRadio == 0 ? DFilePath : SFileParent;

    if (Contains(SFile, kNameMark) || Contains(SFile, kPassMark)) {
        MessageBox(notDone + ": a .kvr container cannot carry \"!hsc\" or \"!hsm\" in a file name");
        return;
    }
    Source src = OpenSource(SFilePath);
    if (src.fd.ok() && NamesFile(DFileCompletePath, src.id)) {
        MessageBox(notDone + ": the output ' " + DFileCompletePath + " ' is the file itself");
        return;
    }
    TempOutput out(DFileCompletePath);
    if (!src.fd.ok()) MessageBox("The Sorce File '" + SFilePath + "' Does Not Exist");
    if (!out.ok()) MessageBox("The Destination Directory '" + destDir + "' Does Not Exist ");
    if (!src.fd.ok() || !out.ok()) return;

    const std::string readError =
        "Error in Reading ' " + SFilePath + " '. Due to less disk space or bad clusters";
    const std::string writeError =
        "Error in Writing ' " + DFileCompletePath + " '. Due to less disk space or bad clusters";
    auto fail = [&](const std::string& message) {
        SuccessFlag = 0;
        src.fd.reset();
        out.Discard(*this);
        MessageBox(message);
    };

    UpdateData(true);
    std::string password = m_Password;
    if (m_SamePassRadio == 1 && !window_.PromptPassword("File --> " + SFilePath, password))
        return fail(notDone);
    if (Contains(password, kPassMark))
        return fail(notDone + ": a .kvr container cannot carry \"!hsm\" in a password");
    if (SFile.size() + password.size() + 20 > kMaxHeaderScan)
        return fail(notDone + ": the password is too long for a .kvr container");

    const std::string header = HeaderEncrypt(SFile) + FileCode + HeaderEncrypt(password) + PassCode;
    out.Reserve(static_cast<std::int64_t>(header.size()) + src.size);
    if (fsio::WriteAll(out.fd(), header.data(), header.size()) != 0) return fail(writeError);

    bar.SetTotal(src.size);
    switch (CopyShifted(src, 0, src.size, out.fd(), EncodeBody, bar)) {
    case CopyResult::ReadError: return fail(readError);
    case CopyResult::WriteError: return fail(writeError);
    case CopyResult::Done: break;
    }
    src.fd.close();
    if (!out.Close()) return fail(writeError);
    if (!out.Commit(DFileCompletePath, DFileReplace)) {
        return fail(errno == EEXIST ? notDone + ": ' " + DFileCompletePath + " ' already exists"
                                    : writeError);
    }
    ++ProcessedCount;
    SuccessFlag = 1;
    SFileId = src.id;
}

void Job::Decryption() {
    FileBar bar(window_, PumpInterval);
    SFileId = {};
    const std::string notDone = "' " + SFilePath + " ' is not Decrypted ";
    const std::string destDir = m_SameRadio == 0 ? DFilePath : SFileParent;

    Source src = OpenSource(SFilePath);
    if (src.fd.ok() && NamesFile(DFileCompletePath, src.id)) {
        MessageBox(notDone + ": the output ' " + DFileCompletePath + " ' is the file itself");
        return;
    }
    TempOutput out(DFileCompletePath);
    if (!src.fd.ok()) MessageBox("The Sorce File '" + SFilePath + "' Does Not Exist");
    if (!out.ok()) MessageBox("The Destination Directory '" + destDir + "' Does Not Exist ");
    if (!src.fd.ok() || !out.ok()) return;

    const std::string readError =
        "Error in reading ' " + SFilePath + " '. Due to less disk space or bad clusters";
    const std::string writeError =
        "Error in writing ' " + DFileCompletePath + " '. Due to less disk space or bad clusters";
    auto fail = [&](const std::string& message) {
        SuccessFlag = 0;
        src.fd.reset();
        out.Discard(*this);
        MessageBox(message);
    };

    UpdateData(true);
    std::string candidate = m_Password;
    if (m_SamePassRadio == 1 && !window_.PromptPassword("File --> " + SFilePath, candidate))
        return fail(notDone);
    while (candidate != HeaderPassword) {
        if (!window_.PromptPassword("Failed :( " + SFilePath + " )", candidate)) return fail(notDone);
    }

    bar.SetTotal(src.size);
    const std::int64_t body = std::max<std::int64_t>(0, src.size - HeaderLength);
    out.Reserve(body);
    switch (CopyShifted(src, HeaderLength, body, out.fd(), DecodeBody, bar)) {
    case CopyResult::ReadError: return fail(readError);
    case CopyResult::WriteError: return fail(writeError);
    case CopyResult::Done: break;
    }
    src.fd.close();
    if (!out.Close()) return fail(writeError);
    if (!out.Commit(DFileCompletePath, DFileReplace)) {
        return fail(errno == EEXIST ? notDone + ": ' " + DFileCompletePath + " ' already exists"
                                    : writeError);
    }
    ++ProcessedCount;
    SuccessFlag = 1;
    SFileId = src.id;
}

}  // namespace ombrix
