// One bit per pixel of an image: which pixels an operation may change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>

namespace tintworks {

// Rows of ((width + 31) div 32) * 4 bytes, top row first; bit 7 of byte x div 8 is pixel x.
class BitMask {
public:
    // A mask with every bit clear, or nothing when memory is short.
    static std::optional<BitMask> create(std::int32_t width, std::int32_t height);

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    std::size_t stride() const { return stride_; }
    const std::uint8_t* row(std::int32_t y) const { return bits_.get() + y * stride_; }
    std::uint8_t* row(std::int32_t y) { return bits_.get() + y * stride_; }

    bool test(std::int32_t x, std::int32_t y) const {
        return (row(y)[x >> 3] & (0x80u >> (x & 7))) != 0;
    }
    void set(std::int32_t x, std::int32_t y) {
        row(y)[x >> 3] |= static_cast<std::uint8_t>(0x80u >> (x & 7));
    }
    // Sets the bits of pixels left .. right - 1 of row y.
    void setRun(std::int32_t y, std::int32_t left, std::int32_t right);

private:
    struct FreeBits {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    BitMask(std::int32_t width, std::int32_t height, std::size_t stride, std::uint8_t* bits)
        : width_(width), height_(height), stride_(stride), bits_(bits) {}

    std::int32_t width_;
    std::int32_t height_;
    std::size_t stride_;
    std::unique_ptr<std::uint8_t, FreeBits> bits_;
};

} // namespace tintworks
