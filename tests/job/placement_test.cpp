#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "support/JobFixture.h"

namespace ombrix::test {
namespace {

using Texts = std::vector<std::string>;

TEST(SourceAttributes, SplitsThePath) {
    const struct {
        std::string path, file, parent, abName, ext;
    } cases[] = {
        {"noslash.txt", "noslash.txt", "", "noslash", "txt"},
        {"/d/report.final.doc", "report.final.doc", "/d", "report.final", "doc"},
        {"/d/README", "README", "/d", "README", ""},
        {"/d/.profile", ".profile", "/d", "", "profile"},
        {"/d/name.", "name.", "/d", "name", ""},
        {"/a.b/c", "c", "/a.b", "c", ""},
        {"/top.txt", "top.txt", "", "top", "txt"},
    };
    ScriptedWindow w;
    Job job(w);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        job.SettingSourceAttributes(c.path);
        EXPECT_EQ(job.SFilePath, c.path);
        EXPECT_EQ(job.SFile, c.file);
        EXPECT_EQ(job.SFileParent, c.parent);
        EXPECT_EQ(job.SFileAbName, c.abName);
        EXPECT_EQ(job.SFileExt, c.ext);
    }
}

class PlacementTest : public JobFixture {
protected:
    std::string Place(const std::string& source) {
        job.SettingSourceAttributes(source);
        job.SettingDestinationPath();
        return job.DFileCompletePath;
    }
    std::string Question(const std::string& base, const std::string& offered, bool decrypt = false) {
        return std::string(decrypt ? "In Decripting The File ' " : "In Encripting The File ' ") + job.SFilePath +
               " ' ,' " + base + " ' Found.\nTo Replace The File Press 'YES' , To Create With ' " + offered +
               " ' Press 'NO' Button";
    }
};

TEST_F(PlacementTest, ChoosesTheFolderAndTheName) {
    const struct {
        const char* what;
        int same;
        std::string destination, source;
        int process;
        std::string abName, ext;  // stored in the header, for decrypting
        std::string output, dFilePath;
    } cases[] = {
        {"specified folder, trailing slash cut", 0, "/nowhere/out/", "/in/a.txt", 0, "", "", "/nowhere/out/a.kvr",
         "/nowhere/out"},
        {"only one slash is cut", 0, "/nowhere/out//", "/in/a.txt", 0, "", "", "/nowhere/out//a.kvr", "/nowhere/out/"},
        {"root folder", 0, "/", "/in/ombrix-probe.txt", 0, "", "", "/ombrix-probe.kvr", ""},
        {"empty folder", 0, "", "/in/ombrix-probe.txt", 0, "", "", "/ombrix-probe.kvr", ""},
        {"respective folder", 1, "/ignored", "/in/report.final.doc", 0, "", "", "/in/report.final.kvr", "kept"},
        {"respective, no slash in the source", 1, "", "ombrix-probe", 0, "", "", "/ombrix-probe.kvr", "kept"},
        {"dot file", 1, "", "/in/.profile", 0, "", "", "/in/.kvr", "kept"},
        {"decrypt with extension", 1, "", "/in/c.kvr", 1, "orig", "txt", "/in/orig.txt", "kept"},
        {"decrypt without extension", 0, "/nowhere", "/in/c.kvr", 1, "README", "", "/nowhere/README", "/nowhere"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        job.DFilePath = "kept";
        w.controls.same = c.same;
        w.picker.destination = c.destination;
        w.picker.calls.clear();
        job.ProcessFlag = c.process;
        job.DFileAbName = c.abName;
        job.DFileExt = c.ext;
        EXPECT_EQ(Place(c.source), c.output);
        EXPECT_EQ(job.DFilePath, c.dFilePath);
        EXPECT_EQ(w.picker.calls, c.same == 0 ? Texts{"FileDestination"} : Texts{});
    }
    EXPECT_TRUE(w.boxes.empty());
}

TEST_F(PlacementTest, ExistingOutputAsksToReplace) {
    WriteFile(dir / "a.txt", "x");
    WriteFile(dir / "a.kvr", "old");
    for (Answer answer : {Answer::Yes, Answer::No}) {
        w.ClearRecords();
        w.QueueAnswer(answer);
        const std::string out = Place(dir / "a.txt");
        const Box expected{Question(dir / "a.kvr", dir / "a1.kvr"), "Replace", Box::Question};
        EXPECT_EQ(w.boxes, std::vector<Box>{expected});
        EXPECT_EQ(out, answer == Answer::Yes ? dir / "a.kvr" : dir / "a1.kvr");
        EXPECT_EQ(job.DFileReplace, answer == Answer::Yes);
    }
}

TEST_F(PlacementTest, OffersTheFirstFreeNumberAndNamesTheBase) {
    WriteFile(dir / "a.txt", "x");
    for (auto name : {"a.kvr", "a1.kvr", "a2.kvr"}) WriteFile(dir / name, "old");
    w.QueueAnswer(Answer::No);
    EXPECT_EQ(Place(dir / "a.txt"), dir / "a3.kvr");
    EXPECT_EQ(w.Texts(), Texts{Question(dir / "a.kvr", dir / "a3.kvr")});

    // Past nine the number is decimal, and the search ends on a free name.
    for (int i = 3; i <= 12; ++i) WriteFile(dir / ("a" + std::to_string(i) + ".kvr"), "old");
    w.ClearRecords();
    w.QueueAnswer(Answer::No);
    EXPECT_EQ(Place(dir / "a.txt"), dir / "a13.kvr");

    // A stored name without extension gets its number at the end.
    job.ProcessFlag = 1;
    job.DFileAbName = "README";
    job.DFileExt = "";
    WriteFile(dir / "README", "old");
    w.ClearRecords();
    w.QueueAnswer(Answer::No);
    EXPECT_EQ(Place(dir / "c.kvr"), dir / "README1");
    EXPECT_EQ(w.Texts(), Texts{Question(dir / "README", dir / "README1", true)});
}

TEST_F(PlacementTest, TheExistingFileStaysOpenWhileTheQuestionIsAsked) {
    WriteFile(dir / "a.txt", "x");
    WriteFile(dir / "a.kvr", "old");
    w.QueueAnswer(Answer::No);
    bool held = false;
    w.onBox = [&](const Box&) {
        held = false;
        const std::string fdDir = "/proc/self/fd";
        for (int fd = 0; fd < 1024; ++fd) {
            char target[4096];
            ssize_t n = ::readlink((fdDir + "/" + std::to_string(fd)).c_str(), target, sizeof target - 1);
            if (n > 0 && std::string(target, n) == dir / "a.kvr") held = true;
        }
    };
    Place(dir / "a.txt");
    EXPECT_TRUE(held);
}

TEST_F(PlacementTest, WhatCannotBeOpenedForReadingCountsAsFree) {
    WriteFile(dir / "a.txt", "x");
    // A folder named like the output.
    dir.MakeDir("a.kvr");
    EXPECT_EQ(Place(dir / "a.txt"), dir / "a.kvr");
    ::rmdir((dir / "a.kvr").c_str());

    // A socket file: it exists, but nobody can open it.
    int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string sock = dir / "a.kvr";
    ASSERT_LT(sock.size(), sizeof addr.sun_path);
    std::copy(sock.begin(), sock.end(), addr.sun_path);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_EQ(Place(dir / "a.txt"), dir / "a.kvr");
    ::close(s);
    ::unlink(sock.c_str());

    // A readable file the user may not open (as when access is denied).
    WriteFile(dir / "a.kvr", "old");
    fsio::ResetFaults();
    fsio::FailNth(fsio::Op::Open, 1, EACCES, 2);
    EXPECT_EQ(Place(dir / "a.txt"), dir / "a.kvr");
    EXPECT_TRUE(w.boxes.empty());
}

}  // namespace
}  // namespace ombrix::test
