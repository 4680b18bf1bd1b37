// Turning pictures upright by their EXIF orientation, pixel by pixel against the orientation's
// definition: where the upright picture's pixel (x, y) lies in the stored picture.
#include "dib_image.h"
#include "image_orientation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr std::int32_t xResolution = 3780;
constexpr std::int32_t yResolution = 11811;

// Columns and rows counted from the top left corner as the picture is seen.
std::uint8_t* pixel(const TDIBImage& image, int x, int y) {
    return image.Bits + static_cast<std::size_t>(image.Height() - 1 - y) * image.RowStride() +
           static_cast<std::size_t>(x) * (image.BitCount() / 8);
}

// Every pixel of a 24-bit picture differs (column, row, both high halves); an 8-bit one differs
// from its neighbours and its mirror images.
std::vector<std::uint8_t> patternAt(int x, int y, std::uint16_t bits) {
    if (bits == 8) {
        return {static_cast<std::uint8_t>(x * 7 + y * 13 + x * y * 5 + 1)};
    }
    return {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
            static_cast<std::uint8_t>((x >> 8) << 4 | y >> 8)};
}

void makePicture(TDIBImage& image, int width, int height, std::uint16_t bits) {
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bits;
    header.biXPelsPerMeter = xResolution;
    header.biYPelsPerMeter = yResolution;
    ASSERT_TRUE(image.CreateFromHeader(header));
    image.Header->biSizeImage = image.ImageSize();
    std::memset(image.Bits, 0, image.ImageSize());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::vector<std::uint8_t> value = patternAt(x, y, bits);
            std::memcpy(pixel(image, x, y), value.data(), value.size());
        }
    }
}

// Where the upright pixel (x, y) lies in a stored picture of `width` x `height` pixels.
std::pair<int, int> storedPlace(int orientation, int x, int y, int width, int height) {
    switch (orientation) {
    case 2:
        return {width - 1 - x, y};
    case 3:
        return {width - 1 - x, height - 1 - y};
    case 4:
        return {x, height - 1 - y};
    case 5:
        return {y, x};
    case 6:
        return {y, height - 1 - x};
    case 7:
        return {width - 1 - y, height - 1 - x};
    case 8:
        return {width - 1 - y, x};
    default:
        return {x, y};
    }
}

// The first upright pixel that is not the stored pixel the orientation names, as "x,y"; empty
// when all are.
std::string firstWrongPixel(const TDIBImage& upright, int orientation, int width, int height) {
    const std::size_t bytes = upright.BitCount() / 8;
    for (int y = 0; y < upright.Height(); ++y) {
        for (int x = 0; x < upright.Width(); ++x) {
            const auto [sx, sy] = storedPlace(orientation, x, y, width, height);
            if (std::memcmp(pixel(upright, x, y), patternAt(sx, sy, upright.BitCount()).data(),
                            bytes) != 0) {
                return std::to_string(x) + "," + std::to_string(y);
            }
        }
    }
    return {};
}

} // namespace

TEST(ImageOrientation, TurnsEveryOrientationUprightPixelByPixel) {
    // Widths whose rows need padding, and sizes beyond the rotation's 64-pixel tiles.
    const std::vector<std::pair<int, int>> sizes{{7, 4}, {130, 67}, {1, 5}};
    for (const std::uint16_t bits : {std::uint16_t{24}, std::uint16_t{8}}) {
        for (const auto& [width, height] : sizes) {
            for (int orientation = 1; orientation <= 8; ++orientation) {
                TDIBImage image;
                makePicture(image, width, height, bits);
                ASSERT_EQ(TurnUpright(image, orientation), 0);
                const bool sideways = orientation >= 5;
                EXPECT_EQ(image.Width(), sideways ? height : width);
                EXPECT_EQ(image.Height(), sideways ? width : height);
                EXPECT_EQ(image.Header->biXPelsPerMeter, sideways ? yResolution : xResolution);
                EXPECT_EQ(image.Header->biYPelsPerMeter, sideways ? xResolution : yResolution);
                EXPECT_EQ(firstWrongPixel(image, orientation, width, height), "")
                    << bits << " bits, " << width << " x " << height << ", orientation "
                    << orientation;
                EXPECT_EQ(platform::memLockCount(image.Handle), 1u);
            }
        }
    }
}

TEST(ImageOrientation, UnknownOrientationsAndOtherDepthsLeaveThePicture) {
    TDIBImage image;
    makePicture(image, 9, 4, 24);
    const std::vector<std::uint8_t> before(image.Bits, image.Bits + image.ImageSize());
    for (const int orientation : {0, 1, 9, -6}) {
        EXPECT_EQ(TurnUpright(image, orientation), 0);
    }
    EXPECT_EQ(std::vector<std::uint8_t>(image.Bits, image.Bits + image.ImageSize()), before);

    TDIBImage deep;
    makePicture(deep, 4, 2, 24);
    deep.Header->biBitCount = 32;
    EXPECT_EQ(TurnUpright(deep, 6), -1);
    EXPECT_EQ(deep.Width(), 4);
}
