// BMP files: 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed, RLE8, RLE4 and bit
// fields, bottom-up or top-down rows, OS/2 core and Windows v3, v4 and v5 headers. Written as
// 24-bit uncompressed v3.
#include "byte_reader.h"
#include "codecs.h"

#include <array>
#include <vector>

namespace imagefile {

namespace {

enum Compression : std::uint32_t { rgb = 0, rle8 = 1, rle4 = 2, bitFields = 3, alphaBitFields = 6 };

struct Bgr {
    std::uint8_t b, g, r;
};

struct BmpLayout {
    std::int64_t width = 0;
    std::int64_t height = 0; // positive; see topDown
    bool topDown = false;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = rgb;
    std::uint32_t masks[3] = {0, 0, 0}; // red, green, blue
    std::vector<Bgr> palette;
    std::uint32_t pixelOffset = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
};

// A channel of a bit-field pixel scaled to 0..255.
struct Field {
    int shift = 0;
    std::uint32_t max = 0;

    explicit Field(std::uint32_t mask) {
        if (mask == 0) {
            return;
        }
        while (((mask >> shift) & 1u) == 0) {
            ++shift;
        }
        max = mask >> shift;
    }
    std::uint8_t of(std::uint32_t pixel) const {
        if (max == 0) {
            return 0;
        }
        const std::uint64_t value = (pixel >> shift) & max;
        return static_cast<std::uint8_t>((value * 255 + max / 2) / max);
    }
};

int readLayout(Bytes file, BmpLayout& layout) {
    ByteReader in(file);
    std::uint16_t magic = 0;
    std::uint32_t fileSize = 0;
    std::uint32_t reserved = 0;
    std::uint32_t headerSize = 0;
    if (!in.read(magic) || magic != 0x4D42 || !in.read(fileSize) || !in.read(reserved) ||
        !in.read(layout.pixelOffset) || !in.read(headerSize)) {
        return IP_DAMAGED_FILE;
    }
    const std::size_t paletteStart = 14 + static_cast<std::size_t>(headerSize);
    std::size_t paletteEntrySize = 4;
    std::uint32_t colorsUsed = 0;
    if (headerSize == 12) {
        std::uint16_t width = 0, height = 0, planes = 0;
        if (!in.read(width) || !in.read(height) || !in.read(planes) || !in.read(layout.bitCount)) {
            return IP_DAMAGED_FILE;
        }
        layout.width = width;
        layout.height = height;
        paletteEntrySize = 3;
    } else if (headerSize >= 40) {
        std::int32_t width = 0, height = 0;
        std::uint16_t planes = 0;
        std::uint32_t sizeImage = 0;
        if (!in.read(width) || !in.read(height) || !in.read(planes) || !in.read(layout.bitCount) ||
            !in.read(layout.compression) || !in.read(sizeImage) || !in.read(layout.xPelsPerMeter) ||
            !in.read(layout.yPelsPerMeter) || !in.read(colorsUsed)) {
            return IP_DAMAGED_FILE;
        }
        layout.width = width;
        layout.topDown = height < 0;
        layout.height = height < 0 ? -static_cast<std::int64_t>(height) : height;
        if (layout.compression == bitFields || layout.compression == alphaBitFields) {
            // Masks sit inside v4/v5 headers and right after a v3 header.
            ByteReader masks(file, headerSize >= 52 ? 14 + 40 : paletteStart);
            if (!masks.read(layout.masks[0]) || !masks.read(layout.masks[1]) ||
                !masks.read(layout.masks[2])) {
                return IP_DAMAGED_FILE;
            }
        }
    } else {
        return IP_UNSUPPORTED;
    }
    if (layout.bitCount <= 8) {
        const std::size_t entries = colorsUsed == 0 || colorsUsed > (1u << layout.bitCount)
                                        ? (std::size_t{1} << layout.bitCount)
                                        : colorsUsed;
        std::size_t at = paletteStart;
        if (headerSize == 40 &&
            (layout.compression == bitFields || layout.compression == alphaBitFields)) {
            at += layout.compression == bitFields ? 12 : 16;
        }
        ByteReader palette(file, at);
        for (std::size_t i = 0; i < entries && palette.has(paletteEntrySize); ++i) {
            const std::uint8_t* p = palette.here();
            layout.palette.push_back({p[0], p[1], p[2]});
            palette.skip(paletteEntrySize);
        }
    }
    return IP_OK;
}

int checkLayout(const BmpLayout& layout) {
    const bool knownDepth = layout.bitCount == 1 || layout.bitCount == 4 || layout.bitCount == 8 ||
                            layout.bitCount == 16 || layout.bitCount == 24 || layout.bitCount == 32;
    if (!knownDepth) {
        return IP_UNSUPPORTED;
    }
    switch (layout.compression) {
    case rgb:
        return IP_OK;
    case rle8:
        return layout.bitCount == 8 && !layout.topDown ? IP_OK : IP_DAMAGED_FILE;
    case rle4:
        return layout.bitCount == 4 && !layout.topDown ? IP_OK : IP_DAMAGED_FILE;
    case bitFields:
    case alphaBitFields:
        return layout.bitCount == 16 || layout.bitCount == 32 ? IP_OK : IP_DAMAGED_FILE;
    default:
        return IP_UNSUPPORTED;
    }
}

Bgr paletteColor(const BmpLayout& layout, unsigned index) {
    return index < layout.palette.size() ? layout.palette[index] : Bgr{0, 0, 0};
}

void putPixel(std::uint8_t* row, std::int64_t x, Bgr c) {
    row[x * 3] = c.b;
    row[x * 3 + 1] = c.g;
    row[x * 3 + 2] = c.r;
}

// One stored row of an uncompressed bitmap into a picture row.
void decodeRow(const BmpLayout& layout, const std::uint8_t* src, std::uint8_t* dst) {
    const Field red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]);
    for (std::int64_t x = 0; x < layout.width; ++x) {
        switch (layout.bitCount) {
        case 1:
            putPixel(dst, x, paletteColor(layout, (src[x >> 3] >> (7 - (x & 7))) & 1));
            break;
        case 4:
            putPixel(dst, x, paletteColor(layout, (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15));
            break;
        case 8:
            putPixel(dst, x, paletteColor(layout, src[x]));
            break;
        case 16: {
            const std::uint32_t pixel = src[x * 2] | src[x * 2 + 1] << 8;
            if (layout.compression == rgb) {
                const Field r5(0x7C00), g5(0x03E0), b5(0x001F);
                putPixel(dst, x, {b5.of(pixel), g5.of(pixel), r5.of(pixel)});
            } else {
                putPixel(dst, x, {blue.of(pixel), green.of(pixel), red.of(pixel)});
            }
            break;
        }
        case 24:
            putPixel(dst, x, {src[x * 3], src[x * 3 + 1], src[x * 3 + 2]});
            break;
        default: { // 32
            const std::uint8_t* p = src + x * 4;
            if (layout.compression == rgb) {
                putPixel(dst, x, {p[0], p[1], p[2]});
            } else {
                const std::uint32_t pixel =
                    p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
                putPixel(dst, x, {blue.of(pixel), green.of(pixel), red.of(pixel)});
            }
            break;
        }
        }
    }
}

std::uint64_t storedStride(const BmpLayout& layout) {
    return (static_cast<std::uint64_t>(layout.width) * layout.bitCount + 31) / 32 * 4;
}

// Whether the file is long enough for the rows it claims: all of them uncompressed, and for
// run lengths at least the pixel offset (a stream may end early and leave the rest black).
bool holdsRows(Bytes file, const BmpLayout& layout) {
    if (layout.pixelOffset > file.size() || layout.width <= 0 || layout.height <= 0) {
        return false;
    }
    if (layout.compression == rle8 || layout.compression == rle4) {
        return true;
    }
    const std::uint64_t rows = file.size() - layout.pixelOffset;
    return storedStride(layout) <= rows &&
           static_cast<std::uint64_t>(layout.height) <= rows / storedStride(layout);
}

int readUncompressed(Bytes file, const BmpLayout& layout, Progress& progress, DibBuffer& out) {
    const std::uint64_t stride = storedStride(layout);
    for (std::int64_t stored = 0; stored < layout.height; ++stored) {
        const std::int64_t y = layout.topDown ? stored : layout.height - 1 - stored;
        decodeRow(layout, file.data() + layout.pixelOffset + stored * stride,
                  out.row(static_cast<std::int32_t>(y)));
        if (!progress.report(stored + 1, layout.height)) {
            return IP_CANCELLED;
        }
    }
    return IP_OK;
}

// RLE8 and RLE4: runs and absolute stretches of palette indices, bottom row first. Pixels the
// stream skips or leaves out stay black.
int readRunLength(Bytes file, const BmpLayout& layout, Progress& progress, DibBuffer& out) {
    ByteReader in(file, layout.pixelOffset);
    const bool four = layout.compression == rle4;
    std::int64_t x = 0;
    std::int64_t stored = 0;
    auto put = [&](unsigned index) {
        if (x < layout.width && stored < layout.height) {
            putPixel(out.row(static_cast<std::int32_t>(layout.height - 1 - stored)), x,
                     paletteColor(layout, index));
        }
        ++x;
    };
    while (stored < layout.height) {
        std::uint8_t count = 0, value = 0;
        if (!in.read(count) || !in.read(value)) {
            return IP_OK; // a stream that stops early leaves the rest black
        }
        if (count > 0) {
            for (unsigned i = 0; i < count; ++i) {
                put(four ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
            }
            continue;
        }
        if (value == 0 || value == 1) { // end of line, end of bitmap
            x = 0;
            ++stored;
            if (!progress.report(stored, layout.height)) {
                return IP_CANCELLED;
            }
            if (value == 1) {
                break;
            }
        } else if (value == 2) { // delta
            std::uint8_t dx = 0, dy = 0;
            if (!in.read(dx) || !in.read(dy)) {
                return IP_OK;
            }
            x += dx;
            stored += dy;
        } else { // an absolute stretch of `value` indices, padded to 16 bits
            const std::size_t bytes = four ? (value + 1u) / 2 : value;
            if (!in.has(bytes)) {
                return IP_OK;
            }
            for (unsigned i = 0; i < value; ++i) {
                const std::uint8_t b = in.here()[four ? i / 2 : i];
                put(four ? (i % 2 == 0 ? b >> 4 : b & 15) : b);
            }
            in.skip(bytes + (bytes & 1));
        }
    }
    return IP_OK;
}

} // namespace

int readBmp(Bytes file, Progress& progress, DibBuffer& out) {
    BmpLayout layout;
    int result = readLayout(file, layout);
    if (result == IP_OK) {
        result = checkLayout(layout);
    }
    if (result == IP_OK) {
        result = checkPictureSize(layout.width, layout.height);
    }
    if (result == IP_OK && !holdsRows(file, layout)) {
        result = IP_DAMAGED_FILE; // checked before the picture is allocated
    }
    if (result == IP_OK) {
        result = out.create(layout.width, layout.height);
    }
    if (result != IP_OK) {
        return result;
    }
    out.setResolution(layout.xPelsPerMeter, layout.yPelsPerMeter);
    if (layout.compression == rle8 || layout.compression == rle4) {
        return readRunLength(file, layout, progress, out);
    }
    return readUncompressed(file, layout, progress, out);
}

int writeBmp(const DibView& picture, std::FILE* file, Progress& progress) {
    const std::size_t stride = rowStride24(picture.width());
    const std::uint64_t area = static_cast<std::uint64_t>(stride) * picture.height();
    const std::uint32_t offset = 14 + infoHeaderSize;
    const std::uint16_t magic = 0x4D42;
    const auto fileSize = static_cast<std::uint32_t>(offset + area);
    const std::uint32_t reserved = 0;
    BITMAPINFOHEADER h{infoHeaderSize,
                       picture.width(),
                       picture.height(),
                       1,
                       24,
                       0,
                       static_cast<std::uint32_t>(area),
                       picture.xPelsPerMeter(),
                       picture.yPelsPerMeter(),
                       0,
                       0};
    bool ok = std::fwrite(&magic, 2, 1, file) == 1 && std::fwrite(&fileSize, 4, 1, file) == 1 &&
              std::fwrite(&reserved, 4, 1, file) == 1 && std::fwrite(&offset, 4, 1, file) == 1 &&
              std::fwrite(&h, sizeof h, 1, file) == 1;
    for (std::int32_t stored = 0; ok && stored < picture.height(); ++stored) {
        ok = std::fwrite(picture.row(picture.height() - 1 - stored), 1, stride, file) == stride;
        if (ok && !progress.report(stored + 1, picture.height())) {
            return IP_CANCELLED;
        }
    }
    return ok ? IP_OK : IP_WRITE_FAILED;
}

} // namespace imagefile
