// The ".kvx" container through whole batches: names, passwords and their
// prompts, one key derivation per batch, containers that were damaged or
// altered, stops, and originals deleted only once the output read back.
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "container/kvx/Kvx.h"
#include "container/kvx/Seam.h"
#include "job/Stop.h"
#include "support/JobFixture.h"

namespace ombrix::test {
namespace {

using Texts = std::vector<std::string>;
using fsio::Op;
using kvx::kChunk;
using kvx::kHeaderSize;
using kvx::kMessageOverhead;

// Where message k (0-based) of a container begins.
constexpr std::size_t MessageAt(std::size_t k) { return kHeaderSize + k * (kChunk + kMessageOverhead); }

class KvxBatchTest : public JobFixture {
protected:
    KvxBatchTest() {
        kvx::seam::SetNewContainerCost({1, 8});  // the cheapest a reader accepts
        settings.format = ".kvx";
        settings.password = "pw";
    }
    ~KvxBatchTest() override {
        kvx::seam::SetNewContainerCost(kvx::kModerate);
        kvx::seam::SetOnDerive({});
        ClearStop();
    }

    // One batch over `paths` with `settings`; `derived` gets the number of
    // key derivations it ran.
    BatchCounts Run(Process process, const std::vector<std::string>& paths, int* derived = nullptr) {
        w.picker.paths = paths;
        settings.process = process;
        w.ClearRecords();
        const int before = kvx::seam::Derivations();
        const BatchCounts counts = Batch();
        if (derived) *derived = kvx::seam::Derivations() - before;
        return counts;
    }

    // A container of `body` under the password, made by an encryption batch,
    // as the bytes it wrote.
    std::string Sealed(const std::string& body, const std::string& password = "pw") {
        TempDir folder;
        WriteFile(folder / "c.bin", body);
        const auto saved = settings;
        settings.password = password;
        settings.passwordMode = PasswordMode::OneForAll;
        settings.deleteOriginals = false;
        EXPECT_EQ(Run(Process::Encrypt, {folder / "c.bin"}), (BatchCounts{1, 1, 0}));
        settings = saved;
        return ReadFile(folder / "c.bin.kvx");
    }

    static std::string NotDecrypted(const std::string& path) { return "' " + path + " ' is not Decrypted "; }
    static std::string Damaged(const std::string& path) {
        return NotDecrypted(path) + ": the container is damaged or was altered";
    }
    static std::string NotContainer(const std::string& path) {
        return "' " + path + " ' is not Ombrix's Encrypted File";
    }
    static std::string NotDeleted(const std::string& path) {
        return "File ' " + path + " ' is Not Deleted Due to Access Failure.";
    }
};

std::uint32_t Le32At(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(s[at + static_cast<std::size_t>(i)]);
    return v;
}

std::string WithLe32(std::string s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
    return s;
}

std::string Flipped(std::string s, std::size_t at) {
    s[at] = static_cast<char>(s[at] ^ 0x01);
    return s;
}

TEST_F(KvxBatchTest, RoundTripsInBothPasswordModesWithOneKeyDerivationEachWay) {
    const struct {
        const char* name;
        std::string body;
    } files[] = {{"empty.txt", ""}, {"one.bin", "\xff"}, {"big.dat", RandomBytes(2 * kChunk + 5, 3)}};
    std::vector<std::string> originals, containers;
    for (const auto& f : files) {
        WriteFile(dir / f.name, f.body);
        originals.push_back(dir / f.name);
        containers.push_back(dir / (std::string(f.name) + ".kvx"));
    }
    settings.deleteOriginals = true;
    // Each output takes its input's permission bits.
    ASSERT_EQ(::chmod(originals[1].c_str(), 0640), 0);
    ASSERT_EQ(::chmod(originals[2].c_str(), 0600), 0);

    int derived = -1;
    EXPECT_EQ(Run(Process::Encrypt, originals, &derived), (BatchCounts{3, 3, 3}));
    EXPECT_EQ(derived, 1);
    EXPECT_EQ(w.Texts(), Texts{Summary(false, 3, 3, 3)});
    EXPECT_EQ(dir.List(), (Texts{"big.dat.kvx", "empty.txt.kvx", "one.bin.kvx"}));
    std::vector<std::string> boxes;
    for (const auto& c : containers) boxes.push_back(ReadFile(c));
    EXPECT_EQ(boxes[0].size(), kHeaderSize + kMessageOverhead);
    EXPECT_EQ(boxes[1].size(), kHeaderSize + 1 + kMessageOverhead);
    EXPECT_EQ(boxes[2].size(), kHeaderSize + 2 * kChunk + 5 + 3 * kMessageOverhead);
    EXPECT_EQ(ModeOf(containers[1]), 0640u);
    EXPECT_EQ(ModeOf(containers[2]), 0600u);
    for (const auto& b : boxes) {
        EXPECT_EQ(Le32At(b, 12), 1u);  // the cost the batch was given
        EXPECT_EQ(Le32At(b, 16), 8u);
        // One salt for the batch and its password; every file its own key and nonces.
        EXPECT_EQ(b.substr(20, 16), boxes[0].substr(20, 16));
        if (&b != &boxes[0]) {
            EXPECT_NE(b.substr(36, kHeaderSize - 36), boxes[0].substr(36, kHeaderSize - 36));
        }
    }

    settings.passwordMode = PasswordMode::EachFile;
    for (int i = 0; i < 3; ++i) w.QueuePrompt("pw");
    EXPECT_EQ(Run(Process::Decrypt, containers, &derived), (BatchCounts{3, 3, 3}));
    EXPECT_EQ(derived, 1);
    EXPECT_EQ(w.promptLabels,
              (Texts{"File --> " + containers[0], "File --> " + containers[1], "File --> " + containers[2]}));
    EXPECT_EQ(w.Texts(), Texts{Summary(true, 3, 3, 3)});
    EXPECT_EQ(dir.List(), (Texts{"big.dat", "empty.txt", "one.bin"}));
    for (const auto& f : files) EXPECT_EQ(ReadFile(dir / f.name), f.body) << f.name;
    EXPECT_EQ(ModeOf(dir / "one.bin"), 0640u);
    EXPECT_EQ(ModeOf(dir / "big.dat"), 0600u);
}

// Keys are derived once per password (encrypting) and once per password and
// salt (decrypting) within a batch; a wrong guess costs its own derivation.
TEST_F(KvxBatchTest, EachDistinctPasswordIsDerivedOncePerBatch) {
    std::vector<std::string> originals, containers;
    for (auto name : {"a", "b", "c"}) {
        WriteFile(dir / name, name);
        originals.push_back(dir / name);
        containers.push_back(dir / (std::string(name) + ".kvx"));
    }
    settings.passwordMode = PasswordMode::EachFile;
    for (auto p : {"one", "two", "one"}) w.QueuePrompt(p);
    int derived = -1;
    EXPECT_EQ(Run(Process::Encrypt, originals, &derived), (BatchCounts{3, 3, 0}));
    EXPECT_EQ(derived, 2);
    const std::string a = ReadFile(containers[0]), b = ReadFile(containers[1]), c = ReadFile(containers[2]);
    EXPECT_EQ(a.substr(20, 16), c.substr(20, 16));
    EXPECT_NE(a.substr(20, 16), b.substr(20, 16));

    // "one" opens a and c with one derivation; b takes a wrong guess, then "two".
    const std::string out = dir.MakeDir("out");
    settings.destination = Destination::OneFolder;
    w.picker.destination = out;
    settings.passwordMode = PasswordMode::OneForAll;
    settings.password = "one";
    w.QueuePrompt("two");
    EXPECT_EQ(Run(Process::Decrypt, containers, &derived), (BatchCounts{3, 3, 0}));
    EXPECT_EQ(derived, 3);
    EXPECT_EQ(w.promptLabels, Texts{"Failed :( " + containers[1] + " )"});
    // A new batch derives afresh: nothing is kept between batches.
    ASSERT_EQ(::unlink((out + "/a").c_str()), 0);
    EXPECT_EQ(Run(Process::Decrypt, {containers[0]}, &derived), (BatchCounts{1, 1, 0}));
    EXPECT_EQ(derived, 1);
}

TEST_F(KvxBatchTest, WrongPasswordIsAskedForAgainWithoutLimitAndCancelKeepsTheContainer) {
    const std::string box = Sealed("the contents", "right");
    WriteFile(dir / "a.txt.kvx", box);
    WriteFile(dir / "b.txt.kvx", box);
    settings.password = "wrong";
    settings.deleteOriginals = true;
    for (auto p : {"no 1", "no 2", "no 3", "no 4", "right"}) w.QueuePrompt(p);
    w.QueuePrompt("still wrong");
    w.QueuePrompt(std::nullopt);
    EXPECT_EQ(Run(Process::Decrypt, {dir / "a.txt.kvx", dir / "b.txt.kvx"}), (BatchCounts{2, 1, 1}));
    const std::string failedA = "Failed :( " + (dir / "a.txt.kvx") + " )",
                      failedB = "Failed :( " + (dir / "b.txt.kvx") + " )";
    EXPECT_EQ(w.promptLabels, (Texts{failedA, failedA, failedA, failedA, failedA, failedB, failedB}));
    EXPECT_EQ(w.Texts(), (Texts{NotDecrypted(dir / "b.txt.kvx"), Summary(true, 2, 1, 1)}));
    EXPECT_EQ(dir.List(), (Texts{"a.txt", "b.txt.kvx"}));
    EXPECT_EQ(ReadFile(dir / "a.txt"), "the contents");
    EXPECT_EQ(ReadFile(dir / "b.txt.kvx"), box);
}

// Any change to a container is refused: a header this program cannot read
// by the check, before any key is derived; a change to what the password's
// key opens as a wrong password; anything else as damage. Nothing of its
// contents is ever named, and with deletion on the container stays.
TEST_F(KvxBatchTest, AlteredContainersAreRefusedAndNothingIsPublished) {
    const std::string box = Sealed(RandomBytes(2 * kChunk + 100, 9));
    ASSERT_EQ(box.size(), MessageAt(2) + 100 + kMessageOverhead);
    const std::string m0 = box.substr(MessageAt(0), kChunk + kMessageOverhead),
                      m1 = box.substr(MessageAt(1), kChunk + kMessageOverhead);
    enum Refusal { NotAContainer, WrongKey, Damage };
    const struct {
        const char* what;
        std::string bytes;
        Refusal refusal;
    } cases[] = {
        {"magic", Flipped(box, 3), NotAContainer},
        {"version", Flipped(box, 8), NotAContainer},
        {"key derivation id", Flipped(box, 9), NotAContainer},
        {"reserved", Flipped(box, 11), NotAContainer},
        {"opslimit 0", WithLe32(box, 12, 0), NotAContainer},
        {"opslimit 17", WithLe32(box, 12, 17), NotAContainer},
        {"memlimit 7 KiB", WithLe32(box, 16, 7), NotAContainer},
        {"memlimit 1 GiB + 1 KiB", WithLe32(box, 16, (1u << 20) + 1), NotAContainer},
        {"memlimit 4 TiB", WithLe32(box, 16, 0xFFFFFFFF), NotAContainer},
        {"cut inside the header", box.substr(0, kHeaderSize - 1), NotAContainer},
        {"opslimit within bounds", WithLe32(box, 12, 2), WrongKey},
        {"memlimit within bounds", WithLe32(box, 16, 16), WrongKey},
        {"salt", Flipped(box, 20), WrongKey},
        {"wrap nonce", Flipped(box, 40), WrongKey},
        {"wrapped key", Flipped(box, 100), WrongKey},
        {"stream header", Flipped(box, 120), Damage},
        {"a body byte in the first chunk", Flipped(box, MessageAt(0) + 5), Damage},
        {"a body byte in a later chunk", Flipped(box, MessageAt(2) + 50), Damage},
        {"the first two chunks swapped", box.substr(0, kHeaderSize) + m1 + m0 + box.substr(MessageAt(2)), Damage},
        {"cut at a chunk boundary", box.substr(0, MessageAt(2)), Damage},
        {"cut after the header", box.substr(0, kHeaderSize), Damage},
        {"bytes appended", box + "more", Damage},
        {"a whole final message appended", box + box.substr(MessageAt(2)), Damage},
    };
    settings.deleteOriginals = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        const std::string path = folder / "c.bin.kvx";
        WriteFile(path, c.bytes);
        if (c.refusal == WrongKey) w.QueuePrompt(std::nullopt);
        int derived = -1;
        const BatchCounts counts = Run(Process::Decrypt, {path}, &derived);
        EXPECT_EQ(counts, (BatchCounts{1, 0, 0}));
        const std::string message = c.refusal == NotAContainer ? NotContainer(path)
                                    : c.refusal == WrongKey    ? NotDecrypted(path)
                                                               : Damaged(path);
        EXPECT_EQ(w.Texts(), (Texts{message, Summary(true, 1, 0, 0)}));
        EXPECT_EQ(w.promptLabels.size(), c.refusal == WrongKey ? 1u : 0u);
        EXPECT_EQ(derived, c.refusal == NotAContainer ? 0 : 1);
        EXPECT_EQ(folder.List(), Texts{"c.bin.kvx"});
        EXPECT_EQ(ReadFile(path), c.bytes);
    }
}

// With deletion on, the container written is read back through the codec
// with the batch's key (no second derivation) and must give back what was
// read; the restored file must read back as written.
TEST_F(KvxBatchTest, OutputThatDoesNotReadBackKeepsTheOriginal) {
    const std::string body = RandomBytes(kChunk + 4321, 17);
    const std::string box = Sealed(body);
    const struct {
        const char* what;
        bool decrypt;
        std::function<void(int outputFd)> fault;
    } cases[] = {
        {"a salt byte changed on disk", false, [](int fd) { ASSERT_EQ(::pwrite(fd, "?", 1, 25), 1); }},
        {"a stream header byte changed on disk", false, [](int fd) { ASSERT_EQ(::pwrite(fd, "?", 1, 110), 1); }},
        {"a body byte changed on disk", false, [](int fd) { ASSERT_EQ(::pwrite(fd, "?", 1, 70000), 1); }},
        {"the container cut at its chunk boundary", false,
         [](int fd) { ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(MessageAt(1))), 0); }},
        {"the read back fails", false, [](int) { fsio::FailNth(Op::Read, fsio::Calls(Op::Read) + 2, EIO); }},
        {"a restored byte changed on disk", true, [](int fd) { ASSERT_EQ(::pwrite(fd, "?", 1, 1 << 20), 1); }},
    };
    settings.deleteOriginals = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        const std::string original = folder / (c.decrypt ? "a.txt.kvx" : "a.txt");
        const std::string originalBytes = c.decrypt ? box : body;
        WriteFile(original, originalBytes);
        fsio::ResetFaults();
        fsio::AtNth(Op::Advise, 1, [&] {
            int fd = UnnamedFileIn(folder.path());
            ASSERT_GE(fd, 0);
            c.fault(fd);
        });
        int derived = -1;
        EXPECT_EQ(Run(c.decrypt ? Process::Decrypt : Process::Encrypt, {original}, &derived), (BatchCounts{1, 1, 0}));
        fsio::ResetFaults();
        EXPECT_EQ(derived, 1);
        EXPECT_EQ(w.Texts(), (Texts{NotDeleted(original), Summary(c.decrypt, 1, 1, 0)}));
        EXPECT_EQ(ReadFile(original), originalBytes);
        EXPECT_EQ(folder.List(), (Texts{"a.txt", "a.txt.kvx"}));
    }
}

// A container keeps its source's whole name; decrypting takes ".kvx" off in
// any letter case and places the rest like any restored name.
TEST_F(KvxBatchTest, ContainersAreNamedAfterTheirWholeSourceName) {
    const Texts names = {"report.txt", "README", ".profile", "name.", "archive.tar.gz"};
    std::vector<std::string> originals;
    for (const auto& n : names) {
        WriteFile(dir / n, "contents of " + n);
        originals.push_back(dir / n);
    }
    settings.deleteOriginals = true;
    EXPECT_EQ(Run(Process::Encrypt, originals), (BatchCounts{5, 5, 5}));
    EXPECT_EQ(dir.List(), (Texts{".profile.kvx", "README.kvx", "archive.tar.gz.kvx", "name..kvx", "report.txt.kvx"}));

    // Suffixes in other letter cases.
    ASSERT_EQ(::rename((dir / "report.txt.kvx").c_str(), (dir / "Report.Txt.KVX").c_str()), 0);
    ASSERT_EQ(::rename((dir / "README.kvx").c_str(), (dir / "README.Kvx").c_str()), 0);
    const std::string out = dir.MakeDir("out");
    settings.destination = Destination::OneFolder;
    w.picker.destination = out;
    std::vector<std::string> containers;
    for (auto n : {"Report.Txt.KVX", "README.Kvx", ".profile.kvx", "name..kvx", "archive.tar.gz.kvx"})
        containers.push_back(dir / n);
    EXPECT_EQ(Run(Process::Decrypt, containers), (BatchCounts{5, 5, 5}));
    EXPECT_EQ(w.Texts(), Texts{Summary(true, 5, 5, 5)});
    EXPECT_EQ(dir.List(), Texts{"out"});
    // "name." ends with its dot, so it is restored as a name without an extension.
    const struct {
        const char* restored;
        const char* from;
    } restored[] = {{"Report.Txt", "report.txt"},
                    {"README", "README"},
                    {".profile", ".profile"},
                    {"name", "name."},
                    {"archive.tar.gz", "archive.tar.gz"}};
    for (const auto& r : restored) EXPECT_EQ(ReadFile(out + "/" + r.restored), std::string("contents of ") + r.from);
}

// Taken names: the numbered alternative goes between the stem and the last
// extension of the name placed, and the Replace question is asked as ever.
TEST_F(KvxBatchTest, TakenNamesGetNumberedAlternativesOrAreReplaced) {
    WriteFile(dir / "a.txt", "new");
    WriteFile(dir / "a.txt.kvx", "an older container");
    w.QueueAnswer(Answer::No);
    EXPECT_EQ(Run(Process::Encrypt, {dir / "a.txt"}), (BatchCounts{1, 1, 0}));
    ASSERT_EQ(w.boxes.size(), 2u);
    EXPECT_EQ(w.boxes[0].text, "In Encripting The File ' " + (dir / "a.txt") + " ' ,' " + (dir / "a.txt.kvx") +
                                   " ' Found.\nTo Replace The File Press 'YES' , To Create With ' " +
                                   (dir / "a.txt1.kvx") + " ' Press 'NO' Button");
    EXPECT_EQ(w.boxes[0].caption, "Replace");
    EXPECT_EQ(ReadFile(dir / "a.txt.kvx"), "an older container");

    WriteFile(dir / "arch.tar.gz", "old");
    WriteFile(dir / "arch.tar1.gz", "older");
    WriteFile(dir / "arch.tar.gz.kvx", Sealed("restored"));
    for (Answer answer : {Answer::No, Answer::Yes}) {
        w.QueueAnswer(answer);
        EXPECT_EQ(Run(Process::Decrypt, {dir / "arch.tar.gz.kvx"}), (BatchCounts{1, 1, 0}));
        EXPECT_EQ(w.boxes[0].text,
                  "In Decripting The File ' " + (dir / "arch.tar.gz.kvx") + " ' ,' " + (dir / "arch.tar.gz") +
                      " ' Found.\nTo Replace The File Press 'YES' , To Create With ' " +
                      (dir / (answer == Answer::No ? "arch.tar2.gz" : "arch.tar3.gz")) + " ' Press 'NO' Button");
    }
    EXPECT_EQ(ReadFile(dir / "arch.tar.gz"), "restored");
    EXPECT_EQ(ReadFile(dir / "arch.tar1.gz"), "older");
    EXPECT_EQ(ReadFile(dir / "arch.tar2.gz"), "restored");
    EXPECT_FALSE(Exists(dir / "arch.tar3.gz"));
}

TEST_F(KvxBatchTest, ContainerWithNoNameBeforeTheSuffixIsRefused) {
    const std::string box = Sealed("x");
    for (auto name : {".kvx", ".KVX", "..kvx", "...kvx"}) {
        SCOPED_TRACE(name);
        TempDir folder;
        WriteFile(folder / name, box);
        settings.passwordMode = PasswordMode::EachFile;  // nobody is asked
        int derived = -1;
        EXPECT_EQ(Run(Process::Decrypt, {folder / name}, &derived), (BatchCounts{1, 0, 0}));
        EXPECT_EQ(w.Texts(), (Texts{NotDecrypted(folder / name) + ": its name holds no file name before \".kvx\"",
                                    Summary(true, 1, 0, 0)}));
        EXPECT_EQ(derived, 0);
        EXPECT_EQ(folder.List(), Texts{name});
    }
}

// An empty password protects nothing: refused for .kvx, before any key is
// derived, whether it came from the settings or a prompt. .kvr takes it as ever.
TEST_F(KvxBatchTest, EmptyPasswordIsRefusedForKvx) {
    WriteFile(dir / "a.txt", "A");
    settings.deleteOriginals = true;
    const std::string refused = "' " + (dir / "a.txt") + " ' is not Encrypted : an empty password protects nothing";
    for (PasswordMode mode : {PasswordMode::OneForAll, PasswordMode::EachFile}) {
        settings.passwordMode = mode;
        settings.password = "";
        if (mode == PasswordMode::EachFile) w.QueuePrompt("");
        int derived = -1;
        EXPECT_EQ(Run(Process::Encrypt, {dir / "a.txt"}, &derived), (BatchCounts{1, 0, 0}));
        EXPECT_EQ(derived, 0);
        EXPECT_EQ(w.Texts(), (Texts{refused, Summary(false, 1, 0, 0)}));
        EXPECT_EQ(dir.List(), Texts{"a.txt"});
    }
    settings.format = "";
    settings.passwordMode = PasswordMode::OneForAll;
    EXPECT_EQ(Run(Process::Encrypt, {dir / "a.txt"}), (BatchCounts{1, 1, 1}));
    EXPECT_EQ(dir.List(), Texts{"a.kvr"});
}

// Like every setting, the format counts as the controls show it when each
// file is placed.
TEST_F(KvxBatchTest, FormatIsReadWhenEachFileIsPlaced) {
    for (auto name : {"a.txt", "b.txt", "c.txt"}) {
        WriteFile(dir / name, name);
        w.picker.paths.push_back(dir / name);
    }
    w.controls.format = ".kvx";
    w.controls.samePass = 1;
    const std::vector<std::string> formats = {".KVR", ".kvx", ".kvx"};  // set while each file's prompt is up
    std::size_t prompt = 0;
    w.onPrompt = [&] { w.controls.format = formats[prompt++]; };
    for (int i = 0; i < 3; ++i) w.QueuePrompt("pw");
    job.OnMainButton();
    EXPECT_EQ(dir.List(), (Texts{"a.txt", "a.txt.kvx", "b.kvr", "b.txt", "c.txt", "c.txt.kvx"}));
    EXPECT_EQ(job.m_Format, ".kvx");
}

TEST_F(KvxBatchTest, DecryptBatchTakesBothFormatsByName) {
    WriteFile(dir / "one.kvr", ContainerBytes("one.txt", "pw", "1"));
    WriteFile(dir / "two.txt.kvx", Sealed("2"));
    WriteFile(dir / "notes.txt", "plain");
    WriteFile(dir / "junk.kvx", std::string(200, 'j'));
    WriteFile(dir / "kvx.kvr", Sealed("3"));  // a .kvx under the other name
    int derived = -1;
    EXPECT_EQ(
        Run(Process::Decrypt,
            {dir / "one.kvr", dir / "two.txt.kvx", dir / "notes.txt", dir / "junk.kvx", dir / "kvx.kvr"}, &derived),
        (BatchCounts{5, 2, 0}));
    EXPECT_EQ(derived, 1);
    EXPECT_EQ(w.Texts(), (Texts{NotContainer(dir / "notes.txt"), NotContainer(dir / "junk.kvx"),
                                NotContainer(dir / "kvx.kvr"), Summary(true, 5, 2, 0)}));
    EXPECT_EQ(ReadFile(dir / "one.txt"), "1");
    EXPECT_EQ(ReadFile(dir / "two.txt"), "2");
    EXPECT_EQ(w.TotalPositions(), (std::vector<int>{0, 0, 1, 2}));
}

// A stop asked for while the key is derived, or during a chunk, ends the
// file there: nothing of it is left, nothing is deleted, no file follows.
// Nor is the password asked for again when the key derived does not open it.
TEST_F(KvxBatchTest, StopDuringTheKeyDerivationOrAChunkLeavesNothing) {
    const std::string body = RandomBytes(2 * kChunk + 7, 4);
    const std::string box = Sealed(body);
    const struct {
        const char* what;
        bool decrypt, inDerivation;
        const char* password;
    } cases[] = {
        {"encrypting, deriving", false, true, "pw"},
        {"encrypting, a chunk", false, false, "pw"},
        {"decrypting, deriving", true, true, "pw"},
        {"decrypting, a chunk", true, false, "pw"},
        {"decrypting, deriving for a wrong password", true, true, "wrong"},
    };
    settings.deleteOriginals = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        settings.password = c.password;
        TempDir folder;
        const std::string name = c.decrypt ? "a.txt.kvx" : "a.txt", second = c.decrypt ? "b.txt.kvx" : "b.txt";
        WriteFile(folder / name, c.decrypt ? box : body);
        WriteFile(folder / second, c.decrypt ? box : body);
        fsio::ResetFaults();
        if (c.inDerivation) kvx::seam::SetOnDerive([] { RequestStop(SIGTERM); });
        else fsio::AtNth(Op::Write, 2, [] { RequestStop(SIGTERM); });
        EXPECT_EQ(Run(c.decrypt ? Process::Decrypt : Process::Encrypt, {folder / name, folder / second}),
                  (BatchCounts{2, 0, 0}));
        kvx::seam::SetOnDerive({});
        fsio::ResetFaults();
        ClearStop();
        EXPECT_EQ(w.Texts(), (Texts{"' " + (folder / name) + " ' is not " + (c.decrypt ? "Decrypted" : "Encrypted") +
                                        " : the batch was stopped",
                                    Summary(c.decrypt, 2, 0, 0)}));
        EXPECT_EQ(folder.List(), (Texts{name, second}));
        EXPECT_EQ(UnnamedFileIn(folder.path()), -1);
    }
}

}  // namespace
}  // namespace ombrix::test
