// The batch entry point of the front ends without widgets: the window's
// start-up, the settings in place of its controls, then the main button's
// batch, with everything shown or asked going to the front end's view.
#include "support/JobFixture.h"

namespace ombrix::test {
namespace {

using Texts = std::vector<std::string>;

class RunBatchTest : public JobFixture {};

TEST_F(RunBatchTest, StartsAsTheWindowDoesThenRunsTheBatchWithTheSettings) {
    const std::string out = dir.MakeDir("out");
    for (auto name : {"a.txt", "b.txt"}) {
        WriteFile(dir / name, std::string("contents of ") + name);
        w.picker.paths.push_back(dir / name);
    }
    w.picker.destination = out;
    w.events.clear();
    const int updates = w.updates;
    settings = {
        Process::Encrypt, Destination::OneFolder, PasswordMode::OneForAll, "secret", true, ReplacePolicy::Ask, {}};
    // While it runs, the view knows the job whose files the texts name.
    std::vector<std::string> attachedAt;
    w.onBox = [&](const Box&) { attachedAt.push_back(w.attached ? w.attached->SFilePath : "none"); };

    EXPECT_EQ(Batch(), (BatchCounts{2, 2, 2}));
    EXPECT_EQ(ReadFile(out + "/a.kvr"), ContainerBytes("a.txt", "secret", "contents of a.txt"));
    EXPECT_EQ(ReadFile(out + "/b.kvr"), ContainerBytes("b.txt", "secret", "contents of b.txt"));
    EXPECT_EQ(dir.List(), Texts{"out"});
    EXPECT_EQ(w.Texts(), Texts{"Selected File(s) : 2 , \n Encrypted File(s) : 2, \n Deleted Files : 2 "});
    EXPECT_EQ(w.boxes.back().kind, Box::Summary);
    EXPECT_EQ(attachedAt, Texts{dir / "b.txt"});
    EXPECT_EQ(w.attached, nullptr);
    // The window's initialisation, then the batch exactly as the main button runs it.
    EXPECT_EQ(Texts(w.events.begin(), w.events.begin() + 8),
              (Texts{"Disable(main)", "Hide(batch)", "Hide(file)", "Disable(main)", "Disable(exit)", "TotalFiles",
                     "Range(batch,0,2)", "Show(batch)"}));
    EXPECT_EQ(w.picker.calls, (Texts{"TotalFiles", "FileSource(0)", "FileDestination", "FileSource(1)",
                                     "FileDestination", "DecryptTypes", "EncryptTypes", "ProcessOver"}));
    EXPECT_EQ(w.updates, updates);  // the settings are the controls: the view has none to read
}

TEST_F(RunBatchTest, DecryptsBesideEachContainerWithAPromptForEachFile) {
    WriteFile(dir / "c.kvr", ContainerBytes("c.txt", "right", "body"));
    WriteFile(dir / "d.kvr", ContainerBytes("d.txt", "right", "more"));
    w.picker.paths = {dir / "c.kvr", dir / "d.kvr"};
    settings.process = Process::Decrypt;
    settings.passwordMode = PasswordMode::EachFile;
    settings.password = "not asked for";
    w.QueuePrompt("right");
    w.QueuePrompt("wrong");
    w.QueuePrompt(std::nullopt);
    EXPECT_EQ(Batch(), (BatchCounts{2, 1, 0}));
    EXPECT_EQ(w.promptLabels, (Texts{"File --> " + (dir / "c.kvr"), "File --> " + (dir / "d.kvr"),
                                     "Failed :( " + (dir / "d.kvr") + " )"}));
    EXPECT_EQ(ReadFile(dir / "c.txt"), "body");
    EXPECT_EQ(dir.List(), (Texts{"c.kvr", "c.txt", "d.kvr"}));
    EXPECT_EQ(w.picker.calls.back(), "ProcessOver");
    EXPECT_EQ(std::count(w.picker.calls.begin(), w.picker.calls.end(), "FileDestination"), 0);
}

// The Replace question is the view's only when the settings leave it open.
TEST_F(RunBatchTest, ReplacePolicyAnswersOrAsks) {
    const struct {
        ReplacePolicy policy;
        bool asked;
        bool replaced;
    } cases[] = {
        {ReplacePolicy::Yes, false, true},
        {ReplacePolicy::No, false, false},
        {ReplacePolicy::Ask, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.policy));
        TempDir folder;
        WriteFile(folder / "a.txt", "new");
        WriteFile(folder / "a.kvr", "old");
        w.picker.paths = {folder / "a.txt"};
        w.ClearRecords();
        settings.replace = c.policy;
        if (c.asked) w.QueueAnswer(Answer::No);
        EXPECT_EQ(Batch(), (BatchCounts{1, 1, 0}));
        const std::size_t questions =
            std::count_if(w.boxes.begin(), w.boxes.end(), [](const Box& b) { return b.kind == Box::Question; });
        EXPECT_EQ(questions, c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(w.boxes.front().caption, "Replace");
        }
        const std::string container = ContainerBytes("a.txt", "pw", "new");
        EXPECT_EQ(ReadFile(folder / "a.kvr"), c.replaced ? container : "old");
        if (!c.replaced) {
            EXPECT_EQ(ReadFile(folder / "a1.kvr"), container);
        }
    }
}

}  // namespace
}  // namespace ombrix::test
