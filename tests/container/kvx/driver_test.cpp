// The drivers: round trips, the caller's thread for every callback, progress,
// stopping between chunks, failures of the caller's reads and writes, and
// one key derivation per password and batch.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>

#include "KvxSupport.h"
#include "container/kvx/Secret.h"

namespace ombrix::kvx::test {
namespace {

TEST(KvxDriver, RoundTripsWithEveryCallbackOnTheCallersThread) {
    const std::size_t sizes[] = {0, 1, kMessageOverhead, kChunk - 1, kChunk, kChunk + 1, 2 * kChunk, 5 * kChunk + 3};
    // Whole reads, and short ones as from a pipe.
    const std::size_t pieces[] = {SIZE_MAX, 65536 + 7};
    const std::string passwords[] = {"pw", std::string("nul\0inside\xff\xfe", 12)};
    KeyCache keys(kFast);
    for (std::size_t size : sizes)
        for (std::size_t piece : pieces)
            for (const auto& password : passwords) {
                SCOPED_TRACE(testing::Message() << size << " bytes, reads of " << piece);
                const std::string plain = Pattern(size, static_cast<unsigned>(size));
                MemoryStream enc(plain);
                enc.piece = piece;
                ASSERT_EQ(Encrypt(keys, password, enc.Make()), Result::Ok);
                MemoryStream dec(enc.output);
                dec.piece = piece;
                KeyCache other(kFast);
                ASSERT_EQ(Decrypt(other, password, dec.Make()), Result::Ok);
                EXPECT_TRUE(dec.output == plain);
                for (const MemoryStream* s : {&enc, &dec}) {
                    EXPECT_FALSE(s->offThread);
                    ASSERT_FALSE(s->progress.empty());
                    EXPECT_TRUE(std::is_sorted(s->progress.begin(), s->progress.end()));
                    EXPECT_EQ(s->progress.back(), static_cast<std::int64_t>(s->input.size()));
                }
            }
}

// Stop is asked between chunks; what was written by then is a prefix the
// caller throws away, and nothing more is read or written after it.
TEST(KvxDriver, StopsBetweenChunks) {
    KeyCache keys(kFast);
    const std::string plain = Pattern(6 * kChunk);
    std::string box;
    ASSERT_EQ(EncryptString(keys, "pw", plain, box), Result::Ok);
    for (int after : {0, 1, 3}) {
        SCOPED_TRACE(after);
        auto stopAfter = [after](int headerWrites) {
            return [after, headerWrites](const MemoryStream& s) { return s.writes - headerWrites >= after; };
        };
        MemoryStream enc(plain);
        enc.stopWhen = stopAfter(1);
        EXPECT_EQ(Encrypt(keys, "pw", enc.Make()), Result::Stopped);
        EXPECT_EQ(enc.output.size(), kHeaderSize + after * (kChunk + kMessageOverhead));
        MemoryStream dec(box);
        dec.stopWhen = stopAfter(0);
        EXPECT_EQ(Decrypt(keys, "pw", dec.Make()), Result::Stopped);
        EXPECT_EQ(dec.output.size(), after * kChunk);
    }
}

struct IoFault {
    const char* what;
    bool decrypt;
    int failRead, failWrite;
    Result expected;
};

TEST(KvxDriver, ReadAndWriteFailuresAreTold) {
    KeyCache keys(kFast);
    const std::string plain = Pattern(3 * kChunk + 5);
    std::string box;
    ASSERT_EQ(EncryptString(keys, "pw", plain, box), Result::Ok);
    const IoFault rows[] = {
        {"encrypt, first read", false, 1, 0, Result::ReadError},
        {"encrypt, a later read", false, 3, 0, Result::ReadError},
        {"encrypt, the read that meets the end", false, 5, 0, Result::ReadError},
        {"encrypt, header write", false, 0, 1, Result::WriteError},
        {"encrypt, a chunk's write", false, 0, 3, Result::WriteError},
        {"encrypt, the last write", false, 0, 5, Result::WriteError},
        {"decrypt, header read", true, 1, 0, Result::ReadError},
        {"decrypt, a message's read", true, 3, 0, Result::ReadError},
        {"decrypt, the read that meets the end", true, 6, 0, Result::ReadError},
        {"decrypt, first write", true, 0, 1, Result::WriteError},
        {"decrypt, the last write", true, 0, 4, Result::WriteError},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryStream s(row.decrypt ? box : plain);
        s.failRead = row.failRead;
        s.failWrite = row.failWrite;
        const Result r = row.decrypt ? Decrypt(keys, "pw", s.Make()) : Encrypt(keys, "pw", s.Make());
        EXPECT_EQ(r, row.expected);
        // The failing call was the last one of its kind.
        if (row.failRead) {
            EXPECT_EQ(s.reads, row.failRead);
        } else {
            EXPECT_EQ(s.writes, row.failWrite);
        }
    }
}

std::string Salt(const std::string& box) { return box.substr(20, 16); }

TEST(KvxKeys, OneDerivationPerPasswordAndBatch) {
    KeyCache batch(kFast);
    const int start = seam::Derivations();
    std::vector<std::string> boxes;
    for (int i = 0; i < 6; ++i) {
        std::string box;
        ASSERT_EQ(EncryptString(batch, i % 3 == 2 ? "other" : "pw", "file " + std::to_string(i), box), Result::Ok);
        boxes.push_back(box);
    }
    EXPECT_EQ(seam::Derivations() - start, 2);
    // One salt per password for the batch; a file key and nonces per file.
    EXPECT_EQ(Salt(boxes[0]), Salt(boxes[1]));
    EXPECT_EQ(Salt(boxes[2]), Salt(boxes[5]));
    EXPECT_NE(Salt(boxes[0]), Salt(boxes[2]));
    std::set<std::string> wraps, streams;
    for (const auto& b : boxes) {
        wraps.insert(b.substr(36, 72));
        streams.insert(b.substr(108, 24));
    }
    EXPECT_EQ(wraps.size(), boxes.size());
    EXPECT_EQ(streams.size(), boxes.size());

    // Reading them back in another batch: one derivation per (password, salt).
    KeyCache reading(kFast);
    const int beforeReading = seam::Derivations();
    for (int i = 0; i < 6; ++i) {
        std::string out;
        EXPECT_EQ(DecryptString(reading, i % 3 == 2 ? "other" : "pw", boxes[i], out), Result::Ok);
        EXPECT_EQ(out, "file " + std::to_string(i));
    }
    EXPECT_EQ(seam::Derivations() - beforeReading, 2);

    // A new batch draws a new salt; a cleared cache derives again.
    KeyCache next(kFast);
    std::string box;
    ASSERT_EQ(EncryptString(next, "pw", "x", box), Result::Ok);
    EXPECT_NE(Salt(box), Salt(boxes[0]));
    reading.Clear();
    const int beforeCleared = seam::Derivations();
    std::string out;
    EXPECT_EQ(DecryptString(reading, "pw", boxes[0], out), Result::Ok);
    EXPECT_EQ(seam::Derivations() - beforeCleared, 1);
}

TEST(KvxKeys, CostOutsideWhatReadersAcceptIsRefused) {
    EXPECT_THROW(KeyCache({0, 8}), std::invalid_argument);
    EXPECT_THROW(KeyCache({17, 8}), std::invalid_argument);
    EXPECT_THROW(KeyCache({1, 7}), std::invalid_argument);
    EXPECT_THROW(KeyCache({1, (1 << 20) + 1}), std::invalid_argument);
    EXPECT_EQ(KeyCache().params(), kModerate);
}

// The work runs elsewhere while the pump runs here: the work cannot finish
// before the pump has run three times on this thread.
TEST(KvxKeys, PumpRunsOnTheCallersThreadDuringTheWork) {
    std::mutex m;
    std::condition_variable cv;
    int pumps = 0;
    std::thread::id workThread;
    const auto me = std::this_thread::get_id();
    bool pumpedElsewhere = false;
    RunPumped(
        [&] {
            std::unique_lock lock(m);
            workThread = std::this_thread::get_id();
            cv.wait(lock, [&] { return pumps >= 3; });
        },
        [&] {
            std::lock_guard lock(m);
            if (std::this_thread::get_id() != me) pumpedElsewhere = true;
            ++pumps;
            cv.notify_one();
        });
    EXPECT_GE(pumps, 3);
    EXPECT_FALSE(pumpedElsewhere);
    EXPECT_NE(workThread, me);
}

}  // namespace
}  // namespace ombrix::kvx::test
