#include "support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace ombrix::test {
namespace {

// Outputs are written as unnamed files where the file system can make them,
// and the tests of that need a folder that can: the system's temporary
// folder, or /dev/shm where that cannot (an overlay file system before
// Linux 6.6).
std::string Base() {
    static const std::string base = [] {
        const std::string tmp = fs::temp_directory_path().string();
        for (const std::string& candidate : {tmp, std::string("/dev/shm")}) {
            int fd = ::open(candidate.c_str(), O_TMPFILE | O_RDWR, 0600);
            if (fd >= 0) {
                ::close(fd);
                return candidate;
            }
        }
        return tmp;
    }();
    return base;
}

}  // namespace

TempDir::TempDir() {
    std::string tmpl = Base() + "/ombrix-test-XXXXXX";
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Restore permissions that tests took away, so everything can go.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_directory(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::vector<std::string> TempDir::List() const {
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string TempDir::MakeDir(const std::string& name) const {
    std::string p = *this / name;
    fs::create_directories(p);
    return p;
}

std::string RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(rng());
    return s;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace ombrix::test

namespace ombrix::test {

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) throw std::runtime_error("cannot stat " + path);
    return st.st_mode & 07777;
}

unsigned ModeOf(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) throw std::runtime_error("cannot stat a descriptor");
    return st.st_mode & 07777;
}

void Backdate(const std::string& path) {
    const timespec old[2] = {{978307200, 0}, {978307200, 0}};  // 2001-01-01
    if (::utimensat(AT_FDCWD, path.c_str(), old, 0) != 0) throw std::runtime_error("cannot backdate " + path);
}

int UnnamedFileIn(const std::string& dir) {
    for (auto& e : fs::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const std::string target = fs::read_symlink(e.path(), ec).string();
        struct stat st {};
        if (ec || target.rfind(dir + "/", 0) != 0 || ::stat(e.path().c_str(), &st) != 0) continue;
        if (S_ISREG(st.st_mode) && st.st_nlink == 0) return std::stoi(e.path().filename().string());
    }
    return -1;
}

}  // namespace ombrix::test
