// JPEG reading through a fixed buffer, files cut short, files claiming more than they hold,
// memory limits and the largest picture the format can hold; the colour's resolution on
// writing, and read back from a file.
#include "image_file_calls.h"
#include "memory_budget.h"

#include "platform/picture_writing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <random>

#include <jpeglib.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct JpegOptions {
    int quality = 90;
    bool progressive = false;
    // The luminance's sampling factors against the colour's 1 x 1: 2 x 2 is 4:2:0, 2 x 1 is
    // 4:2:2, 1 x 1 is 4:4:4.
    int lumaColumns = 2;
    int lumaRows = 2;
    bool arithmetic = false;
    int commentBlocks = 0; // 65,533-byte comments between the header and the picture
};

Bytes encode(const Picture& picture, const JpegOptions& options) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, options.quality, TRUE);
    info.comp_info[0].h_samp_factor = options.lumaColumns;
    info.comp_info[0].v_samp_factor = options.lumaRows;
    if (options.progressive) {
        jpeg_simple_progression(&info);
    }
    info.arith_code = options.arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&info, TRUE);
    const Bytes comment(65533, 'c');
    for (int i = 0; i < options.commentBlocks; ++i) {
        jpeg_write_marker(&info, JPEG_COM, comment.data(), static_cast<unsigned>(comment.size()));
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW row =
            const_cast<std::uint8_t*>(picture.at(0, static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    Bytes file(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return file;
}

struct ReferenceErrors {
    jpeg_error_mgr base;
    std::jmp_buf escape;
};

void referenceFailed(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ReferenceErrors*>(info->err)->escape, 1);
}

void ignoreWarning(j_common_ptr, int) {}

// What libjpeg itself decodes from these bytes, reading from memory and delivering every row
// (also of data that ends early); empty when it fails.
Picture referenceDecode(const Bytes& file) {
    Picture picture;
    jpeg_decompress_struct info{};
    ReferenceErrors errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = referenceFailed;
    errors.base.emit_message = ignoreWarning;
    if (setjmp(errors.escape) != 0) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    picture.width = static_cast<int>(info.output_width);
    picture.height = static_cast<int>(info.output_height);
    picture.bgr.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = picture.at(0, static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_destroy_decompress(&info);
    return picture;
}

// Random pixels: they compress badly, so the file is about as large as the picture.
Picture noisePicture(int width, int height) {
    Picture picture{width, height, 0, 0, Bytes(static_cast<std::size_t>(width) * height * 3)};
    std::mt19937 random(7);
    std::uniform_int_distribution<int> sample(0, 255);
    for (std::uint8_t& value : picture.bgr) {
        value = static_cast<std::uint8_t>(sample(random));
    }
    return picture;
}

using Sampling = std::pair<int, int>; // horizontal, vertical

// Each component's sampling factors, as the file's frame header gives them.
std::vector<Sampling> samplingOf(const Bytes& file) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    std::vector<Sampling> sampling;
    for (int i = 0; i < info.num_components; ++i) {
        sampling.emplace_back(info.comp_info[i].h_samp_factor, info.comp_info[i].v_samp_factor);
    }
    jpeg_destroy_decompress(&info);
    return sampling;
}

Bytes rowOf(const Picture& picture, int y) {
    const std::uint8_t* start = picture.at(0, y);
    return {start, start + static_cast<std::size_t>(picture.width) * 3};
}

bool blackRow(const Picture& picture, int y) {
    const Bytes row = rowOf(picture, y);
    return std::all_of(row.begin(), row.end(), [](std::uint8_t v) { return v == 0; });
}

// The number of rows above the first of the black rows that run to the bottom.
int rowsAboveBlack(const Picture& picture) {
    int rows = picture.height;
    while (rows > 0 && blackRow(picture, rows - 1)) {
        --rows;
    }
    return rows;
}

Bytes cutTo(const Bytes& file, double share) {
    return {file.begin(), file.begin() + static_cast<std::ptrdiff_t>(file.size() * share)};
}

// The file with the frame header's picture size replaced.
Bytes withClaimedSize(Bytes file, std::uint16_t width, std::uint16_t height) {
    for (std::size_t i = 2; i + 9 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] >= 0xC0 && file[i + 1] <= 0xC2) {
            file[i + 5] = static_cast<std::uint8_t>(height >> 8);
            file[i + 6] = static_cast<std::uint8_t>(height & 0xFF);
            file[i + 7] = static_cast<std::uint8_t>(width >> 8);
            file[i + 8] = static_cast<std::uint8_t>(width & 0xFF);
            return file;
        }
    }
    return {};
}

class JpegFiles : public testing::Test {
protected:
    std::string save(const Bytes& file) {
        const std::string path = folder_.file("p" + std::to_string(serial_++) + ".jpg");
        writeFile(path, file);
        return path;
    }
    Picture read(const Bytes& file, int* code) { return importPicture(save(file), code); }
    // ipImportInd's result when the reading may take `budget` more bytes of address space.
    int importWithin(std::uint64_t budget, const Bytes& file) {
        return importCodeWithin(budget, save(file));
    }

    ScratchFolder folder_;
    int serial_ = 0;
};

// 3000 x 2000 pixels: 18,000,000 bytes at 24 bits, far above the reader's fixed overhead.
constexpr int bigWidth = 3000;
constexpr int bigHeight = 2000;
constexpr double bigPictureBytes = bigWidth * 3.0 * bigHeight;

} // namespace

TEST_F(JpegFiles, ReadsAcrossBufferRefillsAndSkippedMarkersExactlyAsLibjpegDecodes) {
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        JpegOptions options;
        options.progressive = progressive;
        options.commentBlocks = 3; // skipped partly inside the buffer, partly beyond it
        const Bytes file = encode(noisePicture(500, 300), options);
        ASSERT_GT(file.size(), 4u * 64 * 1024);
        int code = -1;
        const Picture picture = read(file, &code);
        EXPECT_EQ(code, IP_OK);
        EXPECT_EQ(picture.bgr, referenceDecode(file).bgr);
    }
}

TEST_F(JpegFiles, ProgressiveFullResolutionColourStillOpens) {
    JpegOptions options;
    options.progressive = true;
    // 4:4:4 needs twice the picture's size for its coefficients.
    options.lumaColumns = options.lumaRows = 1;
    const Bytes file = encode(patternPicture(bigWidth, bigHeight), options);
    int code = -1;
    const Picture picture = read(file, &code);
    EXPECT_EQ(code, IP_OK);
    EXPECT_EQ(picture.bgr, referenceDecode(file).bgr);
}

TEST_F(JpegFiles, PicturesOpenWithinTheirMemoryTargets) {
    if (!test_support::addressSpaceLimitsWork()) {
        GTEST_SKIP() << "address-space limits do not work under AddressSanitizer";
    }
    JpegOptions baseline;
    baseline.quality = 100;
    baseline.lumaColumns = baseline.lumaRows = 1;
    const Bytes large = encode(noisePicture(bigWidth, bigHeight), baseline);
    ASSERT_GT(large.size(), bigPictureBytes / 2) << "a whole-file copy would not fit beside it";
    EXPECT_EQ(importWithin(static_cast<std::uint64_t>(bigPictureBytes * 1.5), large), IP_OK);

    JpegOptions progressive;
    progressive.progressive = true;
    const Bytes layered = encode(noisePicture(bigWidth, bigHeight), progressive);
    EXPECT_EQ(importWithin(static_cast<std::uint64_t>(bigPictureBytes * 2.5), layered), IP_OK);
}

TEST_F(JpegFiles, RunningOutOfMemoryIsNotCalledDamage) {
    if (!test_support::addressSpaceLimitsWork()) {
        GTEST_SKIP() << "address-space limits do not work under AddressSanitizer";
    }
    JpegOptions options;
    options.progressive = true;
    const Bytes file = encode(patternPicture(bigWidth, bigHeight), options);
    // Room for the picture, none for libjpeg's coefficients of the same size.
    EXPECT_EQ(importWithin(static_cast<std::uint64_t>(bigPictureBytes * 1.25), file), IP_NO_MEMORY);
}

TEST_F(JpegFiles, ASingleScanCutShortStopsAtTheLastRowDecodedFromData) {
    const Bytes file = encode(noisePicture(256, 512), {});
    const Picture whole = referenceDecode(file);

    int code = -1;
    const Picture cut = read(cutTo(file, 0.12), &code);
    EXPECT_EQ(code, IP_INCOMPLETE);
    ASSERT_EQ(cut.height, 512);
    const int rows = rowsAboveBlack(cut);
    EXPECT_GE(rows, 512 / 16);
    EXPECT_LE(rows, 0.12 * 512 + 16) << "no made-up rows below the end of the data";
    for (int y = 0; y + 1 < rows; ++y) {
        ASSERT_EQ(rowOf(cut, y), rowOf(whole, y)) << "row " << y;
    }

    read(cutTo(file, 0.03), &code);
    EXPECT_EQ(code, IP_DAMAGED_FILE) << "less than a sixteenth of the rows";

    const Picture noEndMarker = read(Bytes(file.begin(), file.end() - 2), &code);
    EXPECT_EQ(code, IP_OK) << "every row is there, only the end marker is missing";
    EXPECT_EQ(noEndMarker.bgr, whole.bgr);
}

TEST_F(JpegFiles, AProgressiveFileCutShortDeliversEveryRowAsIncomplete) {
    JpegOptions options;
    options.progressive = true;
    const Bytes cut = cutTo(encode(noisePicture(256, 512), options), 0.5);
    int code = -1;
    const Picture picture = read(cut, &code);
    EXPECT_EQ(code, IP_INCOMPLETE);
    EXPECT_EQ(picture.bgr, referenceDecode(cut).bgr);
    EXPECT_FALSE(blackRow(picture, 511));
}

TEST_F(JpegFiles, ATinyFileClaimingAHugePictureIsRefusedWithoutItsMemory) {
    if (!test_support::addressSpaceLimitsWork()) {
        GTEST_SKIP() << "address-space limits do not work under AddressSanitizer";
    }
    for (bool progressive : {true, false}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        JpegOptions options;
        options.progressive = progressive;
        const Bytes hostile =
            withClaimedSize(encode(patternPicture(32, 32), options), 18900, 18900);
        ASSERT_FALSE(hostile.empty());
        ASSERT_LT(hostile.size(), 4096u);
        EXPECT_EQ(importWithin(256 << 20, hostile), IP_DAMAGED_FILE);
    }
}

TEST_F(JpegFiles, ArithmeticCodedFilesMayHoldLessThanABitPerBlock) {
    JpegOptions options;
    options.arithmetic = true;
    Picture flat = patternPicture(2048, 2048);
    std::fill(flat.bgr.begin(), flat.bgr.end(), std::uint8_t{90});
    const Bytes file = encode(flat, options);
    ASSERT_LT(file.size() * 8, 2048u * 2048 / 64) << "fewer bits than the picture has blocks";
    int code = -1;
    const Picture picture = read(file, &code);
    EXPECT_EQ(code, IP_OK);
    EXPECT_EQ(picture.bgr, referenceDecode(file).bgr);
}

TEST(JpegWriting, PicturesBeyondTheFormatsLargestSideAreRefusedUpFront) {
    ScratchFolder folder;
    EXPECT_EQ(exportPicture(patternPicture(65501, 1), folder.file("wide.jpg")), IP_BAD_BITMAP);
    EXPECT_EQ(exportPicture(patternPicture(1, 65501), folder.file("tall.jpg")), IP_BAD_BITMAP);
    EXPECT_EQ(folder.entries(), 0u) << "nothing is left behind";

    ASSERT_EQ(exportPicture(patternPicture(65500, 1), folder.file("widest.jpg")), IP_OK);
    int code = -1;
    EXPECT_EQ(importPicture(folder.file("widest.jpg"), &code).width, 65500);
    EXPECT_EQ(code, IP_OK);
}

TEST(JpegWriting, FullChromaKeepsTheColourAtTheLuminancesResolution) {
    ScratchFolder folder;
    const Picture picture = patternPicture(48, 32);
    const std::vector<Sampling> full = {{1, 1}, {1, 1}, {1, 1}};
    const std::vector<Sampling> half = {{2, 2}, {1, 1}, {1, 1}};
    const std::vector<std::pair<std::uint32_t, std::vector<Sampling>>> cases = {
        {(95u << IP_JPEG_PERCENT_SHIFT) | IP_JPEG_FULL_CHROMA, full},
        {(3u << IP_JPEG_QUALITY_SHIFT) | IP_JPEG_FULL_CHROMA, full},
        {IP_JPEG_FULL_CHROMA, full},
        {95u << IP_JPEG_PERCENT_SHIFT, half},
        {0, half},
    };
    for (const auto& [bits, sampling] : cases) {
        SCOPED_TRACE(bits);
        const std::string name = folder.file("chroma.jpg");
        ASSERT_EQ(exportPicture(picture, name, bits), IP_OK);
        EXPECT_EQ(samplingOf(fileBytes(name)), sampling);
    }
}

TEST(JpegWriting, OnlyColourAsFineAsTheLuminanceIsReadBackAsFullChroma) {
    ScratchFolder folder;
    const std::vector<std::pair<Sampling, bool>> cases = {
        {{1, 1}, true},  // 4:4:4
        {{2, 2}, false}, // 4:2:0
        {{2, 1}, false}, // 4:2:2
        {{1, 2}, false}, // 4:4:0
    };
    for (const auto& [luma, fullChroma] : cases) {
        SCOPED_TRACE(testing::Message() << luma.first << " x " << luma.second);
        JpegOptions options;
        options.quality = 85;
        options.lumaColumns = luma.first;
        options.lumaRows = luma.second;
        const std::string name = folder.file("sampled.jpg");
        writeFile(name, encode(patternPicture(40, 24), options));
        EXPECT_EQ(platform::pictureWritingOfFile(name.c_str()).bits,
                  (85u << IP_JPEG_PERCENT_SHIFT) |
                      (fullChroma ? std::uint32_t{IP_JPEG_FULL_CHROMA} : 0u));
    }
}
