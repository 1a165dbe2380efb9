// Times encrypting and decrypting against cp of the same input, over several
// rounds, and reports the median ratios and the peak memory:
//   - one large file, each way;
//   - the same with deletion of the originals (each output is read back and
//     checked before its original goes);
//   - a batch of many small files, against cp -r of their folder.
//
//   kvr_bench [--size-mib N] [--files N] [--file-kib N] [--rounds N]
//             [--dir DIR] [--program PATH]
//
// Each run is a child process, so its peak resident size is its own. Without
// --program the child is this binary running one batch through the core;
// with it, PATH is run as
// "PATH encrypt|decrypt -q --replace yes [--delete] -p PWFILE -d OUT FILE..."
// (the command-line front end).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "Measure.h"
#include "job/RunBatch.h"
#include "picker/PickerPane.h"

namespace {

using namespace ombrix;
using namespace ombrix::bench;
namespace fs = std::filesystem;

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
int RunOneBatch(bool decrypt, const std::string& path, const std::string& dest, bool del) {
    const auto files = FilesAt(path);
    BenchView view(files, dest);
    BatchSettings settings;
    settings.process = decrypt ? Process::Decrypt : Process::Encrypt;
    settings.destination = Destination::OneFolder;
    settings.password = "bench password";
    settings.deleteOriginals = del;
    settings.replace = ReplacePolicy::Yes;
    const BatchCounts counts = RunBatch(view, settings);
    const auto n = static_cast<std::int32_t>(files.size());
    return counts == BatchCounts{n, n, del ? n : 0} ? 0 : 1;
}

// A fresh empty folder.
void EmptyFolder(const std::string& path) {
    fs::remove_all(path);
    fs::create_directories(path);
}

// Wall and CPU times of one kind of run over the rounds.
struct Series {
    std::vector<double> wall, cpu;
    void Add(const Run& r) {
        wall.push_back(r.seconds);
        cpu.push_back(r.cpu);
    }
};

void Ratio(const char* what, const Series& run, const Series& base, const char* baseName) {
    std::printf("  %-28s %.3fs / %s %.3fs = %.2fx   (CPU %.3fs / %.3fs = %.2fx)\n", what, Median(run.wall), baseName,
                Median(base.wall), Median(run.wall) / Median(base.wall), Median(run.cpu), Median(base.cpu),
                Median(run.cpu) / Median(base.cpu));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 6 && std::strcmp(argv[1], "--child") == 0)
        return RunOneBatch(std::strcmp(argv[2], "decrypt") == 0, argv[3], argv[4], std::strcmp(argv[5], "1") == 0);

    long long mib = 1024, files = 5000, fileKiB = 4;
    int rounds = 5;
    std::string dir = "build/bench-files", program;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--size-mib") mib = std::atoll(argv[i + 1]);
        else if (a == "--files") files = std::atoll(argv[i + 1]);
        else if (a == "--file-kib") fileKiB = std::atoll(argv[i + 1]);
        else if (a == "--rounds") rounds = std::atoi(argv[i + 1]);
        else if (a == "--dir") dir = argv[i + 1];
        else if (a == "--program") program = argv[i + 1];
    }
    fs::create_directories(dir);
    const std::string src = dir + "/sample.bin", copy = dir + "/copy.bin", enc = dir + "/enc", dec = dir + "/dec",
                      pwfile = dir + "/password", many = dir + "/many", manyCopy = dir + "/many-copy",
                      manyEnc = dir + "/many-enc", manyEncCopy = dir + "/many-enc-copy", manyDec = dir + "/many-dec";
    EmptyFolder(enc);
    EmptyFolder(dec);
    FILE* pw = std::fopen(pwfile.c_str(), "w");
    std::fputs("bench password\n", pw);
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

    auto pass = [&](bool decrypt, const std::string& in, const std::string& out, bool del) {
        if (program.empty())
            return std::vector<std::string>{argv[0], "--child", decrypt ? "decrypt" : "encrypt",
                                            in,      out,       del ? "1" : "0"};
        std::vector<std::string> args{
            program, decrypt ? "decrypt" : "encrypt", "-q", "--replace", "yes", "-p", pwfile, "-d", out};
        if (del) args.push_back("--delete");
        for (auto& f : FilesAt(in)) args.push_back(f);
        return args;
    };
    // Each pass is timed against cp of its own input: the source for
    // encrypting, the containers just written for decrypting.
    Spawn({"cp", src, copy});  // warm the page cache
    Series cpSrc, cpEnc, encr, decr, encrDel, decrDel, cpMany, cpManyEnc, encrMany, decrMany;
    long rss = 0;
    for (int r = 0; r < rounds; ++r) {
        unlink(copy.c_str());
        Run c = Spawn({"cp", src, copy});
        unlink((enc + "/sample.kvr").c_str());
        Run e = Spawn(pass(false, src, enc, false));
        unlink(copy.c_str());
        Run c2 = Spawn({"cp", enc + "/sample.kvr", copy});
        unlink((dec + "/sample.bin").c_str());
        Run d = Spawn(pass(true, enc + "/sample.kvr", dec, false));
        // With deletion: the original goes, then comes back from its container.
        unlink((enc + "/sample.kvr").c_str());
        Run ed = Spawn(pass(false, src, enc, true));
        Run dd = Spawn(pass(true, enc + "/sample.kvr", dir, true));
        cpSrc.Add(c);
        cpEnc.Add(c2);
        encr.Add(e);
        decr.Add(d);
        encrDel.Add(ed);
        decrDel.Add(dd);
        rss = std::max({rss, e.maxRssKiB, d.maxRssKiB, ed.maxRssKiB, dd.maxRssKiB});
        std::printf(
            "round %d: cp %.3fs  encrypt %.3fs  cp of the container %.3fs  decrypt %.3fs  "
            "with deletion: encrypt %.3fs  decrypt %.3fs\n",
            r + 1, c.seconds, e.seconds, c2.seconds, d.seconds, ed.seconds, dd.seconds);

        fs::remove_all(manyCopy);
        Run cm = Spawn({"cp", "-r", many, manyCopy});
        EmptyFolder(manyEnc);
        Run em = Spawn(pass(false, many, manyEnc, false));
        fs::remove_all(manyEncCopy);
        Run cm2 = Spawn({"cp", "-r", manyEnc, manyEncCopy});
        EmptyFolder(manyDec);
        Run dm = Spawn(pass(true, manyEnc, manyDec, false));
        cpMany.Add(cm);
        cpManyEnc.Add(cm2);
        encrMany.Add(em);
        decrMany.Add(dm);
        std::printf("         %lld files: cp -r %.3fs  encrypt %.3fs  cp -r of the containers %.3fs  decrypt %.3fs\n",
                    files, cm.seconds, em.seconds, cm2.seconds, dm.seconds);
    }
    std::printf("medians, one %lld MiB file:\n", mib);
    Ratio("encrypt", encr, cpSrc, "cp");
    Ratio("decrypt", decr, cpEnc, "cp");
    Ratio("encrypt, deleting", encrDel, cpSrc, "cp");
    Ratio("decrypt, deleting", decrDel, cpEnc, "cp");
    std::printf("medians, %lld files of %lld KiB:\n", files, fileKiB);
    Ratio("encrypt", encrMany, cpMany, "cp -r");
    Ratio("decrypt", decrMany, cpManyEnc, "cp -r");
    std::printf("peak RSS of a pass: %.1f MiB\n", rss / 1024.0);
    for (auto& p : {src, copy, enc, dec, pwfile, many, manyCopy, manyEnc, manyEncCopy, manyDec}) fs::remove_all(p);
    rmdir(dir.c_str());  // only if nothing else is in it
    return 0;
}
