// Pictures of every depth drawn the right way up, pixel for pixel, without being copied where
// Qt reads their rows as they are; and the preview's small copies of them.
#include "picture_image.h"
#include "preview_pictures.h"
#include "print_pictures.h"

#include "dib_image.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

const QRgb palette[4] = {qRgb(10, 20, 30), qRgb(200, 100, 0), qRgb(0, 255, 0), qRgb(1, 2, 3)};

// A 3 x 2 picture of `bits` per pixel whose pixel (x, y) takes colour (x + 2 * y) % 4 of the
// palette (or that colour itself at 24 bits); row 0 is the top row.
std::unique_ptr<TDIBImage> smallPicture(int bits) {
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = 3;
    header.biHeight = 2;
    header.biPlanes = 1;
    header.biBitCount = std::uint16_t(bits);
    header.biClrUsed = bits < 24 ? (bits == 1 ? 2 : 4) : 0;
    auto picture = std::make_unique<TDIBImage>();
    EXPECT_TRUE(picture->CreateFromHeader(header));
    auto* table = reinterpret_cast<std::uint8_t*>(picture->Header) + 40;
    for (std::uint32_t i = 0; i < header.biClrUsed; ++i) {
        table[4 * i] = std::uint8_t(qBlue(palette[i]));
        table[4 * i + 1] = std::uint8_t(qGreen(palette[i]));
        table[4 * i + 2] = std::uint8_t(qRed(palette[i]));
        table[4 * i + 3] = 0;
    }
    std::memset(picture->Bits, 0, picture->ImageSize());
    for (int y = 0; y < 2; ++y) {
        std::uint8_t* row = picture->Bits + std::size_t(1 - y) * picture->RowStride();
        for (int x = 0; x < 3; ++x) {
            const int index = bits == 1 ? (x + y) % 2 : (x + 2 * y) % 4;
            switch (bits) {
            case 1:
                row[0] |= std::uint8_t(index << (7 - x));
                break;
            case 4:
                row[x / 2] |= std::uint8_t(index << (x % 2 == 0 ? 4 : 0));
                break;
            case 8:
                row[x] = std::uint8_t(index);
                break;
            default:
                row[3 * x] = std::uint8_t(qBlue(palette[index]));
                row[3 * x + 1] = std::uint8_t(qGreen(palette[index]));
                row[3 * x + 2] = std::uint8_t(qRed(palette[index]));
            }
        }
    }
    return picture;
}

QImage drawn(const TDIBImage& picture) {
    QImage canvas(5, 4, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    drawPicture(painter, QRect(1, 1, 3, 2), picture);
    return canvas;
}

TEST(PictureImage, EveryDepthIsDrawnTheRightWayUpInItsPlace) {
    for (int bits : {1, 4, 8, 24}) {
        const auto picture = smallPicture(bits);
        const QImage canvas = drawn(*picture);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                const int index = bits == 1 ? (x + y) % 2 : (x + 2 * y) % 4;
                EXPECT_EQ(canvas.pixel(1 + x, 1 + y), palette[index])
                    << bits << " bits, pixel " << x << "," << y;
            }
        }
        EXPECT_EQ(canvas.pixel(0, 0), qRgb(255, 255, 255)) << "nothing outside the target";
        EXPECT_EQ(canvas.pixel(4, 3), qRgb(255, 255, 255));
    }
}

TEST(PictureImage, RowsAreSharedWhereQtReadsThemAsStored) {
    for (int bits : {1, 8, 24}) {
        const auto picture = smallPicture(bits);
        EXPECT_EQ(storedRows(*picture).constBits(), picture->Bits) << bits;
    }
    EXPECT_TRUE(storedRows(TDIBImage()).isNull());
}

TEST(PreviewPictures, AreReducedTheRightWayUpAndKeptForTheirSize) {
    const auto picture = twoColourPicture(3000, 2000, QColor(255, 0, 0), QColor(0, 0, 255), 1000);
    TPreviewPictures previews;
    const QImage& shown = previews.At(*picture, QSize(90, 60));
    ASSERT_EQ(shown.size(), QSize(90, 60));
    EXPECT_EQ(shown.pixel(45, 5), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(45, 55), qRgb(0, 0, 255));
    const uchar* kept = shown.constBits();
    EXPECT_EQ(previews.At(*picture, QSize(90, 60)).constBits(), kept) << "not made again";
    EXPECT_EQ(previews.At(*picture, QSize(30, 20)).size(), QSize(30, 20));
    EXPECT_TRUE(previews.At(*picture, QSize(0, 20)).isNull());
}

} // namespace
