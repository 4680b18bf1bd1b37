// Pictures for the panorama tests, a model loaded with them, and a pixel-by-pixel reference of
// what a built panorama must hold.
#pragma once

#include "dib_image.h"
#include "panorama_model.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

using Bgr = std::array<std::uint8_t, 3>;

constexpr Bgr whitePixel{0xFF, 0xFF, 0xFF};

// A 24-bit picture whose pixels differ from column to column, row to row and from one seed to
// the next, so every shift, flip and mix-up of pictures shows.
inline std::unique_ptr<TDIBImage> seededPicture(int width, int height, int seed) {
    auto image = std::make_unique<TDIBImage>();
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biXPelsPerMeter = 3000 + seed;
    header.biYPelsPerMeter = 4000 + seed;
    EXPECT_TRUE(image->CreateFromHeader(header));
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = image->Bits + std::size_t(height - 1 - y) * image->RowStride();
        for (int x = 0; x < width; ++x) {
            row[3 * x] = std::uint8_t(x + 31 * seed);
            row[3 * x + 1] = std::uint8_t(y + 57 * seed);
            row[3 * x + 2] = std::uint8_t((x * 3 + y * 5) ^ seed);
        }
        std::memset(row + 3 * width, 0xAB, image->RowStride() - 3 * width);
    }
    return image;
}

// Pixel (x, y), top row 0, of a bottom-up 24-bit picture.
inline Bgr pixelOf(const BITMAPINFOHEADER& header, const std::uint8_t* bits, int x, int y) {
    const std::size_t stride = std::size_t(header.biWidth * 3 + 3) / 4 * 4;
    const std::uint8_t* px = bits + std::size_t(header.biHeight - 1 - y) * stride + 3 * x;
    return {px[0], px[1], px[2]};
}

inline Bgr pixelOf(const TDIBImage& image, int x, int y) {
    return pixelOf(*image.Header, image.Bits, x, y);
}

// The pictures handed to a model, owned by the test.
struct PanoramaFixture {
    std::vector<std::unique_ptr<TDIBImage>> pictures;
    PanoramaModel model;

    void load(const std::vector<std::array<int, 2>>& sizes) {
        std::vector<PanoramaSource> sources;
        for (const auto& [width, height] : sizes) {
            pictures.push_back(seededPicture(width, height, int(pictures.size()) + 1));
            sources.push_back({QString("picture%1.jpg").arg(pictures.size()),
                               pictures.back()->Header, pictures.back()->Bits});
        }
        model.LoadImages(sources);
    }

    // Moves item `index` to a plane position.
    void place(int index, int left, int top) {
        const TImagePanoramaData& item = model.Items()[index];
        model.MoveBy(index, QPoint(left - item.Left, top - item.Top));
    }
};

// What the panorama holds at plane point (x, y): the first checked item, from the top, whose
// frame (cut to its picture) covers the point, else white.
inline Bgr expectedPixel(const std::vector<TImagePanoramaData>& items, int x, int y) {
    for (const TImagePanoramaData& item : items) {
        if (!item.Checked) {
            continue;
        }
        const int fx = x - item.Left;
        const int fy = y - item.Top;
        const int width = item.Header->biWidth;
        const int height = item.Header->biHeight;
        if (fx >= std::max(item.Frame.Left, 0) && fx < std::min(item.Frame.Right, width) &&
            fy >= std::max(item.Frame.Top, 0) && fy < std::min(item.Frame.Bottom, height)) {
            return pixelOf(*item.Header, item.Bits, fx, fy);
        }
    }
    return whitePixel;
}

// Checks every pixel of a result whose top-left lies at plane point `origin`, and that the
// rows' padding is zero.
inline void expectPanorama(const std::vector<TImagePanoramaData>& items, const TDIBImage& result,
                           QPoint origin) {
    int mismatches = 0;
    for (int y = 0; y < result.Height(); ++y) {
        for (int x = 0; x < result.Width(); ++x) {
            const Bgr expected = expectedPixel(items, origin.x() + x, origin.y() + y);
            if (pixelOf(result, x, y) != expected && ++mismatches <= 5) {
                ADD_FAILURE() << "result pixel (" << x << ", " << y << ") differs";
            }
        }
        const std::uint8_t* row =
            result.Bits + std::size_t(result.Height() - 1 - y) * result.RowStride();
        for (std::uint32_t i = std::uint32_t(result.Width()) * 3; i < result.RowStride(); ++i) {
            EXPECT_EQ(row[i], 0) << "padding of row " << y;
        }
    }
    EXPECT_EQ(mismatches, 0);
}
