// ombrix-cli and what ends a batch early or badly: signals, closed pipes, a
// deletion or a final rename that fails. The test build of the program
// (ombrix-cli-hooked) meets a signal or a rival file at an exact call of the
// file layer, so nothing here depends on timing.
#include <csignal>

#include "CliCase.h"

namespace ombrix::test {
namespace {

using Files = std::vector<std::string>;

const std::string kHooked = OMBRIX_CLI_HOOKED_PATH;
constexpr std::size_t kThreeBlocks = 3 * (256 << 10);

class StopCase : public CliCase {
protected:
    RunResult Hooked(std::vector<std::string> args, const std::string& at) {
        args.insert(args.begin(), kHooked);
        RunOptions options;
        options.env = {"OMBRIX_TEST_AT=" + at};
        return RunProgram(args, options);
    }
};

TEST_F(StopCase, SignalDuringAFileRemovesItsOutputKeepsItsOriginalAndEndsTheBatch) {
    const std::string big(kThreeBlocks, 'b');
    struct Case {
        int signal;
        bool decrypt;
    } cases[] = {{SIGINT, false}, {SIGTERM, false}, {SIGHUP, false}, {SIGTERM, true}};
    for (auto& k : cases) {
        TempDir work;
        WriteFile(work / "a.txt", big);
        WriteFile(work / "b.txt", "B");
        std::vector<std::string> args = {"encrypt", "--delete", "-p", pw, work / "a.txt", work / "b.txt"};
        // Encrypting writes the header first; decrypting starts with the body.
        std::string at = "write:2:raise=" + std::to_string(k.signal);
        if (k.decrypt) {
            ASSERT_EQ(Cli({"encrypt", "--delete", "-p", pw, work / "a.txt", work / "b.txt"}).code, 0);
            args = {"decrypt", "--delete", "-p", pw, work / "a.kvr", work / "b.kvr"};
            at = "write:1:raise=" + std::to_string(k.signal);
        }
        const Files before = work.List();
        RunResult r = Hooked(args, at);
        const std::string what = std::string(strsignal(k.signal)) + (k.decrypt ? ", decrypting" : ", encrypting");
        EXPECT_EQ(r.code, 128 + k.signal) << what << ": " << r.err;
        EXPECT_EQ(r.signal, 0) << what << ": the exit status is the program's own, after its summary";
        EXPECT_EQ(r.out, Summary(k.decrypt, 2, 0, 0)) << what;  // the second file is not started
        EXPECT_EQ(work.List(), before) << what;                 // no output, named or hidden; originals kept
        if (!k.decrypt) {
            EXPECT_EQ(ReadFile(work / "a.txt"), big) << what;
        }
    }
}

TEST_F(StopCase, SignalIgnoredAtStartStaysIgnored) {
    // Under nohup a hangup must not stop the batch.
    const std::string a = Make("a.txt", std::string(kThreeBlocks, 'a')), b = Make("b.txt", "B");
    RunOptions options;
    options.env = {"OMBRIX_TEST_AT=write:2:raise=" + std::to_string(SIGHUP)};
    options.ignored = {SIGHUP};
    RunResult r = RunProgram({kHooked, "encrypt", "--delete", "-p", pw, a, b}, options);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, Summary(false, 2, 2, 2));
    EXPECT_EQ(dir.List(), (Files{"a.kvr", "b.kvr", "pw"}));
}

TEST_F(StopCase, ClosedOutputPipesLoseLinesNotTheBatch) {
    for (bool closedErr : {true, false}) {
        TempDir work;
        WriteFile(work / "a.txt", "A");
        const std::string missing = work / "missing.txt";
        // The message about the missing file comes while its output is open.
        RunOptions options;
        (closedErr ? options.closedErr : options.closedOut) = true;
        RunResult r = RunProgram({kCli, "encrypt", "-p", pw, missing, work / "a.txt"}, options);
        EXPECT_EQ(r.code, 1) << closedErr;
        if (closedErr) {
            EXPECT_EQ(r.out, Summary(false, 2, 1, 0));
        } else {
            EXPECT_EQ(r.err, "The Sorce File '" + missing + "' Does Not Exist\n");
        }
        EXPECT_EQ(work.List(), (Files{"a.kvr", "a.txt"})) << closedErr;
    }
}

TEST_F(StopCase, AnOriginalThatCouldNotBeDeletedFailsTheRun) {
    // Files under /proc can be read but never removed, not even by root.
    const std::string proc = "/proc/version";
    const std::string out = dir.MakeDir("out");
    const std::string a = Make("a.txt", "A");
    RunResult r = Cli({"encrypt", "--delete", "-p", pw, "-d", out, proc, a});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, Summary(false, 2, 2, 1));
    EXPECT_EQ(r.err, "File ' " + proc + " ' is Not Deleted Due to Access Failure.\n");
    EXPECT_TRUE(Exists(out + "/version.kvr"));
    EXPECT_FALSE(Exists(a));
}

TEST_F(StopCase, AnOutputNameTakenBeforeTheFinalRenameIsNotCountedAsDone) {
    for (bool del : {false, true}) {
        TempDir work;
        const std::string a = work / "a.txt", b = work / "b.txt", taken = work / "a.kvr";
        WriteFile(a, "A");
        WriteFile(b, "B");
        std::vector<std::string> args = {"encrypt", "-p", pw, a, b};
        if (del) args.insert(args.begin() + 1, "--delete");
        // Another program creates a.kvr while a.txt is being written.
        RunResult r = Hooked(args, "write:1:create=" + taken);
        EXPECT_EQ(r.code, 1) << del;
        EXPECT_EQ(r.out, Summary(false, 2, 1, del ? 1 : 0));
        EXPECT_EQ(r.err, "' " + a + " ' is not Encrypted : ' " + taken + " ' already exists\n");
        EXPECT_EQ(ReadFile(a), "A");
        EXPECT_EQ(ReadFile(taken), "");  // the other program's file, untouched
        const Files left = del ? Files{"a.kvr", "a.txt", "b.kvr"} : Files{"a.kvr", "a.txt", "b.kvr", "b.txt"};
        EXPECT_EQ(work.List(), left);
    }
}

}  // namespace
}  // namespace ombrix::test
