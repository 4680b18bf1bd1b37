// JPEG, PNG and TIFF variants, written with the libraries themselves.
#include "image_file_calls.h"

#include <gtest/gtest.h>

#include <array>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Bgr = std::array<std::uint8_t, 3>;

Bgr pixel(const Picture& p, int x, int y) {
    return {p.at(x, y)[0], p.at(x, y)[1], p.at(x, y)[2]};
}

bool near(const Bgr& a, const Bgr& b, int tolerance) {
    for (int c = 0; c < 3; ++c) {
        if (std::abs(a[c] - b[c]) > tolerance) {
            return false;
        }
    }
    return true;
}

// A JPEG of `components` channels in `space`, every pixel the same sample values.
Bytes jpegFile(int width, int height, int components, J_COLOR_SPACE space, const Bytes& sample,
               bool progressive) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    Bytes row;
    for (int x = 0; x < width; ++x) {
        row.insert(row.end(), sample.begin(), sample.end());
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    Bytes file(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return file;
}

Picture read(const Bytes& file, int* code = nullptr) {
    ScratchFolder folder;
    writeFile(folder.file("in"), file);
    return importPicture(folder.file("in"), code);
}

void pngWrite(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

struct PngSpec {
    int width = 2;
    int height = 2;
    int bitDepth = 8;
    int colorType = PNG_COLOR_TYPE_RGB;
    bool interlaced = false;
    Bytes row; // one packed row, repeated
    std::vector<png_color> palette;
    Bytes transparency;
};

Bytes pngFile(const PngSpec& s) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, pngWrite, nullptr);
    png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colorType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) {
        png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
    }
    if (!s.transparency.empty()) {
        png_set_tRNS(png, info, s.transparency.data(), static_cast<int>(s.transparency.size()),
                     nullptr);
    }
    png_set_pHYs(png, info, 3937, 3937, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    std::vector<png_bytep> rows(s.height, const_cast<png_bytep>(s.row.data()));
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

struct TiffSpec {
    int width = 3;
    int height = 2;
    int bits = 8;
    int samples = 3;
    int photometric = PHOTOMETRIC_RGB;
    int compression = COMPRESSION_NONE;
    bool tiled = false;
    int orientation = ORIENTATION_TOPLEFT;
    int extraSamples = 0; // EXTRASAMPLE_* for a fourth sample
    Bytes rowTop;         // packed samples of the top row
    Bytes rowOther;       // packed samples of the other rows
    std::vector<std::uint16_t> colourMap;
};

Bytes tiffFile(const TiffSpec& s) {
    ScratchFolder folder;
    const std::string name = folder.file("t.tif");
    TIFF* tiff = TIFFOpen(name.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, s.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, s.height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, s.bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, s.samples);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, s.photometric);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, s.compression);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, s.orientation);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_CENTIMETER);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 40.0f);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 40.0f);
    if (s.extraSamples != 0) {
        const std::uint16_t extra = static_cast<std::uint16_t>(s.extraSamples);
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (!s.colourMap.empty()) {
        const std::size_t n = s.colourMap.size() / 3;
        TIFFSetField(tiff, TIFFTAG_COLORMAP, s.colourMap.data(), s.colourMap.data() + n,
                     s.colourMap.data() + 2 * n);
    }
    if (s.tiled) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, 16);
        const std::size_t pixelBytes = static_cast<std::size_t>(s.samples) * s.bits / 8;
        Bytes tile(16 * 16 * pixelBytes, 0);
        for (int y = 0; y < 16; ++y) {
            const Bytes& row = y == 0 ? s.rowTop : s.rowOther;
            std::copy(row.begin(), row.begin() + std::min(row.size(), 16 * pixelBytes),
                      tile.begin() + y * 16 * pixelBytes);
        }
        TIFFWriteTile(tiff, tile.data(), 0, 0, 0, 0);
    } else {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 1);
        for (int y = 0; y < s.height; ++y) {
            Bytes row = y == 0 ? s.rowTop : s.rowOther;
            TIFFWriteScanline(tiff, row.data(), static_cast<std::uint32_t>(y), 0);
        }
    }
    TIFFClose(tiff);
    return fileBytes(name);
}

Bytes repeat(const Bytes& sample, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i) {
        out.insert(out.end(), sample.begin(), sample.end());
    }
    return out;
}

} // namespace

TEST(JpegVariants, GreyProgressiveAndCmyk) {
    const Picture grey = read(jpegFile(8, 8, 1, JCS_GRAYSCALE, {120}, false));
    ASSERT_EQ(grey.width, 8);
    EXPECT_TRUE(near(pixel(grey, 3, 3), {120, 120, 120}, 1));

    const Picture progressive = read(jpegFile(16, 16, 3, JCS_RGB, {200, 100, 50}, true));
    EXPECT_TRUE(near(pixel(progressive, 15, 15), {50, 100, 200}, 3)) << "stored red, green, blue";

    // CMYK as written by print software: inverted values with an Adobe marker.
    const Picture cmyk = read(jpegFile(8, 8, 4, JCS_CMYK, {255, 127, 0, 255}, false));
    EXPECT_TRUE(near(pixel(cmyk, 0, 0), {0, 127, 255}, 3));
}

TEST(PngVariants, EveryColourType) {
    PngSpec grey1{8, 2, 1, PNG_COLOR_TYPE_GRAY, false, {0xAA}, {}, {}};
    const Picture g1 = read(pngFile(grey1));
    EXPECT_EQ(pixel(g1, 0, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(pixel(g1, 1, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(g1.xPelsPerMeter, 3937);

    PngSpec grey4{2, 2, 4, PNG_COLOR_TYPE_GRAY, false, {0x5F}, {}, {}};
    EXPECT_EQ(pixel(read(pngFile(grey4)), 0, 0), (Bgr{85, 85, 85}));

    PngSpec grey16{1, 2, 16, PNG_COLOR_TYPE_GRAY, false, {0x80, 0x80}, {}, {}};
    EXPECT_EQ(pixel(read(pngFile(grey16)), 0, 0), (Bgr{128, 128, 128})) << "scaled, 32896 -> 128";

    PngSpec rgb16{1, 2, 16, PNG_COLOR_TYPE_RGB, true, {0xFF, 0xFF, 0x00, 0x00, 0x7F, 0xFF}, {}, {}};
    EXPECT_EQ(pixel(read(pngFile(rgb16)), 0, 1), (Bgr{127, 0, 255}));

    PngSpec rgba{2, 2, 8, PNG_COLOR_TYPE_RGB_ALPHA, false, {0, 0, 0, 0, 200, 100, 0, 128}, {}, {}};
    const Picture a = read(pngFile(rgba));
    EXPECT_EQ(pixel(a, 0, 0), (Bgr{255, 255, 255})) << "transparent: white";
    EXPECT_EQ(pixel(a, 1, 0), (Bgr{127, 177, 227})) << "half covering: composed onto white";

    PngSpec greyAlpha{1, 1, 8, PNG_COLOR_TYPE_GRAY_ALPHA, false, {0, 255}, {}, {}};
    EXPECT_EQ(pixel(read(pngFile(greyAlpha)), 0, 0), (Bgr{0, 0, 0}));

    PngSpec palette{
        2, 2, 8, PNG_COLOR_TYPE_PALETTE, true, {1, 0}, {{10, 20, 30}, {40, 50, 60}}, {255, 0}};
    const Picture p = read(pngFile(palette));
    EXPECT_EQ(pixel(p, 0, 1), (Bgr{255, 255, 255})) << "index 1 is fully transparent";
    EXPECT_EQ(pixel(p, 1, 1), (Bgr{30, 20, 10}));
}

TEST(TiffVariants, StripsTilesCompressionsAndDepths) {
    const Bytes top = {255, 0, 0, 0, 255, 0, 0, 0, 255};
    const Bytes other = {10, 20, 30, 10, 20, 30, 10, 20, 30};
    for (int compression :
         {COMPRESSION_NONE, COMPRESSION_PACKBITS, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE}) {
        for (bool tiled : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << "compression " << compression << (tiled ? " tiled" : ""));
            TiffSpec s;
            s.compression = compression;
            s.tiled = tiled;
            s.rowTop = top;
            s.rowOther = other;
            const Picture p = read(tiffFile(s));
            ASSERT_EQ(p.width, 3);
            EXPECT_EQ(pixel(p, 0, 0), (Bgr{0, 0, 255}));
            EXPECT_EQ(pixel(p, 2, 0), (Bgr{255, 0, 0}));
            EXPECT_EQ(pixel(p, 1, 1), (Bgr{30, 20, 10}));
            EXPECT_EQ(p.xPelsPerMeter, 4000) << "40 per centimetre";
        }
    }
}

TEST(TiffVariants, SixteenBitsPaletteGreyOrientationAndAlpha) {
    TiffSpec deep;
    deep.bits = 16;
    deep.rowTop = repeat({0xFF, 0xFF, 0x00, 0x80, 0x00, 0x00}, 3);
    deep.rowOther = deep.rowTop;
    EXPECT_EQ(pixel(read(tiffFile(deep)), 1, 0), (Bgr{0, 128, 255}));

    TiffSpec palette;
    palette.samples = 1;
    palette.photometric = PHOTOMETRIC_PALETTE;
    palette.colourMap.assign(3 * 256, 0);
    palette.colourMap[1] = 0xFFFF;       // red of index 1
    palette.colourMap[256 + 2] = 0xFFFF; // green of index 2
    palette.rowTop = {1, 2, 0};
    palette.rowOther = {0, 0, 0};
    const Picture p = read(tiffFile(palette));
    EXPECT_EQ(pixel(p, 0, 0), (Bgr{0, 0, 255}));
    EXPECT_EQ(pixel(p, 1, 0), (Bgr{0, 255, 0}));

    TiffSpec grey;
    grey.samples = 1;
    grey.photometric = PHOTOMETRIC_MINISWHITE;
    grey.rowTop = {0, 255, 100};
    grey.rowOther = grey.rowTop;
    const Picture g = read(tiffFile(grey));
    EXPECT_EQ(pixel(g, 0, 0), (Bgr{255, 255, 255})) << "min-is-white";
    EXPECT_EQ(pixel(g, 2, 0), (Bgr{155, 155, 155}));

    TiffSpec flipped;
    flipped.orientation = ORIENTATION_BOTLEFT;
    flipped.rowTop = {255, 0, 0, 255, 0, 0, 255, 0, 0};
    flipped.rowOther = repeat({10, 20, 30}, 3);
    const Picture f = read(tiffFile(flipped));
    EXPECT_EQ(pixel(f, 0, 1), (Bgr{0, 0, 255})) << "the first stored row is the bottom one";

    TiffSpec alpha;
    alpha.samples = 4;
    alpha.extraSamples = EXTRASAMPLE_UNASSALPHA;
    alpha.rowTop = repeat({200, 100, 0, 0}, 3);
    alpha.rowOther = repeat({200, 100, 0, 255}, 3);
    const Picture a = read(tiffFile(alpha));
    EXPECT_EQ(pixel(a, 0, 0), (Bgr{255, 255, 255})) << "transparent: white";
    EXPECT_EQ(pixel(a, 0, 1), (Bgr{0, 100, 200}));
}
