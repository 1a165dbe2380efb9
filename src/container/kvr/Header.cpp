#include <algorithm>
#include <cstring>

#include "container/kvr/Kvr.h"

namespace ombrix::kvr {

std::string HeaderEncrypt(std::string text) {
    for (auto& c : text) c = static_cast<char>(static_cast<unsigned char>(c) + 3);
    return text;
}

namespace {

// Adds delta to every byte, sixteen at a time: the body is the hot loop of
// both passes and must run at memory speed.
void AddToBytes(unsigned char* p, std::size_t n, unsigned char delta) {
    typedef unsigned char Lanes __attribute__((vector_size(16)));
    Lanes add;
    for (auto i = 0u; i < sizeof add; ++i) add[i] = delta;
    std::size_t i = 0;
    for (; i + 2 * sizeof add <= n; i += 2 * sizeof add) {
        Lanes a, b;
        std::memcpy(&a, p + i, sizeof a);
        std::memcpy(&b, p + i + sizeof a, sizeof b);
        a += add;
        b += add;
        std::memcpy(p + i, &a, sizeof a);
        std::memcpy(p + i + sizeof a, &b, sizeof b);
    }
    for (; i < n; ++i) p[i] = static_cast<unsigned char>(p[i] + delta);
}

}  // namespace

void EncodeBody(unsigned char* p, std::size_t n) { AddToBytes(p, n, 2); }
void DecodeBody(unsigned char* p, std::size_t n) { AddToBytes(p, n, static_cast<unsigned char>(-2)); }

std::string Left(const std::string& s, std::int64_t k) {
    if (k <= 0) return {};
    return s.substr(0, static_cast<std::size_t>(k));
}

std::string Right(const std::string& s, std::int64_t k) {
    if (k <= 0) return {};
    if (static_cast<std::size_t>(k) >= s.size()) return s;
    return s.substr(s.size() - static_cast<std::size_t>(k));
}

std::int64_t Find(const std::string& s, std::string_view what) {
    auto pos = s.find(what);
    return pos == std::string::npos ? -1 : static_cast<std::int64_t>(pos);
}

HeaderScan ScanHeader(std::string_view data) {
    HeaderScan scan;
    // The first "$kvp" ends the scan; it must end within the scan limit.
    auto window = data.substr(0, kMaxHeaderScan);
    auto pos = window.find(kPassCode.substr(0, 4));
    if (pos == std::string_view::npos) return scan;
    std::size_t scanned = pos + 4;
    scan.decoded.resize(scanned);
    for (std::size_t i = 0; i < scanned; ++i)
        scan.decoded[i] = static_cast<char>(static_cast<unsigned char>(data[i]) - 3);
    scan.bodyOffset = static_cast<std::int64_t>(scanned) + 12;
    // The rest of the terminator must be there and be what it should.
    if (data.size() < pos + kPassCode.size() || data.substr(pos, kPassCode.size()) != kPassCode) {
        scan.status = HeaderScan::Status::BadTerminator;
        return scan;
    }
    scan.status = HeaderScan::Status::Found;
    return scan;
}

bool ReadAndScanHeader(const container::ReadFn& read, HeaderScan& scan) {
    // Only the start of the file can hold a header, and it usually ends
    // within the first few bytes: read more only while it has not.
    const std::size_t most = kMaxHeaderScan + kPassCode.size();
    std::string data;
    for (std::size_t want = 4 << 10;; want = std::min(want * 4, most)) {
        std::size_t have = data.size();
        data.resize(want);
        bool end = false;
        while (have < want && !end) {
            long long n = read(reinterpret_cast<unsigned char*>(data.data() + have), want - have);
            if (n < 0) return false;
            end = n == 0;
            have += static_cast<std::size_t>(n);
        }
        data.resize(have);
        if (end || have == most) break;
        auto mark = data.find(kPassCode.substr(0, 4));
        if (mark != std::string::npos && mark + kPassCode.size() <= have) break;
    }
    scan = ScanHeader(data);
    return true;
}

container::StoredHeader ParseHeader(const std::string& h) {
    container::StoredHeader stored;
    const auto L = static_cast<std::int64_t>(h.size());
    const std::int64_t a = Find(h, kNameMark);
    stored.name = Left(h, a);
    std::string t = Right(h, L - a - 16);
    stored.password = Left(t, Find(t, kPassMark));
    return stored;
}

std::string StoredName(const std::string& decodedHeader) { return Left(decodedHeader, Find(decodedHeader, kNameMark)); }

// Any name a Linux folder can hold, so every file that was encrypted can be
// restored; none that could lead outside the destination folder.
bool StoredNameIsSafe(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.size() > kMaxStoredName) return false;
    return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

std::string BuildHeader(const std::string& name, const std::string& password) {
    return HeaderEncrypt(name) + std::string(kFileCode) + HeaderEncrypt(password) + std::string(kPassCode);
}

}  // namespace ombrix::kvr
