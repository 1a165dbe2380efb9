// Whole batches on a scripted window and a fake picker.
#include <unistd.h>

#include "support/JobFixture.h"

namespace ombrix::test {
namespace {

using Texts = std::vector<std::string>;

class BatchTest : public JobFixture {
protected:
    // The events from the first occurrence of `from` on.
    Texts From(const std::string& from) const {
        auto it = std::find(w.events.begin(), w.events.end(), from);
        return Texts(it, w.events.end());
    }
};

TEST_F(BatchTest, EncryptBatchWithDeleteKeepsTheOriginalThatFailed) {
    for (auto name : {"a.txt", "b.txt", "c.txt"}) {
        WriteFile(dir / name, std::string("contents of ") + name);
        w.picker.paths.push_back(dir / name);
    }
    w.controls.del = 1;
    w.controls.samePass = 1;
    w.QueuePrompt("pa");
    w.QueuePrompt(std::nullopt);  // b.txt: cancelled
    w.QueuePrompt("pc");
    job.OnMainButton();

    EXPECT_EQ(w.Texts(), (Texts{"' " + (dir / "b.txt") + " ' is not Encrypted ", Summary(false, 3, 2, 2)}));
    EXPECT_EQ(w.boxes.back().kind, Box::Summary);
    EXPECT_EQ(dir.List(), (Texts{"a.kvr", "b.txt", "c.kvr"}));
    EXPECT_EQ(ReadFile(dir / "c.kvr"), ContainerBytes("c.txt", "pc", "contents of c.txt"));
    EXPECT_EQ(w.TotalPositions(), (std::vector<int>{0, 0, 1, 2, 3}));
    EXPECT_EQ(job.SelectedCount, 3);
    EXPECT_EQ(job.ProcessedCount, 2);
    EXPECT_EQ(job.DeletedCount, 2);

    const Texts start(w.events.begin(), w.events.begin() + 7);
    EXPECT_EQ(start, (Texts{"Disable(main)", "Disable(exit)", "TotalFiles", "UpdateData(TRUE)", "Range(batch,0,3)",
                            "Show(batch)", "Total(0)"}));
    EXPECT_EQ(From("DecryptTypes"),
              (Texts{"DecryptTypes", "EncryptTypes", "Hide(file)", "Hide(batch)",
                     "Summary(" + Summary(false, 3, 2, 2) + ")", "ProcessOver", "Enable(main)", "Enable(exit)"}));
    // An original goes only after its output and folder were synced.
    EXPECT_GE(fsio::Calls(fsio::Op::Sync), 4);
}

TEST_F(BatchTest, DecryptBatchSkipsWhatIsNotAContainer) {
    WriteFile(dir / "one.kvr", ContainerBytes("one.txt", "pw", "1"));
    WriteFile(dir / "notes.txt", "plain");
    WriteFile(dir / "two.kvr", ContainerBytes("two.txt", "pw", "2"));
    WriteFile(dir / "broken.kvr", "no header here");
    WriteFile(dir / "three.kvr", ContainerBytes("three.txt", "other", "3"));
    for (auto name : {"one.kvr", "notes.txt", "two.kvr", "broken.kvr", "three.kvr"})
        w.picker.paths.push_back(dir / name);
    job.ProcessFlag = 1;
    w.QueuePrompt(std::nullopt);  // three.kvr: wrong password, then given up
    job.OnMainButton();

    EXPECT_EQ(w.Texts(), (Texts{"' " + (dir / "notes.txt") + " ' is not Ombrix's Encrypted File",
                                "' " + (dir / "broken.kvr") + " ' is not Ombrix's Encrypted File",
                                "' " + (dir / "three.kvr") + " ' is not Decrypted ", Summary(true, 5, 2, 0)}));
    EXPECT_EQ(ReadFile(dir / "one.txt"), "1");
    EXPECT_EQ(ReadFile(dir / "two.txt"), "2");
    EXPECT_FALSE(Exists(dir / "three.txt"));
    // No advance for a skipped file; i + 1 for one that passed the check, done or not.
    EXPECT_EQ(w.TotalPositions(), (std::vector<int>{0, 0, 1, 3, 5}));
    EXPECT_EQ(From("EncryptTypes"),
              (Texts{"EncryptTypes", "DecryptTypes", "Hide(file)", "Hide(batch)",
                     "Summary(" + Summary(true, 5, 2, 0) + ")", "ProcessOver", "Enable(main)", "Enable(exit)"}));
}

TEST_F(BatchTest, RefusedDeletionIsReportedAndNotCounted) {
    for (auto name : {"a.txt", "b.txt"}) {
        WriteFile(dir / name, "x");
        w.picker.paths.push_back(dir / name);
    }
    w.controls.del = 1;
    fsio::FailNth(fsio::Op::Remove, 1, EACCES);
    job.OnMainButton();
    EXPECT_EQ(w.Texts(), (Texts{"File ' " + (dir / "a.txt") + " ' is Not Deleted Due to Access Failure.",
                                Summary(false, 2, 2, 1)}));
    EXPECT_EQ(dir.List(), (Texts{"a.kvr", "a.txt", "b.kvr"}));
}

TEST_F(BatchTest, OriginalIsKeptWhenItsPathNoLongerNamesTheFileRead) {
    WriteFile(dir / "a.txt", "read this");
    w.picker.paths = {dir / "a.txt"};
    w.controls.del = 1;
    w.controls.samePass = 1;
    w.QueuePrompt("pw");
    // While the pass runs, another file takes the original's name.
    w.onPrompt = [&] {
        WriteFile(dir / "replacement", "someone else's");
        ASSERT_EQ(::rename((dir / "replacement").c_str(), (dir / "a.txt").c_str()), 0);
    };
    job.OnMainButton();
    EXPECT_EQ(w.Texts(), (Texts{"File ' " + (dir / "a.txt") + " ' is Not Deleted Due to Access Failure.",
                                Summary(false, 1, 1, 0)}));
    EXPECT_EQ(ReadFile(dir / "a.txt"), "someone else's");
    EXPECT_EQ(ReadFile(dir / "a.kvr"), ContainerBytes("a.txt", "pw", "read this"));
}

TEST_F(BatchTest, OriginalIsKeptWhenItsOutputCannotBeMadeDurable) {
    WriteFile(dir / "a.txt", "x");
    w.picker.paths = {dir / "a.txt"};
    w.controls.del = 1;
    fsio::FailNth(fsio::Op::Sync, 1, EIO);
    job.OnMainButton();
    EXPECT_EQ(w.Texts(), (Texts{"File ' " + (dir / "a.txt") + " ' is Not Deleted Due to Access Failure.",
                                Summary(false, 1, 1, 0)}));
    EXPECT_TRUE(Exists(dir / "a.txt"));
}

TEST_F(BatchTest, NoFilesStillEndsWithTheModeCallsAndTheSummary) {
    for (int process : {0, 1}) {
        w.ClearRecords();
        job.ProcessFlag = process;
        job.OnMainButton();
        const std::string box = "Summary(" + Summary(process == 1, 0, 0, 0) + ")";
        const Texts end = process == 0 ? Texts{"DecryptTypes", "EncryptTypes", "Hide(file)",  "Hide(batch)", box,
                                               "ProcessOver",  "Enable(main)", "Enable(exit)"}
                                       : Texts{"EncryptTypes", "DecryptTypes", "Hide(file)",  "Hide(batch)", box,
                                               "ProcessOver",  "Enable(main)", "Enable(exit)"};
        EXPECT_EQ(Texts(w.events.end() - 8, w.events.end()), end);
        EXPECT_EQ(w.boxes.back().text, process == 0
                                           ? "Selected File(s) : 0 , \n Encrypted File(s) : 0, \n Deleted Files : 0 "
                                           : "Selected File(s) : 0 , \n Decrypted File(s) : 0, \n Deleted Files : 0 ");
    }
}

TEST_F(BatchTest, MoreThanSixteenBitsOfFilesAllRun) {
    const int n = 40000;
    for (int i = 0; i < n; ++i) w.picker.paths.push_back(dir / ("plain" + std::to_string(i) + ".txt"));
    job.ProcessFlag = 1;
    job.OnMainButton();
    EXPECT_EQ(static_cast<int>(w.boxes.size()), n + 1);
    EXPECT_EQ(w.boxes.back().text, Summary(true, n, 0, 0));
    EXPECT_EQ(w.picker.calls[n], "FileSource(" + std::to_string(n - 1) + ")");
}

TEST_F(BatchTest, EncryptThenDecryptRestoresEveryFileAndDeletesContainers) {
    std::string out = dir.MakeDir("restored");
    for (auto name : {"x.bin", "y.bin"}) {
        WriteFile(dir / name, std::string(1000, name[0]));
        w.picker.paths.push_back(dir / name);
    }
    job.OnMainButton();
    w.picker.paths = {dir / "x.kvr", dir / "y.kvr"};
    w.picker.destination = out;
    w.controls.same = 0;
    w.controls.del = 1;
    job.ProcessFlag = 1;
    job.OnMainButton();
    EXPECT_EQ(w.boxes.back().text, Summary(true, 2, 2, 2));
    EXPECT_EQ(ReadFile(out + "/x.bin"), std::string(1000, 'x'));
    EXPECT_EQ(dir.List(), (Texts{"restored", "x.bin", "y.bin"}));
}

// Two files of one batch that map to one output name: the second never
// replaces the first, whatever the user said about replacing; files that
// were there before the batch are still asked about.
TEST_F(BatchTest, OutputsOfTheSameBatchAreNeverReplacedInIt) {
    std::string out = dir.MakeDir("out");
    w.controls.same = 0;
    w.picker.destination = out;
    w.controls.del = 1;

    // Encrypting: report.txt and report.doc both become report.kvr; one
    // report.kvr was there before.
    WriteFile(dir / "report.txt", "text");
    WriteFile(dir / "report.doc", "doc");
    WriteFile(out + "/report.kvr", "from before");
    w.picker.paths = {dir / "report.txt", dir / "report.doc"};
    w.QueueAnswer(Answer::Yes);  // asked once, for the file from before
    job.OnMainButton();
    EXPECT_EQ(w.Texts().size(), 2u);
    EXPECT_EQ(w.boxes[0].caption, "Replace");
    EXPECT_EQ(w.boxes.back().text, Summary(false, 2, 2, 2));
    EXPECT_EQ(ReadFile(out + "/report.kvr"), ContainerBytes("report.txt", "pw", "text"));
    EXPECT_EQ(ReadFile(out + "/report1.kvr"), ContainerBytes("report.doc", "pw", "doc"));

    // Decrypting: two containers that store the same name, no question asked.
    WriteFile(dir / "one.kvr", ContainerBytes("same.txt", "pw", "first"));
    WriteFile(dir / "two.kvr", ContainerBytes("same.txt", "pw", "second"));
    w.picker.paths = {dir / "one.kvr", dir / "two.kvr"};
    w.ClearRecords();
    job.ProcessFlag = 1;
    job.OnMainButton();
    EXPECT_EQ(w.Texts(), Texts{Summary(true, 2, 2, 2)});
    EXPECT_EQ(ReadFile(out + "/same.txt"), "first");
    EXPECT_EQ(ReadFile(out + "/same1.txt"), "second");

    // The next batch asks again about what the last one made.
    WriteFile(dir / "three.kvr", ContainerBytes("same.txt", "pw", "third"));
    w.picker.paths = {dir / "three.kvr"};
    w.ClearRecords();
    w.QueueAnswer(Answer::Yes);
    job.OnMainButton();
    EXPECT_EQ(w.boxes.size(), 2u);
    EXPECT_EQ(ReadFile(out + "/same.txt"), "third");
    EXPECT_EQ(dir.List(), (Texts{"out"}));
}

// Every name that can be encrypted comes back, control bytes included.
TEST_F(BatchTest, NamesWithControlBytesRoundTripWithDeletion) {
    const std::string names[] = {"tab\there.txt", "new\nline.txt", "esc\x1b[31m.txt", "del\x7f.txt"};
    for (const auto& name : names) {
        WriteFile(dir / name, "contents of " + name);
        w.picker.paths.push_back(dir / name);
    }
    w.controls.del = 1;
    job.OnMainButton();
    EXPECT_EQ(w.Texts(), Texts{Summary(false, 4, 4, 4)});
    w.picker.paths.clear();
    for (const auto& name : names) w.picker.paths.push_back(dir / (name.substr(0, name.size() - 4) + ".kvr"));
    w.ClearRecords();
    job.ProcessFlag = 1;
    job.OnMainButton();
    EXPECT_EQ(w.Texts(), Texts{Summary(true, 4, 4, 4)});
    for (const auto& name : names) EXPECT_EQ(ReadFile(dir / name), "contents of " + name);
    EXPECT_EQ(dir.List().size(), 4u);
}

// A file whose finished output could not take its name is not counted.
TEST_F(BatchTest, FailedCommitIsNotCounted) {
    for (auto name : {"a.txt", "b.txt"}) {
        WriteFile(dir / name, name);
        w.picker.paths.push_back(dir / name);
    }
    w.controls.del = 1;
    fsio::FailNth(fsio::Op::Link, 1, EACCES);
    job.OnMainButton();
    EXPECT_EQ(w.Texts(), (Texts{"' " + (dir / "a.txt") + " ' is not Encrypted : ' " + (dir / "a.kvr") +
                                    " ' cannot be created : Permission denied",
                                Summary(false, 2, 1, 1)}));
    EXPECT_EQ(job.ProcessedCount, 1);
    EXPECT_EQ(dir.List(), (Texts{"a.txt", "b.kvr"}));
}

}  // namespace
}  // namespace ombrix::test
