#include "program_fixture.h"
#include "view_render.h"

namespace {
// The pattern's colour of image pixel (x, y).
QRgb patternColour(int x, int y) {
    return qRgb(x & 0xff, y & 0xff, (x + y) & 0xff);
}
} // namespace

TEST(ViewRender, OneToOneShowsThePixelsAndBlackBeyondThePicture) {
    const auto image = ProgramTest::pattern(50, 40);
    const QImage view = renderView(*image, 1, QPoint(10, 5), QRect(0, 0, 60, 50));
    EXPECT_EQ(view.size(), QSize(60, 50));
    EXPECT_EQ(view.pixel(0, 0), patternColour(10, 5));
    EXPECT_EQ(view.pixel(39, 34), patternColour(49, 39));
    EXPECT_EQ(view.pixel(40, 10), qRgb(0, 0, 0)) << "right of the picture";
    EXPECT_EQ(view.pixel(10, 35), qRgb(0, 0, 0)) << "below the picture";
}

TEST(ViewRender, MagnifiedPixelsLieOnTheGridWhereverTheClipStarts) {
    const auto image = ProgramTest::pattern(20, 20);
    // Zoom 3:1, clip starting in the middle of image pixel (1, 1) (client 4, 4).
    const QImage view = renderView(*image, 3, QPoint(0, 0), QRect(4, 4, 9, 9));
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 9; ++x) {
            EXPECT_EQ(view.pixel(x, y), patternColour((x + 4) / 3, (y + 4) / 3)) << x << "," << y;
        }
    }
    const QImage scrolled = renderView(*image, 3, QPoint(7, 2), QRect(0, 0, 6, 6));
    EXPECT_EQ(scrolled.pixel(0, 0), patternColour(2, 0));
    EXPECT_EQ(scrolled.pixel(2, 1), patternColour(3, 1)) << "client x 2 + scroll 7 = 9: pixel 3";
}

TEST(ViewRender, ReducedViewsTakeEveryNthPixel) {
    const auto image = ProgramTest::pattern(64, 64);
    const QImage view = renderView(*image, -4, QPoint(1, 0), QRect(0, 0, 16, 16));
    EXPECT_EQ(view.pixel(0, 0), patternColour(4, 0));
    EXPECT_EQ(view.pixel(3, 2), patternColour(16, 8));
    EXPECT_EQ(view.pixel(15, 15), qRgb(0, 0, 0)) << "(16 + 1) * 4 = 68 lies beyond 64";
}

TEST(ViewRender, PixelColourOfTrueColourAndIndexedPictures) {
    const auto image = ProgramTest::pattern(8, 8);
    EXPECT_EQ(pixelColour(*image, 3, 5), patternColour(3, 5));
    EXPECT_FALSE(pixelColour(*image, 8, 0));
    EXPECT_FALSE(pixelColour(*image, 0, -1));

    TDIBImage indexed;
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = 3;
    header.biHeight = 2;
    header.biPlanes = 1;
    header.biBitCount = 4;
    header.biClrUsed = 16;
    ASSERT_TRUE(indexed.CreateFromHeader(header));
    auto* table = reinterpret_cast<std::uint8_t*>(indexed.Header) + 40;
    for (int i = 0; i < 16; ++i) {
        table[4 * i] = std::uint8_t(i);          // blue
        table[4 * i + 1] = std::uint8_t(10 * i); // green
        table[4 * i + 2] = std::uint8_t(20 * i); // red
    }
    // Top row (stored last): pixels 0, 1, 2 use indexes 1, 2, 3.
    std::uint8_t* top = indexed.Bits + indexed.RowStride();
    top[0] = 0x12;
    top[1] = 0x30;
    EXPECT_EQ(pixelColour(indexed, 0, 0), qRgb(20, 10, 1)) << "the high nybble is the even pixel";
    EXPECT_EQ(pixelColour(indexed, 1, 0), qRgb(40, 20, 2));
    EXPECT_EQ(pixelColour(indexed, 2, 0), qRgb(60, 30, 3));
}
