// The ".kvx" format behind the job's codec interface. A container is named
// after its whole source (report.txt -> report.txt.kvx) and stores no name:
// decrypting takes the name off the container's own.
#include <algorithm>
#include <sodium.h>

#include "container/Codec.h"
#include "container/kvx/Descriptor.h"
#include "container/kvx/Kvx.h"
#include "container/kvx/Seam.h"

namespace ombrix::kvx {
namespace {

using container::Reader;

Stream Driven(const container::Stream& io) { return {io.read, io.write, io.progress, io.stop}; }

container::Result Told(Result r) {
    switch (r) {
    case Result::Ok: return container::Result::Ok;
    case Result::ReadError: return container::Result::ReadError;
    case Result::WriteError: return container::Result::WriteError;
    case Result::Stopped: return container::Result::Stopped;
    case Result::NoResources: return container::Result::NoResources;
    // After the header was read and the key opened, anything else is a
    // container that is not what was written.
    case Result::BadHeader:
    case Result::WrongPassword:
    case Result::Damaged: break;
    }
    return container::Result::Damaged;
}

Reader::Key Opened(Result r) {
    if (r == Result::Ok) return Reader::Key::Open;
    if (r == Result::NoResources) return Reader::Key::NoResources;
    return Reader::Key::Wrong;
}

// The messages after the header: each holds a chunk plus its overhead, and
// a container holds at least one.
std::int64_t Messages(std::int64_t body) {
    const auto unit = static_cast<std::int64_t>(kChunk + kMessageOverhead);
    return std::max<std::int64_t>(1, (body + unit - 1) / unit);
}

// A password kept for reading the container back, wiped when it goes.
class KeptPassword {
public:
    explicit KeptPassword(const std::string& password) : text_(password) {}
    ~KeptPassword() { sodium_memzero(text_.data(), text_.size()); }
    KeptPassword(const KeptPassword&) = delete;
    KeptPassword& operator=(const KeptPassword&) = delete;
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

class KvxWriter : public container::Writer {
public:
    KvxWriter(KeyCache& keys, const std::string& password) : keys_(keys), password_(password) {}

    std::int64_t OutputSize(std::int64_t inputSize) const override {
        const std::int64_t n = std::max<std::int64_t>(0, inputSize);
        const auto chunk = static_cast<std::int64_t>(kChunk);
        const std::int64_t chunks = std::max<std::int64_t>(1, (n + chunk - 1) / chunk);
        return static_cast<std::int64_t>(kHeaderSize) + n + chunks * static_cast<std::int64_t>(kMessageOverhead);
    }

    // The header is the first kHeaderSize bytes written: kept, so that the
    // container read back must carry the very same one.
    container::Result Write(const container::Stream& io) override {
        header_.clear();
        Stream s = Driven(io);
        s.write = [this, &io](const std::uint8_t* buf, std::size_t n) {
            if (header_.size() < kHeaderSize)
                header_.append(reinterpret_cast<const char*>(buf), std::min(n, kHeaderSize - header_.size()));
            return io.write(buf, n);
        };
        return Told(Encrypt(keys_, password_.text(), s));
    }

    // With the key this batch derived: no second key derivation. A header
    // that differs from the one written is damage, whatever it holds.
    container::Result ReadBack(const container::Stream& io) override {
        const Stream s = Driven(io);
        Decryptor reader(keys_);
        if (Result r = reader.ReadHeader(s); r != Result::Ok) return Told(r);
        const auto read = HeaderBytes(reader.header());
        if (header_.size() != kHeaderSize ||
            header_.compare(0, kHeaderSize, reinterpret_cast<const char*>(read.data()), read.size()) != 0)
            return container::Result::Damaged;
        if (Result r = reader.Unlock(password_.text(), {}); r != Result::Ok) return Told(r);
        return Told(reader.Body(s));
    }

private:
    KeyCache& keys_;
    KeptPassword password_;
    std::string header_;
};

class KvxReader : public Reader {
public:
    explicit KvxReader(KeyCache& keys) : decryptor_(keys) {}

    Header ReadHeader(const container::ReadFn& read) override {
        Stream s;
        s.read = read;
        const Result r = decryptor_.ReadHeader(s);
        if (r == Result::ReadError) return Header::ReadError;
        if (r != Result::Ok) return Header::NotContainer;
        const auto bytes = HeaderBytes(decryptor_.header());
        text_.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return Header::Found;
    }

    const std::string& HeaderText() const override { return text_; }
    std::int64_t BodyOffset() const override { return static_cast<std::int64_t>(kHeaderSize); }
    std::int64_t OutputSize(std::int64_t containerSize) const override {
        const std::int64_t body = std::max<std::int64_t>(0, containerSize - BodyOffset());
        return std::max<std::int64_t>(0, body - Messages(body) * static_cast<std::int64_t>(kMessageOverhead));
    }

    Key Unlock(const std::string& password, const std::function<void()>& pump) override {
        return Opened(decryptor_.Unlock(password, pump));
    }

    container::Result Body(const container::Stream& io) override { return Told(decryptor_.Body(Driven(io))); }

private:
    Decryptor decryptor_;
    std::string text_;
};

// Strips the suffix, in any letter case; the caller knows the name ends in it.
std::string WithoutSuffix(const std::string& containerName) {
    return containerName.size() >= kSuffix.size() ? containerName.substr(0, containerName.size() - kSuffix.size())
                                                  : std::string();
}

class KvxCodec : public container::Codec {
public:
    // The whole name stays: report.txt -> report.txt.kvx.
    container::NameParts ContainerName(const std::string& name, const std::string&) const override {
        return {name, std::string(kSuffix)};
    }

    std::string NameRefusal(const std::string&) const override { return {}; }

    std::string PasswordRefusal(const std::string&, const std::string& password) const override {
        if (kFormat.refusesEmptyPassword && password.empty()) return "an empty password protects nothing";
        return {};
    }

    std::unique_ptr<container::Writer> NewWriter(const std::string&, const std::string& password) override {
        return std::make_unique<KvxWriter>(Keys(), password);
    }

    // The restored name is the container's own without ".kvx": there must be one.
    std::string ContainerNameRefusal(const std::string& containerName) const override {
        const std::string name = WithoutSuffix(containerName);
        if (name.empty() || name == "." || name == "..") return "its name holds no file name before \".kvx\"";
        return {};
    }

    std::unique_ptr<Reader> NewReader() override { return std::make_unique<KvxReader>(Keys()); }

    container::StoredHeader ParseHeader(const std::string&, const std::string& containerName) const override {
        return {WithoutSuffix(containerName), {}};
    }

    // Every key of the batch is wiped.
    void EndBatch() override { keys_.reset(); }

private:
    KeyCache& Keys() {
        if (!keys_) keys_ = std::make_unique<KeyCache>(seam::NewContainerCost());
        return *keys_;
    }

    std::unique_ptr<KeyCache> keys_;
};

}  // namespace

std::unique_ptr<container::Codec> MakeCodec() { return std::make_unique<KvxCodec>(); }

}  // namespace ombrix::kvx
