// The encryption and decryption passes. Block I/O in one pass over the
// input; the output is written unnamed beside its final name and takes that
// name only when complete, so a failure, a stop or a crash never leaves a
// partial file and never costs an existing one.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <unistd.h>

#include "container/Container.h"
#include "container/FileIO.h"
#include "container/OutputFile.h"
#include "job/Job.h"
#include "job/Stop.h"

namespace ombrix {
namespace {

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
        done = std::min(done, total_);
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
    fsio::FileIdentity id;  // as it was when opened
};

Source OpenSource(const std::string& path) {
    Source src;
    fsio::Fd fd(fsio::Open(path, O_RDONLY | O_NONBLOCK));
    struct stat st {};
    if (!fd.ok() || fsio::Fstat(fd.get(), st) != 0 || !S_ISREG(st.st_mode)) return src;
    src.fd = std::move(fd);
    src.id = fsio::FileIdentity::Of(st);
    return src;
}

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
        job_.SFileIdentity = {};
        job_.OutputVerified = false;
    }

    // Opens the input and an output nobody else can see yet, or reports why
    // not. A target that cannot be used is found here, before anything is
    // written. Nothing is left behind when either fails.
    bool Open() {
        src_ = OpenSource(job_.SFilePath);
        if (src_.fd.ok()) {
            if (std::string refusal = TargetRefusal(); !refusal.empty()) {
                job_.MessageBox(refusal);
                return false;
            }
        }
        out_.emplace(job_.DFileCompletePath);
        const std::string& destDir = job_.m_SameRadio == 0 ? job_.DFilePath : job_.SFileParent;
        if (!src_.fd.ok()) job_.MessageBox("The Sorce File '" + job_.SFilePath + "' Does Not Exist");
        if (!out_->ok()) job_.MessageBox("The Destination Directory '" + destDir + "' Does Not Exist ");
        return src_.fd.ok() && out_->ok();
    }

    std::int64_t SourceSize() const { return src_.id.size; }

    // The failure sequence: close both, remove the unfinished output, say why.
    void Fail(const std::string& message) {
        job_.SuccessFlag = 0;
        src_.fd.reset();
        out_->Discard([this](const std::string& path) { job_.DeleteFile(path); });
        job_.MessageBox(message);
    }

    // Writes head, then the input from offset `from` to its end, shifted,
    // and gives the output its name. When the original is to be deleted, the
    // content (the input's bytes when `contentIsInput`, else the output's) is
    // digested on the way and compared with the output read back through
    // `decode`.
    void Finish(std::int64_t from, const std::string& head, void (*shift)(unsigned char*, std::size_t),
                bool contentIsInput, const ContentDecoder& decode) {
        const bool deleting = job_.m_Delete == 1;
        Digest128 content;
        bar_.SetTotal(src_.id.size);
        out_->Reserve(static_cast<std::int64_t>(head.size()) + std::max<std::int64_t>(0, src_.id.size - from));
        std::unique_ptr<unsigned char[]> buf(new unsigned char[fsio::kBlock]);
        bool headWritten = head.empty();
        // To the end of the file, not to the size it reported: files under
        // /proc and /sys report 0, or a page, whatever they hold. Growth is
        // caught below.
        for (std::int64_t done = 0;;) {
            // A stop request ends the file at the next block.
            if (StopRequested()) return Fail(stopped);
            long long n = fsio::ReadAt(src_.fd.get(), buf.get(), fsio::kBlock, from + done);
            if (n < 0) return Fail(readError);
            if (n == 0) break;
            const auto size = static_cast<std::size_t>(n);
            if (deleting && contentIsInput) content.Update(buf.get(), size);
            shift(buf.get(), size);
            if (deleting && !contentIsInput) content.Update(buf.get(), size);
            // The head goes out with the first block: one call, not two.
            int written = headWritten ? fsio::WriteAll(out_->fd(), buf.get(), size)
                                      : fsio::WriteAll(out_->fd(), head.data(), head.size(), buf.get(), size);
            if (written != 0) return Fail(writeError);
            headWritten = true;
            done += n;
            bar_.Advance(done);
            // A short read past the size the file reported is its end; a
            // size of 0 tells nothing, so such a file is read until a read
            // returns nothing.
            if (size < fsio::kBlock && src_.id.size > 0 && from + done >= src_.id.size) break;
        }
        if (!headWritten && fsio::WriteAll(out_->fd(), head.data(), head.size()) != 0) return Fail(writeError);
        // A regular file whose size changed while it was read is not what was copied.
        struct stat st {};
        if (fsio::Fstat(src_.fd.get(), st) != 0 || st.st_size != src_.id.size) return Fail(readError);
        if (StopRequested()) return Fail(stopped);
        src_.fd.close();
        if (!out_->Close()) return Fail(writeError);

        const bool replace = job_.DFileReplace;
        bool durable = false;
        if (deleting || replace) {
            durable = out_->Sync();
            // What may not be on disk never takes an existing file's place.
            if (!durable && replace) return Fail(writeError);
        }
        bool verified = false;
        if (deleting && durable) {
            switch (out_->Verify(decode, content.Final())) {
                case OutputFile::ReadBack::Same: verified = true; break;
                case OutputFile::ReadBack::Stopped: return Fail(stopped);
                default: break;  // the output stays; the original will too
            }
        }
        out_->TakeMode(src_.id.mode);
        const fsio::FileIdentity output = out_->Identity();
        if (!out_->Commit(replace)) return Fail(CommitFailure(errno));
        // The original may go only once the output's name is on disk too.
        if (verified && fsio::SyncDir(fsio::DirName(job_.DFileCompletePath)) != 0) verified = false;
        ++job_.ProcessedCount;
        job_.SuccessFlag = 1;
        job_.SFileIdentity = src_.id;
        job_.OutputVerified = verified;
        job_.NoteBatchOutput(output);
    }

private:
    // Why the output cannot go to its target, or "".
    std::string TargetRefusal() const {
        const std::string& target = job_.DFileCompletePath;
        const std::string tooLong = notDone + ": the name of ' " + target + " ' is too long";
        if (fsio::BaseName(target).size() > NAME_MAX) return tooLong;
        struct stat st {};
        if (fsio::Lstat(target, st) != 0) return errno == ENAMETOOLONG ? tooLong : std::string();
        if (S_ISLNK(st.st_mode)) (void)fsio::Stat(target, st);
        if (fsio::FileIdentity::Of(st).SameFile(src_.id))
            return notDone + ": the output ' " + target + " ' is the file itself";
        // Only a file the user agreed to replace may be; a dangling link, a
        // folder or an unreadable file at the name counted as free.
        if (!job_.DFileReplace || S_ISDIR(st.st_mode)) return notDone + ": ' " + target + " ' already exists";
        return {};
    }

    // Space and I/O errors keep the usual writing message; anything else
    // (a sticky folder, a denied access) is named as it is.
    std::string CommitFailure(int err) const {
        if (err == EEXIST) return notDone + ": ' " + job_.DFileCompletePath + " ' already exists";
        if (err == ENOSPC || err == EDQUOT || err == EIO) return writeError;
        return notDone + ": ' " + job_.DFileCompletePath + " ' cannot be created : " + std::strerror(err);
    }

    Job& job_;
    FileBar bar_;
    Source src_;
    std::optional<OutputFile> out_;
};

// Reading a container back: its header exactly as written, then the body
// decoded.
ContentDecoder ContainerDecoder(const std::string& header) {
    return [&header](std::int64_t offset, unsigned char* p, std::size_t n, Digest128& content) {
        const auto h = static_cast<std::int64_t>(header.size());
        if (n == 0) return offset >= h;
        std::size_t skip = 0;
        if (offset < h) {
            skip = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(n), h - offset));
            if (std::memcmp(p, header.data() + offset, skip) != 0) return false;
        }
        DecodeBody(p + skip, n - skip);
        content.Update(p + skip, n - skip);
        return true;
    };
}

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
    pass.Finish(0, header, EncodeBody, true, ContainerDecoder(header));
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

    // The restored file is its own content.
    pass.Finish(HeaderLength, {}, DecodeBody, false,
                [](std::int64_t, unsigned char* p, std::size_t n, Digest128& content) {
                    content.Update(p, n);
                    return true;
                });
}

}  // namespace ombrix
