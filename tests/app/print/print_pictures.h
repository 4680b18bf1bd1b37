// Pictures for the printing tests: 24-bit pictures of one colour, or of one colour above
// another, with a resolution in their header or none.
#pragma once

#include "dib_image.h"
#include "dib_pattern.h"

#include <QColor>

#include <memory>

inline constexpr int ppmOf100Dpi = 3937; // 99.9998 pixels per inch

// The rows above `split` (counted from the top) take `top`, the others `bottom`.
inline std::unique_ptr<TDIBImage> twoColourPicture(int width, int height, QColor top, QColor bottom,
                                                   int split, int ppm = 0) {
    auto picture = patternDib(width, height);
    picture->Header->biXPelsPerMeter = ppm;
    picture->Header->biYPelsPerMeter = ppm;
    for (int y = 0; y < height; ++y) {
        const QColor colour = y < split ? top : bottom;
        std::uint8_t* row = picture->Bits + std::size_t(height - 1 - y) * picture->RowStride();
        for (int x = 0; x < width; ++x) {
            row[3 * x] = std::uint8_t(colour.blue());
            row[3 * x + 1] = std::uint8_t(colour.green());
            row[3 * x + 2] = std::uint8_t(colour.red());
        }
    }
    return picture;
}

inline std::unique_ptr<TDIBImage> solidPicture(int width, int height, QColor colour, int ppm = 0) {
    return twoColourPicture(width, height, colour, colour, height, ppm);
}
