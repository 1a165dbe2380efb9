// A container format as the job sees it: a pure codec. It names its
// containers, writes them, reads them back, and knows nothing of files, the
// job record or the window: every byte goes through the caller's callbacks,
// all of them called on the caller's thread, whatever threads the codec
// works on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace ombrix::container {

// Reads up to n bytes into buf: the count, 0 at the end, -1 on failure.
using ReadFn = std::function<long long(unsigned char* buf, std::size_t n)>;

// What a codec reads from and writes to.
struct Stream {
    ReadFn read;
    // Writes all n bytes; false on failure.
    std::function<bool(const unsigned char* buf, std::size_t n)> write;
    // Bytes of the input handled so far. Also called now and then while the
    // codec waits (for a key, for a worker), so that a window can paint.
    std::function<void(std::int64_t done)> progress;
    // Asked before each block; true stops the codec.
    std::function<bool()> stop;
};

enum class Result {
    Ok,
    ReadError,    // io.read failed
    WriteError,   // io.write failed
    Stopped,      // io.stop asked to stop
    Damaged,      // the bytes read cannot be what was written
    NoResources,  // the system refused the memory or thread the codec needs
};

// Where a number goes when a container's name is taken: stem, number, tail.
struct NameParts {
    std::string stem, tail;
};

// What a header holds as text: the file name the container restores, and
// the password stored in it (empty for formats that store none).
struct StoredHeader {
    std::string name, password;
};

// One container being written.
class Writer {
public:
    virtual ~Writer() = default;
    // The container's size for an input of inputSize bytes.
    virtual std::int64_t OutputSize(std::int64_t inputSize) const = 0;
    // The header, then the input (io.read) as the body.
    virtual Result Write(const Stream& io) = 0;
    // Reads the container back (io.read from its first byte) and writes the
    // contents it carries to io.write; Damaged when it is not what Write wrote.
    virtual Result ReadBack(const Stream& io) = 0;
};

// One container being read.
class Reader {
public:
    enum class Header { Found, NotContainer, ReadError };
    enum class Key {
        Open,
        Wrong,        // this password does not open it; another may
        NoResources,  // the system refused what checking the password needs
    };

    virtual ~Reader() = default;
    // Reads the header through read, from the file's first byte.
    virtual Header ReadHeader(const ReadFn& read) = 0;
    // The header as read, as the text the job record keeps.
    virtual const std::string& HeaderText() const = 0;
    // The number of bytes before the body.
    virtual std::int64_t BodyOffset() const = 0;
    // The restored file's size for a container of containerSize bytes.
    virtual std::int64_t OutputSize(std::int64_t containerSize) const = 0;
    // Whether password opens the container; may be asked again after a wrong
    // one. pump runs now and then while a slow check works.
    virtual Key Unlock(const std::string& password, const std::function<void()>& pump) = 0;
    // The body (io.read from BodyOffset on), restored to io.write.
    virtual Result Body(const Stream& io) = 0;
};

// A container format. A job holds one of each, for all its batches: a codec
// may keep what a batch can share (derived keys) until EndBatch.
class Codec {
public:
    virtual ~Codec() = default;

    // --- encrypting ---
    // The container's name for a file, from the file's name and its name
    // without the extension.
    virtual NameParts ContainerName(const std::string& name, const std::string& nameWithoutExtension) const = 0;
    // Why a file of this name cannot go into a container, or "".
    virtual std::string NameRefusal(const std::string& name) const = 0;
    // Why this password cannot protect a file of this name, or "".
    virtual std::string PasswordRefusal(const std::string& name, const std::string& password) const = 0;
    virtual std::unique_ptr<Writer> NewWriter(const std::string& name, const std::string& password) = 0;

    // --- decrypting ---
    // Why a container of this file name cannot be restored, or "": asked
    // before the container is opened.
    virtual std::string ContainerNameRefusal(const std::string&) const { return {}; }
    virtual std::unique_ptr<Reader> NewReader() = 0;
    // What a header text (Reader::HeaderText) holds. containerName is the
    // container's own file name, for formats that take the restored name
    // from it.
    virtual StoredHeader ParseHeader(const std::string& header, const std::string& containerName) const = 0;

    // The batch is over: what was kept for it goes.
    virtual void EndBatch() {}
};

}  // namespace ombrix::container
