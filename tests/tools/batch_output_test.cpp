// huemark-batch's output options: JPEG quality and chroma, TIFF compression, PNG compression and
// interlacing, as the files the tool writes show them.
#include "batch_run.h"
#include "image_file_calls.h"

#include "platform/picture_writing.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t fullChroma = IP_JPEG_FULL_CHROMA;

constexpr std::uint32_t percent(std::uint32_t quality) {
    return quality << IP_JPEG_PERCENT_SHIFT;
}

constexpr std::uint32_t step(std::uint32_t quality) {
    return quality << IP_JPEG_QUALITY_SHIFT;
}

struct OutputCase {
    std::string options;
    std::uint32_t bits = 0; // the export flags the result must have been written with
};

// One picture corrected with a learned processing file: once as BMP, which holds the corrected
// pixels exactly, then with the options under test. The library writing those pixels with the
// expected flags must give the very file the tool wrote.
class BatchOutputTest : public testing::Test {
protected:
    void SetUp() override {
        Picture shot = patternPicture(96, 64);
        for (int y = 4; y < 12; ++y) {
            for (int x = 4; x < 12; ++x) {
                shot.at(x, y)[0] = 215; // a white card, a little off
                shot.at(x, y)[1] = 225;
                shot.at(x, y)[2] = 205;
            }
        }
        ASSERT_EQ(exportPicture(shot, input_), IP_OK);
        ASSERT_EQ(runBatch("learn " + input_ + " --white 4,4,12,12 --auto -o " + preset_).status,
                  0);
        const CommandRun bmp = apply("--format bmp", "bmp");
        ASSERT_EQ(bmp.status, 0) << bmp.output;
        corrected_ = importPicture(folder_.file("bmp/shot.bmp"));
        ASSERT_EQ(corrected_.width, 96);
    }

    CommandRun apply(const std::string& options, const std::string& outputFolder) {
        return runBatch("apply " + preset_ + " " + input_ + " --out " + folder_.file(outputFolder) +
                        " " + options);
    }

    // Runs the tool with the case's options into a folder of its own; the result's path.
    std::string resultOf(const OutputCase& c, const std::string& extension) {
        const std::string outputFolder = "run" + std::to_string(runs_++);
        const CommandRun run = apply(c.options, outputFolder);
        EXPECT_EQ(run.status, 0) << run.output;
        return folder_.file(outputFolder + "/shot." + extension);
    }

    void expectWrittenAs(const std::string& result, std::uint32_t bits) {
        const std::string expected = folder_.file("expected" + result.substr(result.rfind('.')));
        ASSERT_EQ(exportPicture(corrected_, expected, bits), IP_OK);
        EXPECT_EQ(fileBytes(result), fileBytes(expected));
    }

    ScratchFolder folder_;
    const std::string input_ = folder_.file("shot.png");
    const std::string preset_ = folder_.file("card.prs");
    Picture corrected_;
    int runs_ = 0;
};

// --quality 1..9 are the steps of earlier versions: their files must stay byte for byte those
// the steps made.
TEST_F(BatchOutputTest, JpegQualityInPercentAndFullChromaFromNinetyPercentUnlessAsked) {
    struct JpegCase {
        OutputCase output;
        std::uint32_t readBack = 0; // as pictureWritingOfFile gives the result's flags
    };
    const std::vector<JpegCase> cases = {
        {{"--format jpg", step(8)}, percent(80)},
        {{"--format jpg --quality 9", step(9) | fullChroma}, percent(90) | fullChroma},
        {{"--format jpg --quality 1", step(1)}, percent(10)},
        {{"--format jpg --quality 10", percent(10)}, percent(10)},
        {{"--format jpg --quality 89", percent(89)}, percent(89)},
        {{"--format jpg --quality 90", percent(90) | fullChroma}, percent(90) | fullChroma},
        {{"--format jpg --quality 100", percent(100) | fullChroma}, percent(100) | fullChroma},
        {{"--format jpg --jpeg-quality 73", percent(73)}, percent(73)},
        {{"--format jpg --jpeg-quality 9", percent(9)}, percent(9)},
        {{"--format jpg --jpeg-quality 1", percent(1)}, percent(1)},
        {{"--format jpg --quality 95 --chroma 420", percent(95)}, percent(95)},
        {{"--format jpg --quality 3 --chroma 444", step(3) | fullChroma}, percent(30) | fullChroma},
    };
    for (const auto& [output, readBack] : cases) {
        SCOPED_TRACE(output.options);
        const std::string result = resultOf(output, "jpg");
        expectWrittenAs(result, output.bits);
        const platform::PictureWriting writing = platform::pictureWritingOfFile(result.c_str());
        EXPECT_EQ(writing.format, platform::PictureFormat::Jpeg);
        EXPECT_EQ(writing.bits, readBack);
    }
}

TEST_F(BatchOutputTest, TiffCompressionsAreLosslessAndReadBack) {
    const std::vector<OutputCase> cases = {
        {"--format tif", IP_TIFF_UNCOMPRESSED},
        {"--format tif --tiff-compression none", IP_TIFF_UNCOMPRESSED},
        {"--format tif --tiff-compression packbits", IP_TIFF_PACKBITS},
        {"--format tif --tiff-compression deflate", IP_TIFF_DEFLATE},
    };
    for (const OutputCase& c : cases) {
        SCOPED_TRACE(c.options);
        const std::string result = resultOf(c, "tif");
        expectWrittenAs(result, c.bits);
        EXPECT_EQ(platform::pictureWritingOfFile(result.c_str()).bits, c.bits);
        EXPECT_EQ(importPicture(result), corrected_);
    }
}

TEST_F(BatchOutputTest, PngCompressionAndInterlacing) {
    const std::vector<OutputCase> cases = {
        {"", 0},
        {"--png-compression fast", 0},
        {"--png-compression smallest", IP_PNG_SMALLEST},
        {"--png-interlaced", IP_PNG_INTERLACED},
        {"--png-compression smallest --png-interlaced", IP_PNG_SMALLEST | IP_PNG_INTERLACED},
    };
    for (const OutputCase& c : cases) {
        SCOPED_TRACE(c.options);
        const std::string result = resultOf(c, "png");
        expectWrittenAs(result, c.bits);
        EXPECT_EQ(platform::pictureWritingOfFile(result.c_str()).bits, c.bits & IP_PNG_INTERLACED);
        EXPECT_EQ(importPicture(result), corrected_);
    }
    EXPECT_NE(fileBytes(folder_.file("run0/shot.png")), fileBytes(folder_.file("run2/shot.png")))
        << "the smallest setting compresses differently";
}

TEST_F(BatchOutputTest, EachFormatTakesOnlyItsOwnOptions) {
    const std::string options = "--quality 95 --tiff-compression deflate --png-interlaced";
    for (const auto& [format, bits] :
         std::vector<std::pair<std::string, std::uint32_t>>{{"jpg", percent(95) | fullChroma},
                                                            {"tif", IP_TIFF_DEFLATE},
                                                            {"png", IP_PNG_INTERLACED},
                                                            {"bmp", 0},
                                                            {"pcx", 0}}) {
        SCOPED_TRACE(format);
        expectWrittenAs(resultOf({"--format " + format + " " + options}, format), bits);
    }
}

TEST_F(BatchOutputTest, BadValuesAreRefusedAsWrongCommandLinesAndNothingIsWritten) {
    const int wrongCommandLine = apply("--quality 0", "refused").status;
    EXPECT_GT(wrongCommandLine, 1);
    for (const std::string options :
         {"--quality 101", "--quality high", "--jpeg-quality 0", "--jpeg-quality 101",
          "--jpeg-quality high", "--chroma 422", "--chroma 1", "--tiff-compression lzw",
          "--tiff-compression 2", "--png-compression best"}) {
        SCOPED_TRACE(options);
        const CommandRun refused = apply(options, "refused");
        EXPECT_EQ(refused.status, wrongCommandLine) << refused.output;
        EXPECT_TRUE(mentions(refused.output, options.substr(0, options.find(' ')) + ":"))
            << refused.output;
    }
    const CommandRun both = apply("--quality 80 --jpeg-quality 80", "refused");
    EXPECT_EQ(both.status, wrongCommandLine) << both.output;
    EXPECT_TRUE(mentions(both.output, "--quality excludes --jpeg-quality")) << both.output;
    EXPECT_FALSE(std::filesystem::exists(folder_.file("refused")));
}

} // namespace
