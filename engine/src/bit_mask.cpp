#include "bit_mask.h"

#include <cstring>

namespace tintworks {

std::optional<BitMask> BitMask::create(std::int32_t width, std::int32_t height) {
    if (width <= 0 || height <= 0) {
        return std::nullopt;
    }
    const std::size_t stride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
    auto* bits = static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(height), stride));
    if (bits == nullptr) {
        return std::nullopt;
    }
    return BitMask(width, height, stride, bits);
}

void BitMask::setRun(std::int32_t y, std::int32_t left, std::int32_t right) {
    std::uint8_t* bits = row(y);
    std::int32_t x = left;
    while (x < right && (x & 7) != 0) {
        bits[x >> 3] |= static_cast<std::uint8_t>(0x80u >> (x & 7));
        ++x;
    }
    const std::int32_t wholeBytes = (right - x) >> 3;
    if (wholeBytes > 0) {
        std::memset(bits + (x >> 3), 0xFF, static_cast<std::size_t>(wholeBytes));
        x += wholeBytes * 8;
    }
    while (x < right) {
        bits[x >> 3] |= static_cast<std::uint8_t>(0x80u >> (x & 7));
        ++x;
    }
}

} // namespace tintworks
