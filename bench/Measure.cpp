#include "Measure.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ombrix::bench {

Run Spawn(const std::vector<std::string>& args) {
    // Every run starts with nothing dirty in the page cache, so no run pays
    // for writing back what the one before it wrote.
    ::sync();
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage ru{};
    wait4(pid, &status, 0, &ru);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "failed: %s\n", args[0].c_str());
        std::exit(1);
    }
    auto secs = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return {s, secs(ru.ru_utime) + secs(ru.ru_stime), ru.ru_maxrss};
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void MakeFile(const std::string& path, long long bytes, unsigned seed) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<unsigned char> block(std::min<long long>(bytes, 1 << 20));
    std::mt19937 rng(seed);
    for (auto& b : block) b = static_cast<unsigned char>(rng());
    for (long long done = 0, i = 0; done < bytes; done += static_cast<long long>(block.size()), ++i) {
        block[static_cast<std::size_t>(i) % block.size()] ^= 0x5a;  // no two blocks alike
        auto n = static_cast<std::size_t>(std::min<long long>(bytes - done, static_cast<long long>(block.size())));
        if (write(fd, block.data(), n) != static_cast<ssize_t>(n)) std::exit(1);
    }
    close(fd);
}

}  // namespace ombrix::bench
