// A fresh folder under the system's temporary folder (one that can hold
// unnamed files), removed afterwards, with small helpers for the files tests
// make and inspect.
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

// n bytes of a fixed pseudo-random sequence.
std::string RandomBytes(std::size_t n, unsigned seed);
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
// Permission bits (with set-ID bits) of a path, or of an open file.
unsigned ModeOf(const std::string& path);
unsigned ModeOf(int fd);
// Sets a file's times well into the past, so that any later write shows in
// them whatever the file system's clock granularity.
void Backdate(const std::string& path);
// The descriptor this process holds on an unnamed file made in dir (an
// output under construction), or -1.
int UnnamedFileIn(const std::string& dir);

}  // namespace ombrix::test
