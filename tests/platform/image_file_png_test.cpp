// The PNG reader on large, truncated and hostile files: it reads through the file, composes
// alpha row by row, refuses headers its data cannot fill, and keeps the rows of a file that
// breaks off. And the writer's two compressions, the fast default and the smallest.
#include "image_file_calls.h"
#include "memory_budget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include <png.h>
#include <zlib.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Rgba {
    std::uint8_t r, g, b, a;
};
using PixelSource = std::function<Rgba(int x, int y)>;

std::uint8_t hashByte(std::uint32_t x, std::uint32_t y, std::uint32_t channel) {
    std::uint32_t h = x * 73856093u ^ y * 19349663u ^ channel * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<std::uint8_t>(h);
}

// Pixels that deflate cannot shrink, so that a cut in the file is a cut in the rows.
Rgba noise(int x, int y) {
    const auto ux = static_cast<std::uint32_t>(x), uy = static_cast<std::uint32_t>(y);
    return {hashByte(ux, uy, 0), hashByte(ux, uy, 1), hashByte(ux, uy, 2), hashByte(ux, uy, 3)};
}

// Smooth colours with every alpha value, quick to compress.
Rgba gradient(int x, int y) {
    return {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
            static_cast<std::uint8_t>(x + 2 * y), static_cast<std::uint8_t>(x * 3 + y)};
}

std::uint8_t onWhite(unsigned value, unsigned alpha) {
    return static_cast<std::uint8_t>((value * alpha + 255u * (255u - alpha) + 127u) / 255u);
}

struct PngLayout {
    int width = 0;
    int height = 0;
    bool alpha = false;
    bool interlaced = false;
    int compressionLevel = 1;
    bool keyColour = false; // RGB pixels of colour 10, 20, 30 are transparent
};

constexpr Rgba transparentKey{10, 20, 30, 255};

void appendTo(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

// An 8-bit RGB or RGBA file written by libpng, rows made one at a time.
Bytes pngFile(const PngLayout& layout, const PixelSource& pixel) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, appendTo, nullptr);
    png_set_compression_level(png, layout.compressionLevel);
    png_set_IHDR(png, info, static_cast<png_uint_32>(layout.width),
                 static_cast<png_uint_32>(layout.height), 8,
                 layout.alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color_16 key{0, transparentKey.r, transparentKey.g, transparentKey.b, 0};
    if (layout.keyColour) {
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    const std::size_t channels = layout.alpha ? 4 : 3;
    Bytes row(static_cast<std::size_t>(layout.width) * channels);
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < layout.height; ++y) {
            for (int x = 0; x < layout.width; ++x) {
                const Rgba p = pixel(x, y);
                const std::array<std::uint8_t, 4> samples{p.r, p.g, p.b, p.a};
                std::copy_n(samples.begin(), channels, row.begin() + x * channels);
            }
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// The picture the reader must deliver: alpha composed onto white.
Picture expectedPicture(const PngLayout& layout, const PixelSource& pixel) {
    Picture p{layout.width, layout.height, 0, 0,
              Bytes(static_cast<std::size_t>(layout.width) * layout.height * 3)};
    for (int y = 0; y < layout.height; ++y) {
        for (int x = 0; x < layout.width; ++x) {
            const Rgba in = pixel(x, y);
            const unsigned alpha = layout.alpha ? in.a : 255;
            p.at(x, y)[0] = onWhite(in.b, alpha);
            p.at(x, y)[1] = onWhite(in.g, alpha);
            p.at(x, y)[2] = onWhite(in.r, alpha);
        }
    }
    return p;
}

int leadingEqualRows(const Picture& got, const Picture& expected) {
    const std::size_t rowBytes = static_cast<std::size_t>(expected.width) * 3;
    int y = 0;
    while (y < expected.height &&
           std::equal(got.at(0, y), got.at(0, y) + rowBytes, expected.at(0, y))) {
        ++y;
    }
    return y;
}

bool blackFrom(const Picture& p, int firstRow) {
    return std::all_of(p.bgr.begin() + static_cast<std::ptrdiff_t>(firstRow) * p.width * 3,
                       p.bgr.end(), [](std::uint8_t v) { return v == 0; });
}

// Checks a picture delivered incomplete: its top rows exact, at least `minimumRows` of them,
// black below.
void expectTopRowsThenBlack(const Picture& got, const Picture& expected, int minimumRows) {
    ASSERT_EQ(got.width, expected.width);
    ASSERT_EQ(got.height, expected.height);
    const int rows = leadingEqualRows(got, expected);
    EXPECT_GE(rows, minimumRows);
    EXPECT_LT(rows, expected.height);
    EXPECT_TRUE(blackFrom(got, rows)) << "rows from " << rows << " on are black";
}

Picture readFile(const std::string& path, const Bytes& file, int* code) {
    writeFile(path, file);
    return importPicture(path, code);
}

Bytes cut(const Bytes& file, double share) {
    return Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(file.size() * share));
}

std::size_t pictureBytes(int width, int height) {
    return stride24(width) * static_cast<std::size_t>(height);
}

void appendBigEndian(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void appendChunk(Bytes& file, const char* type, const Bytes& data) {
    appendBigEndian(file, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    const uLong crc = crc32(0, file.data() + typeAt, static_cast<uInt>(data.size() + 4));
    appendBigEndian(file, static_cast<std::uint32_t>(crc));
}

// The signature and a header for a picture of the given size and type.
Bytes pngHead(std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth,
              std::uint8_t colourType) {
    Bytes file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    appendBigEndian(header, width);
    appendBigEndian(header, height);
    header.insert(header.end(), {bitDepth, colourType, 0, 0, 0});
    appendChunk(file, "IHDR", header);
    return file;
}

Bytes deflated(const Bytes& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 9);
    out.resize(size);
    return out;
}

// The image data of all IDAT chunks of a file, joined.
Bytes imageData(const Bytes& file) {
    Bytes data;
    for (std::size_t at = 8; at + 8 <= file.size();) {
        const std::uint32_t length = png_get_uint_32(file.data() + at);
        if (std::equal(file.begin() + at + 4, file.begin() + at + 8, "IDAT")) {
            data.insert(data.end(), file.begin() + at + 8, file.begin() + at + 8 + length);
        }
        at += 12 + length;
    }
    return data;
}

const char* shrinkingPath = nullptr;
std::uintmax_t shrinkTo = 0;

// Truncates the file being read the first time progress is reported, as a sync or a download
// replacing it would.
std::int32_t IP_CALL shrinkFileOnce(std::int32_t, std::int32_t) {
    if (shrinkingPath != nullptr) {
        std::filesystem::resize_file(shrinkingPath, shrinkTo);
        shrinkingPath = nullptr;
    }
    return 0;
}

} // namespace

TEST(PngReader, ReadsFromTheFileAsItGoes) {
    ScratchFolder folder;
    const PngLayout layout{256, 256, false, false, 1};
    const Bytes file = pngFile(layout, noise);
    const std::string path = folder.file("shrinking.png");
    writeFile(path, file);
    shrinkingPath = path.c_str();
    shrinkTo = file.size() * 6 / 10;
    TImportExportParams p = importBlock(path, shrinkFileOnce);
    const int code = ipImportInd(&p);
    ASSERT_EQ(shrinkingPath, nullptr) << "the file was cut while it was read";
    ASSERT_EQ(code, IP_INCOMPLETE) << "the rows after the cut are read from the file";
    const Picture got = pictureOf(static_cast<platform::MemHandle>(p.Bitmap));
    platform::memFree(static_cast<platform::MemHandle>(p.Bitmap));
    expectTopRowsThenBlack(got, expectedPicture(layout, noise), layout.height / 2);
}

TEST(PngReader, OpensWithoutCopyingTheFile) {
    if (!test_support::addressSpaceLimitsWork()) {
        GTEST_SKIP() << "address-space limits do not work under the sanitizer";
    }
    ScratchFolder folder;
    // Stored uncompressed, the file is as large as the picture: a copy of it does not fit.
    writeFile(folder.file("stored.png"), pngFile({3000, 2000, false, false, 0}, noise));
    EXPECT_EQ(importCodeWithin(pictureBytes(3000, 2000) * 3 / 2, folder.file("stored.png")), IP_OK);
}

TEST(PngReader, ComposesAlphaRowByRowWithinBudget) {
    ScratchFolder folder;
    const std::array<PngLayout, 2> layouts{PngLayout{3000, 2000, true, false, 1},
                                           PngLayout{3000, 2000, true, true, 1}};
    const std::array<std::string, 2> paths{folder.file("plain.png"), folder.file("adam7.png")};
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        writeFile(paths[i], pngFile(layouts[i], gradient));
    }
    // Measured before this process holds pictures of its own, whose freed memory the child
    // would inherit.
    if (test_support::addressSpaceLimitsWork()) {
        for (const std::string& path : paths) {
            EXPECT_EQ(importCodeWithin(pictureBytes(3000, 2000) * 3 / 2, path), IP_OK) << path;
        }
    }
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        int code = -1;
        const Picture got = importPicture(paths[i], &code);
        ASSERT_EQ(code, IP_OK) << paths[i];
        EXPECT_EQ(leadingEqualRows(got, expectedPicture(layouts[i], gradient)), 2000) << paths[i];
    }
}

TEST(PngReader, InterlacedAlphaOfEveryNarrowSizeIsExact) {
    ScratchFolder folder;
    for (int width = 1; width <= 9; ++width) {
        for (int height = 1; height <= 9; ++height) {
            SCOPED_TRACE(testing::Message() << width << " x " << height);
            const PngLayout layout{width, height, true, true, 1};
            int code = -1;
            const Picture got = readFile(folder.file("n.png"), pngFile(layout, noise), &code);
            ASSERT_EQ(code, IP_OK);
            EXPECT_EQ(got.bgr, expectedPicture(layout, noise).bgr);
        }
    }
}

TEST(PngReader, ColourKeyOfInterlacedRgbTurnsWhite) {
    const auto keyed = [](int x, int y) { return (x + y) % 3 == 0 ? transparentKey : noise(x, y); };
    ScratchFolder folder;
    int code = -1;
    const Picture got =
        readFile(folder.file("key.png"), pngFile({11, 7, false, true, 1, true}, keyed), &code);
    ASSERT_EQ(code, IP_OK);
    const auto composed = [&](int x, int y) {
        Rgba p = keyed(x, y);
        p.a = (x + y) % 3 == 0 ? 0 : 255;
        return p;
    };
    EXPECT_EQ(got.bgr, expectedPicture({11, 7, true, true, 1}, composed).bgr);
}

TEST(PngReader, RefusesHeadersItsDataCannotFillBeforeAllocating) {
    if (!test_support::addressSpaceLimitsWork()) {
        GTEST_SKIP() << "address-space limits do not work under the sanitizer";
    }
    ScratchFolder folder;
    // 18000 x 18000 is about the largest square picture allowed (under 1 GiB at 24 bits).
    const Bytes someRows = deflated(Bytes(3 * 54001, 0));
    ASSERT_LT(someRows.size(), 1000u);

    Bytes claimsHuge = pngHead(18000, 18000, 8, PNG_COLOR_TYPE_RGB_ALPHA);
    appendChunk(claimsHuge, "IDAT", someRows);
    appendChunk(claimsHuge, "IEND", {});
    writeFile(folder.file("huge.png"), claimsHuge);
    EXPECT_EQ(importCodeWithin(256 << 20, folder.file("huge.png")), IP_DAMAGED_FILE);

    // A chunk length counts only with the bytes the file holds.
    Bytes claimsLongChunk = pngHead(18000, 18000, 8, PNG_COLOR_TYPE_RGB);
    appendBigEndian(claimsLongChunk, PNG_UINT_31_MAX);
    claimsLongChunk.insert(claimsLongChunk.end(), {'I', 'D', 'A', 'T'});
    claimsLongChunk.insert(claimsLongChunk.end(), someRows.begin(), someRows.end());
    writeFile(folder.file("long.png"), claimsLongChunk);
    EXPECT_EQ(importCodeWithin(256 << 20, folder.file("long.png")), IP_DAMAGED_FILE);

    // One colour compresses about as far as deflate goes, and is a whole picture all the same.
    const int width = 4000, height = 500;
    Bytes oneColour = pngHead(width, height, 1, PNG_COLOR_TYPE_GRAY);
    appendChunk(oneColour, "IDAT", deflated(Bytes(height * (1 + width / 8), 0)));
    appendChunk(oneColour, "IEND", {});
    int code = -1;
    const Picture black = readFile(folder.file("black.png"), oneColour, &code);
    ASSERT_EQ(code, IP_OK);
    EXPECT_TRUE(blackFrom(black, 0));
}

TEST(PngReader, KeepsTheRowsReadBeforeTheDataBreaksOff) {
    ScratchFolder folder;
    const std::string path = folder.file("cut.png");
    const PngLayout plain{256, 256, false, false, 1};
    const Bytes whole = pngFile(plain, noise);
    const Picture expected = expectedPicture(plain, noise);
    int code = -1;

    Picture got = readFile(path, cut(whole, 0.6), &code);
    EXPECT_EQ(code, IP_INCOMPLETE);
    expectTopRowsThenBlack(got, expected, plain.height / 2);

    // The zlib stream itself ends early, in a file whose chunks are whole.
    Bytes streamCut = pngHead(256, 256, 8, PNG_COLOR_TYPE_RGB);
    appendChunk(streamCut, "IDAT", cut(imageData(whole), 0.6));
    appendChunk(streamCut, "IEND", {});
    got = readFile(path, streamCut, &code);
    EXPECT_EQ(code, IP_INCOMPLETE);
    expectTopRowsThenBlack(got, expected, plain.height / 2);

    const std::size_t afterHeader = 8 + 25;
    readFile(path, Bytes(whole.begin(), whole.begin() + afterHeader), &code);
    EXPECT_EQ(code, IP_DAMAGED_FILE);
    readFile(path, cut(whole, 0.03), &code);
    EXPECT_EQ(code, IP_DAMAGED_FILE) << "fewer than a sixteenth of the rows";
}

TEST(PngReader, InterlacedRowsCountOnceTheirLastPassWasRead) {
    ScratchFolder folder;
    const std::string path = folder.file("cut.png");
    const PngLayout adam7{256, 256, true, true, 1};
    const Bytes whole = pngFile(adam7, noise);
    int code = -1;

    // The last pass, the odd rows, takes the second half of the data.
    const Picture got = readFile(path, cut(whole, 0.8), &code);
    EXPECT_EQ(code, IP_INCOMPLETE);
    expectTopRowsThenBlack(got, expectedPicture(adam7, noise), adam7.height / 4);

    readFile(path, cut(whole, 0.3), &code);
    EXPECT_EQ(code, IP_DAMAGED_FILE) << "no row is finished before the last pass";
}

namespace {

// Smooth shading with a little grain in every channel, as a photograph has.
// -3 to 3, always the same for the same pixel and channel.
int grain(int x, int y, int channel) {
    const auto at = [](int v) { return static_cast<std::uint32_t>(v); };
    return hashByte(at(x), at(y), at(channel)) % 7 - 3;
}

// Smooth shading with a little grain, crossed by sharp diagonal edges between lighter and
// darker bands, as a photograph's objects are.
Picture photoLike(int width, int height) {
    Picture p{width, height, 2835, 2835, Bytes(static_cast<std::size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool darkBand = (x + 2 * y) / 12 % 2 == 1;
            for (int c = 0; c < 3; ++c) {
                const int shade = 40 + (x * (3 + c) + y * 2) * 150 / (width * 5 + height * 2);
                const int value = shade + grain(x, y, c);
                p.at(x, y)[c] = static_cast<std::uint8_t>(darkBand ? value / 2 + 30 : value);
            }
        }
    }
    return p;
}

struct WrittenPng {
    int levelClass = -1;   // FLEVEL of the zlib header: 1 for levels 2 to 5, 2 for level 6
    std::set<int> filters; // the filter type of every row
};

// How a non-interlaced 8-bit RGB file was compressed.
WrittenPng compressionOf(const Bytes& file, int width, int height) {
    const Bytes data = imageData(file);
    WrittenPng written;
    if (data.size() < 2) {
        return written;
    }
    written.levelClass = data[1] >> 6;
    const std::size_t rowBytes = 1 + static_cast<std::size_t>(width) * 3;
    Bytes rows(rowBytes * static_cast<std::size_t>(height));
    uLongf size = static_cast<uLongf>(rows.size());
    if (uncompress(rows.data(), &size, data.data(), static_cast<uLong>(data.size())) != Z_OK ||
        size != rows.size()) {
        return written;
    }
    for (std::size_t at = 0; at < rows.size(); at += rowBytes) {
        written.filters.insert(rows[at]);
    }
    return written;
}

} // namespace

TEST(PngWriter, WritesFastByDefaultAndSmallestOnRequestWithTheSamePixels) {
    ScratchFolder folder;
    const Picture photo = photoLike(240, 160);
    const std::string fast = folder.file("fast.png");
    const std::string smallest = folder.file("smallest.png");
    ASSERT_EQ(exportPicture(photo, fast), IP_OK);
    ASSERT_EQ(exportPicture(photo, smallest, IP_PNG_SMALLEST), IP_OK);
    EXPECT_EQ(importPicture(fast), photo);
    EXPECT_EQ(importPicture(smallest), photo);

    const WrittenPng byDefault = compressionOf(fileBytes(fast), photo.width, photo.height);
    EXPECT_EQ(byDefault.levelClass, 1) << "a fast zlib level";
    const std::set<int> cheaperFilters{1, 2, 3}; // Sub, Up, Average
    EXPECT_FALSE(byDefault.filters.empty());
    EXPECT_TRUE(std::includes(cheaperFilters.begin(), cheaperFilters.end(),
                              byDefault.filters.begin(), byDefault.filters.end()))
        << "never None or Paeth";
    const WrittenPng slow = compressionOf(fileBytes(smallest), photo.width, photo.height);
    EXPECT_EQ(slow.levelClass, 2) << "zlib's default level";
    EXPECT_EQ(slow.filters.count(4), 1u) << "Paeth is tried too, and wins on some rows";
}

TEST(PngWriter, InterlacedFilesOfBothCompressionsRoundTrip) {
    ScratchFolder folder;
    const Picture photo = photoLike(61, 37);
    const std::uint32_t choices[] = {IP_PNG_INTERLACED, IP_PNG_INTERLACED | IP_PNG_SMALLEST};
    for (const std::uint32_t bits : choices) {
        SCOPED_TRACE(bits);
        const std::string name = folder.file("interlaced" + std::to_string(bits) + ".png");
        ASSERT_EQ(exportPicture(photo, name, bits), IP_OK);
        EXPECT_EQ(importPicture(name), photo);
    }
}
