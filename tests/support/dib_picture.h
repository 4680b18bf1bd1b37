// Pictures as packed 24-bit bitmaps in movable memory blocks, for the image-file tests.
#pragma once

#include "platform/memory_block.h"

#include <cstdint>
#include <cstring>
#include <vector>

// A picture held as top-down rows of blue, green, red.
struct Picture {
    int width = 0;
    int height = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::vector<std::uint8_t> bgr;

    std::uint8_t* at(int x, int y) {
        return bgr.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    }
    const std::uint8_t* at(int x, int y) const {
        return bgr.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    }
    bool operator==(const Picture&) const = default;
};

// A pattern whose every row and column differ, so flips and shifts show.
inline Picture patternPicture(int width, int height) {
    Picture p{width, height, 11811, 5906,
              std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* px = p.at(x, y);
            px[0] = static_cast<std::uint8_t>(x * 255 / (width > 1 ? width - 1 : 1));
            px[1] = static_cast<std::uint8_t>(y * 255 / (height > 1 ? height - 1 : 1));
            px[2] = static_cast<std::uint8_t>((x * 7 + y * 13) & 0xFF);
        }
    }
    return p;
}

inline std::size_t stride24(int width) {
    return static_cast<std::size_t>((width * 24 + 31) / 32 * 4);
}

inline platform::MemHandle blockOf(const Picture& p, std::uint16_t bitCount = 24) {
    const std::size_t stride = stride24(p.width);
    platform::MemHandle block = platform::memAlloc(40 + stride * p.height, platform::MemZeroInit);
    auto* data = static_cast<std::uint8_t*>(platform::memLock(block));
    const std::uint32_t size = 40;
    const std::uint16_t planes = 1;
    std::memcpy(data, &size, 4);
    std::memcpy(data + 4, &p.width, 4);
    std::memcpy(data + 8, &p.height, 4);
    std::memcpy(data + 12, &planes, 2);
    std::memcpy(data + 14, &bitCount, 2);
    std::memcpy(data + 24, &p.xPelsPerMeter, 4);
    std::memcpy(data + 28, &p.yPelsPerMeter, 4);
    for (int y = 0; y < p.height; ++y) {
        std::memcpy(data + 40 + (p.height - 1 - y) * stride, p.at(0, y),
                    static_cast<std::size_t>(p.width) * 3);
    }
    platform::memUnlock(block);
    return block;
}

// The picture in a block as the library hands it back; empty when the header is not the
// expected 40-byte 24-bit bottom-up one.
inline Picture pictureOf(platform::MemHandle block) {
    Picture p;
    const auto* data = static_cast<const std::uint8_t*>(platform::memLock(block));
    std::uint32_t size = 0;
    std::uint16_t bitCount = 0;
    std::memcpy(&size, data, 4);
    std::memcpy(&p.width, data + 4, 4);
    std::memcpy(&p.height, data + 8, 4);
    std::memcpy(&bitCount, data + 14, 2);
    std::memcpy(&p.xPelsPerMeter, data + 24, 4);
    std::memcpy(&p.yPelsPerMeter, data + 28, 4);
    const std::size_t stride = stride24(p.width);
    if (size == 40 && bitCount == 24 && p.width > 0 && p.height > 0 &&
        platform::memSize(block) >= 40 + stride * p.height) {
        p.bgr.resize(static_cast<std::size_t>(p.width) * p.height * 3);
        for (int y = 0; y < p.height; ++y) {
            std::memcpy(p.at(0, y), data + 40 + (p.height - 1 - y) * stride,
                        static_cast<std::size_t>(p.width) * 3);
        }
    }
    platform::memUnlock(block);
    return p;
}
