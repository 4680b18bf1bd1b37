// Byte sources and sinks for processing files: the same reading code serves files on disk
// and bytes in memory.
#pragma once

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>

namespace tintworks {

static_assert(std::endian::native == std::endian::little,
              "processing files are little-endian and read as such");

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads exactly `size` bytes; false when they are not all there.
    virtual bool read(void* out, std::size_t size) = 0;
    // The number of bytes left to read.
    virtual std::uint64_t remaining() const = 0;

    template <typename T> bool readValue(T& value) { return read(&value, sizeof value); }
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool write(const void* data, std::size_t size) = 0;

    template <typename T> bool writeValue(const T& value) { return write(&value, sizeof value); }
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool read(void* out, std::size_t size) override {
        if (size > bytes_.size() - position_) {
            return false;
        }
        if (size == 0) {
            return true; // an empty body part may come with no buffer at all
        }
        std::memcpy(out, bytes_.data() + position_, size);
        position_ += size;
        return true;
    }
    std::uint64_t remaining() const override { return bytes_.size() - position_; }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

// Reads an open file from its current position; `size` is the file's length.
class FileSource : public ByteSource {
public:
    FileSource(std::FILE* file, std::uint64_t size) : file_(file), left_(size) {}
    bool read(void* out, std::size_t size) override {
        if (size == 0) {
            return true;
        }
        if (size > left_ || std::fread(out, 1, size, file_) != size) {
            return false;
        }
        left_ -= size;
        return true;
    }
    std::uint64_t remaining() const override { return left_; }

private:
    std::FILE* file_;
    std::uint64_t left_;
};

class FileSink : public ByteSink {
public:
    explicit FileSink(std::FILE* file) : file_(file) {}
    bool write(const void* data, std::size_t size) override {
        return size == 0 || std::fwrite(data, 1, size, file_) == size;
    }

private:
    std::FILE* file_;
};

} // namespace tintworks
