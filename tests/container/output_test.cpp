// How both passes make their outputs: unseen and private while written, the
// input's permissions once named, refused before any write when the name
// cannot be used, and honest about why a finished file could not be named.
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/JobFixture.h"

namespace ombrix::test {
namespace {

using Texts = std::vector<std::string>;
using fsio::Op;

class OutputTest : public JobFixture {
protected:
    // Encrypts dir/name (or decrypts it when it is a container) with
    // placement done first and the fault counts started afresh for the pass.
    void PlaceThenRun(const std::string& path, bool decrypt, const std::function<void()>& arm = {}) {
        job.ProcessFlag = decrypt ? 1 : 0;
        job.SuccessFlag = 0;
        job.HeaderFlag = 0;
        job.SettingSourceAttributes(path);
        if (decrypt) {
            job.CheckEncryptedFile();
            ASSERT_EQ(job.HeaderFlag, 1);
            job.SettingHeaderAttributes(job.HeaderString);
        }
        job.SettingDestinationPath();
        fsio::ResetFaults();
        if (arm) arm();
        if (decrypt) job.Decryption();
        else job.Encryption();
    }
};

TEST_F(OutputTest, WrittenUnseenAndPrivateThenGivenTheInputsPermissions) {
    const struct {
        const char* what;
        bool decrypt;
        unsigned inputMode, outputMode;
        bool replace;
    } cases[] = {
        {"0600 original", false, 0600, 0600, false},        {"0640 original", false, 0640, 0640, false},
        {"0600 container", true, 0600, 0600, false},        {"0640 container", true, 0640, 0640, false},
        {"set-ID bits dropped", false, 06755, 0755, false}, {"replacing a more open file", false, 0600, 0600, true},
        {"replacing, decrypting", true, 0640, 0640, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        const std::string input = folder / (c.decrypt ? "c.kvr" : "c.txt");
        const std::string output = folder / (c.decrypt ? "c.txt" : "c.kvr");
        const std::string body = RandomBytes((1 << 20) + 3, 11);
        WriteFile(input, c.decrypt ? ContainerBytes("c.txt", "pw", body) : body);
        ASSERT_EQ(::chmod(input.c_str(), c.inputMode), 0);
        if (c.replace) {
            WriteFile(output, "old");
            ASSERT_EQ(::chmod(output.c_str(), 0666), 0);
            w.QueueAnswer(Answer::Yes);
        }
        const Texts before = folder.List();
        int checks = 0;
        auto duringThePass = [&] {
            // Nothing new in the folder; the output is unnamed and the user's alone.
            EXPECT_EQ(folder.List(), before);
            int fd = UnnamedFileIn(folder.path());
            ASSERT_GE(fd, 0);
            EXPECT_EQ(ModeOf(fd), 0600u);
            ++checks;
        };
        PlaceThenRun(input, c.decrypt, [&] {
            fsio::AtNth(Op::Write, 1, duringThePass);
            fsio::AtNth(Op::Read, 3, duringThePass);
        });
        ASSERT_EQ(job.SuccessFlag, 1);
        EXPECT_EQ(checks, 2);
        EXPECT_EQ(ModeOf(output), c.outputMode);
        EXPECT_EQ(ReadFile(output), c.decrypt ? body : ContainerBytes("c.txt", "pw", body));
        EXPECT_EQ(UnnamedFileIn(folder.path()), -1);
    }
}

// A set-group-ID folder gives new files its own group: the input's group
// rights must not pass to that group.
TEST_F(OutputTest, GroupRightsGoOnlyToTheInputsGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs a folder of a group the input is not in";
    const gid_t folderGroup = 4242;
    const struct {
        const char* what;
        bool decrypt;
        bool groupRefused;
        gid_t outputGroup;
        unsigned outputMode;
    } cases[] = {
        {"the input's group taken", false, false, 0, 0640},
        {"the input's group taken, decrypting", true, false, 0, 0640},
        {"the input's group refused", false, true, folderGroup, 0600},
        {"the input's group refused, decrypting", true, true, folderGroup, 0600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        ASSERT_EQ(::chown(folder.path().c_str(), static_cast<uid_t>(-1), folderGroup), 0);
        ASSERT_EQ(::chmod(folder.path().c_str(), 02770), 0);
        const std::string input = folder / (c.decrypt ? "c.kvr" : "c.txt");
        const std::string output = folder / (c.decrypt ? "c.txt" : "c.kvr");
        WriteFile(input, c.decrypt ? ContainerBytes("c.txt", "pw", "secret") : "secret");
        ASSERT_EQ(::chown(input.c_str(), static_cast<uid_t>(-1), 0), 0);
        ASSERT_EQ(::chmod(input.c_str(), 0640), 0);
        PlaceThenRun(input, c.decrypt, [&] {
            if (c.groupRefused) fsio::FailNth(Op::Chown, 1, EPERM);
        });
        ASSERT_EQ(job.SuccessFlag, 1);
        struct stat st {};
        ASSERT_EQ(::stat(output.c_str(), &st), 0);
        EXPECT_EQ(st.st_gid, c.outputGroup);
        EXPECT_EQ(st.st_mode & 07777, c.outputMode);
    }
}

// Where the file system makes no unnamed files, a hidden named temporary
// stands in, private too, and never outlives the pass.
TEST_F(OutputTest, HiddenNamedTemporaryWhereUnnamedFilesAreUnsupported) {
    for (bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "replacing" : "new name");
        TempDir folder;
        const std::string body = RandomBytes(600000, 11);
        WriteFile(folder / "a.txt", body);
        ASSERT_EQ(::chmod((folder / "a.txt").c_str(), 0640), 0);
        if (replace) {
            WriteFile(folder / "a.kvr", "old");
            w.QueueAnswer(Answer::Yes);
        }
        std::string temp;
        PlaceThenRun(folder / "a.txt", false, [&] {
            fsio::FailNth(Op::Open, 2, EOPNOTSUPP);
            fsio::AtNth(Op::Write, 2, [&] {
                for (auto& name : folder.List())
                    if (name.rfind(".ombrix-", 0) == 0) temp = name;
                ASSERT_FALSE(temp.empty());
                EXPECT_EQ(ModeOf(folder / temp), 0600u);
            });
        });
        ASSERT_EQ(job.SuccessFlag, 1);
        EXPECT_FALSE(temp.empty());
        EXPECT_EQ(folder.List(), (Texts{"a.kvr", "a.txt"}));
        EXPECT_EQ(ReadFile(folder / "a.kvr"), ContainerBytes("a.txt", "pw", body));
        EXPECT_EQ(ModeOf(folder / "a.kvr"), 0640u);
    }
}

// A name the user did not agree to replace is found taken when the output
// is opened, before a byte is written; placement still counted it as free.
TEST_F(OutputTest, TakenNameIsFoundBeforeAnythingIsWritten) {
    const struct {
        const char* what;
        std::function<void(const std::string&)> make;
        int placementOpenFailures;  // opens placement cannot make (access denied)
    } cases[] = {
        {"a dangling symbolic link", [](const std::string& p) { ASSERT_EQ(::symlink("nowhere", p.c_str()), 0); }, 0},
        {"a folder", [](const std::string& p) { ASSERT_EQ(::mkdir(p.c_str(), 0700), 0); }, 0},
        {"a file the user may not read", [](const std::string& p) { WriteFile(p, "secret"); }, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        WriteFile(folder / "a.txt", RandomBytes(300000, 11));
        c.make(folder / "a.kvr");
        const Texts before = folder.List();
        w.ClearRecords();
        job.SuccessFlag = 0;
        job.ProcessFlag = 0;
        job.SettingSourceAttributes(folder / "a.txt");
        fsio::ResetFaults();
        if (c.placementOpenFailures) fsio::FailNth(Op::Open, 1, EACCES, c.placementOpenFailures);
        job.SettingDestinationPath();
        ASSERT_EQ(job.DFileCompletePath, folder / "a.kvr");  // counted as free: no question
        fsio::ResetFaults();
        job.Encryption();
        EXPECT_EQ(w.Texts(), Texts{"' " + (folder / "a.txt") + " ' is not Encrypted : ' " + (folder / "a.kvr") +
                                   " ' already exists"});
        EXPECT_EQ(fsio::Calls(Op::Write), 0);
        EXPECT_EQ(job.SuccessFlag, 0);
        EXPECT_EQ(folder.List(), before);
    }
}

TEST_F(OutputTest, NameTooLongIsRefusedBeforeAnythingIsWritten) {
    const std::string n255(255, 'n'), y251(251, 'y');
    const struct {
        const char* what;
        bool decrypt;
        std::string input, storedName, existing, output;
    } cases[] = {
        {"container name over 255 bytes", false, n255, "", "", n255 + ".kvr"},
        {"numbered container name over 255 bytes", false, y251 + ".txt", "", y251 + ".kvr", y251 + "1.kvr"},
        {"numbered restored name over 255 bytes", true, "c.kvr", n255, n255, n255 + "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        WriteFile(folder / c.input, c.decrypt ? ContainerBytes(c.storedName, "pw", "body") : "body");
        if (!c.existing.empty()) {
            WriteFile(folder / c.existing, "old");
            w.QueueAnswer(Answer::No);
        }
        const Texts before = folder.List();
        w.ClearRecords();
        PlaceThenRun(folder / c.input, c.decrypt);
        ASSERT_EQ(job.DFileCompletePath, folder / c.output);
        EXPECT_EQ(w.Texts().back(), "' " + (folder / c.input) + " ' is not " + (c.decrypt ? "Decrypted" : "Encrypted") +
                                        " : the name of ' " + (folder / c.output) + " ' is too long");
        EXPECT_EQ(fsio::Calls(Op::Write), 0);
        EXPECT_EQ(job.SuccessFlag, 0);
        EXPECT_EQ(folder.List(), before);
    }
}

// Space and I/O errors keep the writing message; other reasons are named.
TEST_F(OutputTest, FinishedFileThatCannotTakeItsNameSaysWhy) {
    const struct {
        const char* what;
        bool decrypt, replace;
        Op op;
        int err;
        std::string reason;  // "" : the writing message
    } cases[] = {
        {"sticky folder", false, false, Op::Link, EPERM, "Operation not permitted"},
        {"access denied, replacing", false, true, Op::Rename, EACCES, "Permission denied"},
        {"another device, decrypting", true, false, Op::Link, EXDEV, "Invalid cross-device link"},
        {"read-only file system, replacing, decrypting", true, true, Op::Rename, EROFS, "Read-only file system"},
        {"no space", false, false, Op::Link, ENOSPC, ""},
        {"quota, replacing, decrypting", true, true, Op::Rename, EDQUOT, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        const std::string input = folder / (c.decrypt ? "c.kvr" : "c.txt");
        const std::string output = folder / (c.decrypt ? "c.txt" : "c.kvr");
        WriteFile(input, c.decrypt ? ContainerBytes("c.txt", "pw", "body") : "body");
        if (c.replace) {
            WriteFile(output, "old");
            w.QueueAnswer(Answer::Yes);
        }
        const Texts before = folder.List();
        w.ClearRecords();
        PlaceThenRun(input, c.decrypt, [&] { fsio::FailNth(c.op, 1, c.err); });
        const std::string notDone = "' " + input + " ' is not " + (c.decrypt ? "Decrypted" : "Encrypted") + " ";
        const std::string writing = c.decrypt ? "Error in writing ' " : "Error in Writing ' ";
        EXPECT_EQ(w.Texts().back(), c.reason.empty()
                                        ? writing + output + " '. Due to less disk space or bad clusters"
                                        : notDone + ": ' " + output + " ' cannot be created : " + c.reason);
        EXPECT_EQ(job.SuccessFlag, 0);
        EXPECT_EQ(folder.List(), before);
        if (c.replace) {
            EXPECT_EQ(ReadFile(output), "old");
        }
    }
}

// After a power cut the user must have the old file or the new one: the new
// one is on disk before it takes the old one's place.
TEST_F(OutputTest, ReplacingSyncsTheOutputFirst) {
    WriteFile(dir / "a.txt", "new");
    WriteFile(dir / "a.kvr", "old");
    w.QueueAnswer(Answer::Yes);
    int syncsBeforeRename = -1;
    PlaceThenRun(dir / "a.txt", false,
                 [&] { fsio::AtNth(Op::Rename, 1, [&] { syncsBeforeRename = fsio::Calls(Op::Sync); }); });
    ASSERT_EQ(job.SuccessFlag, 1);
    EXPECT_EQ(syncsBeforeRename, 1);

    // A failed sync leaves the old file in place.
    WriteFile(dir / "a.kvr", "old");
    w.QueueAnswer(Answer::Yes);
    w.ClearRecords();
    PlaceThenRun(dir / "a.txt", false, [] { fsio::FailNth(Op::Sync, 1, EIO); });
    EXPECT_EQ(job.SuccessFlag, 0);
    EXPECT_EQ(w.Texts().back(), "Error in Writing ' " + (dir / "a.kvr") + " '. Due to less disk space or bad clusters");
    EXPECT_EQ(ReadFile(dir / "a.kvr"), "old");
    EXPECT_EQ(dir.List(), (Texts{"a.kvr", "a.txt"}));

    // Without Replace and without deletion nothing is synced.
    ::unlink((dir / "a.kvr").c_str());
    PlaceThenRun(dir / "a.txt", false);
    ASSERT_EQ(job.SuccessFlag, 1);
    EXPECT_EQ(fsio::Calls(Op::Sync), 0);
}

// Files under /proc and /sys report a size of 0 (or a page) whatever they
// hold: they are copied to their end.
TEST_F(OutputTest, FileReportingSizeZeroIsCopiedWhole) {
    const std::string proc = "/proc/version";
    struct stat st {};
    if (::stat(proc.c_str(), &st) != 0 || st.st_size != 0) GTEST_SKIP() << proc << " is not a size-0 file here";
    const std::string content = ReadFile(proc);
    ASSERT_FALSE(content.empty());
    w.controls.same = 0;
    w.picker.destination = dir.path();
    PlaceThenRun(proc, false);
    ASSERT_EQ(job.SuccessFlag, 1);
    EXPECT_EQ(ReadFile(dir / "version.kvr"), ContainerBytes("version", "pw", content));
    ASSERT_TRUE(Decrypt(dir / "version.kvr"));
    ASSERT_EQ(job.SuccessFlag, 1);
    EXPECT_EQ(ReadFile(dir / "version"), content);
}

// A source that grows while it is copied is not what was copied: a failed
// read, said for what it is, no output, and so nothing that could be deleted.
TEST_F(OutputTest, SourceGrowingDuringThePassIsAReadError) {
    const std::string body = RandomBytes((1 << 20) + 100, 11);
    WriteFile(dir / "a.txt", body);
    w.controls.del = 1;
    PlaceThenRun(dir / "a.txt", false, [&] {
        fsio::AtNth(Op::Read, 2, [&] {
            int fd = ::open((dir / "a.txt").c_str(), O_WRONLY | O_APPEND);
            ASSERT_EQ(::write(fd, "more", 4), 4);
            ::close(fd);
        });
    });
    EXPECT_EQ(w.Texts(), Texts{"' " + (dir / "a.txt") + " ' is not Encrypted : ' " + (dir / "a.txt") +
                               " ' changed while it was read"});
    EXPECT_EQ(job.SuccessFlag, 0);
    EXPECT_EQ(dir.List(), Texts{"a.txt"});
    EXPECT_EQ(ReadFile(dir / "a.txt"), body + "more");
}

}  // namespace
}  // namespace ombrix::test
