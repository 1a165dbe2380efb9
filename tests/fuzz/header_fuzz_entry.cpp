// Fuzz target for the header check and parse: any bytes as the start of a
// ".kvr" file. Built as a libFuzzer target with clang, and replayed over the
// seed corpus by an ordinary test.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "container/Container.h"
#include "job/Job.h"
#include "picker/PickerPane.h"

namespace {

using namespace ombrix;

class SilentWindow : public JobWindow {
public:
    void UpdateData(Job&, bool) override {}
    MsgResult MessageBox(const std::string&, const std::string&, MsgButtons) override { return MsgResult::No; }
    bool PromptPassword(const std::string&, std::string& p) override { p.clear(); return false; }
    void SetBarColor(int, std::uint8_t, std::uint8_t, std::uint8_t) override {}
    void SetBarRange(int, std::int32_t, std::int32_t) override {}
    void SetBarPos(int, std::int32_t) override {}
    void ShowControl(int, bool) override {}
    void EnableControl(int, bool) override {}
    C_PickerPane& Picker() override { return picker; }
    void PumpEvents() override {}
    NoPicker picker;
};

void Require(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    HeaderScan scan = ScanHeader(bytes);
    if (scan.status == HeaderScan::Status::NoEnd) return 0;
    Require(scan.decoded.size() >= 4 && scan.decoded.size() <= kMaxHeaderScan);
    Require(scan.bodyOffset == static_cast<std::int64_t>(scan.decoded.size()) + 12);
    if (scan.status != HeaderScan::Status::Found) return 0;
    Require(scan.bodyOffset <= static_cast<std::int64_t>(size));

    SilentWindow window;
    Job job(window);
    job.SettingHeaderAttributes(scan.decoded);
    Require(job.DFile == StoredName(scan.decoded));
    Require(job.DFile.size() <= scan.decoded.size());
    Require(job.HeaderPassword.size() <= scan.decoded.size());
    const std::string joined = job.DFileExt.empty() && job.DFile.find('.') == std::string::npos
                                   ? job.DFileAbName
                                   : job.DFileAbName + "." + job.DFileExt;
    Require(joined == job.DFile);
    // What passes as safe can only name a file inside its folder.
    if (StoredNameIsSafe(job.DFile)) Require(job.DFile.find('/') == std::string::npos && job.DFile != "..");
    return 0;
}
