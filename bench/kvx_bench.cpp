// Times the ".kvx" drivers on one large file, key derivation included, at
// the cost new containers are written with, against gpg's symmetric
// encryption of the same file and against cp; reports medians and the peak
// memory of a run.
//
//   kvx_bench [--size-mib N] [--rounds N] [--dir DIR] [--no-gpg]
//
// Each run is a child process, so its peak resident size is its own. The
// drivers run raw: plain read(2) and write(2), no job, no window.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "Measure.h"
#include "container/kvx/Kvx.h"

namespace {

using namespace ombrix;
using namespace ombrix::bench;

int RunDriver(bool decrypt, const char* in, const char* out, const char* pwfile) {
    std::string password(256, '\0');
    FILE* f = std::fopen(pwfile, "r");
    if (!f || !std::fgets(password.data(), static_cast<int>(password.size()), f)) return 2;
    std::fclose(f);
    password.resize(std::strcspn(password.c_str(), "\n"));
    const int from = open(in, O_RDONLY), to = open(out, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (from < 0 || to < 0) return 2;
    kvx::Stream io;
    io.read = [from](std::uint8_t* buf, std::size_t n) -> long long { return read(from, buf, n); };
    io.write = [to](const std::uint8_t* buf, std::size_t n) {
        while (n > 0) {
            ssize_t w = write(to, buf, n);
            if (w <= 0) return false;
            buf += w;
            n -= static_cast<std::size_t>(w);
        }
        return true;
    };
    kvx::KeyCache keys;
    const kvx::Result r = decrypt ? kvx::Decrypt(keys, password, io) : kvx::Encrypt(keys, password, io);
    if (close(to) != 0 || r != kvx::Result::Ok) {
        std::fprintf(stderr, "%s\n", kvx::ToString(r));
        return 1;
    }
    return 0;
}

struct Series {
    explicit Series(const char* n) : name(n) {}
    const char* name;
    std::vector<double> wall, cpu;
    long rss = 0;
    void Add(const Run& r) {
        wall.push_back(r.seconds);
        cpu.push_back(r.cpu);
        rss = std::max(rss, r.maxRssKiB);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc == 6 && std::strcmp(argv[1], "--child") == 0)
        return RunDriver(std::strcmp(argv[2], "decrypt") == 0, argv[3], argv[4], argv[5]);

    long long mib = 1024;
    int rounds = 5;
    bool gpg = true;
    std::string dir = "build/bench-files";
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--no-gpg") gpg = false;
        else if (i + 1 < argc && a == "--size-mib") mib = std::atoll(argv[++i]);
        else if (i + 1 < argc && a == "--rounds") rounds = std::atoi(argv[++i]);
        else if (i + 1 < argc && a == "--dir") dir = argv[++i];
    }
    mkdir(dir.c_str(), 0755);
    const std::string src = dir + "/sample.bin", copy = dir + "/copy.bin", kvxOut = dir + "/sample.bin.kvx",
                      kvxBack = dir + "/back.bin", gpgOut = dir + "/sample.bin.gpg", gpgBack = dir + "/gpg-back.bin",
                      empty = dir + "/empty.bin", emptyOut = dir + "/empty.bin.kvx", pwfile = dir + "/password",
                      gpgHome = dir + "/gnupg";
    mkdir(gpgHome.c_str(), 0700);
    FILE* pw = std::fopen(pwfile.c_str(), "w");
    std::fputs("bench password\n", pw);
    std::fclose(pw);
    MakeFile(src, mib << 20);
    MakeFile(empty, 0);
    std::printf("file: %lld MiB in %s, %d rounds; .kvx at opslimit %u, memlimit %u KiB\n", mib, dir.c_str(), rounds,
                kvx::kModerate.opsLimit, kvx::kModerate.memLimitKiB);

    auto self = [&](const char* what, const std::string& in, const std::string& out) {
        return std::vector<std::string>{argv[0], "--child", what, in, out, pwfile};
    };
    const std::vector<std::string> gpgCommon = {"gpg",     "--homedir",         gpgHome, "--batch", "--yes",
                                                "--quiet", "--passphrase-file", pwfile};
    auto gpgRun = [&](std::vector<std::string> args) {
        std::vector<std::string> all = gpgCommon;
        all.insert(all.end(), args.begin(), args.end());
        return all;
    };

    Series cpSrc{"cp of the file"}, cpBox{"cp of the .kvx"}, kdf{".kvx, empty file (key derivation)"},
        enc{".kvx encrypt"}, dec{".kvx decrypt"}, genc{"gpg encrypt"}, gdec{"gpg -d"};
    Spawn({"cp", src, copy});  // warm up
    for (int r = 0; r < rounds; ++r) {
        unlink(copy.c_str());
        cpSrc.Add(Spawn({"cp", src, copy}));
        kdf.Add(Spawn(self("encrypt", empty, emptyOut)));
        enc.Add(Spawn(self("encrypt", src, kvxOut)));
        unlink(copy.c_str());
        cpBox.Add(Spawn({"cp", kvxOut, copy}));
        dec.Add(Spawn(self("decrypt", kvxOut, kvxBack)));
        if (gpg) {
            genc.Add(Spawn(
                gpgRun({"--symmetric", "--cipher-algo", "AES256", "--compress-algo", "none", "-o", gpgOut, src})));
            gdec.Add(Spawn(gpgRun({"-o", gpgBack, "-d", gpgOut})));
        }
        std::printf("round %d: cp %.3fs  kdf %.3fs  encrypt %.3fs  decrypt %.3fs", r + 1, cpSrc.wall.back(),
                    kdf.wall.back(), enc.wall.back(), dec.wall.back());
        if (gpg) std::printf("  gpg %.3fs  gpg -d %.3fs", genc.wall.back(), gdec.wall.back());
        std::printf("\n");
        std::fflush(stdout);
    }
    // Both came back whole (a difference ends the benchmark).
    Spawn({"cmp", src, kvxBack});
    if (gpg) Spawn({"cmp", src, gpgBack});

    // The best run shows the cost when nothing else competes for the cores.
    std::printf("\n%d rounds                         median wall  best wall  median CPU   peak RSS\n", rounds);
    for (const Series* s : {&cpSrc, &cpBox, &kdf, &enc, &dec, &genc, &gdec}) {
        if (s->wall.empty()) continue;
        std::printf("%-34s %10.3fs %9.3fs %10.3fs %7.1f MiB\n", s->name, Median(s->wall),
                    *std::min_element(s->wall.begin(), s->wall.end()), Median(s->cpu), s->rss / 1024.0);
    }
    auto ratio = [](const char* what, const Series& a, const Series& b) {
        std::printf("%-30s median %.2fx, best %.2fx\n", what, Median(a.wall) / Median(b.wall),
                    *std::min_element(a.wall.begin(), a.wall.end()) / *std::min_element(b.wall.begin(), b.wall.end()));
    };
    std::printf("\n");
    ratio(".kvx encrypt / cp", enc, cpSrc);
    ratio(".kvx decrypt / cp of the .kvx", dec, cpBox);
    if (gpg) {
        ratio(".kvx encrypt / gpg", enc, genc);
        ratio(".kvx decrypt / gpg -d", dec, gdec);
    }
    if (gpg) Spawn({"gpgconf", "--homedir", gpgHome, "--kill", "gpg-agent"});
    for (auto p : {src, copy, kvxOut, kvxBack, gpgOut, gpgBack, empty, emptyOut, pwfile}) unlink(p.c_str());
    std::system(("rm -rf '" + gpgHome + "'").c_str());
    rmdir(dir.c_str());
    return 0;
}
