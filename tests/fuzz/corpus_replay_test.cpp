// Replays the fuzz seed corpus through the fuzz target under the ordinary
// compiler, so every seed stays a regression test.
#include <filesystem>
#include <gtest/gtest.h>

#include "support/TempDir.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

TEST(FuzzCorpus, EverySeedRunsClean) {
    int seeds = 0;
    for (auto& entry : std::filesystem::directory_iterator(OMBRIX_CORPUS_DIR)) {
        std::string bytes = ombrix::test::ReadFile(entry.path().string());
        SCOPED_TRACE(entry.path().filename().string());
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0);
        ++seeds;
    }
    EXPECT_GT(seeds, 0) << "no seeds in " << OMBRIX_CORPUS_DIR;
}
