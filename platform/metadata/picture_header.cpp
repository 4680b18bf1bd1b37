#include "picture_header.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::size_t maxHeaderBytes = std::size_t{64} << 10;
constexpr std::size_t moveBufferBytes = std::size_t{256} << 10;

constexpr std::uint8_t markerStart = 0xFF;
constexpr std::uint8_t startOfImage = 0xD8;
constexpr std::uint8_t startOfScan = 0xDA;

const std::string pngSignature("\x89PNG\r\n\x1a\n", 8);
// A PNG chunk: its data length, type, data and checksum.
constexpr std::size_t chunkFrame = 12;
// The end chunk, without data: its checksum is that of the type alone.
const std::string pngEnd("\0\0\0\0IEND\xae\x42\x60\x82", chunkFrame);

// A descriptor closed when the object goes.
class Descriptor {
public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    ~Descriptor() {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return descriptor_; }
    int release() { return std::exchange(descriptor_, -1); }

private:
    int descriptor_;
};

std::uint8_t byteAt(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint8_t>(bytes[at]);
}

std::size_t bigEndian16(const std::string& bytes, std::size_t at) {
    return std::size_t{byteAt(bytes, at)} << 8 | byteAt(bytes, at + 1);
}

std::size_t bigEndian32(const std::string& bytes, std::size_t at) {
    return bigEndian16(bytes, at) << 16 | bigEndian16(bytes, at + 2);
}

// JPEG markers without a length: the restart markers and TEM.
bool standsAlone(std::uint8_t marker) {
    return (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01;
}

// The length of a JPEG file's segments up to and including the start-of-scan header; nothing
// when the bytes end before it or are no JPEG segments.
std::optional<std::size_t> jpegHeaderLength(const std::string& bytes) {
    if (bytes.size() < 2 || byteAt(bytes, 0) != markerStart || byteAt(bytes, 1) != startOfImage) {
        return std::nullopt;
    }
    std::size_t at = 2;
    while (at + 4 <= bytes.size() && byteAt(bytes, at) == markerStart) {
        const std::uint8_t marker = byteAt(bytes, at + 1);
        if (marker == markerStart) {
            ++at; // a fill byte
            continue;
        }
        if (standsAlone(marker)) {
            at += 2;
            continue;
        }
        const std::size_t end = at + 2 + bigEndian16(bytes, at + 2);
        if (marker == startOfScan) {
            return end <= bytes.size() ? std::optional<std::size_t>(end) : std::nullopt;
        }
        at = end;
    }
    return std::nullopt;
}

// The length of a PNG file's chunks before its first IDAT chunk; nothing when the bytes end
// before it or are no PNG chunks.
std::optional<std::size_t> pngHeaderLength(const std::string& bytes) {
    if (!bytes.starts_with(pngSignature)) {
        return std::nullopt;
    }
    for (std::size_t at = pngSignature.size(); at + chunkFrame <= bytes.size();
         at += chunkFrame + bigEndian32(bytes, at)) {
        if (bytes.compare(at + 4, 4, "IDAT") == 0) {
            return at;
        }
    }
    return std::nullopt;
}

// Reads or writes `size` bytes at `at` in full, as pread or pwrite may transfer fewer.
template <typename Transfer, typename Bytes>
bool transferAll(Transfer transfer, int descriptor, Bytes* data, std::size_t size, off_t at) {
    while (size > 0) {
        const ssize_t done = transfer(descriptor, data, size, at);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return false;
        }
        data += done;
        size -= static_cast<std::size_t>(done);
        at += done;
    }
    return true;
}

bool readAllAt(int descriptor, char* data, std::size_t size, off_t at) {
    return transferAll(::pread, descriptor, data, size, at);
}

bool writeAllAt(int descriptor, const char* data, std::size_t size, off_t at) {
    return transferAll(::pwrite, descriptor, data, size, at);
}

// Moves the bytes from `start` to `end` by `by` bytes through `buffer`.
bool moveChunk(int descriptor, char* buffer, off_t start, off_t end, off_t by) {
    const auto size = static_cast<std::size_t>(end - start);
    return readAllAt(descriptor, buffer, size, start) &&
           writeAllAt(descriptor, buffer, size, start + by);
}

// Moves the bytes from `from` to `end` of a file by `by` bytes, in chunks taken in the order that
// never overwrites a byte before it has moved: from the end when they move back, from the start
// when they move forward. The file keeps its pages in the page cache, so this costs well under
// half of copying the bytes into a new file and dropping the old one.
bool moveBytes(int descriptor, off_t from, off_t end, off_t by) {
    if (by == 0 || from >= end) {
        return true;
    }
    const auto chunk = std::min(static_cast<off_t>(moveBufferBytes), end - from);
    const auto buffer = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(chunk));
    if (by > 0) {
        for (off_t chunkEnd = end; chunkEnd > from; chunkEnd -= chunk) {
            if (!moveChunk(descriptor, buffer.get(), std::max(from, chunkEnd - chunk), chunkEnd,
                           by)) {
                return false;
            }
        }
        return true;
    }
    for (off_t start = from; start < end; start += chunk) {
        if (!moveChunk(descriptor, buffer.get(), start, std::min(end, start + chunk), by)) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<PictureHeader> readPictureHeader(const std::string& path, PictureFormat format) {
    if (format != PictureFormat::Jpeg && format != PictureFormat::Png) {
        return std::nullopt;
    }
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        return std::nullopt;
    }
    std::string bytes(maxHeaderBytes, '\0');
    const ssize_t got = ::pread(file.get(), bytes.data(), bytes.size(), 0);
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    const std::optional<std::size_t> length =
        format == PictureFormat::Jpeg ? jpegHeaderLength(bytes) : pngHeaderLength(bytes);
    if (!length) {
        return std::nullopt;
    }
    bytes.resize(*length);
    if (format == PictureFormat::Png) {
        bytes += pngEnd;
    }
    return PictureHeader{std::move(bytes), *length};
}

std::optional<std::string> headerOfFile(const std::string& file, PictureFormat format) {
    if (format != PictureFormat::Png) {
        return file;
    }
    if (!file.ends_with(pngEnd)) {
        return std::nullopt;
    }
    return file.substr(0, file.size() - pngEnd.size());
}

bool replacePictureHeader(const std::string& path, std::size_t oldLength,
                          const std::string& header) {
    Descriptor file(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0) {
        return false;
    }
    const auto rest = static_cast<off_t>(oldLength);
    const off_t by = static_cast<off_t>(header.size()) - rest;
    const bool written = moveBytes(file.get(), rest, status.st_size, by) &&
                         writeAllAt(file.get(), header.data(), header.size(), 0) &&
                         (by >= 0 || ::ftruncate(file.get(), status.st_size + by) == 0);
    return ::close(file.release()) == 0 && written;
}

} // namespace platform
