#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/JobFixture.h"

namespace ombrix::test {
namespace {

using Texts = std::vector<std::string>;

class PassesTest : public JobFixture {};

TEST_F(PassesTest, RoundTripsEverySizeAndByte) {
    std::string all;
    for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
    const struct {
        const char* name;
        std::string body;
    } cases[] = {
        {"empty.txt", ""},
        {"one", "A"},
        {"three.bin", "xyz"},
        {"all.bin", all},
        {"blocks.dat", RandomBytes((3 << 20) + 12345, 7)},  // several blocks and a partial one
    };
    std::string out = dir.MakeDir("out");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir / c.name, c.body);
        job.ProcessedCount = 0;
        Encrypt(dir / c.name);
        ASSERT_EQ(job.SuccessFlag, 1);
        EXPECT_EQ(job.ProcessedCount, 1);
        std::string stem = std::string(c.name).substr(0, std::string(c.name).rfind('.'));
        const std::string container = dir / (stem + ".kvr");
        const std::string bytes = ReadFile(container);
        EXPECT_EQ(bytes, ContainerBytes(c.name, "pw", c.body));
        EXPECT_EQ(bytes.size(), std::string(c.name).size() + 2 + 32 + c.body.size());

        w.controls.same = 0;
        w.picker.destination = out + "/";
        ASSERT_TRUE(Decrypt(container));
        ASSERT_EQ(job.SuccessFlag, 1);
        EXPECT_EQ(job.ProcessedCount, 2);
        EXPECT_EQ(ReadFile(out + "/" + c.name), c.body);
        w.controls.same = 1;
    }
    EXPECT_TRUE(w.boxes.empty()) << w.boxes.front().text;
    EXPECT_TRUE(w.promptLabels.empty());
}

TEST_F(PassesTest, HighBytesInNameAndPasswordRoundTrip) {
    const std::string name = "n\xfd\xfe\xff.txt";
    w.controls.password = "p\xfdw";
    WriteFile(dir / name, "\xfe\xff");
    Encrypt(dir / name);
    ASSERT_EQ(job.SuccessFlag, 1);
    const std::string bytes = ReadFile(dir / "n\xfd\xfe\xff.kvr");
    EXPECT_EQ(bytes.substr(0, 4), std::string("q\0\x01\x02", 4));         // name, shifted by 3
    EXPECT_EQ(bytes.substr(bytes.size() - 2), std::string("\0\x01", 2));  // body, shifted by 2
    ASSERT_EQ(::unlink((dir / name).c_str()), 0);
    ASSERT_TRUE(Decrypt(dir / "n\xfd\xfe\xff.kvr"));
    EXPECT_EQ(job.SuccessFlag, 1);
    EXPECT_EQ(job.HeaderPassword, "p\xfdw");
    EXPECT_EQ(ReadFile(dir / name), "\xfe\xff");
}

TEST_F(PassesTest, OnePasswordModeReadsTheFieldAtThePass) {
    WriteFile(dir / "a.txt", "data");
    job.m_Password = "stale";
    w.controls.password = "fresh";
    w.controls.confirm = "ignored";
    Encrypt(dir / "a.txt");
    ASSERT_EQ(job.SuccessFlag, 1);
    EXPECT_EQ(ReadFile(dir / "a.kvr"), ContainerBytes("a.txt", "fresh", "data"));
}

TEST_F(PassesTest, PerFilePromptGivesThePasswordInUse) {
    WriteFile(dir / "a.txt", "data");
    w.controls.samePass = 1;
    w.QueuePrompt("typed");
    Encrypt(dir / "a.txt");
    ASSERT_EQ(job.SuccessFlag, 1);
    EXPECT_EQ(w.promptLabels, Texts{"File --> " + (dir / "a.txt")});
    EXPECT_EQ(ReadFile(dir / "a.kvr"), ContainerBytes("a.txt", "typed", "data"));

    // Decrypting in the same mode: a right first entry, no second prompt.
    ::unlink((dir / "a.txt").c_str());
    w.promptLabels.clear();
    w.QueuePrompt("typed");
    ASSERT_TRUE(Decrypt(dir / "a.kvr"));
    EXPECT_EQ(job.SuccessFlag, 1);
    EXPECT_EQ(w.promptLabels, Texts{"File --> " + (dir / "a.kvr")});
}

TEST_F(PassesTest, WrongPasswordPromptsAgainUntilRight) {
    WriteFile(dir / "c.kvr", ContainerBytes("c.txt", "Secret", "body"));
    w.controls.password = "wrong";
    w.QueuePrompt("secret");  // differs only in letter case: refused
    w.QueuePrompt("also wrong");
    w.QueuePrompt("Secret");
    ASSERT_TRUE(Decrypt(dir / "c.kvr"));
    EXPECT_EQ(job.SuccessFlag, 1);
    const std::string failed = "Failed :( " + (dir / "c.kvr") + " )";
    EXPECT_EQ(w.promptLabels, (Texts{failed, failed, failed}));
    EXPECT_EQ(ReadFile(dir / "c.txt"), "body");
    EXPECT_EQ(job.m_Password, "wrong");  // the job password is left as it was
}

// There is no limit on the attempts.
TEST_F(PassesTest, ManyWrongPasswordsThenTheRightOneStillDecrypts) {
    WriteFile(dir / "c.kvr", ContainerBytes("c.txt", "right", "body"));
    w.controls.password = "wrong";
    for (int i = 0; i < 6; ++i) w.QueuePrompt("wrong " + std::to_string(i));
    w.QueuePrompt("right");
    ASSERT_TRUE(Decrypt(dir / "c.kvr"));
    EXPECT_EQ(job.SuccessFlag, 1);
    EXPECT_EQ(w.promptLabels.size(), 7u);
    EXPECT_EQ(ReadFile(dir / "c.txt"), "body");
}

TEST_F(PassesTest, CancelledPromptsLeaveNoOutput) {
    WriteFile(dir / "a.txt", "data");
    WriteFile(dir / "c.kvr", ContainerBytes("c.txt", "right", "body"));
    const struct {
        const char* flow;
        int samePass;
        bool decrypt;
        std::string message;
    } flows[] = {
        {"per-file prompt, encrypting", 1, false, "' " + (dir / "a.txt") + " ' is not Encrypted "},
        {"per-file prompt, decrypting", 1, true, "' " + (dir / "c.kvr") + " ' is not Decrypted "},
        {"prompt after a wrong password", 0, true, "' " + (dir / "c.kvr") + " ' is not Decrypted "},
    };
    for (const auto& f : flows) {
        SCOPED_TRACE(f.flow);
        w.boxes.clear();
        w.controls.samePass = f.samePass;
        w.QueuePrompt(std::nullopt);
        if (f.decrypt) ASSERT_TRUE(Decrypt(dir / "c.kvr"));
        else Encrypt(dir / "a.txt");
        EXPECT_EQ(job.SuccessFlag, 0);
        EXPECT_EQ(w.Texts(), Texts{f.message});
        EXPECT_EQ(dir.List(), (Texts{"a.txt", "c.kvr"}));
    }
}

TEST_F(PassesTest, EncryptionBarEndsAtHundredThroughEveryPercent) {
    for (std::size_t n : {0u, 3u, 7u, 100u, 250u, 3u << 20}) {
        SCOPED_TRACE(n);
        WriteFile(dir / "f.bin", std::string(n, 'x'));
        w.ClearRecords();
        Encrypt(dir / "f.bin");
        ASSERT_EQ(job.SuccessFlag, 1);
        std::vector<int> expected{0};
        int last = 0;
        for (std::size_t k = 1; k <= n && n < 100; ++k)
            if (int p = static_cast<int>(k * 100 / n); p != last) expected.push_back(last = p);
        for (int p = 1; n >= 100 && p <= 100; ++p) expected.push_back(p);
        EXPECT_EQ(w.FilePositions(), expected);
        ::unlink((dir / "f.kvr").c_str());
    }
    const Texts prep{"Color(file,240,0,0)", "Range(file,0,100)", "Show(file)"};
    auto first = std::find(w.events.begin(), w.events.end(), prep[0]);
    ASSERT_GE(w.events.end() - first, 3);
    EXPECT_EQ(Texts(first, first + 3), prep);
}

TEST_F(PassesTest, DecryptionBarEndsBelowHundred) {
    const std::string bytes = ContainerBytes("d.txt", "pw", std::string(300, 'b'));
    WriteFile(dir / "d.kvr", bytes);
    ASSERT_TRUE(Decrypt(dir / "d.kvr"));
    ASSERT_EQ(job.SuccessFlag, 1);
    const int L = static_cast<int>(bytes.size()), H = 5 + 2 + 32;
    std::vector<int> expected{0};
    for (int p = 1; p <= (L - H) * 100 / L; ++p) expected.push_back(p);
    EXPECT_EQ(w.FilePositions(), expected);
    EXPECT_EQ(w.FilePositions().back(), 88);
}

TEST_F(PassesTest, LongFilesLetTheWindowPaint) {
    WriteFile(dir / "big.bin", std::string(4 << 20, 'x'));
    job.PumpInterval = std::chrono::milliseconds(0);
    Encrypt(dir / "big.bin");
    ASSERT_EQ(job.SuccessFlag, 1);
    EXPECT_GE(w.pumps, 4);
}

TEST_F(PassesTest, RefusedBeforeAnythingIsWritten) {
    WriteFile(dir / "x.kvr", ContainerBytes("x.kvr", "pw", "self"));
    WriteFile(dir / "bad!hsc.txt", "a");
    WriteFile(dir / "bad!hsm.txt", "a");
    WriteFile(dir / "good.txt", "a");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    dir.MakeDir("folder.txt");
    const Texts before = dir.List();
    const std::string xk = dir / "x.kvr";
    const struct {
        const char* what;
        std::function<void()> run;
        std::string message;
    } refusals[] = {
        {"encrypting a container onto itself",
         [&] {
             w.QueueAnswer(Answer::Yes);
             Encrypt(xk);
         },
         "' " + xk + " ' is not Encrypted : the output ' " + xk + " ' is the file itself"},
        {"decrypting onto the container itself",
         [&] {
             w.QueueAnswer(Answer::Yes);
             Decrypt(xk);
         },
         "' " + xk + " ' is not Decrypted : the output ' " + xk + " ' is the file itself"},
        {"a name with the name marker", [&] { Encrypt(dir / "bad!hsc.txt"); },
         "' " + (dir / "bad!hsc.txt") +
             " ' is not Encrypted : a .kvr container cannot carry \"!hsc\" or \"!hsm\" in a file name"},
        {"a name with the password marker", [&] { Encrypt(dir / "bad!hsm.txt"); },
         "' " + (dir / "bad!hsm.txt") +
             " ' is not Encrypted : a .kvr container cannot carry \"!hsc\" or \"!hsm\" in a file name"},
        {"a password with the password marker",
         [&] {
             w.controls.password = "a!hsmb";
             Encrypt(dir / "good.txt");
         },
         "' " + (dir / "good.txt") + " ' is not Encrypted : a .kvr container cannot carry \"!hsm\" in a password"},
        {"a FIFO", [&] { Encrypt(dir / "pipe"); }, "The Sorce File '" + (dir / "pipe") + "' Does Not Exist"},
        {"a directory", [&] { Encrypt(dir / "folder.txt"); },
         "The Sorce File '" + (dir / "folder.txt") + "' Does Not Exist"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.what);
        w.boxes.clear();
        w.controls.password = "pw";
        r.run();
        EXPECT_EQ(job.SuccessFlag, 0);
        ASSERT_FALSE(w.boxes.empty());
        EXPECT_EQ(w.boxes.back().text, r.message);
        EXPECT_EQ(dir.List(), before);
    }
    EXPECT_EQ(ReadFile(xk), ContainerBytes("x.kvr", "pw", "self"));
}

TEST_F(PassesTest, MissingSourceAndFolderGiveBothMessagesAndNoFile) {
    job.SettingSourceAttributes(dir / "gone.txt");
    job.DFileCompletePath = dir / "nofolder/gone.kvr";
    job.DFilePath = dir / "nofolder";
    job.m_SameRadio = 0;
    job.Encryption();
    EXPECT_EQ(w.Texts(), (Texts{"The Sorce File '" + (dir / "gone.txt") + "' Does Not Exist",
                                "The Destination Directory '" + (dir / "nofolder") + "' Does Not Exist "}));

    // A source that vanished after it was picked leaves no empty output.
    w.boxes.clear();
    job.DFileCompletePath = dir / "gone.kvr";
    job.Encryption();
    EXPECT_EQ(w.Texts(), Texts{"The Sorce File '" + (dir / "gone.txt") + "' Does Not Exist"});
    EXPECT_TRUE(dir.List().empty());
}

TEST_F(PassesTest, ReplaceKeepsTheOldFileUntilTheNewOneIsWhole) {
    WriteFile(dir / "a.txt", "new contents");
    WriteFile(dir / "a.kvr", "old contents");
    w.QueueAnswer(Answer::Yes);
    w.onBox = [&](const Box& box) {
        if (box.caption == "Replace") return;
        FAIL() << box.text;
    };
    job.SettingSourceAttributes(dir / "a.txt");
    job.SettingDestinationPath();
    ASSERT_EQ(job.DFileCompletePath, dir / "a.kvr");
    // While the pass runs, the old file is still whole.
    w.onPrompt = [&] { EXPECT_EQ(ReadFile(dir / "a.kvr"), "old contents"); };
    w.controls.samePass = 1;
    w.QueuePrompt("pw");
    job.Encryption();
    EXPECT_EQ(job.SuccessFlag, 1);
    EXPECT_EQ(ReadFile(dir / "a.kvr"), ContainerBytes("a.txt", "pw", "new contents"));
}

TEST_F(PassesTest, NumberedAlternativeNeverClobbersAFileThatAppeared) {
    WriteFile(dir / "a.txt", "data");
    WriteFile(dir / "a.kvr", "existing");
    w.QueueAnswer(Answer::No);
    job.SettingSourceAttributes(dir / "a.txt");
    job.SettingDestinationPath();
    ASSERT_EQ(job.DFileCompletePath, dir / "a1.kvr");
    WriteFile(dir / "a1.kvr", "appeared meanwhile");
    w.boxes.clear();
    job.Encryption();
    EXPECT_EQ(job.SuccessFlag, 0);
    EXPECT_EQ(w.Texts(),
              Texts{"' " + (dir / "a.txt") + " ' is not Encrypted : ' " + (dir / "a1.kvr") + " ' already exists"});
    EXPECT_EQ(ReadFile(dir / "a1.kvr"), "appeared meanwhile");
    EXPECT_EQ(dir.List(), (Texts{"a.kvr", "a.txt", "a1.kvr"}));
}

}  // namespace
}  // namespace ombrix::test
