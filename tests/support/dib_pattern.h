// A 24-bit picture for the program's tests and benchmarks: pixel (x, y) is red x, green y,
// blue x + y (each mod 256), so every offset and flip shows.
#pragma once

#include "dib_image.h"

#include <memory>

inline std::unique_ptr<TDIBImage> patternDib(int width, int height) {
    auto image = std::make_unique<TDIBImage>();
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = rowStrideOf(header) * height;
    if (!image->CreateFromHeader(header)) {
        return nullptr;
    }
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = image->Bits + std::size_t(height - 1 - y) * image->RowStride();
        for (int x = 0; x < width; ++x) {
            row[3 * x] = std::uint8_t(x + y);
            row[3 * x + 1] = std::uint8_t(y);
            row[3 * x + 2] = std::uint8_t(x);
        }
    }
    return image;
}
