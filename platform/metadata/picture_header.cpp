#include "picture_header.h"

#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdint>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::size_t maxHeaderBytes = std::size_t{64} << 10;
constexpr std::size_t copyBufferBytes = std::size_t{1} << 20;

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

bool writeAll(int descriptor, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Copies the bytes of `from` after `offset` to the end of `to` through a buffer, where the
// kernel cannot copy between the two files itself.
bool copyThroughBuffer(int from, off_t offset, int to) {
    std::vector<char> buffer(copyBufferBytes);
    for (;;) {
        const ssize_t got = ::pread(from, buffer.data(), buffer.size(), offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        if (!writeAll(to, buffer.data(), static_cast<std::size_t>(got))) {
            return false;
        }
        offset += got;
    }
}

bool kernelCannotCopy(int error) {
    return error == ENOSYS || error == EXDEV || error == EINVAL || error == EOPNOTSUPP;
}

// Copies the bytes of `from` after `offset` to the end of `to`.
bool copyRest(int from, off_t offset, int to) {
    for (;;) {
        const ssize_t copied =
            ::copy_file_range(from, &offset, to, nullptr, std::size_t{1} << 30, 0);
        if (copied == 0) {
            return true;
        }
        if (copied < 0 && errno == EINTR) {
            continue;
        }
        if (copied < 0) {
            return kernelCannotCopy(errno) && copyThroughBuffer(from, offset, to);
        }
    }
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
    const Descriptor old(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (old.get() < 0) {
        return false;
    }
    AtomicFile replacement(path);
    const int descriptor = replacement.open();
    if (descriptor < 0) {
        return false;
    }
    const bool written = writeAll(descriptor, header.data(), header.size()) &&
                         copyRest(old.get(), static_cast<off_t>(oldLength), descriptor);
    const bool closed = ::close(replacement.release()) == 0;
    // The old file goes first: a rename over an existing file makes some file systems (ext4)
    // start writing the new one out at once, which the staging file does not need.
    return written && closed && ::unlink(path.c_str()) == 0 && replacement.commit();
}

} // namespace platform
