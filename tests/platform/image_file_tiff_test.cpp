// TIFF reading: every orientation turned upright as ImageMagick turns it, grey with alpha composed
// onto white, files cut short or claiming more than they hold, kinds of picture libtiff cannot
// convert, and the memory a picture costs. TIFF writing with Deflate, and the compression read
// back from a file.
#include "image_file_calls.h"
#include "memory_budget.h"

#include "platform/picture_writing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <map>

#include <tiffio.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Bgr = std::array<std::uint8_t, 3>;

constexpr const char* tiffset = "/usr/bin/tiffset";
constexpr const char* magick = "/usr/bin/convert";
constexpr std::uint64_t refusalBudget = std::uint64_t{256} << 20;

Bgr pixel(const Picture& p, int x, int y) {
    return {p.at(x, y)[0], p.at(x, y)[1], p.at(x, y)[2]};
}

// A picture written with libtiff: `pixels` holds the samples of every row, packed, top row first.
struct TiffLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bits = 8;
    std::uint16_t samples = 3;
    std::uint16_t photometric = PHOTOMETRIC_RGB;
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint32_t rowsPerStrip = 1;
    std::uint32_t tileSize = 0; // square tiles of this size instead of strips
    std::uint16_t extraSample = 0;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    std::vector<std::uint16_t> colourMap; // red, then green, then blue entries
    Bytes pixels;

    std::size_t rowBytes() const { return std::size_t{width} * samples * bits / 8; }
};

void writeTiles(TIFF* tiff, const TiffLayout& l) {
    const std::size_t pixelBytes = std::size_t{l.samples} * l.bits / 8;
    const std::size_t tileRow = l.tileSize * pixelBytes;
    for (std::uint32_t top = 0; top < l.height; top += l.tileSize) {
        for (std::uint32_t left = 0; left < l.width; left += l.tileSize) {
            Bytes tile(tileRow * l.tileSize, 0);
            for (std::uint32_t y = top; y < std::min(top + l.tileSize, l.height); ++y) {
                const std::size_t columns = std::min(l.tileSize, l.width - left);
                const auto* from = l.pixels.data() + y * l.rowBytes() + left * pixelBytes;
                std::copy(from, from + columns * pixelBytes,
                          tile.begin() + static_cast<std::ptrdiff_t>((y - top) * tileRow));
            }
            TIFFWriteTile(tiff, tile.data(), left, top, 0, 0);
        }
    }
}

void writeTiff(const std::string& path, const TiffLayout& l) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tiff, nullptr);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, l.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, l.height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, l.bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, l.samples);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, l.photometric);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, l.compression);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, l.orientation);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_CENTIMETER);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 40.0f);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 20.0f);
    if (l.photometric == PHOTOMETRIC_SEPARATED) {
        TIFFSetField(tiff, TIFFTAG_INKSET, INKSET_CMYK);
    }
    if (l.extraSample != 0) {
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &l.extraSample);
    }
    if (!l.colourMap.empty()) {
        const std::size_t n = l.colourMap.size() / 3;
        TIFFSetField(tiff, TIFFTAG_COLORMAP, l.colourMap.data(), l.colourMap.data() + n,
                     l.colourMap.data() + 2 * n);
    }
    if (l.tileSize != 0) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, l.tileSize);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, l.tileSize);
        writeTiles(tiff, l);
    } else {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, l.rowsPerStrip);
        Bytes row(l.rowBytes());
        for (std::uint32_t y = 0; y < l.height; ++y) {
            std::copy_n(l.pixels.begin() + static_cast<std::ptrdiff_t>(y * l.rowBytes()),
                        row.size(), row.begin());
            TIFFWriteScanline(tiff, row.data(), y, 0);
        }
    }
    TIFFClose(tiff);
}

// An asymmetric picture: up to 256 pixels wide and high, no two pixels of a row, nor two rows,
// alike.
Bgr patternColour(std::uint32_t x, std::uint32_t y) {
    return {static_cast<std::uint8_t>(x * 37 + y * 11), static_cast<std::uint8_t>(y * 53 + x),
            static_cast<std::uint8_t>(x * y * 7 + 3)};
}

// RGB samples of the pattern, `bits` deep (16-bit samples are v * 257, exact at 8 bits).
TiffLayout rgbPattern(std::uint32_t width, std::uint32_t height, std::uint16_t bits = 8) {
    TiffLayout l;
    l.width = width;
    l.height = height;
    l.bits = bits;
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const Bgr c = patternColour(x, y);
            for (int channel : {2, 1, 0}) {
                l.pixels.push_back(c[channel]);
                if (bits == 16) {
                    l.pixels.push_back(c[channel]);
                }
            }
        }
    }
    return l;
}

// A palette picture whose index at (x, y) is (x + 3y) % 256, every entry a distinct colour.
TiffLayout palettePattern(std::uint32_t width, std::uint32_t height) {
    TiffLayout l;
    l.width = width;
    l.height = height;
    l.samples = 1;
    l.photometric = PHOTOMETRIC_PALETTE;
    l.colourMap.resize(3 * 256);
    for (std::uint16_t i = 0; i < 256; ++i) {
        l.colourMap[i] = static_cast<std::uint16_t>(i * 257);
        l.colourMap[256 + i] = static_cast<std::uint16_t>((255 - i) * 257);
        l.colourMap[512 + i] = static_cast<std::uint16_t>((i * 3 % 256) * 257);
    }
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            l.pixels.push_back(static_cast<std::uint8_t>(x + 3 * y));
        }
    }
    return l;
}

Picture expectedPattern(std::uint32_t width, std::uint32_t height) {
    Picture p{static_cast<int>(width), static_cast<int>(height), 0, 0,
              Bytes(std::size_t{width} * height * 3)};
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const Bgr c = patternColour(x, y);
            std::copy(c.begin(), c.end(), p.at(static_cast<int>(x), static_cast<int>(y)));
        }
    }
    return p;
}

bool rowsEqual(const Picture& a, const Picture& b, int first, int end) {
    const std::size_t rowBytes = static_cast<std::size_t>(a.width) * 3;
    return std::equal(a.at(0, first), a.at(0, first) + rowBytes * (end - first), b.at(0, first));
}

bool rowsBlack(const Picture& p, int first, int end) {
    return std::all_of(p.at(0, first),
                       p.at(0, first) + static_cast<std::size_t>(p.width) * 3 * (end - first),
                       [](std::uint8_t v) { return v == 0; });
}

bool run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

bool toolsPresent() {
    return ::access(tiffset, X_OK) == 0 && ::access(magick, X_OK) == 0;
}

// A binary PPM as written by ImageMagick: "P6", width, height, maximum 255, then RGB samples.
Picture readPpm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    in >> magic >> width >> height >> maximum;
    in.get();
    if (magic != "P6" || maximum != 255 || width <= 0 || height <= 0) {
        return {};
    }
    Picture p{width, height, 0, 0, Bytes(static_cast<std::size_t>(width) * height * 3)};
    in.read(reinterpret_cast<char*>(p.bgr.data()), static_cast<std::streamsize>(p.bgr.size()));
    for (std::size_t i = 0; i + 2 < p.bgr.size(); i += 3) {
        std::swap(p.bgr[i], p.bgr[i + 2]);
    }
    return in ? p : Picture{};
}

// The picture ImageMagick shows for the file, turned upright by its orientation tag.
Picture magickUpright(const std::string& tiff) {
    const std::string ppm = tiff + ".ppm";
    if (!run(std::string(magick) + " '" + tiff + "' -auto-orient -depth 8 'ppm:" + ppm + "'")) {
        return {};
    }
    return readPpm(ppm);
}

// The same pixels, tagged with each orientation by tiffset: our picture must be the one
// ImageMagick shows, byte for byte.
void expectEveryOrientationAsMagickShows(const TiffLayout& layout) {
    ScratchFolder folder;
    const std::string base = folder.file("base.tif");
    writeTiff(base, layout);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(testing::Message() << "orientation " << orientation);
        const std::string tagged = folder.file("o" + std::to_string(orientation) + ".tif");
        writeFile(tagged, fileBytes(base));
        ASSERT_TRUE(run(std::string(tiffset) + " -s 274 " + std::to_string(orientation) + " '" +
                        tagged + "'"));
        const Picture shown = magickUpright(tagged);
        ASSERT_FALSE(shown.bgr.empty());
        int code = -1;
        const Picture ours = importPicture(tagged, &code);
        ASSERT_EQ(code, IP_OK);
        ASSERT_EQ(ours.width, shown.width);
        ASSERT_EQ(ours.height, shown.height);
        EXPECT_TRUE(ours.bgr == shown.bgr);
        const bool turned = orientation >= 5;
        EXPECT_EQ(ours.xPelsPerMeter, turned ? 2000 : 4000) << "resolutions turn with the axes";
        EXPECT_EQ(ours.yPelsPerMeter, turned ? 4000 : 2000);
    }
}

// A little-endian TIFF laid out as header, directory, values, then the strips in order, as
// some writers lay it out: cutting the file keeps the directory and loses strips from the last
// one back.
class DirectoryFirstTiff {
public:
    DirectoryFirstTiff& shorts(std::uint16_t tag, std::vector<std::uint32_t> values) {
        entries_.push_back({tag, TIFF_SHORT, std::move(values)});
        return *this;
    }
    DirectoryFirstTiff& longs(std::uint16_t tag, std::vector<std::uint32_t> values) {
        entries_.push_back({tag, TIFF_LONG, std::move(values)});
        return *this;
    }

    Bytes build(const std::vector<Bytes>& strips) const {
        std::vector<Entry> entries = entries_;
        std::vector<std::uint32_t> counts;
        for (const Bytes& strip : strips) {
            counts.push_back(static_cast<std::uint32_t>(strip.size()));
        }
        entries.push_back({TIFFTAG_STRIPOFFSETS, TIFF_LONG, counts});
        entries.push_back({TIFFTAG_STRIPBYTECOUNTS, TIFF_LONG, counts});
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
        std::size_t valuesEnd = 8 + 2 + 12 * entries.size() + 4;
        for (const Entry& e : entries) {
            valuesEnd += e.bytes() > 4 ? e.bytes() : 0;
        }
        std::uint32_t stripOffset = static_cast<std::uint32_t>(valuesEnd);
        for (Entry& e : entries) {
            if (e.tag == TIFFTAG_STRIPOFFSETS) {
                for (std::uint32_t& value : e.values) {
                    const std::uint32_t size = value;
                    value = stripOffset;
                    stripOffset += size;
                }
            }
        }
        return serialise(entries, strips);
    }

private:
    struct Entry {
        std::uint16_t tag;
        std::uint16_t type;
        std::vector<std::uint32_t> values;
        std::size_t bytes() const { return values.size() * (type == TIFF_SHORT ? 2 : 4); }
    };

    static void put(Bytes& out, std::uint32_t value, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    static void putValues(Bytes& out, const Entry& e) {
        for (std::uint32_t value : e.values) {
            put(out, value, e.type == TIFF_SHORT ? 2 : 4);
        }
    }

    static Bytes serialise(const std::vector<Entry>& entries, const std::vector<Bytes>& strips) {
        Bytes out{'I', 'I', 42, 0, 8, 0, 0, 0};
        put(out, static_cast<std::uint32_t>(entries.size()), 2);
        std::size_t nextValue = 8 + 2 + 12 * entries.size() + 4;
        for (const Entry& e : entries) {
            put(out, e.tag, 2);
            put(out, e.type, 2);
            put(out, static_cast<std::uint32_t>(e.values.size()), 4);
            if (e.bytes() > 4) {
                put(out, static_cast<std::uint32_t>(nextValue), 4);
                nextValue += e.bytes();
                continue;
            }
            Bytes inline_;
            putValues(inline_, e);
            inline_.resize(4, 0);
            out.insert(out.end(), inline_.begin(), inline_.end());
        }
        put(out, 0, 4);
        for (const Entry& e : entries) {
            if (e.bytes() > 4) {
                putValues(out, e);
            }
        }
        for (const Bytes& strip : strips) {
            out.insert(out.end(), strip.begin(), strip.end());
        }
        return out;
    }

    std::vector<Entry> entries_;
};

DirectoryFirstTiff rgbDirectory(std::uint32_t width, std::uint32_t height,
                                std::uint32_t rowsPerStrip, std::uint16_t compression) {
    DirectoryFirstTiff tiff;
    tiff.longs(TIFFTAG_IMAGEWIDTH, {width})
        .longs(TIFFTAG_IMAGELENGTH, {height})
        .shorts(TIFFTAG_BITSPERSAMPLE, {8, 8, 8})
        .shorts(TIFFTAG_COMPRESSION, {compression})
        .shorts(TIFFTAG_PHOTOMETRIC, {PHOTOMETRIC_RGB})
        .shorts(TIFFTAG_SAMPLESPERPIXEL, {3})
        .longs(TIFFTAG_ROWSPERSTRIP, {rowsPerStrip});
    return tiff;
}

DirectoryFirstTiff paletteDirectory(std::uint32_t width, std::uint32_t height,
                                    std::uint32_t rowsPerStrip, std::uint16_t compression) {
    std::vector<std::uint32_t> colourMap(3 * 256);
    for (std::uint32_t i = 0; i < 256; ++i) {
        colourMap[i] = colourMap[256 + i] = colourMap[512 + i] = i * 257;
    }
    DirectoryFirstTiff tiff;
    tiff.longs(TIFFTAG_IMAGEWIDTH, {width})
        .longs(TIFFTAG_IMAGELENGTH, {height})
        .shorts(TIFFTAG_BITSPERSAMPLE, {8})
        .shorts(TIFFTAG_COMPRESSION, {compression})
        .shorts(TIFFTAG_PHOTOMETRIC, {PHOTOMETRIC_PALETTE})
        .shorts(TIFFTAG_SAMPLESPERPIXEL, {1})
        .longs(TIFFTAG_ROWSPERSTRIP, {rowsPerStrip})
        .shorts(TIFFTAG_COLORMAP, colourMap);
    return tiff;
}

// The pattern as uncompressed RGB strips of `rowsPerStrip` rows.
std::vector<Bytes> patternStrips(std::uint32_t width, std::uint32_t height,
                                 std::uint32_t rowsPerStrip) {
    const TiffLayout l = rgbPattern(width, height);
    std::vector<Bytes> strips;
    for (std::uint32_t top = 0; top < height; top += rowsPerStrip) {
        const auto from = l.pixels.begin() + static_cast<std::ptrdiff_t>(top * l.rowBytes());
        const std::size_t rows = std::min(rowsPerStrip, height - top);
        strips.emplace_back(from, from + static_cast<std::ptrdiff_t>(rows * l.rowBytes()));
    }
    return strips;
}

// `count` zero bytes as PackBits runs of 128.
Bytes packBitsZeros(std::size_t count) {
    Bytes out;
    for (; count >= 128; count -= 128) {
        out.insert(out.end(), {0x81, 0});
    }
    if (count > 0) {
        out.insert(out.end(), {static_cast<std::uint8_t>(257 - count), 0});
    }
    return out;
}

Picture readBytes(const Bytes& file, int* code) {
    ScratchFolder folder;
    writeFile(folder.file("in.tif"), file);
    return importPicture(folder.file("in.tif"), code);
}

// Smooth gradients with a little noise, as in a photograph: what Deflate with the predictor
// is for, and what a predictor applied wrongly would show in.
Picture photoLikePicture(int width, int height) {
    Picture p = patternPicture(width, height);
    std::uint32_t noise = 12345;
    for (std::uint8_t& sample : p.bgr) {
        noise = noise * 1103515245u + 12345u;
        sample = static_cast<std::uint8_t>(sample / 2 + (noise >> 28));
    }
    return p;
}

struct WrittenTiff {
    std::uint16_t compression = 0;
    std::uint16_t predictor = 0;
    std::uint32_t stripCount = 0;
    Picture picture; // as libtiff decodes it
};

// A file as libtiff itself reads it, row by row.
WrittenTiff readWithLibtiff(const std::string& path) {
    WrittenTiff written;
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (tiff == nullptr) {
        return written;
    }
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &written.compression);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PREDICTOR, &written.predictor);
    written.stripCount = TIFFNumberOfStrips(tiff);
    Picture& p = written.picture;
    p = {static_cast<int>(width), static_cast<int>(height), 0, 0,
         Bytes(std::size_t{width} * height * 3)};
    Bytes row(static_cast<std::size_t>(TIFFScanlineSize(tiff)));
    for (std::uint32_t y = 0; y < height; ++y) {
        TIFFReadScanline(tiff, row.data(), y, 0);
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t* bgr = p.at(static_cast<int>(x), static_cast<int>(y));
            bgr[0] = row[x * 3 + 2];
            bgr[1] = row[x * 3 + 1];
            bgr[2] = row[x * 3];
        }
    }
    TIFFClose(tiff);
    return written;
}

} // namespace

TEST(TiffOrientation, EveryOrientationComesOutAsImageMagickShowsIt) {
    if (!toolsPresent()) {
        GTEST_SKIP() << "needs " << tiffset << " and " << magick;
    }
    // Small pictures in one chunk, and taller ones read in several chunks with a clipped last
    // tile, through the direct 8-bit path and through libtiff's RGBA reader (row by row from
    // strips, a row of tiles at a time).
    for (const auto& [width, height] : {std::pair{5u, 3u}, std::pair{37u, 70u}}) {
        TiffLayout palette = palettePattern(width, height);
        palette.rowsPerStrip = 3;
        TiffLayout tiled = rgbPattern(width, height, 16);
        tiled.tileSize = 16;
        tiled.compression = COMPRESSION_ADOBE_DEFLATE;
        const std::map<std::string, TiffLayout> variants = {
            {"8-bit RGB strips", rgbPattern(width, height)},
            {"palette strips of three rows", palette},
            {"16-bit RGB tiles", tiled},
        };
        for (const auto& [what, layout] : variants) {
            SCOPED_TRACE(testing::Message() << what << ", " << width << " x " << height);
            expectEveryOrientationAsMagickShows(layout);
        }
    }
}

TEST(TiffAlpha, GreyWithUnassociatedAlphaIsComposedOntoWhite) {
    TiffLayout grey;
    grey.width = 4;
    grey.height = 1;
    grey.samples = 2;
    grey.photometric = PHOTOMETRIC_MINISBLACK;
    grey.extraSample = EXTRASAMPLE_UNASSALPHA;
    grey.pixels = {182, 176, 182, 0, 182, 255, 0, 128};
    ScratchFolder folder;
    writeTiff(folder.file("grey.tif"), grey);
    const Picture p = importPicture(folder.file("grey.tif"));
    ASSERT_EQ(p.width, 4);
    EXPECT_EQ(pixel(p, 0, 0), (Bgr{205, 205, 205})) << "(182 * 176 + 255 * 79 + 127) / 255";
    EXPECT_EQ(pixel(p, 1, 0), (Bgr{255, 255, 255})) << "transparent: white";
    EXPECT_EQ(pixel(p, 2, 0), (Bgr{182, 182, 182})) << "opaque: as stored";
    EXPECT_EQ(pixel(p, 3, 0), (Bgr{127, 127, 127}));

    grey.photometric = PHOTOMETRIC_MINISWHITE;
    grey.pixels = {73, 176, 73, 0, 73, 255, 255, 128};
    writeTiff(folder.file("white.tif"), grey);
    const Picture w = importPicture(folder.file("white.tif"));
    ASSERT_EQ(w.width, 4);
    EXPECT_EQ(pixel(w, 0, 0), (Bgr{205, 205, 205})) << "min-is-white 73 is grey 182";
    EXPECT_EQ(pixel(w, 1, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(pixel(w, 2, 0), (Bgr{182, 182, 182}));
    EXPECT_EQ(pixel(w, 3, 0), (Bgr{127, 127, 127}));
}

TEST(TiffAlpha, AssociatedAlphaAndColourWithUnassociatedAlphaKeepTheirValues) {
    ScratchFolder folder;
    TiffLayout grey;
    grey.width = 2;
    grey.height = 1;
    grey.samples = 2;
    grey.photometric = PHOTOMETRIC_MINISBLACK;
    grey.extraSample = EXTRASAMPLE_ASSOCALPHA;
    grey.pixels = {125, 176, 0, 0};
    writeTiff(folder.file("grey.tif"), grey);
    const Picture g = importPicture(folder.file("grey.tif"));
    ASSERT_EQ(g.width, 2);
    EXPECT_EQ(pixel(g, 0, 0), (Bgr{204, 204, 204})) << "stored already multiplied: 125 + 79";
    EXPECT_EQ(pixel(g, 1, 0), (Bgr{255, 255, 255}));

    TiffLayout colour;
    colour.width = 2;
    colour.height = 1;
    colour.samples = 4;
    colour.extraSample = EXTRASAMPLE_UNASSALPHA;
    colour.pixels = {200, 100, 0, 128, 10, 20, 30, 255};
    writeTiff(folder.file("colour.tif"), colour);
    const Picture c = importPicture(folder.file("colour.tif"));
    ASSERT_EQ(c.width, 2);
    EXPECT_EQ(pixel(c, 0, 0), (Bgr{127, 177, 227})) << "composed onto white";
    EXPECT_EQ(pixel(c, 1, 0), (Bgr{30, 20, 10}));

    colour.extraSample = EXTRASAMPLE_ASSOCALPHA;
    colour.pixels = {100, 50, 0, 128, 10, 20, 30, 255};
    writeTiff(folder.file("associated.tif"), colour);
    EXPECT_EQ(pixel(importPicture(folder.file("associated.tif")), 0, 0), (Bgr{127, 177, 227}));
}

TEST(TiffKinds, WhatLibtiffCannotConvertIsUnsupportedNotDamaged) {
    ScratchFolder folder;
    TiffLayout cmyk;
    cmyk.width = 2;
    cmyk.height = 2;
    cmyk.samples = 4;
    cmyk.photometric = PHOTOMETRIC_SEPARATED;
    cmyk.pixels = {0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255, 0, 255, 0, 0};
    writeTiff(folder.file("cmyk8.tif"), cmyk);
    const Picture p = importPicture(folder.file("cmyk8.tif"));
    ASSERT_EQ(p.width, 2);
    EXPECT_EQ(pixel(p, 0, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(pixel(p, 1, 0), (Bgr{255, 255, 0})) << "cyan";
    EXPECT_EQ(pixel(p, 0, 1), (Bgr{0, 0, 0}));
    EXPECT_EQ(pixel(p, 1, 1), (Bgr{255, 0, 255})) << "magenta";

    cmyk.bits = 16;
    cmyk.pixels.assign(2 * 2 * 4 * 2, 0);
    writeTiff(folder.file("cmyk16.tif"), cmyk);
    EXPECT_EQ(importCode(folder.file("cmyk16.tif")), IP_UNSUPPORTED);

    const Bytes unknownCompression = rgbDirectory(4, 4, 4, 34712).build({Bytes(48, 0)});
    writeFile(folder.file("jpeg2000.tif"), unknownCompression);
    EXPECT_EQ(importCode(folder.file("jpeg2000.tif")), IP_UNSUPPORTED);
}

TEST(TiffDamage, AFileCutAfterMostOfItsStripsOpensIncompleteWithItsRowsExact) {
    const Picture whole = expectedPattern(40, 32);
    const std::vector<Bytes> strips = patternStrips(40, 32, 4); // 8 strips of 480 bytes
    for (std::uint16_t orientation : {ORIENTATION_TOPLEFT, ORIENTATION_BOTRIGHT}) {
        SCOPED_TRACE(testing::Message() << "orientation " << orientation);
        const Bytes file = rgbDirectory(40, 32, 4, COMPRESSION_NONE)
                               .shorts(TIFFTAG_ORIENTATION, {orientation})
                               .build(strips);
        // Cut at 60 % of the strip data: four strips whole, the fifth cut short.
        const std::size_t dataStart = file.size() - 8 * 480;
        const Bytes cut(file.begin(),
                        file.begin() + static_cast<std::ptrdiff_t>(dataStart + 8 * 480 * 6 / 10));
        int code = -1;
        Picture p = readBytes(cut, &code);
        ASSERT_EQ(code, IP_INCOMPLETE);
        ASSERT_EQ(p.width, 40);
        ASSERT_EQ(p.height, 32);
        if (orientation == ORIENTATION_BOTRIGHT) {
            std::reverse(p.bgr.begin(), p.bgr.end()); // turned back, pixels end to end
            for (std::size_t i = 0; i + 2 < p.bgr.size(); i += 3) {
                std::swap(p.bgr[i], p.bgr[i + 2]);
            }
        }
        EXPECT_TRUE(rowsEqual(p, whole, 0, 16)) << "the rows of the whole strips";
        EXPECT_TRUE(rowsBlack(p, 16, 32)) << "nothing from the cut strip on";
    }
}

TEST(TiffDamage, TooLittleLeftOfAFileIsDamaged) {
    const std::vector<Bytes> strips = patternStrips(40, 64, 2);
    const Bytes file = rgbDirectory(40, 64, 2, COMPRESSION_NONE).build(strips);
    const std::size_t firstStripEnd = file.size() - 31 * 240;
    int code = -1;
    readBytes(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(firstStripEnd)),
              &code);
    EXPECT_EQ(code, IP_DAMAGED_FILE) << "2 rows of 64 are less than a sixteenth";

    readBytes(
        Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(firstStripEnd + 240 * 3)),
        &code);
    EXPECT_EQ(code, IP_INCOMPLETE) << "8 rows of 64 are enough to show";
}

TEST(TiffDamage, AStripOrTileThatFailsToDecodeEndsThePictureThere) {
    struct Broken {
        const char* what;
        std::uint16_t bits;
        std::uint32_t tileSize;
        std::uint32_t strile; // overwritten with bytes Deflate cannot decode
        int firstLostRow;
    };
    // 8-bit RGB is converted here, 16-bit by libtiff's RGBA reader: row by row from strips, a
    // row of tiles at a time from tiles (the third row of tiles starts at tile 6).
    for (const Broken& b :
         {Broken{"8-bit strips", 8, 0, 5, 40}, Broken{"16-bit strips", 16, 0, 5, 40},
          Broken{"16-bit tiles", 16, 16, 6, 32}}) {
        SCOPED_TRACE(b.what);
        TiffLayout layout = rgbPattern(40, 64, b.bits);
        layout.compression = COMPRESSION_ADOBE_DEFLATE;
        layout.rowsPerStrip = 8;
        layout.tileSize = b.tileSize;
        ScratchFolder folder;
        const std::string name = folder.file("broken.tif");
        writeTiff(name, layout);
        TIFF* tiff = TIFFOpen(name.c_str(), "r");
        ASSERT_NE(tiff, nullptr);
        const std::uint64_t offset = TIFFGetStrileOffset(tiff, b.strile);
        const std::uint64_t count = TIFFGetStrileByteCount(tiff, b.strile);
        TIFFClose(tiff);
        Bytes file = fileBytes(name);
        std::fill_n(file.begin() + static_cast<std::ptrdiff_t>(offset), count, 0xFF);
        writeFile(name, file);

        int code = -1;
        const Picture p = importPicture(name, &code);
        ASSERT_EQ(code, IP_INCOMPLETE);
        EXPECT_TRUE(rowsEqual(p, expectedPattern(40, 64), 0, b.firstLostRow));
        EXPECT_TRUE(rowsBlack(p, b.firstLostRow, 64));
    }
}

TEST(TiffMemory, SmallFilesClaimingHugePicturesAreRefusedBeforeAnythingIsAllocated) {
    if (!test_support::addressSpaceLimitsWork()) {
        GTEST_SKIP() << "address-space limits mean nothing under AddressSanitizer";
    }
    ScratchFolder folder;
    // One PackBits strip of one row, where thousands of rows are claimed; the palette pictures
    // go through libtiff's RGBA reader.
    const auto claim = [](std::uint32_t side, std::uint16_t orientation, bool palette) {
        if (!palette) {
            return rgbDirectory(side, side, 1, COMPRESSION_PACKBITS)
                .shorts(TIFFTAG_ORIENTATION, {orientation})
                .build({packBitsZeros(std::size_t{side} * 3)});
        }
        return paletteDirectory(side, side, 1, COMPRESSION_PACKBITS)
            .shorts(TIFFTAG_ORIENTATION, {orientation})
            .build({packBitsZeros(side)});
    };
    const std::map<std::string, Bytes> files = {
        {"RGB beyond the size limit", claim(30000, ORIENTATION_TOPLEFT, false)},
        {"RGB within the size limit", claim(18000, ORIENTATION_TOPLEFT, false)},
        {"RGB within the size limit, turned", claim(18000, ORIENTATION_RIGHTTOP, false)},
        {"palette within the size limit, turned", claim(18000, ORIENTATION_LEFTBOT, true)},
    };
    for (const auto& [what, bytes] : files) {
        SCOPED_TRACE(what);
        EXPECT_LT(bytes.size(), 5000u);
        const std::string name = folder.file("claim.tif");
        writeFile(name, bytes);
        EXPECT_EQ(importCodeWithin(refusalBudget, name), IP_DAMAGED_FILE);
    }
}

TEST(TiffMemory, AnOpenedPicturePeaksBelowOneAndAHalfTimesItsSize) {
    if (!test_support::addressSpaceLimitsWork()) {
        GTEST_SKIP() << "address-space limits mean nothing under AddressSanitizer";
    }
    ScratchFolder folder;
    const TiffLayout pattern = rgbPattern(3000, 2000);
    const std::uint64_t budget = std::uint64_t{3000} * 2000 * 3 * 3 / 2;
    struct Variant {
        const char* what;
        std::uint16_t orientation;
        std::uint16_t compression;
        std::uint32_t rowsPerStrip;
    };
    for (const Variant& v : {Variant{"strips", ORIENTATION_TOPLEFT, COMPRESSION_NONE, 8},
                             Variant{"strips, turned", ORIENTATION_RIGHTTOP, COMPRESSION_NONE, 8},
                             Variant{"one strip", ORIENTATION_TOPLEFT, COMPRESSION_NONE, 2000},
                             Variant{"one Deflate strip, turned", ORIENTATION_RIGHTTOP,
                                     COMPRESSION_ADOBE_DEFLATE, 2000}}) {
        SCOPED_TRACE(v.what);
        TiffLayout layout = pattern;
        layout.orientation = v.orientation;
        layout.compression = v.compression;
        layout.rowsPerStrip = v.rowsPerStrip;
        const std::string name = folder.file("big.tif");
        writeTiff(name, layout);
        EXPECT_EQ(importCodeWithin(budget, name), IP_OK);
    }
}

TEST(TiffWriting, DeflateWritesEveryPixelBackExactlyWithTheHorizontalPredictor) {
    ScratchFolder folder;
    // Rows of 2,100 bytes: several rows to a strip, and several strips.
    const Picture original = photoLikePicture(700, 50);
    const std::string deflate = folder.file("deflate.tif");
    ASSERT_EQ(exportPicture(original, deflate, IP_TIFF_DEFLATE), IP_OK);

    int code = -1;
    const Picture back = importPicture(deflate, &code);
    EXPECT_EQ(code, IP_OK);
    EXPECT_EQ(back, original);

    const WrittenTiff written = readWithLibtiff(deflate);
    EXPECT_EQ(written.compression, COMPRESSION_ADOBE_DEFLATE);
    EXPECT_EQ(written.predictor, PREDICTOR_HORIZONTAL);
    EXPECT_GT(written.stripCount, 1u);
    Picture expected = original;
    expected.xPelsPerMeter = expected.yPelsPerMeter = 0;
    EXPECT_EQ(written.picture, expected) << "libtiff decodes the same pixels";

    ASSERT_EQ(exportPicture(original, folder.file("packbits.tif"), IP_TIFF_PACKBITS), IP_OK);
    EXPECT_LT(fileBytes(deflate).size(), fileBytes(folder.file("packbits.tif")).size());
    ASSERT_EQ(exportPicture(original, folder.file("both.tif"), IP_TIFF_DEFLATE | IP_TIFF_PACKBITS),
              IP_OK);
    EXPECT_EQ(fileBytes(folder.file("both.tif")), fileBytes(deflate)) << "Deflate wins";
}

TEST(TiffWriting, EveryCompressionIsReadBackAsTheOneThatWritesTheFileSoAgain) {
    ScratchFolder folder;
    const std::vector<std::pair<std::uint16_t, std::uint32_t>> cases = {
        {COMPRESSION_NONE, IP_TIFF_UNCOMPRESSED},     {COMPRESSION_PACKBITS, IP_TIFF_PACKBITS},
        {COMPRESSION_ADOBE_DEFLATE, IP_TIFF_DEFLATE}, {COMPRESSION_DEFLATE, IP_TIFF_DEFLATE},
        {COMPRESSION_LZW, IP_TIFF_PACKBITS},
    };
    for (const auto& [compression, bits] : cases) {
        SCOPED_TRACE(compression);
        TiffLayout layout = rgbPattern(20, 10);
        layout.compression = compression;
        const std::string name = folder.file("c" + std::to_string(compression) + ".tif");
        writeTiff(name, layout);
        EXPECT_EQ(platform::pictureWritingOfFile(name.c_str()).bits, bits);
    }
}
