// TIFF files through libtiff: strips and tiles, every compression libtiff decodes (none,
// PackBits, LZW, Deflate, ...), 1 to 16 bits, palette, greyscale, RGB, separated and YCbCr,
// any orientation, alpha composed onto white. Written as 8-bit RGB strips, uncompressed or
// PackBits.
#include "codecs.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include <tiffio.h>

namespace imagefile {

namespace {

struct MemoryFile {
    Bytes bytes;
    toff_t position = 0;
};

tmsize_t readMemory(thandle_t handle, void* out, tmsize_t size) {
    auto* file = static_cast<MemoryFile*>(handle);
    if (size < 0 || file->position > file->bytes.size()) {
        return 0;
    }
    const auto available = static_cast<tmsize_t>(file->bytes.size() - file->position);
    const tmsize_t count = std::min(size, available);
    std::memcpy(out, file->bytes.data() + file->position, static_cast<std::size_t>(count));
    file->position += static_cast<toff_t>(count);
    return count;
}

tmsize_t refuseWrite(thandle_t, void*, tmsize_t) {
    return 0;
}

toff_t seekMemory(thandle_t handle, toff_t offset, int whence) {
    auto* file = static_cast<MemoryFile*>(handle);
    const toff_t base = whence == SEEK_SET   ? 0
                        : whence == SEEK_CUR ? file->position
                                             : file->bytes.size();
    file->position = base + offset;
    return file->position;
}

int closeMemory(thandle_t) {
    return 0;
}
// The bytes are already in memory: libtiff reads them in place, as from a mapped file.
int mapMemory(thandle_t handle, void** base, toff_t* size) {
    auto* file = static_cast<MemoryFile*>(handle);
    *base = const_cast<std::uint8_t*>(file->bytes.data());
    *size = file->bytes.size();
    return 1;
}

void unmapMemory(thandle_t, void*, toff_t) {}

toff_t sizeOfMemory(thandle_t handle) {
    return static_cast<MemoryFile*>(handle)->bytes.size();
}

// libtiff reports through process-wide handlers by default; the library keeps it silent.
void silenceLibtiff() {
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

std::int32_t pelsPerMeterOf(TIFF* tiff, ttag_t tag) {
    float resolution = 0;
    std::uint16_t unit = RESUNIT_INCH;
    if (TIFFGetField(tiff, tag, &resolution) == 0) {
        return 0;
    }
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (unit == RESUNIT_CENTIMETER) {
        return pelsPerMeterFromCentimetre(resolution);
    }
    return unit == RESUNIT_INCH ? pelsPerMeterFromInch(resolution) : 0;
}

// The RGBA interface hands back ABGR words (red in the low byte) with the colour already
// multiplied by alpha, so a pixel on white is colour + (255 - alpha).
void toBgr(const std::uint32_t* rgba, std::uint8_t* bgr, std::uint32_t width) {
    for (std::uint32_t x = 0; x < width; ++x) {
        const std::uint32_t p = rgba[x];
        const unsigned clear = 255u - TIFFGetA(p);
        bgr[x * 3] = static_cast<std::uint8_t>(std::min(255u, TIFFGetB(p) + clear));
        bgr[x * 3 + 1] = static_cast<std::uint8_t>(std::min(255u, TIFFGetG(p) + clear));
        bgr[x * 3 + 2] = static_cast<std::uint8_t>(std::min(255u, TIFFGetR(p) + clear));
    }
}

// Rows are decoded a strip or a row of tiles at a time (so no strip or tile is decoded twice),
// limited to about 16 MiB of RGBA words.
std::uint32_t rowsPerChunkFor(TIFF* tiff, std::uint32_t width) {
    std::uint32_t natural = 0;
    if (TIFFIsTiled(tiff) != 0) {
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &natural);
    } else {
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &natural);
    }
    const std::uint64_t byMemory = (std::uint64_t{16} << 20) / (std::uint64_t{width} * 4);
    return static_cast<std::uint32_t>(
        std::clamp<std::uint64_t>(std::min<std::uint64_t>(natural, byMemory), 1, 4096));
}

// RGB to BGR; a plain loop, which the compiler turns into vector shuffles.
void swapRedBlue(const std::uint8_t* rgb, std::uint8_t* bgr, std::uint32_t width) {
    for (std::uint32_t x = 0; x < width; ++x, rgb += 3, bgr += 3) {
        bgr[0] = rgb[2];
        bgr[1] = rgb[1];
        bgr[2] = rgb[0];
    }
}

void greyToBgr(const std::uint8_t* grey, std::uint8_t* bgr, std::uint32_t width) {
    for (std::uint32_t x = 0; x < width; ++x, bgr += 3) {
        bgr[0] = bgr[1] = bgr[2] = grey[x];
    }
}

// The common case read straight from the strips: 8-bit RGB or grey, interleaved, in strips,
// top row first, no extra samples. False when the picture is of another kind.
bool isPlainStripped(TIFF* tiff) {
    std::uint16_t bits = 0, samples = 0, photometric = 0, planar = 0, orientation = 0, extra = 0;
    std::uint16_t* extraTypes = nullptr;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extra, &extraTypes);
    if (TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) == 0) {
        return false;
    }
    const bool rgb = photometric == PHOTOMETRIC_RGB && samples == 3;
    const bool grey = photometric == PHOTOMETRIC_MINISBLACK && samples == 1;
    return bits == 8 && (rgb || grey) && extra == 0 && planar == PLANARCONFIG_CONTIG &&
           orientation == ORIENTATION_TOPLEFT && TIFFIsTiled(tiff) == 0;
}

int decodeStrips(TIFF* tiff, Progress& progress, DibBuffer& out) {
    std::uint32_t width = 0, height = 0, rowsPerStrip = 0;
    std::uint16_t samples = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    int result = out.create(width, height);
    if (result != IP_OK) {
        return result;
    }
    out.setResolution(pelsPerMeterOf(tiff, TIFFTAG_XRESOLUTION),
                      pelsPerMeterOf(tiff, TIFFTAG_YRESOLUTION));
    rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, height);
    const std::size_t rowBytes = std::size_t{width} * samples;
    std::vector<std::uint8_t> strip(rowBytes * rowsPerStrip);
    for (std::uint32_t top = 0; top < height; top += rowsPerStrip) {
        const std::uint32_t rows = std::min(rowsPerStrip, height - top);
        const tmsize_t wanted = static_cast<tmsize_t>(rowBytes * rows);
        if (TIFFReadEncodedStrip(tiff, TIFFComputeStrip(tiff, top, 0), strip.data(), wanted) !=
            wanted) {
            return IP_DAMAGED_FILE;
        }
        for (std::uint32_t r = 0; r < rows; ++r) {
            const std::uint8_t* src = strip.data() + r * rowBytes;
            std::uint8_t* dst = out.row(static_cast<std::int32_t>(top + r));
            if (samples == 3) {
                swapRedBlue(src, dst, width);
            } else {
                greyToBgr(src, dst, width);
            }
        }
        if (!progress.report(top + rows, height)) {
            return IP_CANCELLED;
        }
    }
    return IP_OK;
}

int decode(TIFF* tiff, Progress& progress, DibBuffer& out) {
    if (isPlainStripped(tiff)) {
        return decodeStrips(tiff, progress, out);
    }
    char message[1024] = {};
    if (TIFFRGBAImageOK(tiff, message) == 0) {
        return IP_UNSUPPORTED;
    }
    TIFFRGBAImage image{};
    if (TIFFRGBAImageBegin(&image, tiff, 0, message) == 0) {
        return IP_DAMAGED_FILE;
    }
    const std::uint32_t width = image.width;
    const std::uint32_t height = image.height;
    int result = out.create(width, height);
    if (result == IP_OK) {
        out.setResolution(pelsPerMeterOf(tiff, TIFFTAG_XRESOLUTION),
                          pelsPerMeterOf(tiff, TIFFTAG_YRESOLUTION));
        image.req_orientation = ORIENTATION_TOPLEFT;
        // Rows stored in another order are turned by libtiff only within one call, so such
        // pictures are read in one piece.
        const std::uint32_t rowsPerChunk =
            image.orientation == ORIENTATION_TOPLEFT ? rowsPerChunkFor(tiff, width) : height;
        std::vector<std::uint32_t> chunk(static_cast<std::size_t>(width) * rowsPerChunk);
        for (std::uint32_t top = 0; top < height && result == IP_OK; top += rowsPerChunk) {
            const std::uint32_t rows = std::min(rowsPerChunk, height - top);
            image.row_offset = static_cast<int>(top);
            image.col_offset = 0;
            if (TIFFRGBAImageGet(&image, chunk.data(), width, rows) == 0) {
                result = IP_DAMAGED_FILE;
                break;
            }
            // With top-left orientation requested the chunk comes top row first.
            for (std::uint32_t r = 0; r < rows; ++r) {
                toBgr(chunk.data() + static_cast<std::size_t>(r) * width,
                      out.row(static_cast<std::int32_t>(top + r)), width);
            }
            if (!progress.report(top + rows, height)) {
                result = IP_CANCELLED;
            }
        }
    }
    TIFFRGBAImageEnd(&image);
    return result;
}

} // namespace

int readTiff(Bytes file, Progress& progress, DibBuffer& out) {
    silenceLibtiff();
    MemoryFile memory{file};
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(maxPixelArea));
    TIFF* tiff = TIFFClientOpenExt("memory", "r", &memory, readMemory, refuseWrite, seekMemory,
                                   closeMemory, sizeOfMemory, mapMemory, unmapMemory, options);
    TIFFOpenOptionsFree(options);
    if (tiff == nullptr) {
        return IP_DAMAGED_FILE;
    }
    const int result = decode(tiff, progress, out);
    TIFFClose(tiff);
    return result;
}

int writeTiff(const DibView& picture, int descriptor, bool packBits, Progress& progress) {
    silenceLibtiff();
    TIFF* tiff = TIFFFdOpen(descriptor, "picture.tif", "w");
    if (tiff == nullptr) {
        return IP_WRITE_FAILED;
    }
    const auto width = static_cast<std::uint32_t>(picture.width());
    const auto height = static_cast<std::uint32_t>(picture.height());
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, packBits ? COMPRESSION_PACKBITS : COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
    if (picture.xPelsPerMeter() > 0 && picture.yPelsPerMeter() > 0) {
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION,
                     static_cast<float>(dotsPerInch(picture.xPelsPerMeter())));
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION,
                     static_cast<float>(dotsPerInch(picture.yPelsPerMeter())));
    }
    std::vector<std::uint8_t> line(static_cast<std::size_t>(width) * 3);
    int result = IP_OK;
    for (std::uint32_t y = 0; y < height && result == IP_OK; ++y) {
        const std::uint8_t* bgr = picture.row(static_cast<std::int32_t>(y));
        for (std::uint32_t x = 0; x < width; ++x) {
            line[x * 3] = bgr[x * 3 + 2];
            line[x * 3 + 1] = bgr[x * 3 + 1];
            line[x * 3 + 2] = bgr[x * 3];
        }
        if (TIFFWriteScanline(tiff, line.data(), y, 0) < 0) {
            result = IP_WRITE_FAILED;
        } else if (!progress.report(y + 1, height)) {
            result = IP_CANCELLED;
        }
    }
    if (result == IP_OK && TIFFFlush(tiff) == 0) {
        result = IP_WRITE_FAILED;
    }
    TIFFCleanup(tiff); // leaves the descriptor open: the caller closes it
    return result;
}

} // namespace imagefile
