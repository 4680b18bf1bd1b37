// PCX files: 1-bit, 4-bit (four 1-bit planes or one 4-bit plane) and 8-bit palette pictures
// and 24-bit pictures of three 8-bit planes, run-length encoded. Written as 24-bit,
// three planes.
#include "byte_reader.h"
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

struct Rgb {
    std::uint8_t r, g, b;
};

// Decodes one scan line (all planes) of run-length data; false when the data runs out.
bool readLine(ByteReader& in, std::vector<std::uint8_t>& line, bool encoded) {
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

std::vector<Rgb> paletteOf(Bytes file, const PcxHeader& h) {
    std::vector<Rgb> palette;
    if (h.bitsPerPixel == 8 && h.planes == 1) {
        if (file.size() >= sizeof(PcxHeader) + vgaPaletteSize &&
            file[file.size() - vgaPaletteSize] == 0x0C) {
            const std::uint8_t* p = file.data() + file.size() - 768;
            for (int i = 0; i < 256; ++i) {
                palette.push_back({p[i * 3], p[i * 3 + 1], p[i * 3 + 2]});
            }
        } else {
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

int readPcx(Bytes file, Progress& progress, DibBuffer& out) {
    ByteReader in(file);
    PcxHeader h{};
    if (!in.read(h) || h.manufacturer != 10) {
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
    if (const int created = out.create(width, height); created != IP_OK) {
        return created;
    }
    out.setResolution(pelsPerMeterFromInch(h.hDpi), pelsPerMeterFromInch(h.vDpi));
    const std::vector<Rgb> palette = paletteOf(file, h);
    std::vector<std::uint8_t> line(std::size_t{h.planes} * h.bytesPerLine);
    for (std::int64_t y = 0; y < height; ++y) {
        if (!readLine(in, line, h.encoding == 1)) {
            return IP_DAMAGED_FILE;
        }
        decodeLine(kind, line, h.bytesPerLine, palette, width,
                   out.row(static_cast<std::int32_t>(y)));
        if (!progress.report(y + 1, height)) {
            return IP_CANCELLED;
        }
    }
    return IP_OK;
}

int writePcx(const DibView& picture, std::FILE* file, Progress& progress) {
    if (picture.width() > 65535 || picture.height() > 65535) {
        return IP_BAD_BITMAP; // PCX holds 16-bit coordinates
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
