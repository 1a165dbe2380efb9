// Times encrypting and decrypting one large file against cp of the same file,
// over several rounds, and reports the median ratios and the peak memory.
//
//   kvr_bench [--size-mib N] [--rounds N] [--dir DIR] [--program PATH]
//
// Each run is a child process, so its peak resident size is its own. Without
// --program the child is this binary running one batch through the core;
// with it, PATH is run as "PATH encrypt|decrypt -q -p PWFILE -d OUT FILE"
// (the command-line front end).
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
#include "job/Job.h"
#include "picker/PickerPane.h"

namespace {

using namespace ombrix;
using namespace ombrix::bench;

// One file, one password, outputs into one folder; every box is printed.
class BenchWindow : public JobWindow, public NoPicker {
public:
    BenchWindow(std::string file, std::string dest) : file_(std::move(file)), dest_(std::move(dest)) {}
    void UpdateData(Job& job, bool save) override {
        if (!save) return;
        job.m_Password = job.m_Confirm = "bench password";
        job.m_SameRadio = 0;
        job.m_SamePassRadio = 0;
        job.m_Delete = 0;
    }
    MsgResult MessageBox(const std::string& text, const std::string&, MsgButtons b) override {
        if (text.rfind("Selected", 0) != 0) std::fprintf(stderr, "%s\n", text.c_str());
        return b == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::Ok;
    }
    bool PromptPassword(const std::string&, std::string& p) override { p.clear(); return false; }
    void SetBarColor(int, std::uint8_t, std::uint8_t, std::uint8_t) override {}
    void SetBarRange(int, std::int32_t, std::int32_t) override {}
    void SetBarPos(int, std::int32_t) override {}
    void ShowControl(int, bool) override {}
    void EnableControl(int, bool) override {}
    C_PickerPane& Picker() override { return *this; }
    void PumpEvents() override {}
    std::string FileSource(std::int32_t&) override { return file_; }
    std::string FileDestination() override { return dest_; }
    std::int32_t TotalFiles() override { return 1; }

private:
    std::string file_, dest_;
};

int RunOneBatch(bool decrypt, const std::string& file, const std::string& dest) {
    BenchWindow window(file, dest);
    Job job(window);
    job.OnInitDialog();
    job.ProcessFlag = decrypt ? 1 : 0;
    job.OnMainButton();
    return job.ProcessedCount == 1 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0)
        return RunOneBatch(std::strcmp(argv[2], "decrypt") == 0, argv[3], argv[4]);

    long long mib = 1024;
    int rounds = 5;
    std::string dir = "build/bench-files", program;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--size-mib") mib = std::atoll(argv[i + 1]);
        else if (a == "--rounds") rounds = std::atoi(argv[i + 1]);
        else if (a == "--dir") dir = argv[i + 1];
        else if (a == "--program") program = argv[i + 1];
    }
    mkdir(dir.c_str(), 0755);
    const std::string src = dir + "/sample.bin", copy = dir + "/copy.bin", enc = dir + "/enc",
                      dec = dir + "/dec", pwfile = dir + "/password";
    mkdir(enc.c_str(), 0755);
    mkdir(dec.c_str(), 0755);
    FILE* pw = std::fopen(pwfile.c_str(), "w");
    std::fputs("bench password\n", pw);
    std::fclose(pw);
    std::printf("file: %lld MiB in %s, %d rounds, %s\n", mib, dir.c_str(), rounds,
                program.empty() ? "core batch" : program.c_str());
    MakeFile(src, mib);

    auto pass = [&](bool decrypt) -> std::vector<std::string> {
        const std::string in = decrypt ? enc + "/sample.kvr" : src, out = decrypt ? dec : enc;
        if (program.empty()) return {argv[0], "--child", decrypt ? "decrypt" : "encrypt", in, out};
        return {program, decrypt ? "decrypt" : "encrypt", "-q", "--replace", "yes", "-p", pwfile, "-d", out, in};
    };
    // Each pass is timed against cp of its own input: the source for
    // encrypting, the container just written for decrypting.
    Spawn({"cp", src, copy});  // warm the page cache
    std::vector<double> cpSrc, cpEnc, encr, decr, cpSrcCpu, cpEncCpu, encrCpu, decrCpu;
    long rss = 0;
    for (int r = 0; r < rounds; ++r) {
        unlink(copy.c_str());
        Run c = Spawn({"cp", src, copy});
        unlink((enc + "/sample.kvr").c_str());
        Run e = Spawn(pass(false));
        unlink(copy.c_str());
        Run c2 = Spawn({"cp", enc + "/sample.kvr", copy});
        unlink((dec + "/sample.bin").c_str());
        Run d = Spawn(pass(true));
        cpSrc.push_back(c.seconds);
        cpEnc.push_back(c2.seconds);
        encr.push_back(e.seconds);
        decr.push_back(d.seconds);
        cpSrcCpu.push_back(c.cpu);
        cpEncCpu.push_back(c2.cpu);
        encrCpu.push_back(e.cpu);
        decrCpu.push_back(d.cpu);
        rss = std::max({rss, e.maxRssKiB, d.maxRssKiB});
        std::printf("round %d: cp %.3fs  encrypt %.3fs  cp of the container %.3fs  decrypt %.3fs\n", r + 1,
                    c.seconds, e.seconds, c2.seconds, d.seconds);
    }
    auto report = [](const char* what, const std::vector<double>& cpT, const std::vector<double>& enT,
                     const std::vector<double>& cp2T, const std::vector<double>& deT) {
        std::printf("median %s: encrypt %.3fs / cp %.3fs = %.2fx   decrypt %.3fs / cp %.3fs = %.2fx\n", what,
                    Median(enT), Median(cpT), Median(enT) / Median(cpT), Median(deT), Median(cp2T),
                    Median(deT) / Median(cp2T));
    };
    report("wall time", cpSrc, encr, cpEnc, decr);
    report("CPU time ", cpSrcCpu, encrCpu, cpEncCpu, decrCpu);
    std::printf("peak RSS of a pass: %.1f MiB\n", rss / 1024.0);
    for (auto p : {src, copy, enc + "/sample.kvr", dec + "/sample.bin", pwfile}) unlink(p.c_str());
    rmdir(enc.c_str());
    rmdir(dec.c_str());
    rmdir(dir.c_str());
    return 0;
}
