// A read or write that fails says why: the system's own message where its
// cause is the one that message names (no space, an I/O error), the system's
// reason otherwise. The codec in between must not lose what the system said.
#include <cerrno>

#include "container/kvx/Seam.h"
#include "support/JobFixture.h"

namespace ombrix::test {
namespace {

using fsio::Op;
using Texts = std::vector<std::string>;

struct ReasonRow {
    const char* what;
    bool decrypt;
    bool duringCheck;  // decrypting: fails while the container's header is read
    Op op;
    int nth;
    int err;
    const char* reason;  // the system's, or "" for the usual message
};

const ReasonRow kRows[] = {
    {"a file too large for its folder", false, false, Op::Write, 1, EFBIG, "File too large"},
    {"a later write denied", false, false, Op::Write, 2, EACCES, "Permission denied"},
    {"an I/O error writing", false, false, Op::Write, 1, EIO, ""},
    {"a full quota writing", false, false, Op::Write, 2, EDQUOT, ""},
    {"a stale handle reading", false, false, Op::Read, 1, ESTALE, "Stale file handle"},
    {"an I/O error reading", false, false, Op::Read, 2, EIO, ""},
    {"the size cannot be checked again", false, false, Op::Stat, 3, EOVERFLOW, "Value too large for defined data type"},
    {"decrypting, a file too large", true, false, Op::Write, 1, EFBIG, "File too large"},
    {"decrypting, no space", true, false, Op::Write, 1, ENOSPC, ""},
    {"decrypting, a stale handle", true, false, Op::Read, 1, ESTALE, "Stale file handle"},
    {"decrypting, the header unreadable", true, true, Op::Read, 1, ENXIO, "No such device or address"},
    {"decrypting, an I/O error in the header", true, true, Op::Read, 1, EIO, ""},
};

class ReasonsTest : public JobFixture {
protected:
    ReasonsTest() { kvx::seam::SetNewContainerCost({1, 8}); }
    ~ReasonsTest() override { kvx::seam::SetNewContainerCost(kvx::kModerate); }

    // The message a row shows for input (and, once placed, output).
    static std::string Expected(const ReasonRow& row, const std::string& input, const std::string& output) {
        const bool reading = row.op != Op::Write;
        const std::string& file = reading ? input : output;
        if (*row.reason == '\0') {
            const std::string usual = row.decrypt ? (reading ? "Error in reading ' " : "Error in writing ' ")
                                                  : (reading ? "Error in Reading ' " : "Error in Writing ' ");
            return usual + file + " '. Due to less disk space or bad clusters";
        }
        return "' " + input + " ' is not " + (row.decrypt ? "Decrypted" : "Encrypted") + " : ' " + file + " ' " +
               (reading ? "cannot be read : " : "cannot be written : ") + row.reason;
    }
};

TEST_F(ReasonsTest, FailedReadsAndWritesSayWhy) {
    const std::string body = RandomBytes((2 << 20) + 777, 5);  // more than one block, and one chunk
    for (const char* format : {".kvr", ".kvx"}) {
        for (const ReasonRow& row : kRows) {
            SCOPED_TRACE(std::string(format) + ": " + row.what);
            TempDir folder;
            w.controls.format = format;
            const std::string plain = folder / "a.txt";
            WriteFile(plain, body);
            std::string input = plain;
            if (row.decrypt) {
                Encrypt(plain);
                ASSERT_EQ(job.SuccessFlag, 1);
                input = job.DFileCompletePath;
                ASSERT_EQ(::unlink(plain.c_str()), 0);
            }
            const Texts before = folder.List();
            w.ClearRecords();
            job.ProcessFlag = row.decrypt ? 1 : 0;
            job.SuccessFlag = 0;
            job.HeaderFlag = 0;
            job.SettingSourceAttributes(input);
            fsio::ResetFaults();
            if (row.duringCheck) fsio::FailNth(row.op, row.nth, row.err);
            if (row.decrypt) {
                job.CheckEncryptedFile();
                if (row.duringCheck) {
                    fsio::ResetFaults();
                    EXPECT_EQ(job.HeaderFlag, 0);
                    EXPECT_EQ(w.Texts(), Texts{Expected(row, input, "")});
                    continue;
                }
                ASSERT_EQ(job.HeaderFlag, 1);
                job.SettingHeaderAttributes(job.HeaderString);
            }
            job.SettingDestinationPath();
            fsio::ResetFaults();
            fsio::FailNth(row.op, row.nth, row.err);
            if (row.decrypt) job.Decryption();
            else job.Encryption();
            fsio::ResetFaults();
            EXPECT_EQ(w.Texts(), Texts{Expected(row, input, job.DFileCompletePath)});
            EXPECT_EQ(job.SuccessFlag, 0);
            EXPECT_EQ(folder.List(), before);
        }
    }
}

}  // namespace
}  // namespace ombrix::test
