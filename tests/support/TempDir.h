// A fresh folder under the system's temporary folder, removed afterwards,
// with small helpers for the files tests make and inspect.
#pragma once

#include <string>
#include <vector>

namespace ombrix::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    // Names in the folder (not "." or ".."), sorted.
    std::vector<std::string> List() const;
    std::string MakeDir(const std::string& name) const;

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

}  // namespace ombrix::test
