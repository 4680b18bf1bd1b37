// BMP files: 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed, RLE8, RLE4 and bit
// fields (with an alpha mask composed onto white), bottom-up or top-down rows, OS/2 core and
// Windows v3, v4 and v5 headers. Written as 24-bit uncompressed v3.
#include "byte_reader.h"
#include "codecs.h"

#include <algorithm>
#include <array>
#include <vector>

namespace imagefile {

namespace {

enum Compression : std::uint32_t { rgb = 0, rle8 = 1, rle4 = 2, bitFields = 3, alphaBitFields = 6 };

constexpr std::size_t fileHeaderSize = 14;
constexpr std::size_t largestInfoHeader = 124; // v5
// Uncompressed rows are read a few at a time, about this many bytes at once.
constexpr std::size_t rowChunkBytes = 1 << 20;

struct Bgr {
    std::uint8_t b, g, r;
};

struct BmpLayout {
    std::int64_t width = 0;
    std::int64_t height = 0; // positive; see topDown
    bool topDown = false;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = rgb;
    std::uint32_t masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    std::vector<Bgr> palette;
    std::uint32_t pixelOffset = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;

    bool runLength() const { return compression == rle8 || compression == rle4; }
    bool fields() const { return compression == bitFields || compression == alphaBitFields; }
    bool hasAlphaMask() const { return fields() && masks[3] != 0; }
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

struct Fields {
    Field red, green, blue, alpha;
    explicit Fields(const BmpLayout& layout)
        : red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]),
          alpha(layout.masks[3]) {}
};

// The bit-field masks: inside v4/v5 headers (alpha from 56-byte headers on), right after a v3
// header (alpha only with compression 6).
bool readMasks(const std::vector<std::uint8_t>& head, std::uint32_t headerSize, BmpLayout& layout) {
    ByteReader masks(head, fileHeaderSize + 40);
    if (!masks.read(layout.masks[0]) || !masks.read(layout.masks[1]) ||
        !masks.read(layout.masks[2])) {
        return false;
    }
    const bool alphaInHeader = headerSize >= 56;
    if (alphaInHeader || (headerSize < 52 && layout.compression == alphaBitFields)) {
        return masks.read(layout.masks[3]);
    }
    return true;
}

void readPalette(Source& file, std::uint64_t at, std::size_t entries, std::size_t entrySize,
                 BmpLayout& layout) {
    const std::vector<std::uint8_t> bytes = file.bytesAt(at, entries * entrySize);
    for (std::size_t i = 0; i + entrySize <= bytes.size(); i += entrySize) {
        layout.palette.push_back({bytes[i], bytes[i + 1], bytes[i + 2]});
    }
}

int readLayout(Source& file, BmpLayout& layout) {
    const std::vector<std::uint8_t> head = file.bytesAt(0, fileHeaderSize + largestInfoHeader + 16);
    ByteReader in(head);
    std::uint16_t magic = 0;
    std::uint32_t fileSize = 0;
    std::uint32_t reserved = 0;
    std::uint32_t headerSize = 0;
    if (!in.read(magic) || magic != 0x4D42 || !in.read(fileSize) || !in.read(reserved) ||
        !in.read(layout.pixelOffset) || !in.read(headerSize)) {
        return IP_DAMAGED_FILE;
    }
    const std::uint64_t paletteStart = fileHeaderSize + std::uint64_t{headerSize};
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
        if (layout.fields() && !readMasks(head, headerSize, layout)) {
            return IP_DAMAGED_FILE;
        }
    } else {
        return IP_UNSUPPORTED;
    }
    if (layout.bitCount <= 8) {
        const std::size_t entries = colorsUsed == 0 || colorsUsed > (1u << layout.bitCount)
                                        ? (std::size_t{1} << layout.bitCount)
                                        : colorsUsed;
        std::uint64_t at = paletteStart;
        if (headerSize == 40 && layout.fields()) {
            at += layout.compression == bitFields ? 12 : 16;
        }
        readPalette(file, at, entries, paletteEntrySize, layout);
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

std::uint32_t fieldPixel(const BmpLayout& layout, const std::uint8_t* src, std::int64_t x) {
    if (layout.bitCount == 16) {
        return src[x * 2] | src[x * 2 + 1] << 8;
    }
    const std::uint8_t* p = src + x * 4;
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// One stored row of bit-field pixels; with `composeAlpha` each is put on white by its alpha.
void decodeFieldRow(const BmpLayout& layout, const Fields& fields, bool composeAlpha,
                    const std::uint8_t* src, std::uint8_t* dst) {
    for (std::int64_t x = 0; x < layout.width; ++x) {
        const std::uint32_t pixel = fieldPixel(layout, src, x);
        Bgr c{fields.blue.of(pixel), fields.green.of(pixel), fields.red.of(pixel)};
        if (composeAlpha) {
            const unsigned alpha = fields.alpha.of(pixel);
            c = {composeOnWhite(c.b, alpha), composeOnWhite(c.g, alpha),
                 composeOnWhite(c.r, alpha)};
        }
        putPixel(dst, x, c);
    }
}

// One stored row of an uncompressed bitmap without bit fields into a picture row.
void decodePlainRow(const BmpLayout& layout, const std::uint8_t* src, std::uint8_t* dst) {
    const Field r5(0x7C00), g5(0x03E0), b5(0x001F);
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
            putPixel(dst, x, {b5.of(pixel), g5.of(pixel), r5.of(pixel)});
            break;
        }
        case 24:
            putPixel(dst, x, {src[x * 3], src[x * 3 + 1], src[x * 3 + 2]});
            break;
        default: // 32: the fourth byte is unused
            putPixel(dst, x, {src[x * 4], src[x * 4 + 1], src[x * 4 + 2]});
            break;
        }
    }
}

std::uint64_t storedStride(const BmpLayout& layout) {
    return (static_cast<std::uint64_t>(layout.width) * layout.bitCount + 31) / 32 * 4;
}

// How many whole stored rows the file holds after the pixel offset.
std::int64_t rowsInFile(Source& file, const BmpLayout& layout) {
    if (layout.pixelOffset > file.size()) {
        return 0;
    }
    const std::uint64_t rows = (file.size() - layout.pixelOffset) / storedStride(layout);
    return static_cast<std::int64_t>(std::min<std::uint64_t>(rows, layout.height));
}

// Calls `use(stored, bytes)` for every stored row the file holds, in stored order, reading a
// chunk of rows at a time; the number of rows that could be read.
template <typename Use>
std::int64_t forEachStoredRow(Source& file, const BmpLayout& layout, std::int64_t rows, Use&& use) {
    if (rows <= 0) {
        return 0;
    }
    const std::uint64_t stride = storedStride(layout);
    const auto perChunk = static_cast<std::int64_t>(
        std::clamp<std::uint64_t>(rowChunkBytes / stride, 1, static_cast<std::uint64_t>(rows)));
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(stride * perChunk));
    for (std::int64_t first = 0; first < rows; first += perChunk) {
        const std::int64_t wanted = std::min(perChunk, rows - first);
        const std::size_t got = file.readAt(layout.pixelOffset + first * stride, chunk.data(),
                                            static_cast<std::size_t>(wanted * stride));
        const auto whole = static_cast<std::int64_t>(got / stride);
        for (std::int64_t r = 0; r < whole; ++r) {
            if (!use(first + r, chunk.data() + r * stride)) {
                return first + r;
            }
        }
        if (whole < wanted) {
            return first + whole; // the file shrank while it was read
        }
    }
    return rows;
}

// Whether any pixel has an alpha other than 0: many writers leave the alpha of opaque
// pictures at 0, so such a picture is shown opaque.
bool anyAlpha(Source& file, const BmpLayout& layout, std::int64_t rows) {
    const Field alpha(layout.masks[3]);
    bool found = false;
    forEachStoredRow(file, layout, rows, [&](std::int64_t, const std::uint8_t* src) {
        for (std::int64_t x = 0; x < layout.width && !found; ++x) {
            found = alpha.of(fieldPixel(layout, src, x)) != 0;
        }
        return !found;
    });
    return found;
}

int readUncompressed(Source& file, const BmpLayout& layout, std::int64_t rows, Progress& progress,
                     DibBuffer& out) {
    const Fields fields(layout);
    const bool composeAlpha = layout.hasAlphaMask() && anyAlpha(file, layout, rows);
    const std::int64_t read =
        forEachStoredRow(file, layout, rows, [&](std::int64_t stored, const std::uint8_t* src) {
            const std::int64_t y = layout.topDown ? stored : layout.height - 1 - stored;
            std::uint8_t* dst = out.row(static_cast<std::int32_t>(y));
            if (layout.fields()) {
                decodeFieldRow(layout, fields, composeAlpha, src, dst);
            } else {
                decodePlainRow(layout, src, dst);
            }
            return progress.report(stored + 1, layout.height);
        });
    if (progress.stopped()) {
        return IP_CANCELLED;
    }
    return read == layout.height ? IP_OK : IP_INCOMPLETE;
}

// Where a run-length stream got to: whether it reached its end-of-bitmap mark or its last row,
// and how many stored rows it finished.
struct RunLengthEnd {
    bool complete = false;
    std::int64_t rows = 0;
};

// RLE8 and RLE4: runs and absolute stretches of palette indices, bottom row first. Pixels the
// stream skips or leaves out stay black. Without a picture the stream is only followed, to
// learn where it ends before anything is allocated.
RunLengthEnd followRunLength(Source& file, const BmpLayout& layout, DibBuffer* out,
                             Progress& progress) {
    StreamReader in(file, layout.pixelOffset);
    const bool four = layout.compression == rle4;
    std::int64_t x = 0;
    std::int64_t stored = 0;
    auto put = [&](unsigned index) {
        if (out != nullptr && x < layout.width && stored < layout.height) {
            putPixel(out->row(static_cast<std::int32_t>(layout.height - 1 - stored)), x,
                     paletteColor(layout, index));
        }
        ++x;
    };
    auto ended = [&](bool complete) {
        const bool lastRowFilled = stored == layout.height - 1 && x >= layout.width;
        return RunLengthEnd{complete || stored >= layout.height || lastRowFilled,
                            std::min(stored, layout.height)};
    };
    std::array<std::uint8_t, 256> stretch{};
    while (stored < layout.height) {
        std::uint8_t count = 0, value = 0;
        if (!in.read(count) || !in.read(value)) {
            return ended(false);
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
            if (out != nullptr && !progress.report(stored, layout.height)) {
                return ended(false);
            }
            if (value == 1) {
                return ended(true);
            }
        } else if (value == 2) { // delta
            std::uint8_t dx = 0, dy = 0;
            if (!in.read(dx) || !in.read(dy)) {
                return ended(false);
            }
            x += dx;
            stored += dy;
        } else { // an absolute stretch of `value` indices, padded to 16 bits
            const std::size_t bytes = four ? (value + 1u) / 2 : value;
            if (!in.read(stretch.data(), bytes + (bytes & 1))) {
                return ended(false);
            }
            for (unsigned i = 0; i < value; ++i) {
                const std::uint8_t b = stretch[four ? i / 2 : i];
                put(four ? (i % 2 == 0 ? b >> 4 : b & 15) : b);
            }
        }
    }
    return ended(true);
}

// The picture's rows that the file can deliver, learnt before the picture is allocated: -1
// when too few of them are there to be worth showing.
std::int64_t deliverableRows(Source& file, const BmpLayout& layout, Progress& progress) {
    if (layout.pixelOffset > file.size()) {
        return -1;
    }
    std::int64_t rows = layout.height;
    if (layout.runLength()) {
        const RunLengthEnd end = followRunLength(file, layout, nullptr, progress);
        rows = end.complete ? layout.height : end.rows;
    } else {
        rows = rowsInFile(file, layout);
    }
    return rows == layout.height || enoughRowsToShow(rows, layout.height) ? rows : -1;
}

} // namespace

int readBmp(Source& file, Progress& progress, DibBuffer& out) {
    BmpLayout layout;
    int result = readLayout(file, layout);
    if (result == IP_OK) {
        result = checkLayout(layout);
    }
    if (result == IP_OK) {
        result = checkPictureSize(layout.width, layout.height);
    }
    const std::int64_t rows = result == IP_OK ? deliverableRows(file, layout, progress) : 0;
    if (result == IP_OK && rows < 0) {
        result = IP_DAMAGED_FILE; // known before the picture is allocated
    }
    if (result == IP_OK) {
        result = out.create(layout.width, layout.height);
    }
    if (result != IP_OK) {
        return result;
    }
    out.setResolution(layout.xPelsPerMeter, layout.yPelsPerMeter);
    if (!layout.runLength()) {
        return readUncompressed(file, layout, rows, progress, out);
    }
    const RunLengthEnd end = followRunLength(file, layout, &out, progress);
    if (progress.stopped()) {
        return IP_CANCELLED;
    }
    return end.complete ? IP_OK : IP_INCOMPLETE;
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
