// Deleting originals: only after the output was read back and found to carry
// exactly what was read, and only while the original is still, unchanged,
// the file that was read. Races are made to happen through the file layer.
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "support/JobFixture.h"

namespace ombrix::test {
namespace {

using Texts = std::vector<std::string>;
using fsio::Op;

class DeletionTest : public JobFixture {
protected:
    DeletionTest() {
        w.controls.del = 1;
        settings.deleteOriginals = true;
    }
    static std::string Summary(bool decrypt, int done, int deleted) {
        return "Selected File(s) : 1 , \n " + std::string(decrypt ? "Decrypted" : "Encrypted") +
               " File(s) : " + std::to_string(done) + ", \n Deleted Files : " + std::to_string(deleted) + " ";
    }
    std::string NotDeleted(const std::string& path) const {
        return "File ' " + path + " ' is Not Deleted Due to Access Failure.";
    }
    // One file through a batch, with the fault counts started afresh.
    BatchCounts RunOne(const std::string& path, bool decrypt, const std::function<void()>& arm) {
        w.picker.paths = {path};
        settings.process = decrypt ? Process::Decrypt : Process::Encrypt;
        w.ClearRecords();
        fsio::ResetFaults();
        arm();
        const BatchCounts counts = Batch();
        fsio::ResetFaults();
        return counts;
    }

    const std::string body = RandomBytes((1 << 20) + 4321, 17);  // several blocks
};

void Append(const std::string& path, const std::string& bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

void RewriteInPlace(const std::string& path, std::size_t at, const std::string& bytes) {
    int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(at)), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

// An original that changes after its pass has read it is kept: the new bytes
// are in no output.
TEST_F(DeletionTest, OriginalChangedAfterItWasReadIsKept) {
    const struct {
        const char* what;
        bool decrypt;
        Op op;
        int nth;
        std::function<void(const std::string&)> change;
    } cases[] = {
        {"appended while the output is synced", false, Op::Sync, 1,
         [](const std::string& p) { Append(p, "late bytes"); }},
        {"rewritten in place at the same size", false, Op::Sync, 1,
         [](const std::string& p) { RewriteInPlace(p, 10, "XYZ"); }},
        {"appended while the output is read back", false, Op::Advise, 1, [](const std::string& p) { Append(p, "!"); }},
        {"container appended while the output is synced", true, Op::Sync, 1,
         [](const std::string& p) { Append(p, "tail"); }},
        {"container rewritten in place while its name is made", true, Op::Link, 1,
         [](const std::string& p) { RewriteInPlace(p, 100, "abc"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        const std::string original = folder / (c.decrypt ? "a.kvr" : "a.txt");
        WriteFile(original, c.decrypt ? ContainerBytes("a.txt", "pw", body) : body);
        Backdate(original);
        std::string changed;
        const BatchCounts counts = RunOne(original, c.decrypt, [&] {
            fsio::AtNth(c.op, c.nth, [&] {
                c.change(original);
                changed = ReadFile(original);
            });
        });
        EXPECT_EQ(w.Texts(), (Texts{NotDeleted(original), Summary(c.decrypt, 1, 0)}));
        EXPECT_EQ(counts.deleted, 0);
        ASSERT_FALSE(changed.empty());
        EXPECT_EQ(ReadFile(original), changed);
        EXPECT_EQ(folder.List(), (Texts{"a.kvr", "a.txt"}));
    }
}

// Another file moved onto the original's path is never deleted in its place.
TEST_F(DeletionTest, FileMovedOntoTheOriginalsPathIsNotDeleted) {
    const struct {
        const char* what;
        Op op;
        bool originalDeleted;
    } cases[] = {
        // Just before the original is moved aside: the path names the other file.
        {"before the original is moved aside", Op::Rename, false},
        // Between the last check and the unlink: the path was free, the
        // original already aside.
        {"between the check and the unlink", Op::Remove, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        const std::string original = folder / "a.txt";
        WriteFile(original, body);
        const BatchCounts counts = RunOne(original, false, [&] {
            fsio::AtNth(c.op, 1, [&] {
                WriteFile(folder / "other", "someone else's");
                ASSERT_EQ(::rename((folder / "other").c_str(), original.c_str()), 0);
            });
        });
        EXPECT_EQ(ReadFile(original), "someone else's");
        EXPECT_EQ(ReadFile(folder / "a.kvr"), ContainerBytes("a.txt", "pw", body));
        EXPECT_EQ(folder.List(), (Texts{"a.kvr", "a.txt"}));  // nothing left aside
        EXPECT_EQ(counts.deleted, c.originalDeleted ? 1 : 0);
        if (c.originalDeleted) EXPECT_EQ(w.Texts(), Texts{Summary(false, 1, 1)});
        else EXPECT_EQ(w.Texts(), (Texts{NotDeleted(original), Summary(false, 1, 0)}));
    }
}

// The output is read back from storage before the original goes; a byte
// that came back wrong, or a read that failed, keeps both files.
TEST_F(DeletionTest, OutputThatDoesNotReadBackKeepsTheOriginal) {
    const struct {
        const char* what;
        bool decrypt;
        std::function<void(int outputFd)> fault;
        bool outputIntact;
    } cases[] = {
        {"a body byte changed on disk", false, [](int fd) { ASSERT_EQ(::pwrite(fd, "?", 1, 70000), 1); }, false},
        {"a header byte changed on disk", false, [](int fd) { ASSERT_EQ(::pwrite(fd, "?", 1, 2), 1); }, false},
        {"the output cut short on disk", false, [](int fd) { ASSERT_EQ(::ftruncate(fd, 5000), 0); }, false},
        {"a restored byte changed on disk", true, [](int fd) { ASSERT_EQ(::pwrite(fd, "?", 1, 1 << 20), 1); }, false},
        {"the read back fails", false, [](int) { fsio::FailNth(Op::Read, fsio::Calls(Op::Read) + 1, EIO); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        const std::string original = folder / (c.decrypt ? "a.kvr" : "a.txt");
        const std::string output = folder / (c.decrypt ? "a.txt" : "a.kvr");
        const std::string originalBytes = c.decrypt ? ContainerBytes("a.txt", "pw", body) : body;
        WriteFile(original, originalBytes);
        RunOne(original, c.decrypt, [&] {
            fsio::AtNth(Op::Advise, 1, [&] {
                int fd = UnnamedFileIn(folder.path());
                ASSERT_GE(fd, 0);
                c.fault(fd);
            });
        });
        EXPECT_EQ(w.Texts(), (Texts{NotDeleted(original), Summary(c.decrypt, 1, 0)}));
        EXPECT_EQ(ReadFile(original), originalBytes);
        EXPECT_EQ(folder.List(), (Texts{"a.kvr", "a.txt"}));
        if (c.outputIntact) {
            EXPECT_EQ(ReadFile(output), c.decrypt ? body : ContainerBytes("a.txt", "pw", body));
        }
    }
}

// The checks cost nothing when nothing is to be deleted.
TEST_F(DeletionTest, WithoutDeletionNothingIsReadTwice) {
    WriteFile(dir / "b.txt", std::string(3 << 20, 'x'));  // exactly 12 blocks
    for (int del : {0, 1}) {
        SCOPED_TRACE(del);
        ::unlink((dir / "b.kvr").c_str());
        settings.deleteOriginals = del == 1;
        int reads = -1, advised = -1, synced = -1;
        RunOne(dir / "b.txt", false, [&] {
            w.onBox = [&](const Box&) {
                reads = fsio::Calls(Op::Read);
                advised = fsio::Calls(Op::Advise);
                synced = fsio::Calls(Op::Sync);
            };
        });
        w.onBox = nullptr;
        // Each block, then the end of the file; the output read back is 39 bytes longer.
        EXPECT_EQ(reads, del ? 13 + 14 : 13);
        EXPECT_EQ(advised, del);
        EXPECT_EQ(synced, del ? 2 : 0);  // the output, then its folder
        EXPECT_EQ(Exists(dir / "b.txt"), del == 0);
    }
}

// Reading the output back takes as long as the pass did: the window paints meanwhile.
TEST_F(DeletionTest, TheWindowPaintsWhileTheOutputIsReadBack) {
    WriteFile(dir / "big.txt", std::string(4 << 20, 'x'));  // 16 blocks
    job.m_Delete = 1;
    job.PumpInterval = std::chrono::milliseconds(0);
    int atReadBack = -1;
    fsio::ResetFaults();
    fsio::AtNth(Op::Advise, 1, [&] { atReadBack = w.pumps; });
    Encrypt(dir / "big.txt");
    fsio::ResetFaults();
    ASSERT_EQ(job.SuccessFlag, 1);
    EXPECT_TRUE(job.OutputVerified);
    ASSERT_GE(atReadBack, 0);
    EXPECT_GE(w.pumps - atReadBack, 4);
}

TEST_F(DeletionTest, EachBatchCountsItsOwnDeletions) {
    for (auto name : {"a.txt", "b.txt", "c.txt"}) WriteFile(dir / name, name);
    w.picker.paths = {dir / "a.txt", dir / "b.txt"};
    job.OnMainButton();
    EXPECT_EQ(w.boxes.back().text, "Selected File(s) : 2 , \n Encrypted File(s) : 2, \n Deleted Files : 2 ");
    w.picker.paths = {dir / "c.txt"};
    job.OnMainButton();
    EXPECT_EQ(w.boxes.back().text, "Selected File(s) : 1 , \n Encrypted File(s) : 1, \n Deleted Files : 1 ");
    EXPECT_EQ(job.DeletedCount, 1);
    EXPECT_EQ(dir.List(), (Texts{"a.kvr", "b.kvr", "c.kvr"}));
}

// A container swapped for another while the Replace question waits is not
// decoded with the header read from the first one: the other's body would be
// cut at the wrong place, and the other container then deleted.
TEST_F(DeletionTest, ContainerSwappedAfterItsHeaderWasReadIsNotDecoded) {
    const std::string original = dir / "a.kvr";
    WriteFile(original, ContainerBytes("a-much-longer-name.txt", "pw", body));
    WriteFile(dir / "a-much-longer-name.txt", "old");
    const std::string other = ContainerBytes("b.txt", "pw", body);
    const BatchCounts counts = RunOne(original, true, [&] {
        w.QueueAnswer(Answer::Yes);
        w.onBox = [&](const Box& box) {
            if (box.kind != Box::Question) return;
            WriteFile(dir / "other", other);
            ASSERT_EQ(::rename((dir / "other").c_str(), original.c_str()), 0);
        };
    });
    w.onBox = nullptr;
    ASSERT_TRUE(Exists(original)) << ReadFile(dir / "a-much-longer-name.txt").size() << " bytes restored of "
                                  << body.size();
    EXPECT_EQ(ReadFile(original), other);
    EXPECT_EQ(ReadFile(dir / "a-much-longer-name.txt"), "old");
    EXPECT_EQ(dir.List(), (Texts{"a-much-longer-name.txt", "a.kvr"}));
    EXPECT_EQ(counts, (BatchCounts{1, 0, 0}));
    ASSERT_EQ(w.boxes.size(), 3u);
    EXPECT_EQ(w.boxes[1].text,
              "' " + original + " ' is not Decrypted : ' " + original + " ' changed while it was read");
}

}  // namespace
}  // namespace ombrix::test
