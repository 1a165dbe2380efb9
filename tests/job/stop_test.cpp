// A stop request (what SIGINT, SIGTERM or SIGHUP raise in the front ends)
// in the middle of a batch: the current file stops, its output goes, nothing
// is deleted, no further file starts, and the summary still comes.
#include <csignal>

#include "job/Stop.h"
#include "support/JobFixture.h"

namespace ombrix::test {
namespace {

using Texts = std::vector<std::string>;
using fsio::Op;

class StopTest : public JobFixture {
protected:
    StopTest() { ClearStop(); }
    ~StopTest() override { ClearStop(); }
};

TEST_F(StopTest, CurrentFileStopsAndNoFurtherFileStarts) {
    const std::string big = RandomBytes((1 << 20) + 5, 5), small = "small";
    const struct {
        const char* what;
        bool decrypt;
        std::string firstBody;
        Op op;
        int nth;
        bool firstDone;  // the stop came after the first output was complete
    } cases[] = {
        {"encrypting, between blocks", false, big, Op::Write, 2, false},
        {"encrypting, during the last block", false, small, Op::Write, 1, false},
        {"decrypting, between blocks", true, big, Op::Write, 1, false},
        {"decrypting, during the last block", true, small, Op::Write, 1, false},
        {"while the output is read back", false, small, Op::Advise, 1, false},
        {"after the first file, before its original goes", false, small, Op::Sync, 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        const char* names[] = {"a", "b", "c"};
        w.picker.paths.clear();
        for (auto name : names) {
            const std::string body = name == std::string("a") ? c.firstBody : "other";
            const std::string path = folder / (std::string(name) + (c.decrypt ? ".kvr" : ".txt"));
            WriteFile(path, c.decrypt ? ContainerBytes(std::string(name) + ".txt", "pw", body) : body);
            w.picker.paths.push_back(path);
        }
        const Texts before = folder.List();
        w.ClearRecords();
        w.picker.calls.clear();
        settings.deleteOriginals = true;
        settings.process = c.decrypt ? Process::Decrypt : Process::Encrypt;
        ClearStop();
        fsio::ResetFaults();
        fsio::AtNth(c.op, c.nth, [] { RequestStop(SIGTERM); });
        Batch();
        fsio::ResetFaults();

        const std::string verb = c.decrypt ? "Decrypted" : "Encrypted";
        Texts expected;
        if (!c.firstDone)
            expected.push_back("' " + w.picker.paths[0] + " ' is not " + verb + " : the batch was stopped");
        expected.push_back("Selected File(s) : 3 , \n " + verb + " File(s) : " + (c.firstDone ? "1" : "0") +
                           ", \n Deleted Files : 0 ");
        EXPECT_EQ(w.Texts(), expected);
        Texts left = before;
        if (c.firstDone) left.insert(left.begin(), "a.kvr");
        EXPECT_EQ(folder.List(), left);  // no output but a finished one, every original kept
        EXPECT_EQ(std::count(w.picker.calls.begin(), w.picker.calls.end(), "FileSource(0)"), 1);
        EXPECT_EQ(std::count_if(w.picker.calls.begin(), w.picker.calls.end(),
                                [](const std::string& call) { return call.rfind("FileSource", 0) == 0; }),
                  1);
        EXPECT_EQ(w.picker.calls.back(), "ProcessOver");
    }
}

}  // namespace
}  // namespace ombrix::test
