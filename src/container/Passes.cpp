// The encryption and decryption passes. Block I/O in one pass over the
// input; the output goes to a temporary file beside its final name and takes
// that name only when complete, so a failure never leaves a partial file and
// never costs an existing one.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <random>
#include <unistd.h>

#include "container/Container.h"
#include "container/FileIO.h"
#include "job/Job.h"
#include "job/Stop.h"

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

// What one pass shares with the other: its files, its bar, its messages and
// its failure sequence. `verb` is "Encrypted" or "Decrypted"; the read and
// write messages differ between the passes only in their capitals.
class Pass {
public:
    const std::string notDone, readError, writeError, stopped;

    Pass(Job& job, const char* verb, const char* reading, const char* writing)
        : notDone(std::string("' ") + job.SFilePath + " ' is not " + verb + " "),
          readError(std::string("Error in ") + reading + " ' " + job.SFilePath +
                    " '. Due to less disk space or bad clusters"),
          writeError(std::string("Error in ") + writing + " ' " + job.DFileCompletePath +
                     " '. Due to less disk space or bad clusters"),
          stopped(notDone + ": the batch was stopped"),
          job_(job), bar_(job.Window(), job.PumpInterval) {
        job_.SFileId = {};
    }

    // Opens the input and a temporary output, or reports why not. Nothing is
    // left behind when either fails.
    bool Open() {
        src_ = OpenSource(job_.SFilePath);
        if (src_.fd.ok() && NamesFile(job_.DFileCompletePath, src_.id)) {
            job_.MessageBox(notDone + ": the output ' " + job_.DFileCompletePath + " ' is the file itself");
            return false;
        }
        out_.emplace(job_.DFileCompletePath);
        const std::string& destDir = job_.m_SameRadio == 0 ? job_.DFilePath : job_.SFileParent;
        if (!src_.fd.ok()) job_.MessageBox("The Sorce File '" + job_.SFilePath + "' Does Not Exist");
        if (!out_->ok()) job_.MessageBox("The Destination Directory '" + destDir + "' Does Not Exist ");
        return src_.fd.ok() && out_->ok();
    }

    std::int64_t SourceSize() const { return src_.size; }
    int OutFd() const { return out_->fd(); }

    // The failure sequence: close both, remove the unfinished output, say why.
    void Fail(const std::string& message) {
        job_.SuccessFlag = 0;
        src_.fd.reset();
        out_->Discard(job_);
        job_.MessageBox(message);
    }

    // Copies count bytes from offset `from`, shifted, then closes the files and
    // gives the output its final name.
    void Finish(std::int64_t from, std::int64_t count, void (*shift)(unsigned char*, std::size_t)) {
        bar_.SetTotal(src_.size);
        std::unique_ptr<unsigned char[]> buf(new unsigned char[kBlock]);
        for (std::int64_t done = 0; done < count;) {
            // A stop request ends the file at the next block.
            if (StopRequested()) return Fail(stopped);
            auto want = static_cast<std::size_t>(std::min<std::int64_t>(kBlock, count - done));
            long long n = fsio::ReadAt(src_.fd.get(), buf.get(), want, from + done);
            if (n <= 0) return Fail(readError);  // an error, or the file got shorter
            shift(buf.get(), static_cast<std::size_t>(n));
            if (fsio::WriteAll(out_->fd(), buf.get(), static_cast<std::size_t>(n)) != 0) return Fail(writeError);
            done += n;
            bar_.Advance(done);
        }
        struct stat st {};
        if (fsio::Fstat(src_.fd.get(), st) != 0 || st.st_size != src_.size) return Fail(readError);
        if (StopRequested()) return Fail(stopped);
        src_.fd.close();
        if (!out_->Close()) return Fail(writeError);
        if (!out_->Commit(job_.DFileCompletePath, job_.DFileReplace))
            return Fail(errno == EEXIST ? notDone + ": ' " + job_.DFileCompletePath + " ' already exists"
                                        : writeError);
        ++job_.ProcessedCount;
        job_.SuccessFlag = 1;
        job_.SFileId = src_.id;
    }

    void Reserve(std::int64_t size) { out_->Reserve(size); }

private:
    Job& job_;
    FileBar bar_;
    Source src_;
    std::optional<TempOutput> out_;
};

}  // namespace

void Job::Encryption() {
    Pass pass(*this, "Encrypted", "Reading", "Writing");
    if (Contains(SFile, kNameMark) || Contains(SFile, kPassMark)) {
        MessageBox(pass.notDone + ": a .kvr container cannot carry \"!hsc\" or \"!hsm\" in a file name");
        return;
    }
    if (!pass.Open()) return;

    UpdateData(true);
    std::string password = m_Password;
    if (m_SamePassRadio == 1 && !window_.PromptPassword("File --> " + SFilePath, password))
        return pass.Fail(pass.notDone);
    if (Contains(password, kPassMark))
        return pass.Fail(pass.notDone + ": a .kvr container cannot carry \"!hsm\" in a password");
    if (SFile.size() + password.size() + 20 > kMaxHeaderScan)
        return pass.Fail(pass.notDone + ": the password is too long for a .kvr container");

    const std::string header = HeaderEncrypt(SFile) + FileCode + HeaderEncrypt(password) + PassCode;
    pass.Reserve(static_cast<std::int64_t>(header.size()) + pass.SourceSize());
    if (fsio::WriteAll(pass.OutFd(), header.data(), header.size()) != 0) return pass.Fail(pass.writeError);
    pass.Finish(0, pass.SourceSize(), EncodeBody);
}

void Job::Decryption() {
    Pass pass(*this, "Decrypted", "reading", "writing");
    if (!pass.Open()) return;

    UpdateData(true);
    std::string candidate = m_Password;
    if (m_SamePassRadio == 1 && !window_.PromptPassword("File --> " + SFilePath, candidate))
        return pass.Fail(pass.notDone);
    while (candidate != HeaderPassword) {
        if (!window_.PromptPassword("Failed :( " + SFilePath + " )", candidate)) return pass.Fail(pass.notDone);
    }

    const std::int64_t body = std::max<std::int64_t>(0, pass.SourceSize() - HeaderLength);
    pass.Reserve(body);
    pass.Finish(HeaderLength, body, DecodeBody);
}

}  // namespace ombrix
