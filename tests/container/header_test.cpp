#include <gtest/gtest.h>

#include "container/kvr/Kvr.h"
#include "job/Job.h"
#include "support/Containers.h"
#include "support/ScriptedWindow.h"
#include "support/TempDir.h"

namespace ombrix::test {
namespace {

class HeaderTest : public ::testing::Test {
protected:
    HeaderTest() { job.OnInitDialog(); }

    // Runs the check (and, when it passes, the parse) on a file in the folder.
    void Check(const std::string& name, const std::string& bytes) {
        WriteFile(dir / name, bytes);
        CheckPath(dir / name);
    }
    void CheckPath(const std::string& path) {
        w.boxes.clear();
        job.HeaderFlag = 0;
        job.SettingSourceAttributes(path);
        job.CheckEncryptedFile();
        if (job.HeaderFlag == 1) job.SettingHeaderAttributes(job.HeaderString);
    }

    TempDir dir;
    ScriptedWindow w;
    Job job{w};
};

TEST(HeaderShift, EveryByteValueThroughBothShifts) {
    std::string all;
    for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
    std::string header = HeaderEncrypt(all);
    std::string body = all;
    EncodeBody(reinterpret_cast<unsigned char*>(body.data()), body.size());
    std::string back = body;
    DecodeBody(reinterpret_cast<unsigned char*>(back.data()), back.size());
    EXPECT_EQ(back, all);
    ASSERT_EQ(header.size(), 256u);
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(static_cast<unsigned char>(header[c]), (c + 3) % 256);
        EXPECT_EQ(static_cast<unsigned char>(body[c]), (c + 2) % 256);
    }
}

TEST(HeaderShift, KnownAnswerForReportTxt) {
    const unsigned char expected[] = {0x75, 0x68, 0x73, 0x72, 0x75, 0x77, 0x31, 0x77, 0x7B, 0x77};
    EXPECT_EQ(HeaderEncrypt("report.txt"), std::string(reinterpret_cast<const char*>(expected), 10));
}

struct ParseCase {
    std::string name, password;
    std::string abName, ext;
};

TEST_F(HeaderTest, ParsesWhatWasStored) {
    const ParseCase cases[] = {
        {"report.txt", "secret", "report", "txt"},
        {"a.b.c", "pw", "a.b", "c"},
        {"README", "pw", "README", ""},
        {"file.", "pw", "file", ""},
        {".profile", "pw", "", "profile"},
        {"empty-password.txt", "", "empty-password", "txt"},
        {"x.txt", "pass!hscword", "x", "txt"},
        {"x.txt", "!hsc!hsc!hsc!hsc", "x", "txt"},
        {"ends!", "pw!", "ends!", ""},
        {"ends!h", "pw!h", "ends!h", ""},
        {"ends!hs", "pw!hs", "ends!hs", ""},
        {"ends.!hs", "pw!hs", "ends", "!hs"},
        {"high\xfd\xfe\xff.bin", "p\xfd\xfe\xffw", "high\xfd\xfe\xff", "bin"},
        {"caps.TXT", "CaSe", "caps", "TXT"},
        // Any byte but "/" and NUL may be in a Linux name, so every name encrypted can come back.
        {"a\nb", "pw", "a\nb", ""},
        {"tab\t.esc\x1b\x7f", "pw", "tab\t", "esc\x1b\x7f"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + " / " + c.password);
        Check("c.kvr", ContainerBytes(c.name, c.password, "body"));
        EXPECT_TRUE(w.boxes.empty());
        ASSERT_EQ(job.HeaderFlag, 1);
        EXPECT_EQ(job.DFile, c.name);
        EXPECT_EQ(job.DFileAbName, c.abName);
        EXPECT_EQ(job.DFileExt, c.ext);
        EXPECT_EQ(job.HeaderPassword, c.password);
        EXPECT_EQ(job.HeaderLength, static_cast<std::int64_t>(c.name.size() + c.password.size() + 32));
    }
}

TEST_F(HeaderTest, HeaderOnlyContainerEndsAtItsLength) {
    Check("empty.kvr", ContainerBytes("e.txt", "pw", ""));
    ASSERT_EQ(job.HeaderFlag, 1);
    EXPECT_EQ(job.HeaderLength, 5 + 2 + 32);
}

TEST_F(HeaderTest, ExtensionTestIgnoresLetterCase) {
    const std::string bytes = ContainerBytes("a.txt", "pw", "x");
    for (std::string name : {"upper.KVR", "mixed.Kvr", "lower.kvr"}) {
        SCOPED_TRACE(name);
        Check(name, bytes);
        EXPECT_EQ(job.HeaderFlag, 1);
        EXPECT_EQ(job.SFileExt, "kvr");
    }
    for (std::string name : {"x.kvr.txt", "noextension", "trailing.", "kvr"}) {
        SCOPED_TRACE(name);
        Check(name, bytes);
        EXPECT_EQ(job.HeaderFlag, 0);
        EXPECT_EQ(w.Texts(), std::vector<std::string>{"' " + (dir / name) + " ' is not Ombrix's Encrypted File"});
    }
}

TEST_F(HeaderTest, MissingFileIsNotExisting) {
    CheckPath(dir / "gone.kvr");
    EXPECT_EQ(job.HeaderFlag, 0);
    EXPECT_EQ(w.Texts(), std::vector<std::string>{"' " + (dir / "gone.kvr") + " ' is not existing"});
}

// Files that carry the extension but no header this program can trust.
TEST_F(HeaderTest, RefusesWhatIsNotAWholeSafeHeader) {
    const std::string longName(256, 'n');
    struct Refusal {
        const char* why;
        std::string bytes;
    };
    const Refusal refusals[] = {
        {"empty file", ""},
        {"no end of header", std::string(5000, 'a')},
        {"end of header only after 1 MiB", std::string(kMaxHeaderScan, 'a') + ContainerBytes("late.txt", "pw", "body")},
        {"end of header straddling the 1 MiB bound", HeaderEncrypt("x") + std::string(kFileCode) +
                                                         HeaderEncrypt(std::string(kMaxHeaderScan - 2 - 1 - 16, 'p')) +
                                                         std::string(kPassCode) + "body"},
        {"cut inside the password terminator", ContainerBytes("a.txt", "pw", "").substr(0, 5 + 16 + 2 + 10)},
        {"terminator not repeated",
         HeaderEncrypt("a.txt") + std::string(kFileCode) + HeaderEncrypt("pw") + "$kvp$kvq$kvp$kvp" + "body"},
        {"empty stored name", ContainerBytes("", "pw", "body")},
        {"stored name .", ContainerBytes(".", "pw", "body")},
        {"stored name ..", ContainerBytes("..", "pw", "body")},
        {"stored name too long", ContainerBytes(longName, "pw", "body")},
        {"stored name with a slash", ContainerBytes("../../etc/passwd", "pw", "body")},
        {"stored name with a NUL", ContainerBytes(std::string("a\0b", 3), "pw", "body")},
        {"no name terminator", HeaderEncrypt("a.txt") + HeaderEncrypt("pw") + std::string(kPassCode)},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.why);
        Check("bad.kvr", r.bytes);
        EXPECT_EQ(job.HeaderFlag, 0);
        EXPECT_EQ(w.Texts(), std::vector<std::string>{"' " + (dir / "bad.kvr") + " ' is not Ombrix's Encrypted File"});
    }
}

TEST_F(HeaderTest, LongestSafeNameAndHeaderNearTheLimitPass) {
    Check("ok.kvr", ContainerBytes(std::string(255, 'n'), std::string(kMaxHeaderScan - 255 - 20, 'p'), "b"));
    EXPECT_EQ(job.HeaderFlag, 1);
    EXPECT_EQ(job.DFile, std::string(255, 'n'));
}

TEST_F(HeaderTest, DirectoryWithTheExtensionIsNotAContainer) {
    dir.MakeDir("folder.kvr");
    CheckPath(dir / "folder.kvr");
    EXPECT_EQ(job.HeaderFlag, 0);
    EXPECT_EQ(w.Texts(), std::vector<std::string>{"' " + (dir / "folder.kvr") + " ' is not Ombrix's Encrypted File"});
}

TEST(HeaderParse, TextHelpersClamp) {
    EXPECT_EQ(Left("abc", -1), "");
    EXPECT_EQ(Left("abc", 5), "abc");
    EXPECT_EQ(Right("abc", -4), "");
    EXPECT_EQ(Right("abc", 2), "bc");
    EXPECT_EQ(Right("abc", 3), "abc");
    EXPECT_EQ(Find("abc", "x"), -1);
}

}  // namespace
}  // namespace ombrix::test
