// ombrix-cli through pipes, with no terminal: what scripts see.
#include <sys/stat.h>

#include "CliCase.h"

namespace ombrix::test {
namespace {

std::string AllBytes() {
    std::string s;
    for (int round = 0; round < 3; ++round)
        for (int b = 0; b < 256; ++b) s.push_back(static_cast<char>(b));
    return s;
}

using Files = std::vector<std::string>;

TEST_F(CliCase, RoundTripRestoresTheBytesAndPrintsOnlyTheSummary) {
    const std::string body = AllBytes();
    const std::string src = Make("data.bin", body);
    WriteFile(pw, "s3cret\r\nsecond line\n");  // only the first line, without "\r\n"

    RunResult enc = Cli({"encrypt", "-p", pw, src});
    EXPECT_EQ(enc.code, 0);
    EXPECT_EQ(enc.out, Summary(false, 1, 1, 0));
    EXPECT_EQ(enc.err, "");  // no progress on a pipe
    ASSERT_TRUE(Exists(dir / "data.kvr"));
    EXPECT_EQ(ReadFile(dir / "data.kvr").size(), std::string("data.bin").size() + 6 + 32 + body.size());
    EXPECT_EQ(ReadFile(src), body);

    const std::string out = dir.MakeDir("out");
    WriteFile(pw, "s3cret");  // the same password, without any line end
    RunResult dec = Cli({"decrypt", "-p", pw, "-d", out, dir / "data.kvr"});
    EXPECT_EQ(dec.code, 0);
    EXPECT_EQ(dec.out, Summary(true, 1, 1, 0));
    EXPECT_EQ(dec.err, "");
    EXPECT_EQ(ReadFile(out + "/data.bin"), body);
}

TEST_F(CliCase, RelativePathsAreTakenFromTheCurrentDirectory) {
    Make("a.txt", "alpha");
    dir.MakeDir("sub");
    Make("sub/b.txt", "beta");
    dir.MakeDir("out");

    RunResult own = Cli({"encrypt", "-p", "pw", "a.txt", "sub/b.txt"}, {}, dir.path());
    EXPECT_EQ(own.code, 0) << own.err;
    EXPECT_TRUE(Exists(dir / "a.kvr"));
    EXPECT_TRUE(Exists(dir / "sub/b.kvr"));

    RunResult dest = Cli({"decrypt", "-p", "pw", "-d", "out", "a.kvr", "sub/b.kvr"}, {}, dir.path());
    EXPECT_EQ(dest.code, 0) << dest.err;
    EXPECT_EQ(ReadFile(dir / "out/a.txt"), "alpha");
    EXPECT_EQ(ReadFile(dir / "out/b.txt"), "beta");
}

TEST_F(CliCase, DestGathersEveryOutputAndAcceptsEachOptionForm) {
    dir.MakeDir("x");
    dir.MakeDir("y");
    const std::string a = Make("x/a.txt", "A"), b = Make("y/b.txt", "B"), c = Make("-c.txt", "C");
    const std::string d1 = dir.MakeDir("d1"), d2 = dir.MakeDir("d2"), d3 = dir.MakeDir("d3");
    struct Case {
        std::vector<std::string> args;
        std::string dest;
    } cases[] = {
        {{"encrypt", "-p", pw, "-d", d1, a, b}, d1},
        {{"encrypt", a, "--dest=" + d2 + "/", "--password-file=" + pw, b}, d2},  // options after files, trailing "/"
        {{"encrypt", "-qd" + d3, "-p" + pw, "--", a, b, c}, d3},
    };
    for (auto& k : cases) {
        RunResult r = Cli(k.args);
        EXPECT_EQ(r.code, 0) << k.dest << ": " << r.err;
        EXPECT_TRUE(Exists(k.dest + "/a.kvr")) << k.dest;
        EXPECT_TRUE(Exists(k.dest + "/b.kvr")) << k.dest;
    }
    EXPECT_TRUE(Exists(d3 + "/-c.kvr"));
    EXPECT_FALSE(Exists(dir / "x/a.kvr"));
    EXPECT_FALSE(Exists(dir / "y/b.kvr"));
}

TEST_F(CliCase, ReplaceAnswerDecidesBetweenTheExistingFileAndANumberedOne) {
    struct Case {
        std::vector<std::string> replace;
        bool replaced;
    } cases[] = {{{"--replace", "yes"}, true}, {{"--replace", "no"}, false}, {{}, false}};
    for (auto& k : cases) {
        TempDir work;
        WriteFile(work / "a.txt", "fresh");
        WriteFile(work / "a.kvr", "old container");
        std::vector<std::string> args = {"encrypt", "-p", pw};
        args.insert(args.end(), k.replace.begin(), k.replace.end());
        args.push_back(work / "a.txt");
        RunResult r = Cli(args);
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.out, Summary(false, 1, 1, 0));
        EXPECT_EQ(r.err, "");  // an answer from the command line is not printed
        if (k.replaced) {
            EXPECT_NE(ReadFile(work / "a.kvr"), "old container");
            EXPECT_EQ(work.List(), (Files{"a.kvr", "a.txt"}));
        } else {
            EXPECT_EQ(ReadFile(work / "a.kvr"), "old container");
            EXPECT_EQ(work.List(), (Files{"a.kvr", "a.txt", "a1.kvr"}));
        }
    }
}

TEST_F(CliCase, DeleteRemovesOnlyTheOriginalsThatWereProcessed) {
    const std::string a = Make("a.txt", "A"), b = Make("b.txt", "B");
    RunResult enc = Cli({"encrypt", "--delete", "-p", pw, a, b});
    EXPECT_EQ(enc.code, 0);
    EXPECT_EQ(enc.out, Summary(false, 2, 2, 2));
    EXPECT_EQ(dir.List(), (Files{"a.kvr", "b.kvr", "pw"}));

    // b.kvr gets another password: it fails and stays.
    const std::string other = Make("other", "different\n");
    RunResult b2 = Cli({"encrypt", "--delete", "-p", other, Make("b2.txt", "B2")});
    ASSERT_EQ(b2.code, 0);
    RunResult dec = Cli({"decrypt", "--delete", "-p", pw, dir / "a.kvr", dir / "b2.kvr"});
    EXPECT_EQ(dec.code, 1);
    EXPECT_EQ(dec.out, Summary(true, 2, 1, 1));
    EXPECT_EQ(dec.err, "' " + (dir / "b2.kvr") + " ' is not Decrypted \n");
    EXPECT_EQ(dir.List(), (Files{"a.txt", "b.kvr", "b2.kvr", "other", "pw"}));
}

TEST_F(CliCase, WrongPasswordWithoutTerminalFailsTheFileOnce) {
    Cli({"encrypt", "-p", pw, Make("a.txt", "A")});
    const std::string kvr = dir / "a.kvr";
    for (std::string wrong : {"S3CRET\n", "s3cret \n", "\n"}) {
        WriteFile(dir / "wrong", wrong);
        RunResult r = Cli({"decrypt", "-p", dir / "wrong", "-d", dir.MakeDir("out"), kvr});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.out, Summary(true, 1, 0, 0));
        EXPECT_EQ(r.err, "' " + kvr + " ' is not Decrypted \n");
        EXPECT_FALSE(Exists(dir / "out/a.txt"));
    }
}

TEST_F(CliCase, NonContainerInADecryptBatchIsReportedAndSkipped) {
    Cli({"encrypt", "-p", pw, Make("a.txt", "A"), Make("c.txt", "C")});
    const std::string out = dir.MakeDir("out");
    const std::string plain = Make("b.txt", "not a container");
    const std::string fake = Make("d.kvr", "no header in here");
    RunResult r = Cli({"decrypt", "-p", pw, "-d", out, dir / "a.kvr", plain, dir / "c.kvr", fake});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, Summary(true, 4, 2, 0));
    EXPECT_EQ(r.err,
              "' " + plain + " ' is not Ombrix's Encrypted File\n' " + fake + " ' is not Ombrix's Encrypted File\n");
    EXPECT_EQ(ReadFile(out + "/a.txt"), "A");
    EXPECT_EQ(ReadFile(out + "/c.txt"), "C");
}

TEST_F(CliCase, FailedFilesGiveExitOneWithTheWindowsMessages) {
    const std::string missing = dir / "nope.txt";
    RunResult gone = Cli({"encrypt", "-p", pw, missing, Make("a.txt", "A")});
    EXPECT_EQ(gone.code, 1);
    EXPECT_EQ(gone.out, Summary(false, 2, 1, 0));
    EXPECT_EQ(gone.err, "The Sorce File '" + missing + "' Does Not Exist\n");

    const std::string nowhere = dir / "no/such/dir";
    RunResult dest = Cli({"encrypt", "-p", pw, "-d", nowhere, dir / "a.txt"});
    EXPECT_EQ(dest.code, 1);
    EXPECT_EQ(dest.out, Summary(false, 1, 0, 0));
    EXPECT_EQ(dest.err, "The Destination Directory '" + nowhere + "' Does Not Exist \n");
}

TEST_F(CliCase, PasswordFileFormsGiveTheSamePasswordAsTyped) {
    struct Case {
        std::string file;  // the password file's contents, or "-" for standard input
        std::string input;
        std::string decryptWith;
    } cases[] = {
        {"\nignored\n", "", "\n"},  // empty first line: the empty password
        {"-", "from stdin\nrest\n", "from stdin\r\n"},
        {"no line end", "", "no line end\n"},
        {"tail cr\r", "", "tail cr\r"},  // a lone "\r" is part of the password
    };
    int n = 0;
    for (auto& k : cases) {
        const std::string name = "f" + std::to_string(n++);
        const std::string src = Make(name + ".txt", name);
        std::string file = "-";
        if (k.file != "-") WriteFile(file = dir / (name + ".pw"), k.file);
        RunResult enc = Cli({"encrypt", "-p", file, src}, k.input);
        ASSERT_EQ(enc.code, 0) << name << ": " << enc.err;
        WriteFile(dir / "check", k.decryptWith);
        RunResult dec = Cli({"decrypt", "-p", dir / "check", "-d", dir.MakeDir(name), dir / (name + ".kvr")});
        EXPECT_EQ(dec.code, 0) << name << ": " << dec.err;
        EXPECT_EQ(ReadFile(dir / (name + "/" + name + ".txt")), name);
    }
    WriteFile(dir / "check", "tail cr\n");
    EXPECT_EQ(Cli({"decrypt", "-p", dir / "check", dir / "f3.kvr"}).code, 1);
}

TEST_F(CliCase, UnreadablePasswordFileStopsBeforeAnyFile) {
    const std::string src = Make("a.txt", "A");
    for (std::string bad : {dir / "missing.pw", dir.path()}) {
        RunResult r = Cli({"encrypt", "-p", bad, src});
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("ombrix-cli: cannot read the password file '" + bad + "': ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
    }
    EXPECT_FALSE(Exists(dir / "a.kvr"));
}

TEST_F(CliCase, PasswordFileIsReadOnlyUpToItsLongestAllowedFirstLine) {
    const std::string src = Make("a.txt", "A");
    const std::string tooLong = "ombrix-cli: the first line of the password file '";
    // An endless file without a line end is refused, not read into memory.
    RunResult zero = Cli({"encrypt", "-p", "/dev/zero", src});
    EXPECT_EQ(zero.code, 2);
    EXPECT_EQ(zero.out, "");
    EXPECT_EQ(zero.err, tooLong + "/dev/zero' is longer than 1 MiB\n");

    const std::size_t mib = 1 << 20;
    WriteFile(dir / "long", std::string(mib + 1, 'x'));
    EXPECT_EQ(Cli({"encrypt", "-p", dir / "long", src}).err, tooLong + (dir / "long") + "' is longer than 1 MiB\n");
    WriteFile(dir / "long", std::string(mib + 1, 'x') + "\n");
    EXPECT_EQ(Cli({"encrypt", "-p", dir / "long", src}).code, 2);
    // 1 MiB is still a password; this one is too long for a container's header.
    for (std::string line : {std::string(mib, 'x'), std::string(mib, 'x') + "\nmore"}) {
        WriteFile(dir / "long", line);
        RunResult r = Cli({"encrypt", "-p", dir / "long", src});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, "' " + src + " ' is not Encrypted : the password is too long for a .kvr container\n");
    }
    EXPECT_FALSE(Exists(dir / "a.kvr"));
}

TEST_F(CliCase, NamesWithControlBytesAreShownEscaped) {
    const std::string name =
        "a\tb\nc\x1b[2Jd\x7f\xc2\x9b"
        "e\x9b"
        "f.txt";
    const std::string shown = "a\\tb\\nc\\x1b[2Jd\\x7f\\xc2\\x9be\\x9bf.txt";
    RunResult missing = Cli({"encrypt", "-p", pw, dir / name});
    EXPECT_EQ(missing.err, "The Sorce File '" + (dir / shown) + "' Does Not Exist\n");
    Make(name, "not a container");
    RunResult plain = Cli({"decrypt", "-p", pw, dir / name});
    EXPECT_EQ(plain.err, "' " + (dir / shown) + " ' is not Ombrix's Encrypted File\n");
    RunResult unreadable = Cli({"encrypt", "-p", dir / (name + "/pw"), dir / name});
    EXPECT_EQ(unreadable.err.rfind("ombrix-cli: cannot read the password file '" + (dir / shown) + "/pw': ", 0), 0u)
        << unreadable.err;
    RunResult option = Cli({"encrypt", "--\x1b]0;owned\x07", dir / name});
    EXPECT_EQ(option.err, "ombrix-cli: unknown option '--\\x1b]0;owned\\x07'\nTry 'ombrix-cli --help'.\n");
}

// Once at the cost real containers get: what the program writes by default
// for .kvx, and reads back.
TEST_F(CliCase, KvxChosenByFormatRoundTripsAtTheRealCost) {
    const std::string body = AllBytes();
    const std::string src = Make("data.bin", body);
    RunResult enc = Cli({"encrypt", "--format", "kvx", "--delete", "-p", pw, src});
    EXPECT_EQ(enc.code, 0) << enc.err;
    EXPECT_EQ(enc.out, Summary(false, 1, 1, 1));
    EXPECT_EQ(dir.List(), (Files{"data.bin.kvx", "pw"}));
    const std::string box = ReadFile(dir / "data.bin.kvx");
    ASSERT_EQ(box.size(), 132 + body.size() + 17);
    EXPECT_EQ(box.substr(12, 8), std::string("\x03\0\0\0\0\0\x04\0", 8));  // opslimit 3, 262144 KiB

    RunResult dec = Cli({"decrypt", "--delete", "-p", pw, dir / "data.bin.kvx"});
    EXPECT_EQ(dec.code, 0) << dec.err;
    EXPECT_EQ(dec.out, Summary(true, 1, 1, 1));
    EXPECT_EQ(dir.List(), (Files{"data.bin", "pw"}));
    EXPECT_EQ(ReadFile(dir / "data.bin"), body);
}

// Cheap keys from here on (the test build of the program).
TEST_F(CliCase, KvxRefusalsAreToldAndFailTheRun) {
    const auto cheap = [&](std::vector<std::string> args) {
        args.insert(args.begin(), OMBRIX_CLI_HOOKED_PATH);
        RunOptions options;
        options.env = {"OMBRIX_TEST_KVX_COST=1:8"};
        return RunProgram(args, options);
    };
    const std::string a = Make("a.txt", "A");
    const std::string empty = Make("empty", "\n");
    RunResult none = cheap({"encrypt", "--format", "KVX", "-p", empty, a});
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.err, "' " + a + " ' is not Encrypted : an empty password protects nothing\n");
    EXPECT_EQ(dir.List(), (Files{"a.txt", "empty", "pw"}));

    ASSERT_EQ(cheap({"encrypt", "--format", "kvx", "-p", pw, a}).code, 0);
    const std::string box = ReadFile(dir / "a.txt.kvx");
    const std::string out = dir.MakeDir("out");
    WriteFile(dir / "wrong", "S3cret\n");
    RunResult wrong = cheap({"decrypt", "-p", dir / "wrong", "-d", out, dir / "a.txt.kvx"});
    EXPECT_EQ(wrong.code, 1);
    EXPECT_EQ(wrong.err, "' " + (dir / "a.txt.kvx") + " ' is not Decrypted \n");

    std::string altered = box;
    altered[140] = static_cast<char>(altered[140] ^ 0x40);
    WriteFile(dir / "B.TXT.KVX", altered);
    WriteFile(dir / ".kvx", box);
    RunResult bad =
        cheap({"decrypt", "--delete", "-p", pw, "-d", out, dir / "B.TXT.KVX", dir / ".kvx", dir / "a.txt.kvx"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.out, Summary(true, 3, 1, 1));
    EXPECT_EQ(bad.err, "' " + (dir / "B.TXT.KVX") +
                           " ' is not Decrypted : the container is damaged or was altered\n' " + (dir / ".kvx") +
                           " ' is not Decrypted : its name holds no file name before \".kvx\"\n");
    EXPECT_EQ(ReadFile(dir / "B.TXT.KVX"), altered);
    EXPECT_TRUE(Exists(dir / ".kvx"));
    EXPECT_EQ(ReadFile(out + "/a.txt"), "A");
    EXPECT_FALSE(Exists(out + "/B.TXT"));
}

TEST_F(CliCase, UsageErrorsPrintOneLineAndTheHint) {
    const std::string src = Make("a.txt", "A");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{}, "missing command: encrypt or decrypt"},
        {{"frobnicate", src}, "unknown command 'frobnicate': use encrypt or decrypt"},
        {{"encrypt", "-p", pw}, "no FILE given"},
        {{"encrypt", "--bogus", src}, "unknown option '--bogus'"},
        {{"decrypt", "-x", src}, "unknown option '-x'"},
        {{"encrypt", "--each=1", src}, "unknown option '--each=1'"},
        {{"encrypt", src, "-p"}, "option '-p' needs an argument"},
        {{"encrypt", src, "--dest"}, "option '--dest' needs an argument"},
        {{"encrypt", "-d", "", "-p", pw, src}, "--dest needs a directory"},
        {{"encrypt", "--replace", "maybe", "-p", pw, src}, "--replace takes ask, yes or no, not 'maybe'"},
        {{"encrypt", "--each", "-p", pw, src}, "--each and --password-file exclude each other"},
        {{"encrypt", src}, "no terminal to ask for the password: give it with -p FILE"},
        {{"decrypt", src}, "no terminal to ask for the password: give it with -p FILE"},
        {{"encrypt", "--each", src}, "--each needs a terminal to ask on"},
        {{"encrypt", "--replace", "ask", "-p", pw, src}, "--replace ask needs a terminal to ask on"},
        {{"encrypt", "--format", "gpg", "-p", pw, src}, "--format takes kvr|kvx, not 'gpg'"},
        {{"encrypt", "--format=.kvx", "-p", pw, src}, "--format takes kvr|kvx, not '.kvx'"},
        {{"decrypt", "--format", "kvx", "-p", pw, src},
         "--format is for encrypt: decrypt takes each container's format from its name"},
    };
    const Files before = dir.List();
    for (auto& k : cases) {
        RunResult r = Cli(k.args);
        EXPECT_EQ(r.code, 2) << k.message;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "ombrix-cli: " + k.message + "\nTry 'ombrix-cli --help'.\n");
    }
    EXPECT_EQ(dir.List(), before);
}

TEST_F(CliCase, HelpAndVersionGoToStandardOutput) {
    for (std::vector<std::string> args :
         {std::vector<std::string>{"--help"}, {"-h"}, {"decrypt", "-p", pw, "--help"}}) {
        RunResult r = Cli(args);
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.out.rfind("Usage: ombrix-cli encrypt [OPTIONS] FILE...\n", 0), 0u) << r.out;
        EXPECT_NE(r.out.find("--replace ask|yes|no"), std::string::npos);
        EXPECT_NE(r.out.find("--format kvr|kvx"), std::string::npos);
        EXPECT_NE(r.out.find("kvx  encrypted (Argon2id, XChaCha20-Poly1305)"), std::string::npos);
        EXPECT_EQ(r.err, "");
    }
    RunResult v = Cli({"--version"});
    EXPECT_EQ(v.code, 0);
    EXPECT_EQ(v.out, "ombrix-cli 1.0\n");
}

}  // namespace
}  // namespace ombrix::test
