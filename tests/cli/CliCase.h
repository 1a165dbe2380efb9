// What the command-line tests share: the program, a folder to work in, a
// password file, and the summary texts the batch prints.
#pragma once

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Subprocess.h"
#include "support/TempDir.h"

namespace ombrix::test {

inline const std::string kCli = OMBRIX_CLI_PATH;

inline std::string Summary(bool decrypt, int selected, int done, int deleted) {
    return "Selected File(s) : " + std::to_string(selected) + " , \n " + (decrypt ? "Decrypted" : "Encrypted") +
           " File(s) : " + std::to_string(done) + ", \n Deleted Files : " + std::to_string(deleted) + " \n";
}

class CliCase : public ::testing::Test {
protected:
    TempDir dir;
    std::string pw = dir / "pw";

    void SetUp() override { WriteFile(pw, "s3cret\n"); }

    RunResult Cli(std::vector<std::string> args, const std::string& input = {}, const std::string& cwd = {}) {
        args.insert(args.begin(), kCli);
        return RunProgram(args, input, cwd);
    }
    // A file in the work folder, and its path.
    std::string Make(const std::string& name, const std::string& bytes) {
        WriteFile(dir / name, bytes);
        return dir / name;
    }
};

}  // namespace ombrix::test
