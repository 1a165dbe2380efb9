// Every failure of both passes, made to happen through the file layer: the
// message, the flag, and what is left on disk.
#include <cerrno>
#include <functional>
#include <unistd.h>

#include "support/JobFixture.h"

namespace ombrix::test {
namespace {

using fsio::Op;
using Texts = std::vector<std::string>;

struct FaultRow {
    const char* what;
    Op op;
    int nth;
    int err;
    enum Message { SourceMissing, FolderMissing, ReadError, WriteError } message;
};

class FaultsTest : public JobFixture {
protected:
    FaultsTest() : body(RandomBytes((2 << 20) + 777, 3)) {}  // more than one block

    // Runs each row on one file: place() chooses the output (the user agrees
    // to replace the existing target), the row's fault is armed, pass() runs.
    // Then: the row's message alone, SuccessFlag 0, the source unchanged, no
    // temporary or partial output, the old target whole.
    template <std::size_t N>
    void RunRows(const FaultRow (&rows)[N], const std::string& source, const std::string& target,
                 const std::vector<std::string>& names, const std::function<void()>& place,
                 const std::function<void()>& pass, bool decrypting) {
        const std::string sourceBytes = ReadFile(source);
        const std::string expected[] = {
            "The Sorce File '" + source + "' Does Not Exist",
            "The Destination Directory '" + dir.path() + "' Does Not Exist ",
            std::string(decrypting ? "Error in reading ' " : "Error in Reading ' ") + source +
                " '. Due to less disk space or bad clusters",
            std::string(decrypting ? "Error in writing ' " : "Error in Writing ' ") + target +
                " '. Due to less disk space or bad clusters",
        };
        for (const auto& row : rows) {
            SCOPED_TRACE(row.what);
            WriteFile(target, "old target");
            w.QueueAnswer(Answer::Yes);
            place();
            ASSERT_EQ(job.DFileCompletePath, target);
            w.ClearRecords();
            fsio::ResetFaults();
            fsio::FailNth(row.op, row.nth, row.err);
            job.SuccessFlag = 0;
            pass();
            fsio::ResetFaults();
            EXPECT_EQ(w.Texts(), Texts{expected[row.message]});
            EXPECT_EQ(job.SuccessFlag, 0);
            EXPECT_EQ(dir.List(), names);
            EXPECT_EQ(ReadFile(source), sourceBytes);
            EXPECT_EQ(ReadFile(target), "old target");
        }
    }

    std::string body;
};

const FaultRow kEncryptRows[] = {
    {"source cannot be opened", Op::Open, 1, EACCES, FaultRow::SourceMissing},
    {"destination cannot be opened", Op::Open, 2, ENOSPC, FaultRow::FolderMissing},
    {"header cannot be written", Op::Write, 1, ENOSPC, FaultRow::WriteError},
    {"first read fails", Op::Read, 1, EIO, FaultRow::ReadError},
    {"a later read fails", Op::Read, 2, EIO, FaultRow::ReadError},
    {"first body write fails", Op::Write, 2, ENOSPC, FaultRow::WriteError},
    {"a later body write fails", Op::Write, 3, EIO, FaultRow::WriteError},
    {"last buffered bytes cannot be flushed", Op::Flush, 1, ENOSPC, FaultRow::WriteError},
    {"closing the destination fails", Op::Close, 2, EIO, FaultRow::WriteError},
    {"the finished file cannot take its name", Op::Rename, 1, EIO, FaultRow::WriteError},
    {"the source's size cannot be checked again", Op::Stat, 3, EIO, FaultRow::ReadError},
};

TEST_F(FaultsTest, EncryptionFailuresLoseNothing) {
    const std::string src = dir / "a.txt";
    WriteFile(src, body);
    RunRows(
        kEncryptRows, src, dir / "a.kvr", {"a.kvr", "a.txt"},
        [&] {
            job.SettingSourceAttributes(src);
            job.SettingDestinationPath();
        },
        [&] { job.Encryption(); }, false);
}

const FaultRow kDecryptRows[] = {
    {"container cannot be opened", Op::Open, 1, EACCES, FaultRow::SourceMissing},
    {"output cannot be opened", Op::Open, 2, EROFS, FaultRow::FolderMissing},
    {"first read fails", Op::Read, 1, EIO, FaultRow::ReadError},
    {"a later read fails", Op::Read, 3, EIO, FaultRow::ReadError},
    {"first write fails", Op::Write, 1, ENOSPC, FaultRow::WriteError},
    {"a later write fails", Op::Write, 2, ENOSPC, FaultRow::WriteError},
    {"last buffered bytes cannot be flushed", Op::Flush, 1, ENOSPC, FaultRow::WriteError},
    {"closing the output fails", Op::Close, 2, EIO, FaultRow::WriteError},
    {"the finished file cannot take its name", Op::Rename, 1, EDQUOT, FaultRow::WriteError},
    {"the container's size cannot be checked again", Op::Stat, 3, EIO, FaultRow::ReadError},
};

TEST_F(FaultsTest, DecryptionFailuresLoseNothing) {
    const std::string container = dir / "c.kvr";
    WriteFile(container, ContainerBytes("c.txt", "pw", body));
    job.ProcessFlag = 1;
    RunRows(
        kDecryptRows, container, dir / "c.txt", {"c.kvr", "c.txt"},
        [&] {
            job.SettingSourceAttributes(container);
            job.CheckEncryptedFile();
            ASSERT_EQ(job.HeaderFlag, 1);
            job.SettingHeaderAttributes(job.HeaderString);
            job.SettingDestinationPath();
        },
        [&] { job.Decryption(); }, true);
}

// A source cut short while it is copied is a failed read, not a short output,
// and said for what it is.
TEST_F(FaultsTest, SourceShrinkingDuringThePassIsAReadError) {
    const std::string src = dir / "a.txt", target = dir / "a.kvr";
    WriteFile(src, body);
    WriteFile(target, "old target");
    w.controls.samePass = 1;
    w.QueuePrompt("pw");
    w.QueueAnswer(Answer::Yes);
    w.onPrompt = [&] { ASSERT_EQ(::truncate(src.c_str(), 1000), 0); };
    Encrypt(src);
    EXPECT_EQ(w.boxes.back().text, "' " + src + " ' is not Encrypted : ' " + src + " ' changed while it was read");
    EXPECT_EQ(job.SuccessFlag, 0);
    EXPECT_EQ(dir.List(), (Texts{"a.kvr", "a.txt"}));
    EXPECT_EQ(ReadFile(src), body.substr(0, 1000));
    EXPECT_EQ(ReadFile(target), "old target");
}

// Only a named temporary (where the file system makes no unnamed files) can
// outlive a failure.
TEST_F(FaultsTest, FailedRemovalOfTheUnfinishedOutputIsReported) {
    const std::string src = dir / "a.txt";
    WriteFile(src, "data");
    job.SettingSourceAttributes(src);
    job.SettingDestinationPath();
    fsio::ResetFaults();
    fsio::FailNth(Op::Open, 2, EOPNOTSUPP);
    fsio::FailNth(Op::Write, 1, ENOSPC);
    fsio::FailNth(Op::Remove, 1, EBUSY);
    job.Encryption();
    ASSERT_EQ(w.boxes.size(), 2u);
    EXPECT_EQ(w.boxes[0].text.rfind("File ' " + dir.path() + "/.ombrix-", 0), 0u) << w.boxes[0].text;
    EXPECT_NE(w.boxes[0].text.find(" ' is Not Deleted Due to Access Failure."), std::string::npos);
    EXPECT_EQ(w.boxes[1].text, "Error in Writing ' " + (dir / "a.kvr") + " '. Due to less disk space or bad clusters");
}

}  // namespace
}  // namespace ombrix::test
