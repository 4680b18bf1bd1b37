// Reading back how a picture file was written: the format bits that write it so again.
#include "image_file_calls.h"

#include "platform/picture_writing.h"

#include <gtest/gtest.h>

namespace {

using platform::PictureFormat;
using platform::pictureWritingOfFile;

constexpr std::uint32_t percent(std::uint32_t quality) {
    return quality << IP_JPEG_PERCENT_SHIFT;
}

class PictureWritingTest : public ::testing::Test {
protected:
    // Writes the test picture with `bits` and reads back how the file was written.
    platform::PictureWriting writtenAs(const std::string& name, std::uint32_t bits) {
        const std::string path = folder_.file(name);
        EXPECT_EQ(exportPicture(picture_, path, bits), IP_OK);
        return pictureWritingOfFile(path.c_str());
    }
    std::string path(const std::string& name) { return folder_.file(name); }

    const Picture picture_ = patternPicture(40, 24);
    ScratchFolder folder_;
};

TEST_F(PictureWritingTest, AJpegFileGivesBackTheQualityItWasWrittenWith) {
    for (std::uint32_t step = 1; step <= 9; ++step) {
        const auto writing = writtenAs("step.jpg", step << IP_JPEG_QUALITY_SHIFT);
        EXPECT_EQ(writing.format, PictureFormat::Jpeg);
        EXPECT_EQ(writing.bits, percent(step * 10)) << "step " << step;
    }
    for (std::uint32_t quality : {1u, 37u, 95u, 98u, 100u}) {
        EXPECT_EQ(writtenAs("percent.jpeg", percent(quality)).bits, percent(quality));
    }
    EXPECT_EQ(writtenAs("default.jpe", 0).bits, percent(75));
}

TEST_F(PictureWritingTest, AnExactQualityWritesTheSameFileAsTheStepOfThatQuality) {
    exportPicture(picture_, path("step.jpg"), 9u << IP_JPEG_QUALITY_SHIFT);
    exportPicture(picture_, path("percent.jpg"), percent(90));
    exportPicture(picture_, path("higher.jpg"), percent(96));
    EXPECT_EQ(fileBytes(path("step.jpg")), fileBytes(path("percent.jpg")));
    EXPECT_NE(fileBytes(path("step.jpg")), fileBytes(path("higher.jpg")));
    exportPicture(picture_, path("beyond.jpg"), percent(127));
    exportPicture(picture_, path("hundred.jpg"), percent(100));
    EXPECT_EQ(fileBytes(path("beyond.jpg")), fileBytes(path("hundred.jpg")));
}

TEST_F(PictureWritingTest, AJpegFileWithFullChromaIsWrittenAgainWithFullChroma) {
    constexpr std::uint32_t full = IP_JPEG_FULL_CHROMA;
    EXPECT_EQ(writtenAs("full.jpg", percent(95) | full).bits, percent(95) | full);
    EXPECT_EQ(writtenAs("step.jpg", (4u << IP_JPEG_QUALITY_SHIFT) | full).bits, percent(40) | full);
    EXPECT_EQ(writtenAs("half.jpg", percent(95)).bits, percent(95));

    // Saving a picture back to its file with the bits read from it writes the same file.
    for (const std::string name : {"full.jpg", "half.jpg"}) {
        const std::uint32_t bits = pictureWritingOfFile(path(name).c_str()).bits;
        EXPECT_EQ(writtenAs("again.jpg", bits).bits, bits);
        EXPECT_EQ(fileBytes(path("again.jpg")), fileBytes(path(name))) << name;
    }
}

TEST_F(PictureWritingTest, TiffCompressionAndPngInterlacingAreGivenBack) {
    EXPECT_EQ(writtenAs("packed.tif", IP_TIFF_PACKBITS).bits, std::uint32_t(IP_TIFF_PACKBITS));
    EXPECT_EQ(writtenAs("deflate.tif", IP_TIFF_DEFLATE).bits, std::uint32_t(IP_TIFF_DEFLATE));
    EXPECT_EQ(writtenAs("plain.tiff", IP_TIFF_UNCOMPRESSED).bits,
              std::uint32_t(IP_TIFF_UNCOMPRESSED));
    EXPECT_EQ(writtenAs("interlaced.png", IP_PNG_INTERLACED).bits,
              std::uint32_t(IP_PNG_INTERLACED));
    // The smallest-file compression leaves no trace in the file; only interlacing is kept.
    EXPECT_EQ(writtenAs("smallest.png", IP_PNG_SMALLEST).bits, 0u);
    const auto bmp = writtenAs("plain.bmp", 0);
    EXPECT_EQ(bmp.format, PictureFormat::Bmp);
    EXPECT_EQ(bmp.bits, 0u);
    EXPECT_EQ(writtenAs("plain.pcx", 0).format, PictureFormat::Pcx);
}

TEST_F(PictureWritingTest, TheContentDecidesTheFormatWhateverTheName) {
    const std::string misnamed = path("misnamed.jpg");
    exportPicture(picture_, path("real.png"), IP_PNG_INTERLACED);
    writeFile(misnamed, fileBytes(path("real.png")));
    const auto writing = pictureWritingOfFile(misnamed.c_str());
    EXPECT_EQ(writing.format, PictureFormat::Png);
    EXPECT_EQ(writing.bits, std::uint32_t(IP_PNG_INTERLACED));
}

TEST_F(PictureWritingTest, MissingCutAndHostileFilesGiveNoBits) {
    EXPECT_EQ(pictureWritingOfFile(path("missing.jpg").c_str()).format, PictureFormat::Unknown);
    exportPicture(picture_, path("whole.jpg"), percent(80));
    exportPicture(picture_, path("whole.tif"), IP_TIFF_DEFLATE);
    const std::vector<std::uint8_t> jpeg = fileBytes(path("whole.jpg"));
    const std::vector<std::uint8_t> tiff = fileBytes(path("whole.tif"));
    for (std::size_t length : {std::size_t(3), std::size_t(20), std::size_t(60)}) {
        writeFile(path("cut.jpg"), {jpeg.begin(), jpeg.begin() + std::ptrdiff_t(length)});
        EXPECT_EQ(pictureWritingOfFile(path("cut.jpg").c_str()).bits, 0u) << length;
        writeFile(path("cut.tif"), {tiff.begin(), tiff.begin() + std::ptrdiff_t(length)});
        EXPECT_EQ(pictureWritingOfFile(path("cut.tif").c_str()).bits, 0u) << length;
    }
    // A JPEG whose first quantisation table holds nothing but the largest values is written
    // again at the lowest quality, not at an arbitrary one.
    std::vector<std::uint8_t> coarse = jpeg;
    for (std::size_t i = 0; i + 4 < coarse.size(); ++i) {
        if (coarse[i] == 0xFF && coarse[i + 1] == 0xDB) {
            std::fill_n(coarse.begin() + std::ptrdiff_t(i + 5), 64, std::uint8_t{255});
            break;
        }
    }
    writeFile(path("coarse.jpg"), coarse);
    EXPECT_EQ(pictureWritingOfFile(path("coarse.jpg").c_str()).bits, percent(1));
}

} // namespace
