// Times the program's batches against named baselines over several rounds,
// and reports medians, best runs (the cores may be shared), ratios and the
// peak memory of each kind of run:
//   - one large file through every container format each way (key
//     derivations at the cost new containers get included), against cp of
//     the same input, also with deletion of the originals (outputs read
//     back first), and against gpg's symmetric encryption of the same file:
//       gpg --batch --symmetric --cipher-algo AES256 --compress-algo none
//           --passphrase-file F    and    gpg -d
//   - a batch of many small files each way, in every format, against cp -r
//     of their folder.
//
//   batch_bench [--size-mib N] [--files N] [--file-kib N] [--rounds N]
//               [--dir DIR] [--program PATH] [--no-gpg]
//
// Each run is a child process, so its peak resident size is its own. Without
// --program the child is this binary running one batch through the core;
// with it, PATH is run as "PATH encrypt|decrypt -q --replace yes [--delete]
// [--format NAME] -p PWFILE -d OUT FILE..." (the command-line front end).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "Measure.h"
#include "container/Formats.h"
#include "job/RunBatch.h"
#include "picker/PickerPane.h"

namespace {

using namespace ombrix;
using namespace ombrix::bench;
namespace fs = std::filesystem;

const char* const kPassword = "bench password";

// The files to process; every message is printed, the summary is not.
class BenchView : public JobView, public NoPicker {
public:
    BenchView(std::vector<std::string> files, std::string dest) : files_(std::move(files)), dest_(std::move(dest)) {}
    void ShowMessage(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void ShowSummary(const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    bool PromptPassword(const std::string&, std::string& p) override {
        p.clear();
        return false;
    }
    void SetBarColor(Bar, std::uint8_t, std::uint8_t, std::uint8_t) override {}
    void SetBarRange(Bar, std::int32_t, std::int32_t) override {}
    void SetBarPos(Bar, std::int32_t) override {}
    void ShowBar(Bar, bool) override {}
    void EnableButton(Button, bool) override {}
    C_PickerPane& Picker() override { return *this; }
    void PumpEvents() override {}
    std::string FileSource(std::int32_t& i) override { return files_[static_cast<std::size_t>(i)]; }
    std::string FileDestination() override { return dest_; }
    std::int32_t TotalFiles() override { return static_cast<std::int32_t>(files_.size()); }

private:
    std::vector<std::string> files_;
    std::string dest_;
};

// A file, or every file in a folder in name order.
std::vector<std::string> FilesAt(const std::string& path) {
    if (!fs::is_directory(path)) return {path};
    std::vector<std::string> files;
    for (auto& e : fs::directory_iterator(path)) files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

// One password, outputs into one folder, existing outputs replaced.
int RunOneBatch(bool decrypt, const std::string& path, const std::string& dest, bool del, const std::string& format) {
    const auto files = FilesAt(path);
    BenchView view(files, dest);
    BatchSettings settings;
    settings.process = decrypt ? Process::Decrypt : Process::Encrypt;
    settings.destination = Destination::OneFolder;
    settings.password = kPassword;
    settings.deleteOriginals = del;
    settings.replace = ReplacePolicy::Yes;
    settings.format = container::FindFormatNamed(format)->suffix;
    const BatchCounts counts = RunBatch(view, settings);
    const auto n = static_cast<std::int32_t>(files.size());
    return counts == BatchCounts{n, n, del ? n : 0} ? 0 : 1;
}

// A fresh empty folder.
void EmptyFolder(const std::string& path) {
    fs::remove_all(path);
    fs::create_directories(path);
}

// One kind of run over the rounds.
struct Series {
    explicit Series(std::string n) : name(std::move(n)) {}
    std::string name;
    std::vector<double> wall, cpu;
    long rss = 0;
    Run Add(const Run& r) {
        wall.push_back(r.seconds);
        cpu.push_back(r.cpu);
        rss = std::max(rss, r.maxRssKiB);
        return r;
    }
    double Best() const { return *std::min_element(wall.begin(), wall.end()); }
};

void Table(const char* title, const std::vector<const Series*>& rows) {
    std::printf("\n%-36s median wall  best wall  median CPU   peak RSS\n", title);
    for (const Series* s : rows) {
        if (s->wall.empty()) continue;
        std::printf("  %-34s %10.3fs %9.3fs %10.3fs %7.1f MiB\n", s->name.c_str(), Median(s->wall), s->Best(),
                    Median(s->cpu), s->rss / 1024.0);
    }
}

void Ratio(const Series& run, const Series& base) {
    if (run.wall.empty() || base.wall.empty()) return;
    const std::string what = run.name + " / " + base.name;
    std::printf("  %-52s median %.2fx   best %.2fx\n", what.c_str(), Median(run.wall) / Median(base.wall),
                run.Best() / base.Best());
}

// The runs of one format: the large file each way, without and with
// deletion, a copy of its container, and the small files each way.
struct FormatRuns {
    explicit FormatRuns(const container::Format& f)
        : format(f), suffix(f.suffix), enc(suffix + " encrypt"), cp("cp of the " + suffix), dec(suffix + " decrypt"),
          encDel(suffix + " encrypt, deleting"), decDel(suffix + " decrypt, deleting"), manyEnc(suffix + " encrypt"),
          manyDec(suffix + " decrypt") {}
    const container::Format& format;
    std::string suffix;
    Series enc, cp, dec, encDel, decDel, manyEnc, manyDec;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc == 7 && std::strcmp(argv[1], "--child") == 0)
        return RunOneBatch(std::strcmp(argv[2], "decrypt") == 0, argv[3], argv[4], std::strcmp(argv[5], "1") == 0,
                           argv[6]);

    long long mib = 1024, files = 5000, fileKiB = 4;
    int rounds = 5;
    bool gpg = true;
    // tmpfs where there is one: the figures are the program's, not the disk's.
    std::string dir = fs::is_directory("/dev/shm") ? "/dev/shm/ombrix-bench" : "build/bench-files", program;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--no-gpg") gpg = false;
        else if (i + 1 >= argc) break;
        else if (a == "--size-mib") mib = std::atoll(argv[++i]);
        else if (a == "--files") files = std::atoll(argv[++i]);
        else if (a == "--file-kib") fileKiB = std::atoll(argv[++i]);
        else if (a == "--rounds") rounds = std::atoi(argv[++i]);
        else if (a == "--dir") dir = argv[++i];
        else if (a == "--program") program = argv[++i];
    }
    fs::create_directories(dir);
    const std::string src = dir + "/sample.bin", copy = dir + "/copy.bin", enc = dir + "/enc", dec = dir + "/dec",
                      pwfile = dir + "/password", gpgHome = dir + "/gnupg", gpgOut = dir + "/sample.bin.gpg",
                      gpgBack = dir + "/gpg-back.bin", many = dir + "/many", manyCopy = dir + "/many-copy",
                      manyEnc = dir + "/many-enc", manyEncCopy = dir + "/many-enc-copy", manyDec = dir + "/many-dec";
    const std::string back = dec + "/sample.bin";
    EmptyFolder(enc);
    EmptyFolder(dec);
    fs::create_directories(gpgHome);
    fs::permissions(gpgHome, fs::perms::owner_all);
    FILE* pw = std::fopen(pwfile.c_str(), "w");
    std::fprintf(pw, "%s\n", kPassword);
    std::fclose(pw);
    std::printf("%lld MiB file and %lld files of %lld KiB in %s, %d rounds, %s\n", mib, files, fileKiB, dir.c_str(),
                rounds, program.empty() ? "core batch" : program.c_str());
    MakeFile(src, mib << 20, 1);
    EmptyFolder(many);
    for (long long i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/f%05lld.dat", i);
        MakeFile(many + name, fileKiB << 10, static_cast<unsigned>(i));
    }

    auto pass = [&](bool decrypt, const std::string& in, const std::string& out, bool del,
                    const container::Format& format) {
        const std::string name(format.name);
        if (program.empty())
            return std::vector<std::string>{argv[0],         "--child", decrypt ? "decrypt" : "encrypt", in, out,
                                            del ? "1" : "0", name};
        std::vector<std::string> args{
            program, decrypt ? "decrypt" : "encrypt", "-q", "--replace", "yes", "-p", pwfile, "-d", out};
        if (del) args.push_back("--delete");
        if (!decrypt) args.insert(args.end(), {"--format", name});
        for (auto& f : FilesAt(in)) args.push_back(f);
        return args;
    };
    const std::vector<std::string> gpgCommon = {"gpg",     "--homedir",         gpgHome, "--batch", "--yes",
                                                "--quiet", "--passphrase-file", pwfile};
    auto gpgRun = [&](std::vector<std::string> args) {
        std::vector<std::string> all = gpgCommon;
        all.insert(all.end(), args.begin(), args.end());
        return all;
    };
    const auto gone = [](const std::string& path) { fs::remove(path); };
    // The container each format writes for the sample.
    const auto containerOf = [&](const container::Format& f) {
        const container::NameParts parts = f.make()->ContainerName("sample.bin", "sample");
        return enc + "/" + parts.stem + parts.tail;
    };

    // Each pass is timed against cp of its own input: the source for
    // encrypting, the containers just written for decrypting.
    Series cpSrc("cp"), gpgEnc("gpg --symmetric"), gpgDec("gpg -d"), cpMany("cp -r"),
        cpManyEnc("cp -r of the " + std::string(container::DefaultFormat().suffix));
    std::deque<FormatRuns> formats;
    for (const container::Format* f : container::Formats()) formats.emplace_back(*f);
    Spawn({"cp", src, copy});  // warm up
    for (int r = 0; r < rounds; ++r) {
        gone(copy);
        const Run c = cpSrc.Add(Spawn({"cp", src, copy}));
        std::printf("round %d: cp %.3fs", r + 1, c.seconds);
        for (FormatRuns& f : formats) {
            const std::string container = containerOf(f.format);
            gone(container);
            const Run e = f.enc.Add(Spawn(pass(false, src, enc, false, f.format)));
            gone(copy);
            f.cp.Add(Spawn({"cp", container, copy}));
            gone(back);
            const Run d = f.dec.Add(Spawn(pass(true, container, dec, false, f.format)));
            Spawn({"cmp", src, back});  // a difference ends the benchmark
            // With deletion: the original goes, then comes back from its container.
            gone(container);
            f.encDel.Add(Spawn(pass(false, src, enc, true, f.format)));
            f.decDel.Add(Spawn(pass(true, container, dir, true, f.format)));
            std::printf("  %s %.3fs %.3fs", f.suffix.c_str(), e.seconds, d.seconds);
        }
        if (gpg) {
            gone(gpgOut);
            const Run ge = gpgEnc.Add(Spawn(
                gpgRun({"--symmetric", "--cipher-algo", "AES256", "--compress-algo", "none", "-o", gpgOut, src})));
            gone(gpgBack);
            const Run gd = gpgDec.Add(Spawn(gpgRun({"-o", gpgBack, "-d", gpgOut})));
            std::printf("  gpg %.3fs %.3fs", ge.seconds, gd.seconds);
        }
        std::printf("\n");

        fs::remove_all(manyCopy);
        cpMany.Add(Spawn({"cp", "-r", many, manyCopy}));
        for (FormatRuns& f : formats) {
            EmptyFolder(manyEnc);
            f.manyEnc.Add(Spawn(pass(false, many, manyEnc, false, f.format)));
            if (&f.format == &container::DefaultFormat()) {
                fs::remove_all(manyEncCopy);
                cpManyEnc.Add(Spawn({"cp", "-r", manyEnc, manyEncCopy}));
            }
            EmptyFolder(manyDec);
            f.manyDec.Add(Spawn(pass(true, manyEnc, manyDec, false, f.format)));
        }
        std::fflush(stdout);
    }

    char oneFile[64], manyFiles[64];
    std::snprintf(oneFile, sizeof oneFile, "one %lld MiB file:", mib);
    std::snprintf(manyFiles, sizeof manyFiles, "%lld files of %lld KiB:", files, fileKiB);
    std::vector<const Series*> one{&cpSrc}, small{&cpMany, &cpManyEnc};
    for (const FormatRuns& f : formats) one.push_back(&f.cp);
    for (const FormatRuns& f : formats) {
        one.insert(one.end(), {&f.enc, &f.dec, &f.encDel, &f.decDel});
        small.insert(small.end(), {&f.manyEnc, &f.manyDec});
    }
    one.insert(one.end(), {&gpgEnc, &gpgDec});
    Table(oneFile, one);
    Table(manyFiles, small);
    std::printf("\nratios of wall times:\n");
    for (const FormatRuns& f : formats) {
        Ratio(f.enc, cpSrc);
        Ratio(f.dec, f.cp);
        Ratio(f.encDel, cpSrc);
        Ratio(f.decDel, f.cp);
        Ratio(f.enc, gpgEnc);
        Ratio(f.dec, gpgDec);
        Ratio(f.encDel, gpgEnc);
        Ratio(f.decDel, gpgDec);
    }
    for (const FormatRuns& f : formats) {
        Ratio(f.manyEnc, cpMany);
        Ratio(f.manyDec, cpManyEnc);
    }

    if (gpg) Spawn({"gpgconf", "--homedir", gpgHome, "--kill", "gpg-agent"});
    for (auto& p :
         {src, copy, enc, dec, pwfile, gpgHome, gpgOut, gpgBack, many, manyCopy, manyEnc, manyEncCopy, manyDec})
        fs::remove_all(p);
    rmdir(dir.c_str());  // only if nothing else is in it
    return 0;
}
