// ombrix-cli on a pseudo-terminal: passwords asked with echo off, the retry
// after a wrong password, the Replace question, the status line.
#include <csignal>

#include "CliCase.h"

namespace ombrix::test {
namespace {

class TerminalCase : public CliCase {
protected:
    std::unique_ptr<PtyChild> Start(std::vector<std::string> args) {
        args.insert(args.begin(), kCli);
        return std::make_unique<PtyChild>(args, dir.path());
    }
    // Encrypts a.txt with the password typed twice.
    void EncryptTyped(const std::string& password) {
        auto p = Start({"encrypt", "-q", "a.txt"});
        ASSERT_TRUE(p->Expect("Password: "));
        p->Send(password + "\n");
        ASSERT_TRUE(p->Expect("Confirm password: "));
        p->Send(password + "\n");
        ASSERT_EQ(p->Wait(), 0) << p->Output();
    }
    static std::string Crlf(std::string s) {
        for (std::size_t at = 0; (at = s.find('\n', at)) != std::string::npos; at += 2) s.insert(at, "\r");
        return s;
    }
};

TEST_F(TerminalCase, TypedPasswordIsNotEchoedAndAWrongOneIsAskedAgain) {
    Make("a.txt", "secret text");
    EncryptTyped("tty-pass");
    ASSERT_TRUE(Exists(dir / "a.kvr"));

    dir.MakeDir("out");
    auto p = Start({"decrypt", "-q", "-d", "out", "a.kvr"});
    const std::string failed = "Failed :( " + (dir / "a.kvr") + " )\r\n";
    ASSERT_TRUE(p->Expect("Password: "));
    p->Send("first-wrong\n");
    ASSERT_TRUE(p->Expect(failed + "Password: ")) << p->Output();
    p->Send("second-wrong\n");
    ASSERT_TRUE(p->Expect(failed + "Password: ")) << p->Output();
    p->Send("tty-pass\n");
    EXPECT_EQ(p->Wait(), 0);
    EXPECT_EQ(ReadFile(dir / "out/a.txt"), "secret text");
    const std::string& shown = p->Output();
    for (std::string typed : {"tty-pass", "first-wrong", "second-wrong"})
        EXPECT_EQ(shown.find(typed), std::string::npos) << typed << " was echoed: " << shown;
    EXPECT_EQ(shown.find("Confirm password"), std::string::npos);  // decrypting asks once
    EXPECT_NE(shown.find(Crlf(Summary(true, 1, 1, 0))), std::string::npos) << shown;
}

// A .kvx container asks again after a wrong password the same way (the test
// build of the program, with cheap keys).
TEST_F(TerminalCase, KvxWrongPasswordIsAskedForAgain) {
    Make("a.txt", "kvx text");
    RunOptions cheap;
    cheap.env = {"OMBRIX_TEST_KVX_COST=1:8"};
    ASSERT_EQ(RunProgram({OMBRIX_CLI_HOOKED_PATH, "encrypt", "--format", "kvx", "-p", pw, dir / "a.txt"}, cheap).code,
              0);
    dir.MakeDir("out");
    PtyChild p(
        {"/usr/bin/env", "OMBRIX_TEST_KVX_COST=1:8", OMBRIX_CLI_HOOKED_PATH, "decrypt", "-q", "-d", "out", "a.txt.kvx"},
        dir.path());
    const std::string failed = "Failed :( " + (dir / "a.txt.kvx") + " )\r\n";
    ASSERT_TRUE(p.Expect("Password: "));
    p.Send("wrong\n");
    for (auto guess : {"still wrong\n", "nope\n"}) {
        ASSERT_TRUE(p.Expect(failed + "Password: ")) << p.Output();
        p.Send(guess);
    }
    ASSERT_TRUE(p.Expect(failed + "Password: ")) << p.Output();
    p.Send("s3cret\n");
    EXPECT_EQ(p.Wait(), 0) << p.Output();
    EXPECT_EQ(ReadFile(dir / "out/a.txt"), "kvx text");
}

TEST_F(TerminalCase, EndOfInputAtTheRetryCancelsTheFile) {
    Make("a.txt", "A");
    EncryptTyped("right");
    auto p = Start({"decrypt", "-q", "-d", dir.MakeDir("out"), "a.kvr"});
    ASSERT_TRUE(p->Expect("Password: "));
    p->Send("wrong\n");
    ASSERT_TRUE(p->Expect("Failed :( "));
    ASSERT_TRUE(p->Expect("Password: "));
    p->Send("\x04");  // Ctrl-D
    EXPECT_EQ(p->Wait(), 1);
    EXPECT_NE(p->Output().find("' " + (dir / "a.kvr") + " ' is not Decrypted \r\n"), std::string::npos) << p->Output();
    EXPECT_FALSE(Exists(dir / "out/a.txt"));
}

TEST_F(TerminalCase, PasswordFromAFileIsNeverAskedAgain) {
    Make("a.txt", "A");
    ASSERT_EQ(Cli({"encrypt", "-p", pw, dir / "a.txt"}).code, 0);
    WriteFile(dir / "wrong", "wrong\n");
    auto p = Start({"decrypt", "-q", "-p", "wrong", "-d", dir.MakeDir("out"), "a.kvr"});
    EXPECT_EQ(p->Wait(), 1);
    EXPECT_EQ(p->Output().find("Password: "), std::string::npos) << p->Output();
    EXPECT_NE(p->Output().find("' " + (dir / "a.kvr") + " ' is not Decrypted \r\n"), std::string::npos);
}

TEST_F(TerminalCase, InterruptAtThePasswordGivesTheEchoBack) {
    Make("a.txt", "A");
    auto p = Start({"encrypt", "-q", "a.txt"});
    ASSERT_TRUE(p->Expect("Password: "));
    EXPECT_FALSE(p->EchoOn());
    p->Send("\x03");            // Ctrl-C
    EXPECT_EQ(p->Wait(), 130);  // ended by the signal before anything started
    EXPECT_TRUE(p->EchoOn());
    EXPECT_EQ(p->Output().find("Selected"), std::string::npos) << p->Output();
    EXPECT_FALSE(Exists(dir / "a.kvr"));
}

TEST_F(TerminalCase, SignalAtAQuestionOrAPromptEndsTheBatchWithTheEchoBack) {
    struct Case {
        std::vector<std::string> args;
        std::string asked;
        int signal;  // 0: Ctrl-C typed
    } cases[] = {
        {{"encrypt", "-q", "--delete", "-p", "pw", "a.txt", "b.txt"}, "[y/n] ", SIGTERM},
        {{"encrypt", "-q", "--delete", "--each", "--replace", "no", "a.txt", "b.txt"}, "Password: ", SIGHUP},
        {{"encrypt", "-q", "--delete", "--each", "--replace", "no", "a.txt", "b.txt"}, "Password: ", 0},
    };
    for (auto& k : cases) {
        for (auto& f : dir.List())
            if (f != "pw") std::remove((dir / f).c_str());
        Make("a.txt", "A");
        Make("b.txt", "B");
        Make("a.kvr", "old");
        const std::vector<std::string> before = dir.List();
        auto p = Start(k.args);
        ASSERT_TRUE(p->Expect(k.asked)) << p->Output();
        if (k.signal) p->Signal(k.signal);
        else p->Send("\x03");
        EXPECT_EQ(p->Wait(), 128 + (k.signal ? k.signal : SIGINT)) << k.asked << p->Output();
        EXPECT_TRUE(p->EchoOn());
        EXPECT_NE(p->Output().find(Crlf(Summary(false, 2, 0, 0))), std::string::npos) << p->Output();
        EXPECT_EQ(dir.List(), before) << k.asked;  // nothing made, nothing deleted
        EXPECT_EQ(ReadFile(dir / "a.kvr"), "old");
    }
}

TEST_F(TerminalCase, NamesWithControlBytesAreShownEscaped) {
    const std::string stem =
        "a\tb\nc\x1b[2Jd\x7f\xc2\x9b"
        "e\x9b"
        "f";
    const std::string shown = "a\\tb\\nc\\x1b[2Jd\\x7f\\xc2\\x9be\\x9bf";
    Make(stem + ".txt", "A");
    Make(stem + ".kvr", "old");
    auto p = Start({"encrypt", "--each", stem + ".txt"});
    const std::string src = dir / (shown + ".txt");
    ASSERT_TRUE(p->Expect("In Encripting The File ' " + src + " ' ,' " + (dir / (shown + ".kvr")) +
                          " ' Found.\r\nTo Replace The File Press 'YES' , To Create With ' " +
                          (dir / (shown + "1.kvr")) + " ' Press 'NO' Button [y/n] "))
        << p->Output();
    p->Send("n\n");
    ASSERT_TRUE(p->Expect("0/1 files  0%  " + src)) << p->Output();
    ASSERT_TRUE(p->Expect("File --> " + src + "\r\nPassword: ")) << p->Output();
    p->Send("pw\n");
    ASSERT_TRUE(p->Expect("Confirm password: "));
    p->Send("pw\n");
    EXPECT_EQ(p->Wait(), 0) << p->Output();
    EXPECT_TRUE(Exists(dir / (stem + "1.kvr")));

    // Nothing but line ends and the status line's own erase sequence drives the terminal.
    std::string out = p->Output();
    for (std::size_t at; (at = out.find("\033[K")) != std::string::npos;) out.erase(at, 3);
    for (unsigned char c : out) {
        EXPECT_TRUE(c >= 0x20 || c == '\r' || c == '\n') << int(c);
        EXPECT_TRUE(c != 0x7F && c != 0x9B) << int(c);
    }
}

TEST_F(TerminalCase, MismatchedConfirmationOfTheOnePasswordIsRefused) {
    Make("a.txt", "A");
    auto p = Start({"encrypt", "-q", "a.txt"});
    ASSERT_TRUE(p->Expect("Password: "));
    p->Send("one\n");
    ASSERT_TRUE(p->Expect("Confirm password: "));
    p->Send("One\n");
    EXPECT_EQ(p->Wait(), 2);
    EXPECT_NE(p->Output().find("PassWord Is Not Confirmed, Please Retype it.\r\n"), std::string::npos);
    EXPECT_FALSE(Exists(dir / "a.kvr"));
}

TEST_F(TerminalCase, EachFileIsAskedForWithItsLabel) {
    Make("a.txt", "A");
    Make("b.txt", "B");
    auto p = Start({"encrypt", "-q", "--each", "a.txt", "b.txt"});
    ASSERT_TRUE(p->Expect("File --> " + (dir / "a.txt") + "\r\nPassword: "));
    p->Send("pa\n");
    ASSERT_TRUE(p->Expect("Confirm password: "));
    p->Send("pb\n");  // a mismatch asks again
    ASSERT_TRUE(
        p->Expect("PassWord Is Not Confirmed, Please Retype it.\r\nFile --> " + (dir / "a.txt") + "\r\nPassword: "))
        << p->Output();
    p->Send("pa\n");
    ASSERT_TRUE(p->Expect("Confirm password: "));
    p->Send("pa\n");
    ASSERT_TRUE(p->Expect("File --> " + (dir / "b.txt") + "\r\nPassword: "));
    p->Send("\n");  // an empty password is a cancel
    EXPECT_EQ(p->Wait(), 1);
    EXPECT_NE(p->Output().find("' " + (dir / "b.txt") + " ' is not Encrypted \r\n"), std::string::npos);
    EXPECT_NE(p->Output().find(Crlf(Summary(false, 2, 1, 0))), std::string::npos);
    EXPECT_FALSE(Exists(dir / "b.kvr"));

    WriteFile(dir / "pa", "pa\n");
    EXPECT_EQ(Cli({"decrypt", "-p", dir / "pa", "-d", dir.MakeDir("out"), dir / "a.kvr"}).code, 0);
}

TEST_F(TerminalCase, ReplaceQuestionIsAskedOnTheTerminal) {
    Make("a.txt", "fresh");
    const std::string question = "In Encripting The File ' " + (dir / "a.txt") + " ' ,' " + (dir / "a.kvr") +
                                 " ' Found.\r\nTo Replace The File Press 'YES' , To Create With ' " + (dir / "a1.kvr") +
                                 " ' Press 'NO' Button [y/n] ";
    struct Case {
        std::vector<std::string> answers;
        std::vector<std::string> files;
    } cases[] = {
        {{"maybe", "n"}, {"a.kvr", "a.txt", "a1.kvr", "pw"}},  // anything else asks again
        {{"YES"}, {"a.kvr", "a.txt", "pw"}},
        {{"\x04"}, {"a.kvr", "a.txt", "a1.kvr", "pw"}},  // end of input keeps the existing file
    };
    for (auto& k : cases) {
        WriteFile(dir / "a.kvr", "old");
        std::remove((dir / "a1.kvr").c_str());
        auto p = Start({"encrypt", "-q", "-p", "pw", "a.txt"});
        for (auto& a : k.answers) {
            ASSERT_TRUE(p->Expect(question)) << p->Output();
            p->Send(a == "\x04" ? a : a + "\n");
        }
        EXPECT_EQ(p->Wait(), 0) << p->Output();
        EXPECT_EQ(dir.List(), k.files) << k.answers.front();
        EXPECT_EQ(ReadFile(dir / "a.kvr") == "old", k.files.size() == 4) << k.answers.front();
    }
}

TEST_F(TerminalCase, StatusLineIsClearedBeforeEveryMessage) {
    Make("big.bin", std::string(3 << 20, 'x'));
    const std::string missing = dir / "gone.bin";
    auto p = Start({"encrypt", "-p", "pw", "big.bin", "gone.bin"});
    EXPECT_EQ(p->Wait(), 1);
    const std::string& shown = p->Output();
    EXPECT_NE(shown.find("0/2 files  100%  " + (dir / "big.bin")), std::string::npos) << shown;
    const std::string message = "\r\033[KThe Sorce File '" + missing + "' Does Not Exist\r\n";
    EXPECT_NE(shown.find(message), std::string::npos) << shown;
    EXPECT_NE(shown.find("\r\033[K" + Crlf(Summary(false, 2, 1, 0))), std::string::npos) << shown;

    std::remove((dir / "big.kvr").c_str());
    auto quiet = Start({"encrypt", "-q", "-p", "pw", "big.bin"});
    EXPECT_EQ(quiet->Wait(), 0);
    EXPECT_EQ(quiet->Output(), Crlf(Summary(false, 1, 1, 0)));
}

}  // namespace
}  // namespace ombrix::test
