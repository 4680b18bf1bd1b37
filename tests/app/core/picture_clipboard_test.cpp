#include "dib_image.h"
#include "dib_pattern.h"
#include "picture_clipboard.h"

#include <QMimeData>

#include <gtest/gtest.h>

#include <cstring>

namespace {
using picture_clipboard::Paste;

bool samePicture(const TDIBImage& a, const TDIBImage& b) {
    return a.HeaderSize() == b.HeaderSize() && a.ImageSize() == b.ImageSize() &&
           std::memcmp(a.Header, b.Header, a.HeaderSize()) == 0 &&
           std::memcmp(a.Bits, b.Bits, a.ImageSize()) == 0;
}

std::unique_ptr<TDIBImage> patternWithResolution(int width, int height) {
    auto image = patternDib(width, height);
    image->Header->biXPelsPerMeter = 11811; // 300 dpi
    image->Header->biYPelsPerMeter = 5906;  // 150 dpi
    return image;
}

// The blue, green, red bytes of picture pixel (x, y).
const std::uint8_t* pixel(const TDIBImage& image, int x, int y) {
    return image.Bits + std::size_t(image.Height() - 1 - y) * image.RowStride() + 3 * x;
}

QByteArray packedBytes(const TDIBImage& image) {
    return QByteArray(reinterpret_cast<const char*>(image.Header), image.HeaderSize()) +
           QByteArray(reinterpret_cast<const char*>(image.Bits), image.ImageSize());
}
} // namespace

TEST(PictureClipboard, ACopyPastesBackWithItsPixelsAndResolution) {
    auto image = patternWithResolution(37, 11); // rows padded to 4 bytes
    auto data = picture_clipboard::mimeDataOf(*image);
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(picture_clipboard::offersPicture(data.get()));
    std::unique_ptr<TDIBImage> pasted;
    ASSERT_EQ(picture_clipboard::pictureOf(data.get(), pasted), Paste::Picture);
    EXPECT_TRUE(samePicture(*pasted, *image));

    // Other programs read the BMP file: "BM", the file size, the rows behind the headers.
    const QByteArray file = data->data("image/bmp");
    ASSERT_TRUE(file.startsWith("BM"));
    EXPECT_EQ(file.mid(14), packedBytes(*image)) << "the packed bitmap behind a 14-byte header";
    std::uint32_t size = 0;
    std::uint32_t offset = 0;
    std::memcpy(&size, file.constData() + 2, 4);
    std::memcpy(&offset, file.constData() + 10, 4);
    EXPECT_EQ(size, std::uint32_t(file.size()));
    EXPECT_EQ(offset, 14 + image->HeaderSize());
    QMimeData bmpOnly;
    bmpOnly.setData("image/bmp", file);
    ASSERT_EQ(picture_clipboard::pictureOf(&bmpOnly, pasted), Paste::Picture);
    EXPECT_TRUE(samePicture(*pasted, *image));

    const QImage shown = qvariant_cast<QImage>(data->imageData());
    ASSERT_EQ(shown.size(), QSize(37, 11));
    const std::uint8_t* p = pixel(*image, 5, 2);
    EXPECT_EQ(shown.pixel(5, 2), qRgb(p[2], p[1], p[0]));
    EXPECT_EQ(shown.dotsPerMeterX(), 11811);
}

TEST(PictureClipboard, OtherProgramsColourPicturesComeOverWhite) {
    QImage argb(3, 2, QImage::Format_ARGB32);
    argb.fill(qRgba(10, 200, 30, 255));
    argb.setPixel(1, 0, qRgba(0, 0, 0, 0));       // transparent: white
    argb.setPixel(2, 1, qRgba(40, 80, 120, 255)); // opaque: as it is
    argb.setDotsPerMeterX(3937);
    argb.setDotsPerMeterY(7874);
    QMimeData data;
    data.setImageData(argb);
    std::unique_ptr<TDIBImage> pasted;
    ASSERT_EQ(picture_clipboard::pictureOf(&data, pasted), Paste::Picture);
    ASSERT_EQ(pasted->BitCount(), 24);
    EXPECT_EQ(pasted->Width(), 3);
    EXPECT_EQ(pasted->Height(), 2);
    EXPECT_EQ(pasted->Header->biXPelsPerMeter, 3937);
    EXPECT_EQ(pasted->Header->biYPelsPerMeter, 7874);
    const auto bgr = [&](int x, int y) {
        const std::uint8_t* p = pixel(*pasted, x, y);
        return std::array<int, 3>{p[0], p[1], p[2]};
    };
    EXPECT_EQ(bgr(0, 0), (std::array<int, 3>{30, 200, 10}));
    EXPECT_EQ(bgr(1, 0), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(bgr(2, 1), (std::array<int, 3>{120, 80, 40}));

    QImage rgb(2, 2, QImage::Format_RGB32);
    rgb.fill(qRgb(128, 128, 128)); // an all-grey colour picture is still a colour picture
    data.setImageData(rgb);
    EXPECT_EQ(picture_clipboard::pictureOf(&data, pasted), Paste::Picture);
}

TEST(PictureClipboard, IndexedGreyAndOneBitPicturesAreRefused) {
    std::unique_ptr<TDIBImage> pasted;
    for (const QImage::Format format :
         {QImage::Format_Indexed8, QImage::Format_Grayscale8, QImage::Format_Mono}) {
        QImage image(4, 4, format);
        if (format == QImage::Format_Indexed8) {
            image.setColorTable({qRgb(0, 0, 0), qRgb(255, 0, 0)});
        }
        image.fill(0);
        QMimeData data;
        data.setImageData(image);
        EXPECT_EQ(picture_clipboard::pictureOf(&data, pasted), Paste::NotTrueColour) << format;
    }

    // An 8-bit packed bitmap of our own.
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = 4;
    header.biHeight = 2;
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biClrUsed = 2;
    QByteArray bytes(reinterpret_cast<const char*>(&header), 40);
    bytes += QByteArray(2 * 4 + 2 * 4, '\0');
    QMimeData own;
    own.setData(picture_clipboard::ownFormat, bytes);
    EXPECT_EQ(picture_clipboard::pictureOf(&own, pasted), Paste::NotTrueColour);
    EXPECT_EQ(pasted, nullptr);
}

TEST(PictureClipboard, DamagedBitmapsAreCheckedBeforeAPixelIsRead) {
    auto image = patternDib(16, 16);
    const QByteArray whole = packedBytes(*image);
    std::unique_ptr<TDIBImage> pasted;
    for (const QByteArray& damaged :
         {whole.left(whole.size() - 1), whole.left(39), QByteArray(), whole.left(40)}) {
        QMimeData data;
        data.setData(picture_clipboard::ownFormat, damaged);
        EXPECT_EQ(picture_clipboard::pictureOf(&data, pasted), Paste::NoPicture)
            << damaged.size() << " bytes";
    }
    QByteArray huge = whole;
    const std::int32_t side = 70000;
    std::memcpy(huge.data() + 4, &side, 4);
    QMimeData data;
    data.setData(picture_clipboard::ownFormat, huge);
    EXPECT_EQ(picture_clipboard::pictureOf(&data, pasted), Paste::NoPicture);
    EXPECT_FALSE(picture_clipboard::offersPicture(nullptr));
    QMimeData text;
    text.setText("no picture");
    EXPECT_FALSE(picture_clipboard::offersPicture(&text));
    EXPECT_EQ(picture_clipboard::pictureOf(&text, pasted), Paste::NoPicture);
}
