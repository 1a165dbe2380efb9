// Fuzz target for the ".kvr" header reader: any bytes as the start of a
// ".kvr" file, through the codec's scan and parse and the split of the
// stored name that placement uses. Built as a libFuzzer target with clang,
// and replayed over the seed corpus by an ordinary test.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "container/kvr/Kvr.h"
#include "job/Job.h"

namespace {

using namespace ombrix;
using namespace ombrix::kvr;

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

    const container::StoredHeader stored = ParseHeader(scan.decoded);
    Require(stored.name == StoredName(scan.decoded));
    Require(stored.name.size() <= scan.decoded.size());
    Require(stored.password.size() <= scan.decoded.size());
    const NameSplit split = SplitAtLastDot(stored.name);
    const std::string joined =
        split.ext.empty() && stored.name.find('.') == std::string::npos ? split.abName : split.abName + "." + split.ext;
    Require(joined == stored.name);
    // What passes as safe can only name a file inside its folder.
    if (StoredNameIsSafe(stored.name)) Require(stored.name.find('/') == std::string::npos && stored.name != "..");
    return 0;
}
