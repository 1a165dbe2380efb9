// The window and the signals that end a desktop session's programs: each
// case runs the real main window offscreen in a child process (stop_child)
// and meets the signal at an exact point, through the file layer's hooks or
// as a box appears.
#include <gtest/gtest.h>

#include <csignal>

#include "Subprocess.h"
#include "support/TempDir.h"

namespace ombrix::test {
namespace {

const std::string kChild = OMBRIX_STOP_CHILD_PATH;
constexpr std::size_t kThreeBlocks = 3 * (256 << 10);

RunResult Child(std::vector<std::string> args, const std::string& at = {}) {
    args.insert(args.begin(), kChild);
    RunOptions options;
    if (!at.empty()) options.env = {"OMBRIX_TEST_AT=" + at};
    return RunProgram(args, options);
}

class WindowStop : public ::testing::Test {
protected:
    TempDir dir;
    std::string a = dir / "a.txt", b = dir / "b.txt";
    void SetUp() override {
        WriteFile(a, std::string(kThreeBlocks, 'a'));
        WriteFile(b, "B");
    }
};

TEST_F(WindowStop, SignalDuringAFileEndsTheWindowWithNothingLostAndNoBox) {
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        const auto before = dir.List();
        // The header is the first write, the first block of the body the second.
        RunResult r = Child({"--delete", a, b}, "write:2:raise=" + std::to_string(signal));
        EXPECT_EQ(r.code, 128 + signal) << strsignal(signal);
        EXPECT_EQ(r.out, "ended\n") << strsignal(signal);    // closed in order, and no box waited for anyone
        EXPECT_EQ(dir.List(), before) << strsignal(signal);  // no output, named or hidden; originals kept
        EXPECT_EQ(ReadFile(a), std::string(kThreeBlocks, 'a'));
    }
}

TEST_F(WindowStop, SignalWhileABoxIsOpenClosesItAndTheWindow) {
    const std::string missing = dir / "missing.txt";
    struct Case {
        std::string box;  // the signal comes as this box appears
        int signal;
        std::vector<std::string> args;
        std::string out;
        bool existing = false;  // a.kvr is there before
    } cases[] = {
        // The password prompt of the first file: cancelled, the second never asked.
        {"Password", SIGHUP, {"--each", "--delete", a, b}, "box: Ombrix :  Password\nended\n"},
        // A message box: dismissed, and no further file is started.
        {"Does Not Exist",
         SIGTERM,
         {"--delete", missing, a, b},
         "box: stop_child: The Sorce File '" + missing + "' Does Not Exist\nended\n"},
        // The Replace question: answered No, and the numbered output is not finished.
        {"Found",
         SIGTERM,
         {"--delete", a, b},
         "box: Replace: In Encripting The File ' " + a + " ' ,' " + (dir / "a.kvr") +
             " ' Found.\nTo Replace The File Press 'YES' , To Create With ' " + (dir / "a1.kvr") +
             " ' Press 'NO' Button\nended\n",
         true},
        // No batch: the window just ends.
        {"main", SIGINT, {"--idle"}, "ended\n"},
    };
    for (auto& k : cases) {
        if (k.existing) WriteFile(dir / "a.kvr", "old");
        const auto before = dir.List();
        k.args.insert(k.args.begin(), {"--raise-at-box", k.box + "=" + std::to_string(k.signal)});
        RunResult r = Child(k.args);
        EXPECT_EQ(r.code, 128 + k.signal) << k.box;
        EXPECT_EQ(r.out, k.out);
        EXPECT_EQ(dir.List(), before) << k.box;
        if (k.existing) {
            EXPECT_EQ(ReadFile(dir / "a.kvr"), "old");
            std::remove((dir / "a.kvr").c_str());
        }
    }
}

}  // namespace
}  // namespace ombrix::test
