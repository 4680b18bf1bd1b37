// Bounds-checked little-endian reading from a file's bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>

namespace imagefile {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes, std::size_t position = 0)
        : bytes_(bytes), position_(position) {}

    bool has(std::size_t count) const {
        return position_ <= bytes_.size() && count <= bytes_.size() - position_;
    }
    std::size_t position() const { return position_; }
    std::size_t remaining() const {
        return position_ <= bytes_.size() ? bytes_.size() - position_ : 0;
    }
    const std::uint8_t* here() const { return bytes_.data() + position_; }
    void skip(std::size_t count) { position_ += count; }

    // Each read returns false, and leaves `value` alone, when the bytes are not there.
    template <typename T> bool read(T& value) {
        if (!has(sizeof(T))) {
            return false;
        }
        std::memcpy(&value, bytes_.data() + position_, sizeof(T));
        position_ += sizeof(T);
        return true;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_;
};

} // namespace imagefile
