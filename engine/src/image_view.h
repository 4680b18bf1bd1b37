// A checked view of a caller's pixel buffer and the rectangles that address it.
#pragma once

#include "tintworks.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace tintworks {

// A colour in pixel byte order (channel 0, 1, 2, 3); only the first BytesPerPixel channels
// carry meaning.
using Color4 = std::array<std::uint8_t, 4>;

constexpr Color4 blackColor{0, 0, 0, 0};
constexpr Color4 whiteColor{255, 255, 255, 255};

// A rectangle in image coordinates, right and bottom exclusive.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool empty() const { return left >= right || top >= bottom; }
    std::int32_t height() const { return empty() ? 0 : bottom - top; }
};

struct ImageView {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::ptrdiff_t stride = 0;
    std::int32_t bytesPerPixel = 0;
    bool bottomUp = false;
    std::uint8_t* pixels = nullptr;

    std::uint8_t* row(std::int32_t y) const {
        return pixels + (bottomUp ? height - 1 - y : y) * stride;
    }
    const std::uint8_t* pixel(std::int32_t x, std::int32_t y) const {
        return row(y) + static_cast<std::ptrdiff_t>(x) * bytesPerPixel;
    }
    Rect bounds() const { return {0, 0, width, height}; }
    // The same layout over other pixels (the destination of an operation).
    ImageView withPixels(void* other) const {
        ImageView view = *this;
        view.pixels = static_cast<std::uint8_t*>(other);
        return view;
    }
};

// A view of the described image, or nothing when it cannot be processed: nil pixels, a
// size that is not positive, bytes per pixel other than 3 or 4, a stride shorter than a
// row, or a row order other than bottom-up and top-down.
std::optional<ImageView> viewOf(const TImageDesc& desc);

// The colour of the pixel at p (as many channels as the image has; the others 0).
inline Color4 colorAt(const std::uint8_t* p, std::int32_t bytesPerPixel) {
    Color4 c{p[0], p[1], p[2], 0};
    if (bytesPerPixel == 4) {
        c[3] = p[3];
    }
    return c;
}

Rect clipped(Rect rect, const Rect& to);

// The rectangle of a region record clipped to the image; the whole image for nil.
Rect regionRect(const TImageRegion* region, const ImageView& image);

Rect areaRect(const TRefArea& area, const ImageView& image);

// The largest and smallest of the image's channels of a colour.
std::uint8_t maxChannel(const Color4& c, std::int32_t bytesPerPixel);
std::uint8_t minChannel(const Color4& c, std::int32_t bytesPerPixel);

} // namespace tintworks
