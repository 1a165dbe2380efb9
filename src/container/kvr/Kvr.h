// The ".kvr" container: stored name + 16-byte name terminator + stored
// password + 16-byte password terminator, each header byte shifted by 3,
// then the file's bytes shifted by 2. No key, no lengths, no checksum: it
// protects nothing, and is kept for the containers and scripts that exist.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "container/Codec.h"

namespace ombrix::kvr {

inline constexpr std::string_view kSuffix = ".kvr";
inline constexpr std::string_view kFileCode = "$kvf$kvf$kvf$kvf";
inline constexpr std::string_view kPassCode = "$kvp$kvp$kvp$kvp";
inline constexpr std::string_view kNameMark = "!hsc";  // kFileCode's quarter, decoded
inline constexpr std::string_view kPassMark = "!hsm";  // kPassCode's quarter, decoded
// The header's end must show up this early; anything this program or its
// predecessors wrote is far below it.
inline constexpr std::size_t kMaxHeaderScan = 1 << 20;
inline constexpr std::size_t kMaxStoredName = 255;
// The body is shifted in blocks this large: enough for full speed, small
// enough to stay in the processor's cache and to check for a stop often.
inline constexpr std::size_t kBlock = 256 << 10;

// Every byte plus 3, modulo 256.
std::string HeaderEncrypt(std::string text);

// Body bytes plus 2 / minus 2, modulo 256, in place.
void EncodeBody(unsigned char* p, std::size_t n);
void DecodeBody(unsigned char* p, std::size_t n);

// Text helpers with the clamping the header parse relies on: a count below 0
// gives "", one at or above the length gives the whole text.
std::string Left(const std::string& s, std::int64_t k);
std::string Right(const std::string& s, std::int64_t k);
// Position of the first occurrence, or -1.
std::int64_t Find(const std::string& s, std::string_view what);

// Result of scanning the start of a ".kvr" file for the end of its header.
struct HeaderScan {
    enum class Status { Found, NoEnd, BadTerminator };
    Status status = Status::NoEnd;
    std::string decoded;          // decoded bytes up to and including the first "$kvp"
    std::int64_t bodyOffset = 0;  // bytes scanned + 12
};
// data holds the first bytes of the file (at least kMaxHeaderScan + 12, or
// the whole file when shorter).
HeaderScan ScanHeader(std::string_view data);
// Reads the start of a file through read, only as far as the header goes,
// and scans it. False when a read failed.
bool ReadAndScanHeader(const container::ReadFn& read, HeaderScan& scan);

// The stored name and password of a decoded header: the text before the
// first "!hsc", and the text between the 16 bytes that begin there and the
// next "!hsm".
container::StoredHeader ParseHeader(const std::string& decodedHeader);
// The stored file name inside a decoded header: the text before the first "!hsc".
std::string StoredName(const std::string& decodedHeader);
// A stored name that is safe to write as a file in the destination folder.
bool StoredNameIsSafe(const std::string& name);

// The header a file of this name gets with this password.
std::string BuildHeader(const std::string& name, const std::string& password);

std::unique_ptr<container::Codec> MakeCodec();

}  // namespace ombrix::kvr
