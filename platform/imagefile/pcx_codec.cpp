// PCX files: 1-bit, 4-bit (four 1-bit planes or one 4-bit plane) and 8-bit palette pictures
// and 24-bit pictures of three 8-bit planes, run-length encoded. Written as 24-bit,
// three planes.
#include "codecs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace imagefile {

namespace {

#pragma pack(push, 1)
struct PcxHeader {
    std::uint8_t manufacturer; // 10
    std::uint8_t version;
    std::uint8_t encoding; // 1: run-length
    std::uint8_t bitsPerPixel;
    std::uint16_t xMin, yMin, xMax, yMax;
    std::uint16_t hDpi, vDpi;
    std::uint8_t egaPalette[48];
    std::uint8_t reserved;
    std::uint8_t planes;
    std::uint16_t bytesPerLine;
    std::uint16_t paletteInfo;
    std::uint16_t hScreen, vScreen;
    std::uint8_t filler[54];
};
#pragma pack(pop)
static_assert(sizeof(PcxHeader) == 128);

constexpr std::size_t vgaPaletteSize = 769; // 0x0C, then 256 RGB entries
constexpr std::int32_t maxWidth = 65534;

struct Rgb {
    std::uint8_t r, g, b;
};

// Decodes one scan line (all planes) of run-length data; false when the data runs out.
bool readLine(StreamReader& in, std::vector<std::uint8_t>& line, bool encoded) {
    std::size_t filled = 0;
    while (filled < line.size()) {
        std::uint8_t byte = 0;
        if (!in.read(byte)) {
            return false;
        }
        std::size_t count = 1;
        if (encoded && (byte & 0xC0) == 0xC0) {
            count = byte & 0x3F;
            if (!in.read(byte)) {
                return false;
            }
        }
        count = std::min(count, line.size() - filled);
        std::fill_n(line.begin() + static_cast<std::ptrdiff_t>(filled), count, byte);
        filled += count;
    }
    return true;
}

// The 256-colour palette at the end of the file, after its 0x0C mark; empty when it is not
// there.
std::vector<Rgb> vgaPaletteOf(Source& file) {
    std::vector<Rgb> palette;
    if (file.size() < sizeof(PcxHeader) + vgaPaletteSize) {
        return palette;
    }
    const std::vector<std::uint8_t> p = file.bytesAt(file.size() - vgaPaletteSize, vgaPaletteSize);
    if (p.size() == vgaPaletteSize && p[0] == 0x0C) {
        for (std::size_t i = 1; i < vgaPaletteSize; i += 3) {
            palette.push_back({p[i], p[i + 1], p[i + 2]});
        }
    }
    return palette;
}

std::vector<Rgb> paletteOf(Source& file, const PcxHeader& h) {
    std::vector<Rgb> palette;
    if (h.bitsPerPixel == 8 && h.planes == 1) {
        palette = vgaPaletteOf(file);
        if (palette.empty()) {
            for (int i = 0; i < 256; ++i) { // no palette: grey levels
                palette.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                                   static_cast<std::uint8_t>(i)});
            }
        }
    } else if (h.bitsPerPixel == 1 && h.planes == 1) {
        palette = {{0, 0, 0}, {255, 255, 255}};
    } else {
        for (int i = 0; i < 16; ++i) {
            palette.push_back(
                {h.egaPalette[i * 3], h.egaPalette[i * 3 + 1], h.egaPalette[i * 3 + 2]});
        }
    }
    return palette;
}

enum class Kind { Mono, Ega, Nibble, Indexed, TrueColour, Unknown };

Kind kindOf(const PcxHeader& h) {
    if (h.bitsPerPixel == 1 && h.planes == 1) {
        return Kind::Mono;
    }
    if (h.bitsPerPixel == 1 && h.planes == 4) {
        return Kind::Ega;
    }
    if (h.bitsPerPixel == 4 && h.planes == 1) {
        return Kind::Nibble;
    }
    if (h.bitsPerPixel == 8 && h.planes == 1) {
        return Kind::Indexed;
    }
    if (h.bitsPerPixel == 8 && h.planes == 3) {
        return Kind::TrueColour;
    }
    return Kind::Unknown;
}

void decodeLine(Kind kind, const std::vector<std::uint8_t>& line, std::size_t bytesPerLine,
                const std::vector<Rgb>& palette, std::int64_t width, std::uint8_t* dst) {
    for (std::int64_t x = 0; x < width; ++x) {
        Rgb c{0, 0, 0};
        switch (kind) {
        case Kind::Mono:
            c = palette[(line[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case Kind::Ega: {
            unsigned index = 0;
            for (std::size_t plane = 0; plane < 4; ++plane) {
                index |= ((line[plane * bytesPerLine + (x >> 3)] >> (7 - (x & 7))) & 1u) << plane;
            }
            c = palette[index];
            break;
        }
        case Kind::Nibble:
            c = palette[(line[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
            break;
        case Kind::Indexed:
            c = palette[line[x]];
            break;
        default:
            c = {line[x], line[bytesPerLine + x], line[2 * bytesPerLine + x]};
            break;
        }
        dst[x * 3] = c.b;
        dst[x * 3 + 1] = c.g;
        dst[x * 3 + 2] = c.r;
    }
}

bool runFits(std::size_t count) {
    return count <= 63;
}

void writeRuns(std::vector<std::uint8_t>& out, const std::uint8_t* data, std::size_t size) {
    std::size_t i = 0;
    while (i < size) {
        std::size_t run = 1;
        while (i + run < size && data[i + run] == data[i] && runFits(run + 1)) {
            ++run;
        }
        if (run > 1 || (data[i] & 0xC0) == 0xC0) {
            out.push_back(static_cast<std::uint8_t>(0xC0 | run));
        }
        out.push_back(data[i]);
        i += run;
    }
}

} // namespace

// The most rows the data after the header could hold: encoded, one byte can stand for up to
// 63 bytes of a line.
std::int64_t rowsTheDataCanHold(Source& file, std::size_t lineBytes, bool encoded) {
    const std::uint64_t data = file.size() - sizeof(PcxHeader);
    const std::uint64_t perLine = encoded ? (lineBytes + 62) / 63 : lineBytes;
    return static_cast<std::int64_t>(data / std::max<std::uint64_t>(perLine, 1));
}

// An 8-bit file whose image data is followed by the palette's 0x0C mark but which ends before
// the palette does: its colours are lost.
bool paletteCutOff(Source& file, const PcxHeader& h, std::uint64_t dataEnd) {
    if (h.bitsPerPixel != 8 || h.planes != 1 || !vgaPaletteOf(file).empty()) {
        return false;
    }
    const std::vector<std::uint8_t> mark = file.bytesAt(dataEnd, 1);
    return !mark.empty() && mark[0] == 0x0C;
}

int readPcx(Source& file, Progress& progress, DibBuffer& out) {
    PcxHeader h{};
    if (file.readAt(0, &h, sizeof h) != sizeof h || h.manufacturer != 10) {
        return IP_DAMAGED_FILE;
    }
    const Kind kind = kindOf(h);
    if (kind == Kind::Unknown || h.encoding > 1) {
        return IP_UNSUPPORTED;
    }
    const std::int64_t width = std::int64_t{h.xMax} - h.xMin + 1;
    const std::int64_t height = std::int64_t{h.yMax} - h.yMin + 1;
    const std::size_t bitsPerLine =
        static_cast<std::size_t>(h.bitsPerPixel) * (width > 0 ? width : 0);
    if (width <= 0 || height <= 0 || std::size_t{h.bytesPerLine} * 8 < bitsPerLine) {
        return IP_DAMAGED_FILE;
    }
    std::vector<std::uint8_t> line(std::size_t{h.planes} * h.bytesPerLine);
    const std::int64_t holdable = rowsTheDataCanHold(file, line.size(), h.encoding == 1);
    if (holdable < height && !enoughRowsToShow(holdable, height)) {
        return IP_DAMAGED_FILE; // known before the picture is allocated
    }
    if (const int created = out.create(width, height); created != IP_OK) {
        return created;
    }
    out.setResolution(pelsPerMeterFromInch(h.hDpi), pelsPerMeterFromInch(h.vDpi));
    const std::vector<Rgb> palette = paletteOf(file, h);
    StreamReader in(file, sizeof(PcxHeader));
    for (std::int64_t y = 0; y < height; ++y) {
        if (!readLine(in, line, h.encoding == 1)) {
            return enoughRowsToShow(y, height) ? IP_INCOMPLETE : IP_DAMAGED_FILE;
        }
        decodeLine(kind, line, h.bytesPerLine, palette, width,
                   out.row(static_cast<std::int32_t>(y)));
        if (!progress.report(y + 1, height)) {
            return IP_CANCELLED;
        }
    }
    return paletteCutOff(file, h, in.position()) ? IP_INCOMPLETE : IP_OK;
}

int writePcx(const DibView& picture, std::FILE* file, Progress& progress) {
    // PCX holds 16-bit coordinates and a 16-bit even count of bytes per line.
    if (picture.width() > maxWidth || picture.height() > 65535) {
        return IP_BAD_BITMAP;
    }
    const std::size_t bytesPerLine = (static_cast<std::size_t>(picture.width()) + 1) / 2 * 2;
    PcxHeader h{};
    h.manufacturer = 10;
    h.version = 5;
    h.encoding = 1;
    h.bitsPerPixel = 8;
    h.xMax = static_cast<std::uint16_t>(picture.width() - 1);
    h.yMax = static_cast<std::uint16_t>(picture.height() - 1);
    h.hDpi = static_cast<std::uint16_t>(
        std::clamp(std::lround(dotsPerInch(picture.xPelsPerMeter())), 0L, 65535L));
    h.vDpi = static_cast<std::uint16_t>(
        std::clamp(std::lround(dotsPerInch(picture.yPelsPerMeter())), 0L, 65535L));
    h.planes = 3;
    h.bytesPerLine = static_cast<std::uint16_t>(bytesPerLine);
    h.paletteInfo = 1;
    if (std::fwrite(&h, sizeof h, 1, file) != 1) {
        return IP_WRITE_FAILED;
    }
    std::vector<std::uint8_t> plane(bytesPerLine);
    std::vector<std::uint8_t> encoded;
    for (std::int32_t y = 0; y < picture.height(); ++y) {
        encoded.clear();
        const std::uint8_t* row = picture.row(y);
        for (int channel : {2, 1, 0}) { // red, green, blue planes
            for (std::int32_t x = 0; x < picture.width(); ++x) {
                plane[x] = row[x * 3 + channel];
            }
            writeRuns(encoded, plane.data(), plane.size());
        }
        if (std::fwrite(encoded.data(), 1, encoded.size(), file) != encoded.size()) {
            return IP_WRITE_FAILED;
        }
        if (!progress.report(y + 1, picture.height())) {
            return IP_CANCELLED;
        }
    }
    return IP_OK;
}

} // namespace imagefile
