// The ".kvr" format behind the job's codec interface.
#include <algorithm>
#include <cstring>

#include "container/kvr/Kvr.h"

namespace ombrix::kvr {
namespace {

using container::Result;
using container::Stream;

bool Contains(const std::string& s, std::string_view what) { return s.find(what) != std::string::npos; }

// Reads the input to its end in blocks, shifts each and writes it; head goes
// out first, with the first block: one write, not two.
Result Shift(const Stream& io, const std::string& head, void (*shift)(unsigned char*, std::size_t)) {
    // The head sits right before the block, which starts on a cache line:
    // reads and shifts run as fast as on a buffer of its own.
    const std::size_t h = head.size(), lead = (h + 63) / 64 * 64;
    std::unique_ptr<unsigned char[]> buf(new unsigned char[lead + kBlock]);
    unsigned char* const block = buf.get() + lead;
    std::memcpy(block - h, head.data(), h);
    std::size_t pending = h;  // header bytes not yet written
    std::int64_t done = 0;
    for (;;) {
        if (io.stop()) return Result::Stopped;
        long long n = io.read(block, kBlock);
        if (n < 0) return Result::ReadError;
        if (n == 0) break;
        const auto size = static_cast<std::size_t>(n);
        shift(block, size);
        if (!io.write(block - pending, pending + size)) return Result::WriteError;
        pending = 0;
        done += n;
        io.progress(done);
    }
    if (pending > 0 && !io.write(block - pending, pending)) return Result::WriteError;
    return Result::Ok;
}

class KvrWriter : public container::Writer {
public:
    explicit KvrWriter(std::string header) : header_(std::move(header)) {}

    std::int64_t OutputSize(std::int64_t inputSize) const override {
        return static_cast<std::int64_t>(header_.size()) + std::max<std::int64_t>(0, inputSize);
    }

    Result Write(const Stream& io) override { return Shift(io, header_, EncodeBody); }

    // The header exactly as written, then the body decoded.
    Result ReadBack(const Stream& io) override {
        std::unique_ptr<unsigned char[]> buf(new unsigned char[kBlock]);
        const auto h = static_cast<std::int64_t>(header_.size());
        std::int64_t offset = 0;
        for (;;) {
            if (io.stop()) return Result::Stopped;
            long long n = io.read(buf.get(), kBlock);
            if (n < 0) return Result::ReadError;
            if (n == 0) break;
            std::size_t skip = 0;
            if (offset < h) {
                skip = static_cast<std::size_t>(std::min<std::int64_t>(n, h - offset));
                if (std::memcmp(buf.get(), header_.data() + offset, skip) != 0) return Result::Damaged;
            }
            const std::size_t body = static_cast<std::size_t>(n) - skip;
            DecodeBody(buf.get() + skip, body);
            if (!io.write(buf.get() + skip, body)) return Result::WriteError;
            offset += n;
        }
        return offset >= h ? Result::Ok : Result::Damaged;
    }

private:
    std::string header_;
};

class KvrReader : public container::Reader {
public:
    Header ReadHeader(const container::ReadFn& read) override {
        HeaderScan scan;
        if (!ReadAndScanHeader(read, scan)) return Header::ReadError;
        text_ = std::move(scan.decoded);
        bodyOffset_ = scan.bodyOffset;
        if (scan.status != HeaderScan::Status::Found || !StoredNameIsSafe(StoredName(text_)))
            return Header::NotContainer;
        password_ = ParseHeader(text_).password;
        return Header::Found;
    }

    const std::string& HeaderText() const override { return text_; }
    std::int64_t BodyOffset() const override { return bodyOffset_; }
    std::int64_t OutputSize(std::int64_t containerSize) const override {
        return std::max<std::int64_t>(0, containerSize - bodyOffset_);
    }

    // The password is stored in the header: exact, byte for byte.
    Key Unlock(const std::string& password, const std::function<void()>&) override {
        return password == password_ ? Key::Open : Key::Wrong;
    }

    Result Body(const Stream& io) override { return Shift(io, {}, DecodeBody); }

private:
    std::string text_;
    std::int64_t bodyOffset_ = 0;
    std::string password_;
};

class KvrCodec : public container::Codec {
public:
    // Only the last extension is replaced: report.final.doc -> report.final.kvr.
    container::NameParts ContainerName(const std::string&, const std::string& nameWithoutExtension) const override {
        return {nameWithoutExtension, std::string(kSuffix)};
    }

    // The header ends the name and the password by searching for the
    // terminators, so neither may hold them.
    std::string NameRefusal(const std::string& name) const override {
        if (Contains(name, kNameMark) || Contains(name, kPassMark))
            return "a .kvr container cannot carry \"!hsc\" or \"!hsm\" in a file name";
        return {};
    }

    std::string PasswordRefusal(const std::string& name, const std::string& password) const override {
        if (Contains(password, kPassMark)) return "a .kvr container cannot carry \"!hsm\" in a password";
        // A header that ends beyond what the reader scans could never be read back.
        if (name.size() + password.size() + 20 > kMaxHeaderScan) return "the password is too long for a .kvr container";
        return {};
    }

    std::unique_ptr<container::Writer> NewWriter(const std::string& name, const std::string& password) override {
        return std::make_unique<KvrWriter>(BuildHeader(name, password));
    }

    std::unique_ptr<container::Reader> NewReader() override { return std::make_unique<KvrReader>(); }

    container::StoredHeader ParseHeader(const std::string& header, const std::string&) const override {
        return kvr::ParseHeader(header);
    }
};

}  // namespace

std::unique_ptr<container::Codec> MakeCodec() { return std::make_unique<KvrCodec>(); }

}  // namespace ombrix::kvr
