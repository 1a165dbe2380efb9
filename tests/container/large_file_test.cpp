// Opt-in (OMBRIX_SLOW_TESTS): a sparse source past 4 GiB through both passes.
#include <fcntl.h>
#include <unistd.h>

#include "support/JobFixture.h"

namespace ombrix::test {
namespace {

class LargeFileTest : public JobFixture {};

unsigned char LastByte(const std::string& path, off_t& size) {
    int fd = ::open(path.c_str(), O_RDONLY);
    size = ::lseek(fd, 0, SEEK_END);
    unsigned char b = 0;
    EXPECT_EQ(::pread(fd, &b, 1, size - 1), 1);
    ::close(fd);
    return b;
}

TEST_F(LargeFileTest, SparseSourceOverFourGiB) {
    const off_t n = (4LL << 30) + 4097;
    const std::string src = dir / "big.img";
    int fd = ::open(src.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(::ftruncate(fd, n - 1), 0);
    const unsigned char last = 0xFF;
    ASSERT_EQ(::pwrite(fd, &last, 1, n - 1), 1);
    ::close(fd);

    Encrypt(src);
    ASSERT_EQ(job.SuccessFlag, 1);
    off_t size = 0;
    EXPECT_EQ(LastByte(dir / "big.kvr", size), 0x01);
    EXPECT_EQ(size, static_cast<off_t>(std::string("big.img").size() + 2 + 32) + n);
    EXPECT_EQ(w.FilePositions().back(), 100);
    EXPECT_EQ(w.FilePositions().size(), 101u);

    ASSERT_EQ(::unlink(src.c_str()), 0);
    w.ClearRecords();
    ASSERT_TRUE(Decrypt(dir / "big.kvr"));
    ASSERT_EQ(job.SuccessFlag, 1);
    EXPECT_EQ(LastByte(src, size), 0xFF);
    EXPECT_EQ(size, n);
    EXPECT_EQ(w.FilePositions().back(), 99);  // the header is counted, not copied
}

}  // namespace
}  // namespace ombrix::test
