#include "dib_image.h"
#include "image_edits.h"

#include "dib_picture.h"
#include "image_file_calls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

BITMAPINFOHEADER headerOf(std::int32_t width, std::int32_t height, std::uint16_t bits,
                          std::uint32_t clrUsed = 0) {
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = bits;
    h.biClrUsed = clrUsed;
    return h;
}

// A 24-bit image holding the picture.
void fill(TDIBImage& image, const Picture& p) {
    image.AttachHandle(blockOf(p));
}

BgrColor at(const TDIBImage& image, int x, int y) {
    const std::uint8_t* px =
        image.Bits + static_cast<std::size_t>(image.Height() - 1 - y) * image.RowStride() + x * 3;
    return {px[0], px[1], px[2]};
}

BgrColor at(const Picture& p, int x, int y) {
    return {p.at(x, y)[0], p.at(x, y)[1], p.at(x, y)[2]};
}

int32_t TWK_CALL stopAtOnce(double) {
    return 0;
}

// An 8-bit picture with `table` as its colour table (biClrUsed as given) whose pixel (x, y),
// top row 0, holds index(x, y).
template <typename Index>
void makeEightBit(TDIBImage& image, int width, int height, const std::vector<BgrColor>& table,
                  std::uint32_t clrUsed, Index index) {
    ASSERT_TRUE(image.CreateFromHeader(headerOf(width, height, 8, clrUsed)));
    ASSERT_EQ(image.HeaderSize(), 40 + 4 * table.size());
    std::uint8_t* entries = reinterpret_cast<std::uint8_t*>(image.Header) + 40;
    for (std::size_t i = 0; i < table.size(); ++i) {
        std::memcpy(entries + 4 * i, table[i].data(), 3);
        entries[4 * i + 3] = 0;
    }
    std::memset(image.Bits, 0, image.ImageSize());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.Bits[static_cast<std::size_t>(height - 1 - y) * image.RowStride() + x] =
                index(x, y);
        }
    }
}

// The same picture at 24 bits: every pixel its colour table entry.
void convertToTwentyFourBits(const TDIBImage& eightBit, TDIBImage& result) {
    ASSERT_TRUE(result.CreateFromHeader(headerOf(eightBit.Width(), eightBit.Height(), 24)));
    const std::uint8_t* table = reinterpret_cast<const std::uint8_t*>(eightBit.Header) + 40;
    for (int stored = 0; stored < eightBit.Height(); ++stored) {
        const std::uint8_t* from = eightBit.Bits + std::size_t(stored) * eightBit.RowStride();
        std::uint8_t* to = result.Bits + std::size_t(stored) * result.RowStride();
        for (int x = 0; x < eightBit.Width(); ++x) {
            std::memcpy(to + 3 * x, table + 4 * from[x], 3);
        }
    }
}

// A thumbnail's pixel bytes row after row, without the padding at the row ends.
std::string pixelBytes(const QImage& thumbnail) {
    EXPECT_EQ(thumbnail.format(), QImage::Format_RGB888);
    std::string bytes;
    for (int y = 0; y < thumbnail.height(); ++y) {
        bytes.append(reinterpret_cast<const char*>(thumbnail.constScanLine(y)),
                     static_cast<std::size_t>(thumbnail.width()) * 3);
    }
    return bytes;
}

QImage thumbnailOf(const TDIBImage& image, QSize size, int horizontal, int vertical, bool keep) {
    return TDIBImage::MakeThumbnail(image.Header, image.Bits, size, horizontal, vertical, keep);
}

QColor colourOf(const BgrColor& bgr) {
    return QColor(bgr[2], bgr[1], bgr[0]);
}

} // namespace

TEST(DibImage, SizeArithmetic) {
    TDIBImage image;
    EXPECT_EQ(image.RowStride(), 0u) << "empty";
    EXPECT_EQ(image.HeaderSize(), 0u);
    for (const auto& [width, stride] : {std::pair{1, 4u}, std::pair{3, 12u}, std::pair{5, 16u}}) {
        ASSERT_TRUE(image.CreateFromHeader(headerOf(width, 2, 24)));
        EXPECT_EQ(image.RowStride(), stride);
        EXPECT_EQ(image.HeaderSize(), 40u);
        EXPECT_EQ(image.ImageSize(), 2 * stride);
        EXPECT_EQ(platform::memSize(image.Handle), 40 + 2 * stride);
    }
    ASSERT_TRUE(image.CreateFromHeader(headerOf(10, 1, 8)));
    EXPECT_EQ(image.HeaderSize(), 1064u);
    ASSERT_TRUE(image.CreateFromHeader(headerOf(10, 1, 8, 16)));
    EXPECT_EQ(image.HeaderSize(), 104u);
    EXPECT_EQ(image.Bits, reinterpret_cast<std::uint8_t*>(image.Header) + 104);
}

TEST(DibImage, ClearWithoutFreeingLeavesTheBlockToItsNewOwner) {
    TDIBImage image;
    ASSERT_TRUE(image.CreateFromHeader(headerOf(4, 4, 24)));
    image.Corrected = true;
    platform::MemHandle block = image.Handle;
    image.Clear(false);
    EXPECT_EQ(image.Handle, nullptr);
    EXPECT_EQ(image.Header, nullptr);
    EXPECT_TRUE(image.Corrected) << "Corrected keeps its value";
    EXPECT_EQ(platform::memSize(block), 40u + 48u) << "still allocated";
    EXPECT_EQ(platform::memLockCount(block), 1u);
    platform::memFree(block);
}

TEST(DibImage, CreateLikeCopiesHeaderAndColourTable) {
    TDIBImage source;
    ASSERT_TRUE(source.CreateFromHeader(headerOf(3, 2, 8, 2)));
    std::memcpy(reinterpret_cast<std::uint8_t*>(source.Header) + 40, "\1\2\3\0\4\5\6\0", 8);
    source.Header->biXPelsPerMeter = 1234;
    TDIBImage copy;
    ASSERT_TRUE(copy.CreateLike(source));
    EXPECT_EQ(std::memcmp(copy.Header, source.Header, 48), 0);
    EXPECT_NE(copy.Handle, source.Handle);
}

TEST(DibImage, CopyRectFromIsFor24BitPicturesOnly) {
    TDIBImage target;
    fill(target, patternPicture(6, 5));
    TDIBImage source;
    const Picture s = patternPicture(4, 4);
    fill(source, s);
    ASSERT_TRUE(target.CopyRectFrom(source, QRect(1, 1, 2, 2), QPoint(4, 0)));
    EXPECT_EQ(at(target, 4, 0), at(s, 1, 1));
    EXPECT_EQ(at(target, 5, 1), at(s, 2, 2));
    ASSERT_TRUE(target.CopyRectFrom(source, QRect(0, 0, 4, 4), QPoint(4, 3)))
        << "clipped at the edges";
    EXPECT_EQ(at(target, 5, 4), at(s, 1, 1));
    TDIBImage eightBit;
    ASSERT_TRUE(eightBit.CreateFromHeader(headerOf(4, 4, 8)));
    EXPECT_FALSE(eightBit.CopyRectFrom(source, QRect(0, 0, 2, 2), QPoint(0, 0)));
}

TEST(DibImage, ExtractColorAsksTheEngine) {
    Picture p = patternPicture(10, 10);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            std::uint8_t* px = p.at(x, y);
            px[0] = y == 0 ? 50 : 200;
            px[1] = 100;
            px[2] = y == 0 ? 200 : 50;
        }
    }
    TDIBImage image;
    fill(image, p);
    EXPECT_EQ(image.ExtractColor(QRect(0, 0, 10, 10)), (BgrColor{200, 100, 50}));
    TDIBImage empty;
    EXPECT_EQ(empty.ExtractColor(QRect(0, 0, 2, 2)), (BgrColor{0, 0, 0})) << "the engine refuses";
    const TImageDesc d = image.Describe();
    EXPECT_EQ(d.Stride, 32);
    EXPECT_EQ(d.RowOrder, TWK_ROWS_BOTTOM_UP);
    EXPECT_EQ(d.BytesPerPixel, 3);
    const void* pixels = d.Pixels; // a packed field, copied before comparing
    EXPECT_EQ(pixels, image.Bits);
}

TEST(DibImage, ANewPictureHasZeroRowPadding) {
    // Width 5: 15 bytes of pixels, 16 per row. The padding goes into files and collections.
    for (int round = 0; round < 3; ++round) {
        TDIBImage image;
        ASSERT_TRUE(image.CreateFromHeader(headerOf(5, 4, 24)));
        ASSERT_EQ(image.RowStride(), 16);
        for (int y = 0; y < 4; ++y) {
            EXPECT_EQ(image.Bits[y * 16 + 15], 0) << "row " << y;
        }
        std::memset(image.Bits, 0xAB, 16 * 4); // what a freed block would leave behind
    }
}

TEST(DibImage, CropResizeAndThePartsBuiltOnThem) {
    const Picture p = patternPicture(7, 5);
    TDIBImage image;
    fill(image, p);
    platform::MemHandle cropped = image.CopyRectToHandle(QRect(2, 1, 3, 2));
    const Picture c = pictureOf(cropped);
    platform::memFree(cropped);
    ASSERT_EQ(c.width, 3);
    ASSERT_EQ(c.height, 2);
    EXPECT_EQ(at(c, 0, 0), at(p, 2, 1));
    EXPECT_EQ(at(c, 2, 1), at(p, 4, 2));
    EXPECT_EQ(image.Width(), 7) << "the source header is restored";

    TDIBImage bigger;
    ASSERT_EQ(Resize(image, 21, 5, nullptr, bigger), 0);
    EXPECT_EQ(at(bigger, 20, 0), at(p, 6, 0)) << "kept inside the picture";
    EXPECT_EQ(at(bigger, 3, 4), at(p, 1, 4));
    TDIBImage stopped;
    EXPECT_EQ(Resize(image, 3, 3, stopAtOnce, stopped), -2);
    EXPECT_EQ(stopped.Handle, nullptr);

    const QImage thumb =
        TDIBImage::MakeThumbnail(image.Header, image.Bits, QSize(20, 20), 2, 1, true);
    ASSERT_EQ(thumb.size(), QSize(20, 20));
    const int height = 14; // 5 * 20 / 7, rounded
    EXPECT_EQ(thumb.pixelColor(0, 20 - height - 1), QColor(Qt::white))
        << "above the picture, aligned to the bottom";
    EXPECT_EQ(thumb.pixelColor(0, 19), QColor(at(p, 0, 4)[2], at(p, 0, 4)[1], at(p, 0, 4)[0]));
    EXPECT_TRUE(TDIBImage::MakeThumbnail(nullptr, nullptr, QSize(4, 4), 0, 0, true).isNull());
}

TEST(DibImage, ThumbnailOfAnEightBitPictureEqualsTheOneOfItsTwentyFourBitCopy) {
    std::vector<BgrColor> colours(256);
    for (int i = 0; i < 256; ++i) {
        colours[i] = {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7)};
    }
    std::vector<BgrColor> greys(64); // 64 entries used, as in the JPEG codec's grey output
    for (int i = 0; i < 64; ++i) {
        greys[i] = {std::uint8_t(i * 4), std::uint8_t(i * 4), std::uint8_t(i * 4)};
    }
    const auto colourIndex = [](int x, int y) { return std::uint8_t(x * 37 + y * 11); };
    const auto greyIndex = [](int x, int y) { return std::uint8_t((x * 9 + y * 5) % 64); };
    TDIBImage colour;
    ASSERT_NO_FATAL_FAILURE(makeEightBit(colour, 7, 5, colours, 0, colourIndex));
    TDIBImage grey;
    ASSERT_NO_FATAL_FAILURE(makeEightBit(grey, 7, 5, greys, 64, greyIndex));
    const struct {
        QSize size;
        int horizontal, vertical;
        bool keep;
    } cases[] = {{QSize(20, 20), 2, 1, true},
                 {QSize(3, 9), 0, 0, false},
                 {QSize(16, 16), 1, 2, true},
                 {QSize(40, 12), 2, 2, true}};
    for (const TDIBImage* eightBit : {&colour, &grey}) {
        TDIBImage twentyFour;
        ASSERT_NO_FATAL_FAILURE(convertToTwentyFourBits(*eightBit, twentyFour));
        for (const auto& c : cases) {
            const QImage thumbnail =
                thumbnailOf(*eightBit, c.size, c.horizontal, c.vertical, c.keep);
            ASSERT_EQ(thumbnail.size(), c.size);
            EXPECT_EQ(pixelBytes(thumbnail),
                      pixelBytes(thumbnailOf(twentyFour, c.size, c.horizontal, c.vertical, c.keep)))
                << (eightBit == &grey ? "grey " : "colour ") << c.size.width() << "x"
                << c.size.height();
        }
    }
    const QImage thumbnail = thumbnailOf(colour, QSize(20, 20), 2, 1, true);
    EXPECT_EQ(thumbnail.pixelColor(0, 19), colourOf(colours[colourIndex(0, 4)]))
        << "the bottom left pixel through the colour table";
    EXPECT_EQ(thumbnail.pixelColor(0, 5), QColor(Qt::white)) << "above the picture";
}

TEST(DibImage, ThumbnailShowsBlackForAnIndexBeyondTheColourTable) {
    const std::vector<BgrColor> table = {BgrColor{10, 20, 30}, BgrColor{200, 150, 100}};
    // Index 2 lies just beyond the two entries, where the pixel rows begin: reading there
    // would show the picture's own bytes (blue 2, green 1, red 1) instead of black.
    const auto index = [](int x, int) { return std::uint8_t(x == 0 ? 2 : 1); };
    TDIBImage image;
    ASSERT_NO_FATAL_FAILURE(makeEightBit(image, 3, 2, table, 2, index));
    ASSERT_EQ(image.Bits, reinterpret_cast<std::uint8_t*>(image.Header) + 48);
    const QImage thumbnail = thumbnailOf(image, QSize(3, 2), 0, 0, false);
    ASSERT_EQ(thumbnail.size(), QSize(3, 2));
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(thumbnail.pixelColor(0, y), QColor(Qt::black)) << "row " << y;
        EXPECT_EQ(thumbnail.pixelColor(1, y), colourOf(table[1]));
        EXPECT_EQ(thumbnail.pixelColor(2, y), colourOf(table[1]));
    }
}

TEST(DibImage, FilesThroughTheImageFileLibrary) {
    ScratchFolder folder;
    const Picture p = patternPicture(9, 4);
    TDIBImage image;
    fill(image, p);
    ASSERT_EQ(image.SaveToFile(folder.file("a.png").c_str(), nullptr, 0), 0);
    TDIBImage loaded;
    ASSERT_EQ(loaded.LoadFromFile(folder.file("a.png").c_str(), nullptr), 0);
    EXPECT_EQ(pictureOf(loaded.Handle), p);
    EXPECT_EQ(loaded.LoadFromFile(folder.file("missing.png").c_str(), nullptr), IP_FILE_NOT_FOUND);
    EXPECT_EQ(loaded.SaveToFile(folder.file("a.gif").c_str(), nullptr, 0), IP_UNKNOWN_FORMAT);
    EXPECT_EQ(loaded.SaveToFile(
                  folder.file("b.bmp").c_str(), [](int32_t, int32_t) -> int32_t { return -1; }, 0),
              -1)
        << "cancelled";
}
