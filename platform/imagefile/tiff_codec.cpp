// TIFF files through libtiff: strips and tiles, every compression libtiff decodes (none,
// PackBits, LZW, Deflate, ...), 1 to 16 bits, palette, greyscale, RGB, separated and YCbCr,
// all eight orientations turned upright, alpha composed onto white. libtiff reads the file
// through the Source a chunk of rows at a time, never the whole file at once. Written as 8-bit
// RGB strips, uncompressed, PackBits or Deflate.
#include "codecs.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include <tiffio.h>

namespace imagefile {

namespace {

// What libtiff may take in one allocation: enough for the directory (the strip arrays of a
// million strips, colour maps, conversion tables) and for the buffers of rows read one at a
// time. Larger private tags (the layers some editors keep beside the picture) are then
// skipped, and the reader has no use for them.
constexpr std::uint64_t baseAllocationCeiling = std::uint64_t{16} << 20;
// The RGBA words decoded at once through TIFFRGBAImageGet: a quarter of the picture's size,
// within these bounds.
constexpr std::uint64_t rgbaChunkBytesMinimum = std::uint64_t{1} << 20;
constexpr std::uint64_t rgbaChunkBytesMaximum = std::uint64_t{16} << 20;
// The BGR rows gathered from the scanline interface before they are placed, at most.
constexpr std::uint64_t scanlineChunkBytes = std::uint64_t{1} << 20;
// Rows are read in chunks of at least this many, so that turned pictures are written in runs,
// and chunks that must be cut are cut at a multiple of it (a block of subsampled YCbCr rows).
constexpr std::uint32_t minimumChunkRows = 16;

// libtiff reads the file through these procedures, with readAt at a running offset. The map
// procedure declines, so libtiff reads strips and tiles into buffers of its own.
struct SourceCursor {
    Source& source;
    std::uint64_t position = 0;
};

tmsize_t readFromSource(thandle_t handle, void* out, tmsize_t size) {
    auto* cursor = static_cast<SourceCursor*>(handle);
    if (size <= 0) {
        return 0;
    }
    const std::size_t copied =
        cursor->source.readAt(cursor->position, out, static_cast<std::size_t>(size));
    cursor->position += copied;
    return static_cast<tmsize_t>(copied);
}

tmsize_t refuseWrite(thandle_t, void*, tmsize_t) {
    return 0;
}

toff_t seekInSource(thandle_t handle, toff_t offset, int whence) {
    auto* cursor = static_cast<SourceCursor*>(handle);
    switch (whence) {
    case SEEK_SET:
        cursor->position = offset;
        break;
    case SEEK_CUR:
        cursor->position += offset;
        break;
    case SEEK_END:
        cursor->position = cursor->source.size() + offset;
        break;
    default:
        return static_cast<toff_t>(-1);
    }
    return cursor->position;
}

int closeNothing(thandle_t) {
    return 0;
}

toff_t sizeOfSource(thandle_t handle) {
    return static_cast<SourceCursor*>(handle)->source.size();
}

int declineToMap(thandle_t, void**, toff_t*) {
    return 0;
}

void unmapNothing(thandle_t, void*, toff_t) {}

// libtiff reports through process-wide handlers by default; the library keeps it silent.
void silenceLibtiff() {
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

// A TIFF file read through a Source; closed when the object goes.
class OpenTiff {
public:
    explicit OpenTiff(Source& source) : cursor_{source} {}
    ~OpenTiff() { close(); }
    OpenTiff(const OpenTiff&) = delete;
    OpenTiff& operator=(const OpenTiff&) = delete;

    // Opens the file (again) with libtiff refusing any single allocation above `ceiling`
    // bytes; false when libtiff cannot read its first directory.
    bool open(std::uint64_t ceiling) {
        close();
        cursor_.position = 0;
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(ceiling));
        tiff_ = TIFFClientOpenExt("tiff", "r", &cursor_, readFromSource, refuseWrite, seekInSource,
                                  closeNothing, sizeOfSource, declineToMap, unmapNothing, options);
        TIFFOpenOptionsFree(options);
        return tiff_ != nullptr;
    }
    TIFF* tiff() const { return tiff_; }

private:
    void close() {
        if (tiff_ != nullptr) {
            TIFFClose(tiff_);
            tiff_ = nullptr;
        }
    }

    SourceCursor cursor_;
    TIFF* tiff_ = nullptr;
};

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

// The picture as stored: its rows in the file's order, and where they belong.
struct StoredPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;

    // Orientations 5 to 8 store the upright picture's columns as rows.
    bool storesColumns() const { return orientation >= ORIENTATION_LEFTTOP; }
    std::uint32_t uprightWidth() const { return storesColumns() ? height : width; }
    std::uint32_t uprightHeight() const { return storesColumns() ? width : height; }
};

StoredPicture storedPictureOf(TIFF* tiff) {
    StoredPicture stored;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &stored.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &stored.height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &stored.orientation);
    if (stored.orientation < ORIENTATION_TOPLEFT || stored.orientation > ORIENTATION_LEFTBOT) {
        stored.orientation = ORIENTATION_TOPLEFT;
    }
    return stored;
}

// Puts stored rows into the upright picture. The orientation says where the first stored row
// and column belong: 1 top and left (as stored), 2 mirrored, 3 turned 180 degrees, 4 flipped;
// 5 transposed, 6 turned 90 degrees clockwise, 7 transversed, 8 turned 270 degrees clockwise.
class UprightPlacement {
public:
    UprightPlacement(const StoredPicture& stored, DibBuffer& picture)
        : stored_(stored), picture_(picture) {
        const std::uint16_t o = stored.orientation;
        rowsFromFarEnd_ = o == ORIENTATION_BOTRIGHT || o == ORIENTATION_BOTLEFT ||
                          o == ORIENTATION_RIGHTTOP || o == ORIENTATION_RIGHTBOT;
        columnsFromFarEnd_ = o == ORIENTATION_TOPRIGHT || o == ORIENTATION_BOTRIGHT ||
                             o == ORIENTATION_RIGHTBOT || o == ORIENTATION_LEFTBOT;
    }

    // Places `rows` stored rows from stored row `top`, given as packed BGR rows.
    void place(const std::uint8_t* bgr, std::uint32_t top, std::uint32_t rows) const {
        if (stored_.storesColumns()) {
            placeAsColumns(bgr, top, rows);
        } else {
            placeAsRows(bgr, top, rows);
        }
    }

private:
    void placeAsRows(const std::uint8_t* bgr, std::uint32_t top, std::uint32_t rows) const {
        const std::size_t rowBytes = std::size_t{stored_.width} * 3;
        for (std::uint32_t r = 0; r < rows; ++r) {
            const std::uint8_t* from = bgr + r * rowBytes;
            std::uint8_t* to = picture_.row(static_cast<std::int32_t>(along(top + r)));
            if (!columnsFromFarEnd_) {
                std::memcpy(to, from, rowBytes);
                continue;
            }
            for (std::uint32_t x = 0; x < stored_.width; ++x) {
                std::memcpy(to + x * 3, from + (stored_.width - 1 - x) * 3, 3);
            }
        }
    }

    // A stored row becomes a column of the picture: each picture row gets a run of pixels from
    // every row of the chunk.
    void placeAsColumns(const std::uint8_t* bgr, std::uint32_t top, std::uint32_t rows) const {
        const std::size_t rowBytes = std::size_t{stored_.width} * 3;
        for (std::uint32_t c = 0; c < stored_.width; ++c) {
            const std::uint32_t y = columnsFromFarEnd_ ? stored_.width - 1 - c : c;
            std::uint8_t* to = picture_.row(static_cast<std::int32_t>(y));
            const std::uint8_t* from = bgr + std::size_t{c} * 3;
            for (std::uint32_t r = 0; r < rows; ++r, from += rowBytes) {
                std::memcpy(to + std::size_t{along(top + r)} * 3, from, 3);
            }
        }
    }

    // The picture row (orientations 1 to 4) or column (5 to 8) that stored row `s` becomes.
    std::uint32_t along(std::uint32_t s) const {
        return rowsFromFarEnd_ ? stored_.height - 1 - s : s;
    }

    StoredPicture stored_;
    DibBuffer& picture_;
    bool rowsFromFarEnd_ = false;
    bool columnsFromFarEnd_ = false;
};

// Stored rows as packed BGR, a chunk at a time.
class RowReader {
public:
    virtual ~RowReader() = default;
    virtual std::uint32_t rowsPerChunk() const = 0;
    // Reads `rows` stored rows from `top` into the chunk; the number read before one failed to
    // decode (all of the chunk's rows count as failed where the reader cannot tell which).
    virtual std::uint32_t read(std::uint32_t top, std::uint32_t rows) = 0;
    virtual const std::uint8_t* bgr() const = 0;
};

// The rows of a strip or a row of tiles.
std::uint32_t rowsPerUnit(TIFF* tiff, std::uint32_t height) {
    std::uint32_t rows = 0;
    if (TIFFIsTiled(tiff) != 0) {
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &rows);
    } else {
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rows);
    }
    return std::clamp<std::uint32_t>(rows, 1, std::max<std::uint32_t>(height, 1));
}

// Grey to BGR within one buffer, from the last pixel back, so that no grey value is
// overwritten before it is read.
void expandGreyInPlace(std::uint8_t* row, std::uint32_t width) {
    for (std::uint32_t x = width; x-- > 0;) {
        const std::uint8_t grey = row[x];
        row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = grey;
    }
}

void swapRedBlueInPlace(std::uint8_t* row, std::uint32_t width) {
    for (std::uint32_t x = 0; x < width; ++x, row += 3) {
        std::swap(row[0], row[2]);
    }
}

// libtiff's RGBA reader hands back ABGR words (red in the low byte). Colour with alpha comes
// multiplied by alpha, so a pixel on white is colour + (255 - alpha); grey with unassociated
// alpha comes as stored, and is composed onto white here. `abgr` and `bgr` may be the same
// buffer: each word is read before its three bytes are written.
void abgrToBgr(const std::uint8_t* abgr, std::uint8_t* bgr, std::size_t pixels,
               bool greyUnassociated) {
    for (std::size_t i = 0; i < pixels; ++i) {
        std::uint32_t p = 0;
        std::memcpy(&p, abgr + i * 4, 4);
        const unsigned alpha = TIFFGetA(p);
        std::uint8_t* to = bgr + i * 3;
        if (greyUnassociated) {
            to[0] = to[1] = to[2] = composeOnWhite(TIFFGetR(p), alpha);
            continue;
        }
        const unsigned clear = 255u - alpha;
        to[0] = static_cast<std::uint8_t>(std::min(255u, TIFFGetB(p) + clear));
        to[1] = static_cast<std::uint8_t>(std::min(255u, TIFFGetG(p) + clear));
        to[2] = static_cast<std::uint8_t>(std::min(255u, TIFFGetR(p) + clear));
    }
}

bool greyWithUnassociatedAlpha(const TIFFRGBAImage& image) {
    const bool grey =
        image.photometric == PHOTOMETRIC_MINISBLACK || image.photometric == PHOTOMETRIC_MINISWHITE;
    return grey && image.alpha == EXTRASAMPLE_UNASSALPHA;
}

// libtiff words its refusals of kinds of picture its RGBA reader does not convert as
// "Sorry, ..." (16-bit CMYK, a compression this libtiff lacks, ...); its other refusals name
// something the file lacks (a photometric tag, a colour map).
int refusalCode(const char* message) {
    return std::strncmp(message, "Sorry", 5) == 0 ? IP_UNSUPPORTED : IP_DAMAGED_FILE;
}

// libtiff's RGBA reader, which converts every kind of picture it knows to 8-bit RGBA; ended
// when the object goes.
class RgbaImage {
public:
    RgbaImage() = default;
    ~RgbaImage() {
        if (begun_) {
            TIFFRGBAImageEnd(&image_);
        }
    }
    RgbaImage(const RgbaImage&) = delete;
    RgbaImage& operator=(const RgbaImage&) = delete;

    // IP_OK, or why libtiff cannot convert the picture. Asks for the rows in the file's own
    // order, so that libtiff flips nothing: the placement turns the picture upright.
    int begin(TIFF* tiff) {
        char message[1024] = {};
        if (TIFFRGBAImageOK(tiff, message) == 0) {
            return refusalCode(message);
        }
        if (TIFFRGBAImageBegin(&image_, tiff, 1, message) == 0) {
            return refusalCode(message);
        }
        begun_ = true;
        image_.req_orientation = image_.orientation;
        return IP_OK;
    }
    TIFFRGBAImage& image() { return image_; }

private:
    TIFFRGBAImage image_{};
    bool begun_ = false;
};

// 8-bit RGB or grey, interleaved, in strips, no extra samples: converted here.
bool isPlainStripped(TIFF* tiff) {
    std::uint16_t bits = 0, samples = 0, photometric = 0, planar = 0, extra = 0;
    std::uint16_t* extraTypes = nullptr;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extra, &extraTypes);
    if (TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) == 0) {
        return false;
    }
    const bool rgb = photometric == PHOTOMETRIC_RGB && samples == 3;
    const bool grey = photometric == PHOTOMETRIC_MINISBLACK && samples == 1;
    return bits == 8 && (rgb || grey) && extra == 0 && planar == PLANARCONFIG_CONTIG &&
           TIFFIsTiled(tiff) == 0;
}

// Strips of interleaved samples whose rows libtiff's RGBA reader converts one at a time (its
// put routine, set up by TIFFRGBAImageBegin); YCbCr it converts itself takes blocks of rows.
bool convertsRowByRow(const TIFFRGBAImage& image) {
    return image.isContig != 0 && TIFFIsTiled(image.tif) == 0 &&
           image.photometric != PHOTOMETRIC_YCBCR;
}

// Rows read one at a time through libtiff's scanline interface, so that a big strip is never
// decoded into a buffer of its own: converted here on the plain path, else by the RGBA
// reader's put routine.
class ScanlineRows final : public RowReader {
public:
    ScanlineRows(TIFF* tiff, const StoredPicture& stored, TIFFRGBAImage* rgba)
        : tiff_(tiff), width_(stored.width), rgba_(rgba) {
        std::uint16_t samples = 0;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
        grey_ = samples == 1;
        const std::uint64_t rowBytes = std::uint64_t{width_} * 3;
        const std::uint64_t byMemory = std::max<std::uint64_t>(scanlineChunkBytes / rowBytes, 1);
        const std::uint32_t wanted = std::max(rowsPerUnit(tiff, stored.height), minimumChunkRows);
        rowsPerChunk_ =
            static_cast<std::uint32_t>(std::min<std::uint64_t>({wanted, byMemory, stored.height}));
        chunk_.resize(static_cast<std::size_t>(rowBytes * rowsPerChunk_));
        if (rgba_ != nullptr) {
            greyUnassociated_ = greyWithUnassociatedAlpha(*rgba_);
            scanline_.resize(static_cast<std::size_t>(TIFFScanlineSize64(tiff)));
            words_.resize(width_);
        }
    }

    std::uint32_t rowsPerChunk() const override { return rowsPerChunk_; }
    const std::uint8_t* bgr() const override { return chunk_.data(); }

    std::uint32_t read(std::uint32_t top, std::uint32_t rows) override {
        for (std::uint32_t r = 0; r < rows; ++r) {
            std::uint8_t* row = chunk_.data() + std::size_t{r} * width_ * 3;
            const bool decoded =
                rgba_ == nullptr ? readPlain(top + r, row) : readThroughRgba(top + r, row);
            if (!decoded) {
                return r;
            }
        }
        return rows;
    }

private:
    bool readPlain(std::uint32_t y, std::uint8_t* row) {
        if (TIFFReadScanline(tiff_, row, y, 0) < 0) {
            return false;
        }
        if (grey_) {
            expandGreyInPlace(row, width_);
        } else {
            swapRedBlueInPlace(row, width_);
        }
        return true;
    }

    bool readThroughRgba(std::uint32_t y, std::uint8_t* row) {
        if (TIFFReadScanline(tiff_, scanline_.data(), y, 0) < 0) {
            return false;
        }
        rgba_->put.contig(rgba_, words_.data(), 0, 0, width_, 1, 0, 0, scanline_.data());
        abgrToBgr(reinterpret_cast<const std::uint8_t*>(words_.data()), row, width_,
                  greyUnassociated_);
        return true;
    }

    TIFF* tiff_;
    std::uint32_t width_;
    TIFFRGBAImage* rgba_;
    bool grey_ = false;
    bool greyUnassociated_ = false;
    std::uint32_t rowsPerChunk_ = 1;
    std::vector<std::uint8_t> chunk_;
    std::vector<std::uint8_t> scanline_;
    std::vector<std::uint32_t> words_;
};

// Tiles, samples in planes and YCbCr, read through TIFFRGBAImageGet a strip or a row of tiles
// at a time, so that none is decoded twice, unless that is more than the chunk may hold.
class RgbaChunks final : public RowReader {
public:
    RgbaChunks(TIFFRGBAImage& image, const StoredPicture& stored)
        : image_(image), width_(stored.width), greyUnassociated_(greyWithUnassociatedAlpha(image)) {
        const std::uint32_t unit = rowsPerUnit(image.tif, stored.height);
        const std::uint64_t pictureBytes = std::uint64_t{stored.width} * stored.height * 3;
        const std::uint64_t chunkBytes =
            std::clamp(pictureBytes / 4, rgbaChunkBytesMinimum, rgbaChunkBytesMaximum);
        const std::uint64_t byMemory = chunkBytes / (std::uint64_t{width_} * 4);
        rowsPerChunk_ =
            unit <= byMemory
                ? unit
                : static_cast<std::uint32_t>(std::min<std::uint64_t>(
                      std::max<std::uint64_t>(byMemory / minimumChunkRows * minimumChunkRows,
                                              minimumChunkRows),
                      unit));
        chunk_.resize(std::size_t{width_} * rowsPerChunk_);
        giveUncompressedTilesAnExactBuffer(image.tif);
    }

    std::uint32_t rowsPerChunk() const override { return rowsPerChunk_; }
    const std::uint8_t* bgr() const override {
        return reinterpret_cast<const std::uint8_t*>(chunk_.data());
    }

    std::uint32_t read(std::uint32_t top, std::uint32_t rows) override {
        image_.row_offset = static_cast<int>(top);
        image_.col_offset = 0;
        if (TIFFRGBAImageGet(&image_, chunk_.data(), width_, rows) == 0) {
            return 0;
        }
        auto* bytes = reinterpret_cast<std::uint8_t*>(chunk_.data());
        abgrToBgr(bytes, bytes, std::size_t{width_} * rows, greyUnassociated_);
        return rows;
    }

private:
    // libtiff checks that the buffer it read an uncompressed tile into has the tile's size, but
    // when the file is not mapped it rounds its own buffers up to a multiple of 1024 bytes, so
    // a tile of 16 x 16 RGB pixels (768 bytes) would be refused: it is given a buffer of the
    // exact size instead.
    void giveUncompressedTilesAnExactBuffer(TIFF* tiff) {
        std::uint16_t compression = COMPRESSION_NONE;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
        if (TIFFIsTiled(tiff) == 0 || compression != COMPRESSION_NONE) {
            return;
        }
        rawTile_.resize(static_cast<std::size_t>(TIFFTileSize64(tiff)));
        TIFFReadBufferSetup(tiff, rawTile_.data(), static_cast<tmsize_t>(rawTile_.size()));
    }

    TIFFRGBAImage& image_;
    std::uint32_t width_;
    bool greyUnassociated_;
    std::uint32_t rowsPerChunk_ = 1;
    std::vector<std::uint32_t> chunk_;
    std::vector<std::uint8_t> rawTile_;
};

// The most libtiff needs in one allocation to decode one chunk through TIFFRGBAImageGet: its
// buffer for a strip or a tile, one per sample when samples are stored in planes. Measured
// after the reader is set up, which may change how the rows are decoded (JPEG-compressed
// YCbCr comes back as RGB). None where rows are read one at a time.
std::uint64_t chunkAllocation(TIFF* tiff) {
    if (isPlainStripped(tiff)) {
        return 0;
    }
    RgbaImage reader;
    if (reader.begin(tiff) != IP_OK || convertsRowByRow(reader.image())) {
        return 0;
    }
    const std::uint64_t unit =
        TIFFIsTiled(tiff) != 0 ? TIFFTileSize64(tiff) : TIFFStripSize64(tiff);
    return reader.image().isContig != 0 ? unit : unit * 4;
}

// The least a strip or tile of `rows` rows can take in the file: uncompressed, all of its
// bytes; compressed, any.
std::uint64_t leastBytesFor(TIFF* tiff, std::uint32_t rows) {
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    if (compression != COMPRESSION_NONE) {
        return 1;
    }
    return TIFFIsTiled(tiff) != 0 ? TIFFTileSize64(tiff) : TIFFVStripSize64(tiff, rows);
}

// Whether a strip or tile's data lies within the file and is at least `leastBytes` long.
bool dataWithinFile(TIFF* tiff, std::uint32_t strile, std::uint64_t leastBytes,
                    std::uint64_t fileSize) {
    const std::uint64_t offset = TIFFGetStrileOffset(tiff, strile);
    const std::uint64_t count = TIFFGetStrileByteCount(tiff, strile);
    return offset > 0 && count >= leastBytes && offset <= fileSize && count <= fileSize - offset;
}

// The stored rows, from the first, whose strips or tiles (in every plane) all lie within the
// file: where the file was cut, or a strip is missing or too short to hold its rows, the
// readable picture ends.
std::uint32_t rowsWithData(TIFF* tiff, const StoredPicture& stored, std::uint64_t fileSize) {
    std::uint16_t samples = 1, planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    const std::uint16_t planes = planar == PLANARCONFIG_SEPARATE ? samples : 1;
    const bool tiled = TIFFIsTiled(tiff) != 0;
    std::uint32_t tileWidth = stored.width;
    if (tiled) {
        TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
        tileWidth = std::max<std::uint32_t>(tileWidth, 1);
    }
    const std::uint32_t unit = rowsPerUnit(tiff, stored.height);
    for (std::uint32_t top = 0; top < stored.height; top += std::min(unit, stored.height - top)) {
        const std::uint64_t leastBytes = leastBytesFor(tiff, std::min(unit, stored.height - top));
        for (std::uint16_t plane = 0; plane < planes; ++plane) {
            for (std::uint32_t x = 0; x < stored.width; x += tileWidth) {
                const std::uint32_t strile = tiled ? TIFFComputeTile(tiff, x, top, 0, plane)
                                                   : TIFFComputeStrip(tiff, top, plane);
                if (!dataWithinFile(tiff, strile, leastBytes, fileSize)) {
                    return top;
                }
            }
        }
    }
    return stored.height;
}

// Reads the stored rows that have data, chunk by chunk, into the upright picture, stopping at
// the first row that fails to decode; the rows after stay black.
int readRows(RowReader& reader, const UprightPlacement& placement, std::uint32_t rowsToRead,
             std::uint32_t height, Progress& progress) {
    std::uint32_t done = 0;
    while (done < rowsToRead) {
        const std::uint32_t rows = std::min(reader.rowsPerChunk(), rowsToRead - done);
        const std::uint32_t read = reader.read(done, rows);
        placement.place(reader.bgr(), done, read);
        done += read;
        if (!progress.report(done, height)) {
            return IP_CANCELLED;
        }
        if (read < rows) {
            break;
        }
    }
    if (done == height) {
        return IP_OK;
    }
    return enoughRowsToShow(done, height) ? IP_INCOMPLETE : IP_DAMAGED_FILE;
}

// libtiff opens a file whose compression it has no decoder for, and fails only when it decodes.
bool decoderPresent(TIFF* tiff) {
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    return TIFFIsCODECConfigured(compression) != 0;
}

int decode(TIFF* tiff, std::uint64_t fileSize, Progress& progress, DibBuffer& out) {
    if (!decoderPresent(tiff)) {
        return IP_UNSUPPORTED;
    }
    const StoredPicture stored = storedPictureOf(tiff);
    if (stored.width == 0) {
        return IP_DAMAGED_FILE;
    }
    const bool plain = isPlainStripped(tiff);
    RgbaImage rgba;
    if (!plain) {
        if (const int begun = rgba.begin(tiff); begun != IP_OK) {
            return begun;
        }
    }
    // Whether the data can be there is settled before the picture is allocated, so that a
    // small file claiming a huge picture costs no memory.
    const std::uint32_t rowsToRead = rowsWithData(tiff, stored, fileSize);
    if (!enoughRowsToShow(rowsToRead, stored.height)) {
        return IP_DAMAGED_FILE;
    }
    if (const int created = out.create(stored.uprightWidth(), stored.uprightHeight());
        created != IP_OK) {
        return created;
    }
    const std::int32_t storedX = pelsPerMeterOf(tiff, TIFFTAG_XRESOLUTION);
    const std::int32_t storedY = pelsPerMeterOf(tiff, TIFFTAG_YRESOLUTION);
    if (stored.storesColumns()) {
        out.setResolution(storedY, storedX);
    } else {
        out.setResolution(storedX, storedY);
    }
    const UprightPlacement placement(stored, out);
    if (plain || convertsRowByRow(rgba.image())) {
        ScanlineRows reader(tiff, stored, plain ? nullptr : &rgba.image());
        return readRows(reader, placement, rowsToRead, stored.height, progress);
    }
    RgbaChunks reader(rgba.image(), stored);
    return readRows(reader, placement, rowsToRead, stored.height, progress);
}

} // namespace

int readTiff(Source& source, Progress& progress, DibBuffer& out) {
    silenceLibtiff();
    OpenTiff file(source);
    if (!file.open(baseAllocationCeiling)) {
        return IP_DAMAGED_FILE;
    }
    // libtiff may allocate no more at once than one chunk of rows needs; where it decodes a
    // strip or tile larger than the base ceiling into one buffer, the file is opened again with
    // a ceiling that lets that buffer be made.
    const std::uint64_t needed = chunkAllocation(file.tiff());
    if (needed > baseAllocationCeiling && !file.open(needed)) {
        return IP_DAMAGED_FILE;
    }
    return decode(file.tiff(), source.size(), progress, out);
}

std::optional<TiffCompression> tiffWritingOf(Source& source) {
    silenceLibtiff();
    OpenTiff file(source);
    std::uint16_t compression = COMPRESSION_NONE;
    if (!file.open(baseAllocationCeiling) ||
        TIFFGetFieldDefaulted(file.tiff(), TIFFTAG_COMPRESSION, &compression) != 1) {
        return std::nullopt;
    }
    switch (compression) {
    case COMPRESSION_NONE:
        return TiffCompression::None;
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
        return TiffCompression::Deflate;
    default:
        return TiffCompression::PackBits;
    }
}

namespace {

// Deflate compresses the differences between neighbouring samples (predictor 2), which are
// small in photographs, rather than the samples themselves.
void chooseCompression(TIFF* tiff, TiffCompression compression) {
    switch (compression) {
    case TiffCompression::None:
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        break;
    case TiffCompression::PackBits:
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS);
        break;
    case TiffCompression::Deflate:
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
        TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        break;
    }
}

} // namespace

int writeTiff(const DibView& picture, int descriptor, TiffCompression compression,
              Progress& progress) {
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
    chooseCompression(tiff, compression);
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
