// A real child process killed (SIGKILL) at many points of a batch, and one
// stopped by a real signal: what is left in the folder afterwards.
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "container/kvx/Kvx.h"
#include "container/kvx/Seam.h"
#include "job/Stop.h"
#include "support/JobFixture.h"

namespace ombrix::test {
namespace {

using fsio::Op;

// Runs body in a forked child that then exits 0; returns its wait status.
int InChild(const std::function<void()>& body) {
    std::fflush(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        body();
        std::_Exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

// A folder's names and contents, with every hidden name of ours shown as
// "<hidden>" (its random part differs from run to run).
std::vector<std::pair<std::string, std::string>> Contents(const TempDir& folder) {
    std::vector<std::pair<std::string, std::string>> all;
    for (const auto& name : folder.List())
        all.emplace_back(name.rfind(".ombrix-", 0) == 0 ? "<hidden>" : name, ReadFile(folder / name));
    return all;
}

using Listing = std::vector<std::pair<std::string, std::string>>;

// A point of a batch at which the child is killed, and what must be left.
struct KillPoint {
    const char* what;
    bool decrypt, replace;
    Op op;
    int nth;
    Listing left;
    bool inKeyDerivation = false;  // killed there instead of at op
};

class CrashTest : public JobFixture {
protected:
    // Kills a child batch over `input` (holding `bytes`) at the point; with
    // replace, `taken` holds "old" and the Replace question gets Yes. `arm`
    // runs in the child first.
    void KillAt(const KillPoint& c, const std::string& input, const std::string& bytes, const std::string& taken,
                const std::function<void()>& arm = {}) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        WriteFile(folder / input, bytes);
        if (c.replace) WriteFile(folder / taken, "old");
        int status = InChild([&] {
            if (arm) arm();
            fsio::ResetFaults();
            if (c.inKeyDerivation) kvx::seam::SetOnDerive([] { ::raise(SIGKILL); });
            else fsio::AtNth(c.op, c.nth, [] { ::raise(SIGKILL); });
            if (c.replace) w.QueueAnswer(Answer::Yes);
            w.picker.paths = {folder / input};
            settings.deleteOriginals = true;
            settings.process = c.decrypt ? Process::Decrypt : Process::Encrypt;
            Batch();
        });
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the point was never reached";
        EXPECT_EQ(Contents(folder), c.left);
    }

    const std::string body = RandomBytes((3 << 18) + 99, 23);  // four blocks
};

TEST_F(CrashTest, KilledAnywhereLeavesNoPartialFileAndLosesNothing) {
    const std::string container = ContainerBytes("a.txt", "pw", body);
    const Listing untouched{{"a.txt", body}}, output{{"a.kvr", container}, {"a.txt", body}},
        old{{"a.kvr", "old"}, {"a.txt", body}}, restoring{{"c.kvr", container}},
        restored{{"a.txt", body}, {"c.kvr", container}};
    const KillPoint cases[] = {
        {"reading", false, false, Op::Read, 2, untouched},
        {"writing", false, false, Op::Write, 2, untouched},
        {"syncing the output", false, false, Op::Sync, 1, untouched},
        {"reading the output back", false, false, Op::Read, 6, untouched},
        {"giving it the original's permissions", false, false, Op::Chmod, 1, untouched},
        {"naming it", false, false, Op::Link, 1, untouched},
        {"syncing its folder", false, false, Op::Sync, 2, output},
        {"moving the original aside", false, false, Op::Rename, 1, output},
        // The one moment a hidden name remains: it holds the whole original,
        // whose output is complete and was read back.
        {"unlinking the original", false, false, Op::Remove, 1, {{"<hidden>", body}, {"a.kvr", container}}},
        {"writing, replacing", false, true, Op::Write, 3, old},
        {"linking, replacing", false, true, Op::Link, 1, old},
        // Between the link and the rename only a complete output carries a hidden name.
        {"renaming over the old file",
         false,
         true,
         Op::Rename,
         1,
         {{"<hidden>", container}, {"a.kvr", "old"}, {"a.txt", body}}},
        {"after replacing", false, true, Op::Rename, 2, output},
        {"reading a container", true, false, Op::Read, 2, restoring},
        {"writing a restored file", true, false, Op::Write, 2, restoring},
        {"naming a restored file", true, false, Op::Link, 1, restoring},
        {"moving the container aside", true, false, Op::Rename, 1, restored},
    };
    for (const auto& c : cases) KillAt(c, c.decrypt ? "c.kvr" : "a.txt", c.decrypt ? container : body, "a.kvr");
}

// The same for .kvx, whose key derivation and worker thread are points of
// their own. Its random bytes are scripted, so every child writes the very
// container the parent expects.
TEST_F(CrashTest, KilledAnywhereInAKvxPassLeavesNoPartialFileAndLosesNothing) {
    const std::string big = RandomBytes(2 * kvx::kChunk + 99, 29);  // three chunks
    const auto arm = [this] {
        kvx::seam::SetNewContainerCost({1, 8});
        kvx::seam::SetRandom([n = 0u](std::uint8_t* buf, std::size_t len) mutable {
            for (std::size_t i = 0; i < len; ++i) buf[i] = static_cast<std::uint8_t>(n++ * 131 + 7);
        });
        settings.format = ".kvx";
    };
    // The container a child writes, made here the same way.
    std::string container;
    {
        TempDir folder;
        WriteFile(folder / "a.txt", big);
        arm();
        w.picker.paths = {folder / "a.txt"};
        Batch();
        container = ReadFile(folder / "a.txt.kvx");
        kvx::seam::SetRandom({});
        kvx::seam::SetNewContainerCost(kvx::kModerate);
        ASSERT_EQ(container.size(), kvx::kHeaderSize + big.size() + 3 * kvx::kMessageOverhead);
    }
    const Listing untouched{{"a.txt", big}}, output{{"a.txt", big}, {"a.txt.kvx", container}},
        old{{"a.txt", big}, {"a.txt.kvx", "old"}}, restoring{{"a.txt.kvx", container}},
        restored{{"a.txt", big}, {"a.txt.kvx", container}};
    const KillPoint cases[] = {
        {"deriving the key", false, false, Op::Read, 0, untouched, true},
        {"reading", false, false, Op::Read, 2, untouched},
        {"writing a later chunk", false, false, Op::Write, 3, untouched},
        {"syncing the output", false, false, Op::Sync, 1, untouched},
        {"reading the output back", false, false, Op::Read, 5, untouched},
        {"naming it", false, false, Op::Link, 1, untouched},
        {"syncing its folder", false, false, Op::Sync, 2, output},
        {"moving the original aside", false, false, Op::Rename, 1, output},
        {"unlinking the original", false, false, Op::Remove, 1, {{"<hidden>", big}, {"a.txt.kvx", container}}},
        {"linking, replacing", false, true, Op::Link, 1, old},
        {"renaming over the old file",
         false,
         true,
         Op::Rename,
         1,
         {{"<hidden>", container}, {"a.txt", big}, {"a.txt.kvx", "old"}}},
        {"deriving the key of a container", true, false, Op::Read, 0, restoring, true},
        {"reading a container", true, false, Op::Read, 3, restoring},
        {"writing a restored chunk", true, false, Op::Write, 2, restoring},
        {"naming a restored file", true, false, Op::Link, 1, restoring},
        {"moving the container aside", true, false, Op::Rename, 1, restored},
    };
    for (const auto& c : cases)
        KillAt(c, c.decrypt ? "a.txt.kvx" : "a.txt", c.decrypt ? container : big, "a.txt.kvx", arm);
}

// SIGTERM handled as the front ends do: the file in progress stops, nothing
// is left of it, nothing is deleted, and the batch ends with its summary.
TEST_F(CrashTest, SignalStopsTheBatchCleanly) {
    TempDir folder;
    for (auto name : {"a.txt", "b.txt", "c.txt"}) {
        WriteFile(folder / name, body);
        w.picker.paths.push_back(folder / name);
    }
    int status = InChild([&] {
        struct sigaction sa {};
        sa.sa_handler = [](int sig) { RequestStop(sig); };
        ::sigaction(SIGTERM, &sa, nullptr);
        fsio::ResetFaults();
        fsio::AtNth(Op::Write, 2, [] { ::kill(::getpid(), SIGTERM); });
        settings.deleteOriginals = true;
        Batch();
        const bool summarised =
            w.boxes.size() == 2 &&
            w.boxes.back().text == "Selected File(s) : 3 , \n Encrypted File(s) : 0, \n Deleted Files : 0 ";
        std::_Exit(summarised && StopRequested() == SIGTERM ? 0 : 1);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Contents(folder),
              (std::vector<std::pair<std::string, std::string>>{{"a.txt", body}, {"b.txt", body}, {"c.txt", body}}));
}

}  // namespace
}  // namespace ombrix::test
