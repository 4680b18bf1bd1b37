#include "jpeg_codec.h"
#include "jpeg_image_handler.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

QImage gradient(int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixelColor(x, y, QColor(x * 255 / width, y * 255 / height, 128));
        }
    }
    return image;
}

PackedBitmap bitmapOfDepth(std::uint16_t bits, int width = 8, int height = 4) {
    const std::uint32_t stride = static_cast<std::uint32_t>((width * bits + 31) / 32 * 4);
    const std::uint32_t colours = bits <= 8 ? (1u << bits) : 0u;
    PackedBitmap b;
    b.bytes.assign(40 + 4 * colours + std::size_t{stride} * height, 0);
    const std::uint32_t size = 40;
    const std::uint16_t planes = 1;
    std::memcpy(&b.bytes[0], &size, 4);
    std::memcpy(&b.bytes[4], &width, 4);
    std::memcpy(&b.bytes[8], &height, 4);
    std::memcpy(&b.bytes[12], &planes, 2);
    std::memcpy(&b.bytes[14], &bits, 2);
    std::memcpy(&b.bytes[32], &colours, 4);
    return b;
}

QByteArray compress(TJPEGStreamCompressor& codec, const PackedBitmap& bitmap) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    codec.Target = &buffer;
    codec.Compress(bitmap);
    return bytes;
}

PackedBitmap decompress(TJPEGStreamDecompressor& codec, QByteArray bytes,
                        TJPEGDecompressor::Mode mode) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    codec.Source = &buffer;
    codec.ReadHeader();
    return codec.Decompress(mode);
}

PackedBitmap colourBitmap() {
    PackedBitmap b = bitmapOfDepth(24, 16, 16);
    for (std::size_t i = 40; i < b.bytes.size(); i += 3) {
        b.bytes[i] = 40;
        b.bytes[i + 1] = 120;
        b.bytes[i + 2] = 220;
    }
    return b;
}

} // namespace

TEST(JpegCodec, ColourRoundTripAndOptions) {
    TJPEGStreamCompressor compressor;
    TJPEGStreamDecompressor decompressor;
    const QByteArray plain = compress(compressor, colourBitmap());
    const PackedBitmap back = decompress(decompressor, plain, TJPEGDecompressor::TrueColour);
    ASSERT_EQ(back.bitCount(), 24);
    ASSERT_EQ(back.width(), 16);
    EXPECT_NEAR(back.rows()[0], 40, 3);
    EXPECT_NEAR(back.rows()[2], 220, 3);

    compressor.Progressive = true;
    EXPECT_TRUE(compress(compressor, colourBitmap()).contains(QByteArray("\xFF\xC2", 2)))
        << "progressive frame";
    compressor.Progressive = false;
    compressor.WriteAllTables = false;
    EXPECT_FALSE(compress(compressor, colourBitmap()).contains(QByteArray("\xFF\xDB", 2)))
        << "no tables";
    compressor.WriteAllTables = true;
    compressor.SetQuality(10);
    const int small = compress(compressor, colourBitmap()).size();
    compressor.SetQuality(95);
    EXPECT_GT(compress(compressor, colourBitmap()).size(), small);

    compressor.Comment = "Huemark";
    const QByteArray commented = compress(compressor, colourBitmap());
    std::vector<int> markers;
    std::vector<std::string> warnings;
    decompressor.OnMarker = [&](int code, bool&) { markers.push_back(code); };
    decompressor.OnWarning = [&](const std::string& w) { warnings.push_back(w); };
    decompress(decompressor, commented, TJPEGDecompressor::TrueColour);
    EXPECT_EQ(markers, std::vector<int>{30}) << "the comment marker, skipped when not handled";
    EXPECT_TRUE(warnings.empty()) << warnings.front();
}

TEST(JpegCodec, PaletteAndGreyOutput) {
    TJPEGStreamCompressor compressor;
    PackedBitmap four = bitmapOfDepth(4, 4, 2);
    four.bytes[40 + 4 * 3] = 200;                                        // blue of colour 3
    std::fill(four.bytes.begin() + 40 + 16 * 4, four.bytes.end(), 0x33); // every pixel colour 3
    TJPEGStreamDecompressor decompressor;
    const PackedBitmap back =
        decompress(decompressor, compress(compressor, four), TJPEGDecompressor::TrueColour);
    EXPECT_NEAR(back.rows()[0], 200, 4) << "4-bit pixels expanded through the colour table";

    compressor.Grayscale = true;
    const QByteArray grey = compress(compressor, colourBitmap());
    const PackedBitmap levels = decompress(decompressor, grey, TJPEGDecompressor::GreyLevels);
    ASSERT_EQ(levels.bitCount(), 8);
    ASSERT_EQ(levels.colorsUsed(), 64u);
    const std::vector<int> start = {0, 6, 13, 19, 25};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(levels.colorTable()[i * 4], start[i]);
    }
    EXPECT_EQ(levels.colorTable()[63 * 4], 255);
    EXPECT_LT(levels.rows()[0], 64) << "grey values divided by 4";
    EXPECT_THROW(decompress(decompressor, grey, TJPEGDecompressor::TrueColour), JpegError);

    compressor.Grayscale = false;
    const PackedBitmap quantised = decompress(decompressor, compress(compressor, colourBitmap()),
                                              TJPEGDecompressor::Quantised16);
    EXPECT_EQ(quantised.bitCount(), 4);
    EXPECT_LE(quantised.colorsUsed(), 16u);
}

TEST(JpegCodec, ErrorsWarningsAndAborts) {
    TJPEGStreamCompressor compressor;
    for (std::uint16_t bits : {1, 32}) {
        try {
            compress(compressor, bitmapOfDepth(bits));
            ADD_FAILURE() << "no error for " << bits << " bits";
        } catch (const JpegError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Unable to compress at " + std::to_string(bits) + " bit resolution");
        }
    }
    TJPEGStreamDecompressor decompressor;
    EXPECT_THROW(decompress(decompressor, QByteArray(), TJPEGDecompressor::TrueColour), JpegError)
        << "empty input";

    PackedBitmap noisy = bitmapOfDepth(24, 64, 64);
    for (std::size_t i = 40; i < noisy.bytes.size(); ++i) {
        noisy.bytes[i] = static_cast<std::uint8_t>(i * 7919 % 251);
    }
    const QByteArray whole = compress(compressor, noisy);
    std::vector<std::string> warnings;
    decompressor.OnWarning = [&](const std::string& w) { warnings.push_back(w); };
    const PackedBitmap cut =
        decompress(decompressor, whole.left(whole.size() * 9 / 10), TJPEGDecompressor::TrueColour);
    EXPECT_EQ(cut.width(), 64) << "a truncated file still decodes";
    ASSERT_FALSE(warnings.empty());
    EXPECT_NE(warnings.front().find("Premature end"), std::string::npos) << warnings.front();
    decompressor.OnWarning = nullptr;

    std::string inUse;
    compressor.OnProgress = [&] {
        try {
            compressor.SetBufferSize(100);
        } catch (const JpegError& e) {
            inUse = e.what();
        }
        compressor.Abort();
    };
    try {
        compress(compressor, bitmapOfDepth(24, 64, 64));
        ADD_FAILURE() << "not interrupted";
    } catch (const JpegError& e) {
        EXPECT_EQ(std::string(e.what()), "User Interrupt");
    }
    EXPECT_EQ(inUse, "Cannot change buffer size while buffer is in use");
    compressor.OnProgress = nullptr;
    EXPECT_EQ(compress(compressor, colourBitmap()).left(2), QByteArray("\xFF\xD8", 2))
        << "usable after an error";
}

TEST(JpegCodec, PicturesCompressAsTheir24BitBitmaps) {
    const QImage picture = gradient(7, 3); // 21 bytes a row: the bitmap pads them to 24
    PackedBitmap bitmap = bitmapOfDepth(24, 7, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 7; ++x) {
            const QColor c = picture.pixelColor(x, y);
            std::uint8_t* px = &bitmap.bytes[40 + 24 * (2 - y) + 3 * x]; // bottom-up, blue first
            px[0] = static_cast<std::uint8_t>(c.blue());
            px[1] = static_cast<std::uint8_t>(c.green());
            px[2] = static_cast<std::uint8_t>(c.red());
        }
    }
    TJPEGStreamCompressor compressor;
    const QByteArray expected = compress(compressor, bitmap);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    compressor.Target = &buffer;
    compressor.Compress(picture);
    EXPECT_EQ(bytes, expected);
}

TEST(JpegCodec, PicturesWithoutObtainablePixelsAreRefused) {
    TJPEGStreamCompressor compressor;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    compressor.Target = &buffer;
    // 100 million pixels a row fit a 1-bit picture but overflow a 24-bit row's size.
    const QImage tooWide(100'000'000, 1, QImage::Format_Mono);
    ASSERT_FALSE(tooWide.isNull());
    for (const QImage& picture : {QImage(), tooWide}) {
        try {
            compressor.Compress(picture);
            ADD_FAILURE() << "no error for a " << picture.width() << " pixel wide picture";
        } catch (const JpegError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot obtain a Device Independent Bitmap");
        }
    }
    EXPECT_TRUE(bytes.isEmpty()) << "nothing written";
}

TEST(JpegImageHandler, QtLoadsAndSavesJpegThroughTheCodec) {
    QTemporaryDir dir;
    const QString name = dir.filePath("picture.JPG");
    std::vector<QString> stages;
    JpegImageHandler::progressObserver = [&](JpegImageHandler::Stage stage, int,
                                             const QString& text) {
        if (stage != JpegImageHandler::Stage::Running || stages.empty() || stages.back() != text) {
            stages.push_back(text);
        }
    };
    QImageWriter writer(name, "jpg");
    writer.setQuality(90);
    ASSERT_TRUE(writer.write(gradient(40, 30))) << writer.errorString().toStdString();
    EXPECT_EQ(stages.front(), "Opening JPEG Image");
    EXPECT_NE(std::find(stages.begin(), stages.end(), "Compressing Image"), stages.end());
    stages.clear();

    QImageReader reader(name);
    const QImage loaded = reader.read();
    ASSERT_FALSE(loaded.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(loaded.text("Decoder"), "Huemark") << "decoded by the program's handler";
    EXPECT_EQ(loaded.size(), QSize(40, 30));
    EXPECT_NEAR(loaded.pixelColor(39, 0).red(), gradient(40, 30).pixelColor(39, 0).red(), 8);
    EXPECT_EQ(stages.front(), "Opening JPEG Image");
    EXPECT_EQ(stages.back(), "Decompression completed");
    JpegImageHandler::progressObserver = nullptr;

    QImage viaExtension(dir.filePath("picture.JPG"));
    EXPECT_FALSE(viaExtension.isNull());
    EXPECT_EQ(viaExtension.text("Decoder"), "Huemark");
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::addLibraryPath(HUEMARK_PLUGIN_DIR);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
