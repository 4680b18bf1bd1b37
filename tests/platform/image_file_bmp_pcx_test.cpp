// BMP and PCX variants, built byte by byte.
#include "image_file_calls.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Bgr = std::array<std::uint8_t, 3>;

template <typename T> void put(Bytes& out, T value) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
    out.insert(out.end(), p, p + sizeof value);
}

struct BmpSpec {
    std::uint32_t headerSize = 40;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> masks; // red, green, blue (, alpha)
    std::vector<Bgr> palette;
    Bytes pixels;
    std::int32_t pelsPerMeter = 2835;
};

Bytes bmpFile(const BmpSpec& s) {
    Bytes info;
    if (s.headerSize == 12) {
        put(info, std::uint32_t{12});
        put(info, static_cast<std::uint16_t>(s.width));
        put(info, static_cast<std::uint16_t>(s.height));
        put(info, std::uint16_t{1});
        put(info, s.bits);
    } else {
        put(info, s.headerSize);
        put(info, s.width);
        put(info, s.height);
        put(info, std::uint16_t{1});
        put(info, s.bits);
        put(info, s.compression);
        put(info, static_cast<std::uint32_t>(s.pixels.size()));
        put(info, s.pelsPerMeter);
        put(info, s.pelsPerMeter);
        put(info, static_cast<std::uint32_t>(s.palette.size()));
        put(info, std::uint32_t{0});
        if (s.headerSize > 40) {
            for (std::size_t i = 0; i < 4; ++i) {
                put(info, i < s.masks.size() ? s.masks[i] : 0u);
            }
            info.resize(s.headerSize, 0);
        } else {
            for (std::uint32_t mask : s.masks) {
                put(info, mask);
            }
        }
    }
    for (const Bgr& c : s.palette) {
        info.insert(info.end(), c.begin(), c.end());
        if (s.headerSize != 12) {
            info.push_back(0);
        }
    }
    Bytes file = {'B', 'M'};
    put(file, static_cast<std::uint32_t>(14 + info.size() + s.pixels.size()));
    put(file, std::uint32_t{0});
    put(file, static_cast<std::uint32_t>(14 + info.size()));
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), s.pixels.begin(), s.pixels.end());
    return file;
}

Picture read(const Bytes& file, int* code = nullptr) {
    ScratchFolder folder;
    writeFile(folder.file("in"), file);
    return importPicture(folder.file("in"), code);
}

Bgr pixel(const Picture& p, int x, int y) {
    return {p.at(x, y)[0], p.at(x, y)[1], p.at(x, y)[2]};
}

const Bgr black{0, 0, 0};
const Bgr c1{10, 20, 30};
const Bgr c2{200, 100, 50};
const Bgr c3{1, 2, 3};

} // namespace

TEST(BmpVariants, PaletteDepths) {
    // 1 bit, 10 x 2: bottom row stored first.
    BmpSpec one{40, 10, 2, 1, 0, {}, {black, c1}, {0x80, 0x40, 0, 0, 0xFF, 0xC0, 0, 0}};
    const Picture p1 = read(bmpFile(one));
    ASSERT_EQ(p1.width, 10);
    EXPECT_EQ(pixel(p1, 0, 0), c1) << "top row is the second stored row";
    EXPECT_EQ(pixel(p1, 9, 0), c1);
    EXPECT_EQ(pixel(p1, 0, 1), c1);
    EXPECT_EQ(pixel(p1, 1, 1), black);
    EXPECT_EQ(pixel(p1, 9, 1), c1);
    EXPECT_EQ(p1.xPelsPerMeter, 2835);

    BmpSpec four{40, 3, 1, 4, 0, {}, {black, c1, c2}, {0x12, 0x00, 0, 0}};
    const Picture p4 = read(bmpFile(four));
    EXPECT_EQ(pixel(p4, 0, 0), c1);
    EXPECT_EQ(pixel(p4, 1, 0), c2);
    EXPECT_EQ(pixel(p4, 2, 0), black);

    BmpSpec eight{40, 3, 1, 8, 0, {}, {c1, c2, c3}, {2, 0, 7, 0}};
    const Picture p8 = read(bmpFile(eight));
    EXPECT_EQ(pixel(p8, 0, 0), c3);
    EXPECT_EQ(pixel(p8, 1, 0), c1);
    EXPECT_EQ(pixel(p8, 2, 0), black) << "an index past the palette is black";

    BmpSpec core{12, 2, 1, 8, 0, {}, {c1, c2}, {1, 0, 0, 0}};
    const Picture pc = read(bmpFile(core));
    EXPECT_EQ(pixel(pc, 0, 0), c2) << "OS/2 core header, 3-byte palette";
}

TEST(BmpVariants, DirectColourDepthsAndBitFields) {
    BmpSpec rgb555{40, 2, 1, 16, 0, {}, {}, {0x00, 0x7C, 0x1F, 0x00}};
    const Picture p16 = read(bmpFile(rgb555));
    EXPECT_EQ(pixel(p16, 0, 0), (Bgr{0, 0, 255}));
    EXPECT_EQ(pixel(p16, 1, 0), (Bgr{255, 0, 0}));

    BmpSpec rgb565{40, 1, 1, 16, 3, {0xF800, 0x07E0, 0x001F}, {}, {0xE0, 0x07, 0, 0}};
    EXPECT_EQ(pixel(read(bmpFile(rgb565)), 0, 0), (Bgr{0, 255, 0}));

    BmpSpec rgb32{40, 1, 1, 32, 0, {}, {}, {10, 20, 30, 0}};
    EXPECT_EQ(pixel(read(bmpFile(rgb32)), 0, 0), (Bgr{10, 20, 30}));

    BmpSpec fields32{40, 1, 1, 32, 3, {0x000000FF, 0x0000FF00, 0x00FF0000}, {}, {10, 20, 30, 0}};
    EXPECT_EQ(pixel(read(bmpFile(fields32)), 0, 0), (Bgr{30, 20, 10})) << "red in the low byte";

    for (std::uint32_t headerSize : {108u, 124u}) {
        BmpSpec v45{
            headerSize,    1, 1, 32, 3, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, {},
            {5, 6, 7, 255}};
        EXPECT_EQ(pixel(read(bmpFile(v45)), 0, 0), (Bgr{5, 6, 7})) << headerSize;
    }
}

TEST(BmpVariants, TopDownRowsAndRunLengths) {
    BmpSpec topDown{40, 1, -2, 24, 0, {}, {}, {1, 2, 3, 0, 4, 5, 6, 0}};
    const Picture td = read(bmpFile(topDown));
    ASSERT_EQ(td.height, 2);
    EXPECT_EQ(pixel(td, 0, 0), (Bgr{1, 2, 3})) << "first stored row on top";

    // RLE8, 5 x 2: bottom row "1 1 1 2 0" as a run and an absolute stretch, top row by delta.
    BmpSpec rle8{40,
                 5,
                 2,
                 8,
                 1,
                 {},
                 {black, c1, c2},
                 {3, 1, 0, 3, 2, 0, 1, 0, 0, 0, 0, 2, 1, 0, 1, 2, 0, 1}};
    const Picture r8 = read(bmpFile(rle8));
    EXPECT_EQ(pixel(r8, 0, 1), c1);
    EXPECT_EQ(pixel(r8, 2, 1), c1);
    EXPECT_EQ(pixel(r8, 3, 1), c2);
    EXPECT_EQ(pixel(r8, 4, 1), black);
    EXPECT_EQ(pixel(r8, 0, 0), black) << "skipped by the delta";
    EXPECT_EQ(pixel(r8, 1, 0), c2);

    // RLE4, 4 x 1: a run alternating the two indices of its byte.
    BmpSpec rle4{40, 4, 1, 4, 2, {}, {black, c1, c2}, {4, 0x12, 0, 1}};
    const Picture r4 = read(bmpFile(rle4));
    EXPECT_EQ(pixel(r4, 0, 0), c1);
    EXPECT_EQ(pixel(r4, 1, 0), c2);
    EXPECT_EQ(pixel(r4, 2, 0), c1);
    EXPECT_EQ(pixel(r4, 3, 0), c2);
}

TEST(BmpVariants, DamagedAndUnsupported) {
    int code = -1;
    BmpSpec shortRows{40, 4, 4, 24, 0, {}, {}, Bytes(10, 0)};
    read(bmpFile(shortRows), &code);
    EXPECT_EQ(code, IP_DAMAGED_FILE);
    BmpSpec oddDepth{40, 4, 4, 7, 0, {}, {}, Bytes(64, 0)};
    read(bmpFile(oddDepth), &code);
    EXPECT_EQ(code, IP_UNSUPPORTED);
    BmpSpec jpegInside{40, 4, 4, 24, 4, {}, {}, Bytes(64, 0)};
    read(bmpFile(jpegInside), &code);
    EXPECT_EQ(code, IP_UNSUPPORTED);
    BmpSpec rleTopDown{40, 4, -4, 8, 1, {}, {c1}, {0, 1}};
    read(bmpFile(rleTopDown), &code);
    EXPECT_EQ(code, IP_DAMAGED_FILE);
}

namespace {

Bytes pcxFile(std::uint8_t bits, std::uint8_t planes, int width, int height,
              std::uint16_t bytesPerLine, const Bytes& data, const std::vector<Bgr>& ega = {},
              const Bytes& tail = {}) {
    Bytes h(128, 0);
    h[0] = 10;
    h[1] = 5;
    h[2] = 1;
    h[3] = bits;
    const std::uint16_t xMax = static_cast<std::uint16_t>(width - 1),
                        yMax = static_cast<std::uint16_t>(height - 1);
    const std::uint16_t dpi = 150;
    std::memcpy(&h[8], &xMax, 2);
    std::memcpy(&h[10], &yMax, 2);
    std::memcpy(&h[12], &dpi, 2);
    std::memcpy(&h[14], &dpi, 2);
    for (std::size_t i = 0; i < ega.size(); ++i) { // stored red, green, blue
        h[16 + i * 3] = ega[i][2];
        h[17 + i * 3] = ega[i][1];
        h[18 + i * 3] = ega[i][0];
    }
    h[65] = planes;
    std::memcpy(&h[66], &bytesPerLine, 2);
    h.insert(h.end(), data.begin(), data.end());
    h.insert(h.end(), tail.begin(), tail.end());
    return h;
}

} // namespace

TEST(PcxVariants, PaletteDepthsAndRunLengths) {
    // 8-bit: a run of three index-2 pixels, then index 1 (0xC1 0x01: a literal high value needs a
    // run).
    Bytes vga = {0x0C};
    for (int i = 0; i < 256; ++i) {
        vga.push_back(static_cast<std::uint8_t>(i));
        vga.push_back(static_cast<std::uint8_t>(255 - i));
        vga.push_back(static_cast<std::uint8_t>(i / 2));
    }
    const Picture p8 = read(pcxFile(8, 1, 4, 1, 4, {0xC3, 2, 0xC1, 200}, {}, vga));
    ASSERT_EQ(p8.width, 4);
    EXPECT_EQ(pixel(p8, 0, 0), (Bgr{1, 253, 2})) << "stored as red, green, blue";
    EXPECT_EQ(pixel(p8, 3, 0), (Bgr{100, 55, 200}));
    EXPECT_EQ(p8.xPelsPerMeter, 5906) << "150 dpi";

    const Picture mono = read(pcxFile(1, 1, 8, 1, 2, {0xA0, 0}));
    EXPECT_EQ(pixel(mono, 0, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(pixel(mono, 1, 0), black);

    // Four 1-bit planes: pixel 0 has planes 0 and 2 set (index 5).
    std::vector<Bgr> ega(16, black);
    ega[5] = c2;
    const Picture e = read(pcxFile(1, 4, 2, 1, 2, {0x80, 0, 0, 0, 0x80, 0, 0, 0}, ega));
    EXPECT_EQ(pixel(e, 0, 0), c2);
    EXPECT_EQ(pixel(e, 1, 0), black);

    const Picture nibble = read(pcxFile(4, 1, 2, 1, 2, {0x50, 0}, ega));
    EXPECT_EQ(pixel(nibble, 0, 0), c2);

    int code = -1;
    read(pcxFile(8, 1, 4, 3, 4, {0xC3, 2}), &code);
    EXPECT_EQ(code, IP_DAMAGED_FILE) << "rows missing";
    read(pcxFile(2, 2, 4, 1, 4, {0}), &code);
    EXPECT_EQ(code, IP_UNSUPPORTED);
}

namespace {

// A 24-bit bottom-up BMP of `height` rows, each `width` pixels of the colour (row, row, row).
Bytes stripedBmp(int width, int height) {
    const std::size_t stride = stride24(width);
    Bytes rows(stride * height, 0);
    for (int stored = 0; stored < height; ++stored) {
        const auto level = static_cast<std::uint8_t>(height - 1 - stored);
        std::fill_n(rows.begin() + static_cast<std::ptrdiff_t>(stored * stride), width * 3, level);
    }
    return bmpFile({40, width, height, 24, 0, {}, {}, rows});
}

Bgr grey(int level) {
    const auto v = static_cast<std::uint8_t>(level);
    return {v, v, v};
}

} // namespace

TEST(BmpVariants, CutOffFilesKeepTheRowsThatAreThere) {
    const Bytes whole = stripedBmp(4, 32);
    const std::size_t headers = whole.size() - stride24(4) * 32;
    int code = -1;

    // Bottom-up: the 20 stored rows that are there are the bottom of the picture.
    Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(headers + 20 * 12 + 5));
    const Picture p = read(cut, &code);
    EXPECT_EQ(code, IP_INCOMPLETE);
    ASSERT_EQ(p.height, 32);
    EXPECT_EQ(pixel(p, 3, 31), grey(31));
    EXPECT_EQ(pixel(p, 0, 12), grey(12)) << "the last whole stored row";
    EXPECT_EQ(pixel(p, 0, 11), black) << "rows that are missing stay black";
    EXPECT_EQ(pixel(p, 0, 0), black);

    // One row of 32 is less than a sixteenth: nothing worth showing.
    cut.resize(headers + 12);
    read(cut, &code);
    EXPECT_EQ(code, IP_DAMAGED_FILE);

    // RLE8 cut in its third row: two whole rows of a 4 x 4 picture are a half.
    const Bytes rle{4, 1, 0, 0, 4, 2, 0, 0, 4, 1, 0, 0, 4, 2, 0, 1};
    BmpSpec runs{40, 4, 4, 8, 1, {}, {black, c1, c2}, rle};
    read(bmpFile(runs), &code);
    EXPECT_EQ(code, IP_OK);
    runs.pixels.resize(9);
    const Picture r = read(bmpFile(runs), &code);
    EXPECT_EQ(code, IP_INCOMPLETE);
    EXPECT_EQ(pixel(r, 3, 3), c1);
    EXPECT_EQ(pixel(r, 3, 2), c2);
    EXPECT_EQ(pixel(r, 0, 1), black) << "the run after the cut is not there";

    // An end-of-bitmap mark ends a picture early without it being incomplete; a stream that
    // stops before it is.
    runs.pixels = {4, 1, 0, 1};
    read(bmpFile(runs), &code);
    EXPECT_EQ(code, IP_OK);
    runs.pixels = {4, 1};
    read(bmpFile(runs), &code);
    EXPECT_EQ(code, IP_DAMAGED_FILE) << "not one row finished";
}

TEST(BmpVariants, AlphaMasksAreComposedOntoWhite) {
    // 32-bit with the alpha mask in v4 and v5 headers and after a v3 header (compression 6).
    const Bytes half{40, 80, 120, 128};
    const Bgr onWhite{static_cast<std::uint8_t>((40 * 128 + 255 * 127 + 127) / 255),
                      static_cast<std::uint8_t>((80 * 128 + 255 * 127 + 127) / 255),
                      static_cast<std::uint8_t>((120 * 128 + 255 * 127 + 127) / 255)};
    const std::vector<std::uint32_t> argb{0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    for (std::uint32_t headerSize : {108u, 124u}) {
        const Bytes pixels{40, 80, 120, 128, 1, 2, 3, 0};
        const Picture p = read(bmpFile({headerSize, 2, 1, 32, 3, argb, {}, pixels}));
        EXPECT_EQ(pixel(p, 0, 0), onWhite) << headerSize;
        EXPECT_EQ(pixel(p, 1, 0), (Bgr{255, 255, 255})) << "alpha 0 among others is clear";
    }
    EXPECT_EQ(pixel(read(bmpFile({40, 1, 1, 32, 6, argb, {}, half})), 0, 0), onWhite);

    // ARGB1555: the top bit; ARGB4444: the top nibble (0x8 of 0xF: 136 of 255).
    const std::vector<std::uint32_t> masks1555{0x7C00, 0x03E0, 0x001F, 0x8000};
    const Picture red1555 =
        read(bmpFile({124, 2, 1, 16, 3, masks1555, {}, {0x00, 0xFC, 0x00, 0x7C}}));
    EXPECT_EQ(pixel(red1555, 0, 0), (Bgr{0, 0, 255})) << "alpha bit set: opaque red";
    EXPECT_EQ(pixel(red1555, 1, 0), (Bgr{255, 255, 255})) << "alpha bit clear: white";

    const std::vector<std::uint32_t> masks4444{0x0F00, 0x00F0, 0x000F, 0xF000};
    const Picture p4444 = read(bmpFile({124, 1, 1, 16, 3, masks4444, {}, {0x00, 0x8F, 0, 0}}));
    ASSERT_EQ(p4444.width, 1);
    const auto redOverWhite = static_cast<std::uint8_t>((255 * 136 + 255 * 119 + 127) / 255);
    const auto darkOverWhite = static_cast<std::uint8_t>((255 * 119 + 127) / 255);
    EXPECT_EQ(pixel(p4444, 0, 0), (Bgr{darkOverWhite, darkOverWhite, redOverWhite}));

    // Alpha 0 everywhere: the writer left it unset, and the picture is opaque.
    const Bytes unset{40, 80, 120, 0, 1, 2, 3, 0};
    EXPECT_EQ(pixel(read(bmpFile({124, 2, 1, 32, 3, argb, {}, unset})), 0, 0), (Bgr{40, 80, 120}));
}

TEST(PcxVariants, WidthsTheFormatCannotHoldAreRefused) {
    ScratchFolder folder;
    Picture wide{65535, 1, 0, 0, std::vector<std::uint8_t>(65535 * 3, 7)};
    EXPECT_EQ(exportPicture(wide, folder.file("wide.pcx")), IP_BAD_BITMAP);
    EXPECT_FALSE(std::filesystem::exists(folder.file("wide.pcx")));

    wide.width = 65534;
    wide.bgr.resize(65534 * 3);
    ASSERT_EQ(exportPicture(wide, folder.file("widest.pcx")), IP_OK);
    int code = -1;
    EXPECT_EQ(importPicture(folder.file("widest.pcx"), &code), wide);
    EXPECT_EQ(code, IP_OK);
}

TEST(PcxVariants, CutOffFilesAreIncomplete) {
    Bytes vga = {0x0C};
    for (int i = 0; i < 256; ++i) {
        vga.insert(vga.end(), 3, static_cast<std::uint8_t>(255 - i));
    }
    // 8-bit, 2 x 4, one literal pixel pair per row: index 1 everywhere.
    const Bytes rows{1, 1, 1, 1, 1, 1, 1, 1};
    int code = -1;
    const Picture whole = read(pcxFile(8, 1, 2, 4, 2, rows, {}, vga), &code);
    EXPECT_EQ(code, IP_OK);
    EXPECT_EQ(pixel(whole, 1, 3), grey(254));

    Bytes cutPalette = pcxFile(8, 1, 2, 4, 2, rows, {}, vga);
    cutPalette.resize(cutPalette.size() - 300);
    const Picture grey1 = read(cutPalette, &code);
    EXPECT_EQ(code, IP_INCOMPLETE) << "its colours are lost";
    EXPECT_EQ(pixel(grey1, 0, 0), grey(1)) << "shown in grey levels";

    const Picture half = read(pcxFile(8, 1, 2, 4, 2, {1, 1, 1, 1}), &code);
    EXPECT_EQ(code, IP_INCOMPLETE);
    EXPECT_EQ(pixel(half, 0, 1), grey(1));
    EXPECT_EQ(pixel(half, 0, 2), black);
}
