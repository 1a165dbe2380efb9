// The encryption and decryption passes, whatever the container format: the
// codec turns bytes into bytes, the pass does the files. Block I/O in one
// pass over the input; the output is written unnamed beside its final name
// and takes that name only when complete, so a failure, a stop or a crash
// never leaves a partial file and never costs an existing one.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <unistd.h>

#include "container/Codec.h"
#include "container/FileIO.h"
#include "container/OutputFile.h"
#include "job/Job.h"
#include "job/Stop.h"
#include "job/Texts.h"

namespace ombrix {
namespace {

using container::Result;
using container::Stream;
using text::Say;

// The per-file bar shows each integer percentage that a byte-by-byte copy
// would reach, once, in order; 0 is never set.
class FileBar {
public:
    FileBar(JobWindow& window, std::chrono::milliseconds pumpEvery)
        : window_(window), pumpEvery_(pumpEvery), lastPump_(std::chrono::steady_clock::now()) {
        window_.SetBarColor(Bar::File, 240, 0, 0);
        window_.SetBarRange(Bar::File, 0, 100);
        window_.ShowBar(Bar::File, true);
        window_.SetBarPos(Bar::File, 0);
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
        PumpIfDue();
    }

    // Lets the window paint when the interval has passed since it last did.
    void PumpIfDue() {
        if (std::chrono::steady_clock::now() - lastPump_ >= pumpEvery_) {
            window_.PumpEvents();
            lastPump_ = std::chrono::steady_clock::now();
        }
    }

private:
    int Percent(std::int64_t done) const {
        return static_cast<int>(static_cast<unsigned __int128>(done) * 100 / static_cast<unsigned __int128>(total_));
    }
    void Show(int p) {
        window_.SetBarPos(Bar::File, p);
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
// its failure sequence. The read and write messages differ between the
// passes only in their capitals.
class Pass {
public:
    const std::string notDone, readError, writeError, stopped, damaged, noMemory, changed;

    Pass(Job& job, bool decrypting)
        : notDone(decrypting ? Say<JobText::NotDecrypted>(job.SFilePath) : Say<JobText::NotEncrypted>(job.SFilePath)),
          readError(decrypting ? Say<JobText::ReadErrorDecrypting>(job.SFilePath)
                               : Say<JobText::ReadErrorEncrypting>(job.SFilePath)),
          writeError(decrypting ? Say<JobText::WriteErrorDecrypting>(job.DFileCompletePath)
                                : Say<JobText::WriteErrorEncrypting>(job.DFileCompletePath)),
          stopped(Because(Say<JobText::Stopped>())), damaged(Because(Say<JobText::Damaged>())),
          noMemory(Because(Say<JobText::NoMemory>())), changed(Because(Say<JobText::ChangedWhileRead>(job.SFilePath))),
          job_(job), bar_(job.Window(), job.PumpInterval) {
        job_.SFileIdentity = {};
        job_.OutputVerified = false;
    }

    // The file not done, and why.
    std::string Because(const std::string& why) const { return Say<JobText::NotDoneBecause>(notDone, why); }
    // A read or write failure with the errno it left.
    std::string ReadFailure(int err) const { return FileFailure(err, readError, notDone, job_.SFilePath, true); }
    std::string WriteFailure(int err) const {
        return FileFailure(err, writeError, notDone, job_.DFileCompletePath, false);
    }

    // Opens the input and an output nobody else can see yet, or reports why
    // not. A target that cannot be used is found here, before anything is
    // written. Nothing is left behind when either fails.
    bool Open() {
        src_ = OpenSource(job_.SFilePath);
        if (src_.fd.ok()) {
            if (std::string refusal = TargetRefusal(); !refusal.empty()) {
                job_.Window().ShowMessage(refusal);
                return false;
            }
        }
        out_.emplace(job_.DFileCompletePath);
        const std::string& destDir = job_.m_SameRadio == 0 ? job_.DFilePath : job_.SFileParent;
        if (!src_.fd.ok()) job_.Window().ShowMessage(Say<JobText::SourceMissing>(job_.SFilePath));
        if (!out_->ok()) job_.Window().ShowMessage(Say<JobText::FolderMissing>(destDir));
        return src_.fd.ok() && out_->ok();
    }

    std::int64_t SourceSize() const { return src_.id.size; }
    // The input opened is, unchanged, the file `seen` describes.
    bool SourceIs(const fsio::FileIdentity& seen) const { return src_.id.Unchanged(seen); }

    // The password to try first, read from the controls at this moment: the
    // window's, or the one typed at the file's prompt. A cancelled prompt
    // fails the pass.
    bool FirstPassword(std::string& password) {
        job_.UpdateData(true);
        password = job_.m_Password;
        if (job_.m_SamePassRadio == 1 &&
            !job_.Window().PromptPassword(Say<JobText::PromptFile>(job_.SFilePath), password)) {
            Fail(notDone);
            return false;
        }
        return true;
    }

    // The failure sequence: close both, remove the unfinished output, say why.
    void Fail(const std::string& message) {
        job_.SuccessFlag = 0;
        src_.fd.reset();
        out_->Discard([this](const std::string& path) { job_.DeleteFile(path); });
        job_.Window().ShowMessage(message);
    }

    // Runs the codec (`code`) over the input from offset `from` to its end
    // and gives the output its name. When the original is to be deleted, the
    // content (the input's bytes when `contentIsInput`, else the output's) is
    // digested on the way and compared with the output read back through
    // `decode`.
    void Finish(std::int64_t from, std::int64_t outputSize, const std::function<Result(const Stream&)>& code,
                bool contentIsInput, const ContentDecoder& decode) {
        const bool deleting = job_.m_Delete == 1;
        Digest128 content;
        bar_.SetTotal(src_.id.size);
        out_->Reserve(outputSize);
        std::int64_t done = 0;
        bool ended = false;
        // What the system said when a read or a write failed: the codec may
        // make other calls before it returns.
        int readErrno = 0, writeErrno = 0;
        Stream io;
        // To the end of the file, not to the size it reported: files under
        // /proc and /sys report 0, or a page, whatever they hold. Growth is
        // caught below.
        io.read = [&](unsigned char* buf, std::size_t n) -> long long {
            if (ended) return 0;
            long long got = fsio::ReadAt(src_.fd.get(), buf, n, from + done);
            if (got < 0) {
                readErrno = errno;
                return -1;
            }
            if (deleting && contentIsInput) content.Update(buf, static_cast<std::size_t>(got));
            done += got;
            // A short read past the size the file reported is its end; a
            // size of 0 tells nothing, so such a file is read until a read
            // returns nothing.
            if (static_cast<std::size_t>(got) < n && src_.id.size > 0 && from + done >= src_.id.size) ended = true;
            return got;
        };
        io.write = [&](const unsigned char* buf, std::size_t n) {
            if (deleting && !contentIsInput) content.Update(buf, n);
            if (fsio::WriteAll(out_->fd(), buf, n) == 0) return true;
            writeErrno = errno;
            return false;
        };
        io.progress = [this](std::int64_t handled) { bar_.Advance(handled); };
        // A stop request ends the file at the next block.
        io.stop = [] { return StopRequested() != 0; };
        switch (code(io)) {
        case Result::Ok: break;
        case Result::ReadError: return Fail(ReadFailure(readErrno));
        case Result::Stopped: return Fail(stopped);
        case Result::WriteError: return Fail(WriteFailure(writeErrno));
        // What was read cannot be what was written: nothing of it is kept.
        case Result::Damaged: return Fail(damaged);
        case Result::NoResources: return Fail(noMemory);
        }
        // A regular file whose size changed while it was read is not what was copied.
        struct stat st {};
        if (fsio::Fstat(src_.fd.get(), st) != 0) return Fail(ReadFailure(errno));
        if (st.st_size != src_.id.size) return Fail(changed);
        if (StopRequested()) return Fail(stopped);
        src_.fd.close();
        if (!out_->Close()) return Fail(WriteFailure(errno));

        const bool replace = job_.DFileReplace;
        bool durable = false;
        if (deleting || replace) {
            durable = out_->Sync();
            // What may not be on disk never takes an existing file's place.
            if (!durable && replace) return Fail(WriteFailure(errno));
        }
        bool verified = false;
        if (deleting && durable) {
            // Reading a large output back takes as long as writing it: the window keeps painting.
            const auto stop = [this] {
                bar_.PumpIfDue();
                return StopRequested() != 0;
            };
            switch (out_->Verify(decode, content.Final(), stop)) {
            case OutputFile::ReadBack::Same: verified = true; break;
            case OutputFile::ReadBack::Stopped: return Fail(stopped);
            default: break;  // the output stays; the original will too
            }
        }
        out_->TakeMode(src_.id.mode, src_.id.gid);
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
        const std::string tooLong = Because(Say<JobText::NameTooLong>(target));
        if (fsio::BaseName(target).size() > NAME_MAX) return tooLong;
        struct stat st {};
        if (fsio::Lstat(target, st) != 0) return errno == ENAMETOOLONG ? tooLong : std::string();
        if (S_ISLNK(st.st_mode)) (void)fsio::Stat(target, st);
        if (fsio::FileIdentity::Of(st).SameFile(src_.id)) return Because(Say<JobText::OutputIsInput>(target));
        // Only a file the user agreed to replace may be; a dangling link, a
        // folder or an unreadable file at the name counted as free.
        if (!job_.DFileReplace || S_ISDIR(st.st_mode)) return Because(Say<JobText::AlreadyExists>(target));
        return {};
    }

    // Space and I/O errors keep the usual writing message; anything else
    // (a sticky folder, a denied access) is named as it is.
    std::string CommitFailure(int err) const {
        const std::string& target = job_.DFileCompletePath;
        if (err == EEXIST) return Because(Say<JobText::AlreadyExists>(target));
        if (UsualCause(err)) return writeError;
        return Because(Say<JobText::CannotCreate>(target, std::strerror(err)));
    }

    Job& job_;
    FileBar bar_;
    Source src_;
    std::optional<OutputFile> out_;
};

// A stream over what a container's output is read back from: its bytes
// pass through `io.write` into the content; nothing is stopped here, the
// reading is.
Stream ReadBackStream(const container::ReadFn& read, Digest128& content) {
    Stream io;
    io.read = read;
    io.write = [&content](const unsigned char* buf, std::size_t n) {
        content.Update(buf, n);
        return true;
    };
    io.progress = [](std::int64_t) {};
    io.stop = [] { return false; };
    return io;
}

}  // namespace

void Job::Encryption() {
    Pass pass(*this, false);
    container::Codec& codec = *codec_;
    if (std::string refusal = codec.NameRefusal(SFile); !refusal.empty()) {
        window_.ShowMessage(pass.Because(refusal));
        return;
    }
    std::string password;
    if (!pass.Open() || !pass.FirstPassword(password)) return;
    if (std::string refusal = codec.PasswordRefusal(SFile, password); !refusal.empty())
        return pass.Fail(pass.Because(refusal));

    std::unique_ptr<container::Writer> writer = codec.NewWriter(SFile, password);
    const auto write = [&](const Stream& io) { return writer->Write(io); };
    const auto readBack = [&](const container::ReadFn& read, Digest128& content) {
        return writer->ReadBack(ReadBackStream(read, content)) == Result::Ok;
    };
    pass.Finish(0, writer->OutputSize(pass.SourceSize()), write, true, readBack);
}

void Job::Decryption() {
    Pass pass(*this, true);
    if (!reader_) {  // no container was checked
        window_.ShowMessage(pass.notDone);
        return;
    }
    std::string candidate;
    if (!pass.Open()) return;
    // A container swapped or rewritten since its header was read would be
    // decoded from the wrong place, and then deleted.
    if (!pass.SourceIs(HeaderIdentity)) return pass.Fail(pass.changed);
    if (!pass.FirstPassword(candidate)) return;
    const auto pump = [this] { window_.PumpEvents(); };
    for (;;) {
        const container::Reader::Key key = reader_->Unlock(candidate, pump);
        if (key == container::Reader::Key::Open) break;
        if (key == container::Reader::Key::NoResources) return pass.Fail(pass.noMemory);
        // A stop asked for while a slow check worked is not met by a question.
        if (StopRequested()) return pass.Fail(pass.stopped);
        if (!window_.PromptPassword(Say<JobText::PromptFailed>(SFilePath), candidate)) return pass.Fail(pass.notDone);
    }

    const auto restore = [this](const Stream& io) { return reader_->Body(io); };
    // The restored file is its own content.
    const auto readBack = [](const container::ReadFn& read, Digest128& content) {
        std::unique_ptr<unsigned char[]> buf(new unsigned char[fsio::kBlock]);
        for (;;) {
            long long n = read(buf.get(), fsio::kBlock);
            if (n < 0) return false;
            if (n == 0) return true;
            content.Update(buf.get(), static_cast<std::size_t>(n));
        }
    };
    pass.Finish(HeaderLength, reader_->OutputSize(pass.SourceSize()), restore, false, readBack);
}

}  // namespace ombrix
