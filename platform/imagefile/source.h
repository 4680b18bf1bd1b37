// Where a picture's bytes come from: an open file, read with pread and never mapped (a file
// that shrinks while it is read, as a download or a sync still running does, then gives short
// reads instead of a fatal SIGBUS), or bytes already in memory (the fuzz targets, tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace imagefile {

class Source {
public:
    virtual ~Source() = default;
    // The size the file had when it was opened; the bytes may end earlier.
    virtual std::uint64_t size() const = 0;
    // Copies up to `count` bytes from `offset`; the number copied, fewer where the bytes end
    // (0 beyond them or on a read error).
    virtual std::size_t readAt(std::uint64_t offset, void* out, std::size_t count) = 0;

    // Up to `count` bytes from `offset`; shorter where the bytes end.
    std::vector<std::uint8_t> bytesAt(std::uint64_t offset, std::size_t count);
};

class MemorySource final : public Source {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::size_t readAt(std::uint64_t offset, void* out, std::size_t count) override;

private:
    std::span<const std::uint8_t> bytes_;
};

// Reads through a descriptor the caller keeps open.
class FileSource final : public Source {
public:
    FileSource(int descriptor, std::uint64_t size) : descriptor_(descriptor), size_(size) {}
    std::uint64_t size() const override { return size_; }
    std::size_t readAt(std::uint64_t offset, void* out, std::size_t count) override;

private:
    int descriptor_;
    std::uint64_t size_;
};

// Forward reading through a buffer, for run-length streams read a byte or a few at a time.
class StreamReader {
public:
    StreamReader(Source& source, std::uint64_t start) : source_(source), position_(start) {}

    // False, leaving `value` alone, when the bytes end first.
    bool read(std::uint8_t& value) {
        if (next_ == buffer_.size() && !refill()) {
            return false;
        }
        value = buffer_[next_++];
        return true;
    }
    // Copies `count` bytes; false when they are not all there.
    bool read(std::uint8_t* out, std::size_t count);
    // The offset of the next byte to be read.
    std::uint64_t position() const { return position_ - (buffer_.size() - next_); }

private:
    bool refill();

    Source& source_;
    std::uint64_t position_; // of the byte after the buffer's last
    std::vector<std::uint8_t> buffer_;
    std::size_t next_ = 0;
};

} // namespace imagefile
