// A picture as the image-file library hands it over (a packed 24-bit bottom-up bitmap in a
// movable memory block), locked while it is looked at or corrected.
#pragma once

#include "platform/memory_block.h"
#include "tintworks.h"

#include <cstddef>
#include <cstdint>

class LockedPicture {
public:
    explicit LockedPicture(platform::MemHandle block);
    ~LockedPicture();
    LockedPicture(const LockedPicture&) = delete;
    LockedPicture& operator=(const LockedPicture&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    std::size_t stride() const { return static_cast<std::size_t>((width_ * 24 + 31) / 32 * 4); }
    // The pixel rows, the bottom row first.
    std::uint8_t* pixels() const { return data_ + 40; }
    std::size_t pixelBytes() const { return stride() * static_cast<std::size_t>(height_); }
    // The pixels as the engine reads them; `pixels` may be another buffer of the same layout.
    TImageDesc imageDesc(std::uint8_t* pixels) const;
    TImageDesc imageDesc() const { return imageDesc(pixels()); }
    // Blue, green, red of the pixel at x, y from the top left corner.
    const std::uint8_t* pixel(int x, int y) const;

private:
    platform::MemHandle block_;
    std::uint8_t* data_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
};
