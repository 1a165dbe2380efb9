// The reading rules: what a reader refuses, and as what. Every refusal must
// come before any output could be taken for the contents.
#include "KvxSupport.h"

namespace ombrix::kvx::test {
namespace {

const std::string kPassword = "reading rules";

// Containers made once for every case: 3 MiB + 1000 bytes (four messages,
// the last short) and exactly 2 MiB (two messages, the last full).
class ReadingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        KeyCache keys(kFast);
        plainLong = new std::string(Pattern(3 * kChunk + 1000, 7));
        plainEven = new std::string(Pattern(2 * kChunk, 8));
        longBox = new std::string;
        evenBox = new std::string;
        ASSERT_EQ(EncryptString(keys, kPassword, *plainLong, *longBox), Result::Ok);
        ASSERT_EQ(EncryptString(keys, kPassword, *plainEven, *evenBox), Result::Ok);
    }
    static void TearDownTestSuite() {
        delete plainLong;
        delete plainEven;
        delete longBox;
        delete evenBox;
    }

    static std::string* plainLong;
    static std::string* plainEven;
    static std::string* longBox;
    static std::string* evenBox;
};
std::string* ReadingTest::plainLong;
std::string* ReadingTest::plainEven;
std::string* ReadingTest::longBox;
std::string* ReadingTest::evenBox;

using Edit = std::function<void(std::string&)>;

Edit Flip(std::size_t at) {
    return [at](std::string& s) { s[at] = static_cast<char>(s[at] ^ 0x01); };
}
Edit Set(std::size_t at, std::string bytes) {
    return [at, bytes](std::string& s) { s.replace(at, bytes.size(), bytes); };
}
Edit Cut(std::size_t size) {
    return [size](std::string& s) { s.resize(size); };
}
Edit CutFromEnd(std::size_t n) {
    return [n](std::string& s) { s.resize(s.size() - n); };
}
Edit Append(std::string bytes) {
    return [bytes](std::string& s) { s += bytes; };
}
Edit Swap(std::size_t a, std::size_t b) {
    return [a, b](std::string& s) {
        const std::size_t n = kChunk + kMessageOverhead;
        std::string first = s.substr(MessageAt(a), n);
        s.replace(MessageAt(a), n, s.substr(MessageAt(b), n));
        s.replace(MessageAt(b), n, first);
    };
}

struct Tamper {
    const char* what;
    bool even;  // on the 2 MiB container, else on the 3 MiB + 1000 one
    Edit edit;
    Result expected;
};

// A changed KDF field, salt, nonce or wrapped key gives another key or
// breaks the wrap: to the reader that is a wrong password, since the wrap
// cannot tell the two apart. Everything after the wrap is bound to the file
// key and the header, so a change there is damage.
TEST_F(ReadingTest, EveryChangeIsRefused) {
    const Tamper rows[] = {
        {"magic, first byte", false, Flip(0), Result::BadHeader},
        {"magic, last byte", false, Flip(7), Result::BadHeader},
        {"version 0", false, Set(8, std::string(1, '\0')), Result::BadHeader},
        {"version 2", false, Set(8, "\x02"), Result::BadHeader},
        {"KDF id 0", false, Set(9, std::string(1, '\0')), Result::BadHeader},
        {"KDF id 2", false, Set(9, "\x02"), Result::BadHeader},
        {"reserved, first byte", false, Set(10, "\x01"), Result::BadHeader},
        {"reserved, second byte", false, Set(11, "\x80"), Result::BadHeader},
        {"opslimit 0", false, Set(12, Le32(0)), Result::BadHeader},
        {"opslimit 17", false, Set(12, Le32(17)), Result::BadHeader},
        {"opslimit 2^32 - 1", false, Set(12, Le32(0xffffffff)), Result::BadHeader},
        {"memlimit 7 KiB", false, Set(16, Le32(7)), Result::BadHeader},
        {"memlimit 1 GiB + 1 KiB", false, Set(16, Le32((1 << 20) + 1)), Result::BadHeader},
        {"memlimit 2^32 - 1", false, Set(16, Le32(0xffffffff)), Result::BadHeader},
        {"opslimit 1 -> 2", false, Set(12, Le32(2)), Result::WrongPassword},
        {"memlimit 8 -> 9 KiB", false, Set(16, Le32(9)), Result::WrongPassword},
        {"salt", false, Flip(20 + 15), Result::WrongPassword},
        {"wrap nonce", false, Flip(36), Result::WrongPassword},
        {"wrapped key, first byte", false, Flip(60), Result::WrongPassword},
        {"wrapped key, tag", false, Flip(107), Result::WrongPassword},
        {"stream header", false, Flip(108 + 23), Result::Damaged},
        {"first message, tag byte", false, Flip(MessageAt(0)), Result::Damaged},
        {"first message, body byte", false, Flip(MessageAt(0) + 5000), Result::Damaged},
        {"third message, body byte", false, Flip(MessageAt(2) + 12345), Result::Damaged},
        {"last message, MAC", false, [](std::string& s) { Flip(s.size() - 1)(s); }, Result::Damaged},
        {"first and second message swapped", false, Swap(0, 1), Result::Damaged},
        {"second and third message swapped", false, Swap(1, 2), Result::Damaged},
        {"cut to nothing", false, Cut(0), Result::BadHeader},
        {"cut inside the header", false, Cut(kHeaderSize - 1), Result::BadHeader},
        {"header alone", false, Cut(kHeaderSize), Result::Damaged},
        {"cut after one message", false, Cut(MessageAt(1)), Result::Damaged},
        {"cut after three messages", false, Cut(MessageAt(3)), Result::Damaged},
        {"cut inside a message", false, Cut(MessageAt(1) + 100), Result::Damaged},
        {"last byte cut", false, CutFromEnd(1), Result::Damaged},
        {"one byte appended", false, Append("x"), Result::Damaged},
        {"a message's worth appended", false, Append(std::string(kChunk + kMessageOverhead, 'x')), Result::Damaged},
        {"full last message, cut after the first", true, Cut(MessageAt(1)), Result::Damaged},
        {"full last message, one byte appended", true, Append("x"), Result::Damaged},
        {"full last message, 17 bytes appended", true, Append(std::string(kMessageOverhead, '\0')), Result::Damaged},
        {"full last message, swapped", true, Swap(0, 1), Result::Damaged},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::string box = row.even ? *evenBox : *longBox;
        row.edit(box);
        KeyCache keys(kFast);
        const int before = seam::Derivations();
        std::string out;
        EXPECT_EQ(DecryptString(keys, kPassword, box, out), row.expected);
        // A header refused costs no key derivation at all.
        EXPECT_EQ(seam::Derivations() - before, row.expected == Result::BadHeader ? 0 : 1);
    }
}

TEST_F(ReadingTest, UnchangedContainersRead) {
    for (bool even : {false, true}) {
        KeyCache keys(kFast);
        std::string out;
        EXPECT_EQ(DecryptString(keys, kPassword, even ? *evenBox : *longBox, out), Result::Ok);
        EXPECT_TRUE(out == (even ? *plainEven : *plainLong));
    }
}

// Streams made with the right key but cut or tagged otherwise than a writer
// of this format does: only a key holder could make them, and still none is read.
TEST(KvxCraftedStreams, OnlyTheWrittenShapeIsRead) {
    using M = Message;
    constexpr unsigned char kFinal = crypto_secretstream_xchacha20poly1305_TAG_FINAL;
    constexpr unsigned char kPush = crypto_secretstream_xchacha20poly1305_TAG_PUSH;
    constexpr unsigned char kRekey = crypto_secretstream_xchacha20poly1305_TAG_REKEY;
    const std::string full = Pattern(kChunk, 3);
    struct Row {
        const char* what;
        std::vector<Message> messages;
        bool headerAd;
        Result expected;
    } rows[] = {
        {"as written", {M{full}, M{"end", kFinal}}, true, Result::Ok},
        {"empty final after a full message", {M{full}, M{"", kFinal}}, true, Result::Ok},
        {"short message before the final", {M{"short"}, M{"end", kFinal}}, true, Result::Damaged},
        {"final in the middle", {M{full, kFinal}, M{"after", kFinal}}, true, Result::Damaged},
        {"no final at all", {M{full}, M{full}}, true, Result::Damaged},
        {"a push tag", {M{full, kPush}, M{"end", kFinal}}, true, Result::Damaged},
        {"a rekey tag", {M{full, kRekey}, M{"end", kFinal}}, true, Result::Damaged},
        {"first message not bound to the header", {M{"all", kFinal}}, false, Result::Damaged},
        {"no message", {}, true, Result::Damaged},
    };
    const Fixed f = SomeFixed();
    const std::string header = ReferenceHeader(f, kPassword);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        KeyCache keys(kFast);
        std::string out;
        EXPECT_EQ(DecryptString(keys, kPassword, header + ReferenceBody(f, header, row.messages, row.headerAd), out),
                  row.expected);
    }
}

TEST(KvxPassword, WrongPasswordIsTold) {
    KeyCache keys(kFast);
    std::string box, out;
    ASSERT_EQ(EncryptString(keys, "caf\xc3\xa9", "contents", box), Result::Ok);
    // Not normalised: the same word in another Unicode form is another password.
    for (const char* wrong : {"cafe\xcc\x81", "caf", "caf\xc3\xa9 ", ""}) {
        SCOPED_TRACE(wrong);
        EXPECT_EQ(DecryptString(keys, wrong, box, out), Result::WrongPassword);
        EXPECT_TRUE(out.empty());
    }
}

// The header is read once; password after password is tried on it.
TEST(KvxPassword, AskingAgainNeedsNoSecondRead) {
    KeyCache keys(kFast);
    std::string box;
    ASSERT_EQ(EncryptString(keys, "right", Pattern(kChunk + 3), box), Result::Ok);
    MemoryStream s(box);
    Decryptor reader(keys);
    ASSERT_EQ(reader.ReadHeader(s.Make()), Result::Ok);
    EXPECT_EQ(s.pos, kHeaderSize);
    EXPECT_EQ(reader.Unlock("wrong", {}), Result::WrongPassword);
    EXPECT_EQ(reader.Body(s.Make()), Result::WrongPassword);  // no key, no body
    EXPECT_EQ(reader.Unlock("right", {}), Result::Ok);
    EXPECT_EQ(reader.Body(s.Make()), Result::Ok);
    EXPECT_TRUE(s.output == Pattern(kChunk + 3));
}

struct HeaderRow {
    const char* what;
    std::size_t at;
    std::string bytes;
    HeaderStatus expected;
};

TEST(KvxHeader, FieldChecksAndBounds) {
    const std::string good = ReferenceHeader(SomeFixed(), "pw");
    const HeaderRow rows[] = {
        {"as written", 0, "", HeaderStatus::Ok},
        {"magic", 3, "x", HeaderStatus::BadMagic},
        {"version", 8, "\x02", HeaderStatus::BadVersion},
        {"KDF", 9, "\x02", HeaderStatus::BadKdf},
        {"reserved", 11, "\x01", HeaderStatus::BadReserved},
        {"opslimit 0", 12, Le32(0), HeaderStatus::BadOpsLimit},
        {"opslimit 1", 12, Le32(1), HeaderStatus::Ok},
        {"opslimit 16", 12, Le32(16), HeaderStatus::Ok},
        {"opslimit 17", 12, Le32(17), HeaderStatus::BadOpsLimit},
        {"memlimit 7", 16, Le32(7), HeaderStatus::BadMemLimit},
        {"memlimit 8", 16, Le32(8), HeaderStatus::Ok},
        {"memlimit 1048576", 16, Le32(1 << 20), HeaderStatus::Ok},
        {"memlimit 1048577", 16, Le32((1 << 20) + 1), HeaderStatus::BadMemLimit},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::string h = good;
        h.replace(row.at, row.bytes.size(), row.bytes);
        EXPECT_EQ(ParseHeader(std::span(U8(h), h.size())), row.expected);
    }
    // Short input: a prefix of the magic is a cut container, anything else is not one.
    EXPECT_EQ(ParseHeader(std::span(U8(good), 0)), HeaderStatus::TooShort);
    EXPECT_EQ(ParseHeader(std::span(U8(good), 5)), HeaderStatus::TooShort);
    EXPECT_EQ(ParseHeader(std::span(U8(good), kHeaderSize - 1)), HeaderStatus::TooShort);
    EXPECT_EQ(ParseHeader(std::span(U8("\x89KVY"), 4)), HeaderStatus::BadMagic);
}

}  // namespace
}  // namespace ombrix::kvx::test
