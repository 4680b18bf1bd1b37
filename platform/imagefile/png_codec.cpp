// PNG files through libpng: every colour type and bit depth on reading (palette and grey
// expanded, 16-bit samples scaled to 8, alpha composed onto white), interlaced or not;
// 8-bit RGB, interlaced or not, on writing.
#include "codecs.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <new>

#include <png.h>
#include <zlib.h>

namespace imagefile {

namespace {

constexpr std::size_t signatureSize = 8;
constexpr std::size_t chunkHeaderSize = 8; // length and type
constexpr std::size_t chunkCrcSize = 4;
// Deflate makes at most this many bytes of one.
constexpr std::uint64_t deflateMaxExpansion = 1032;

// What the reading shares with libpng's callbacks and with the error path. It lives in the
// frame that calls setjmp, so what it holds survives the longjmp out of libpng.
struct ReadState {
    explicit ReadState(Source& source) : file(source) {}

    Source& file;
    std::uint64_t offset = signatureSize;
    bool readingRows = false;
    bool interlaced = false;
    int pass = 0;
    png_uint_32 rowsOfPass = 0; // rows of `pass` read so far
    // One BGRA row, for pictures with alpha: composed onto white into the picture's row.
    std::unique_ptr<std::uint8_t[]> scratch;
};

void readFromSource(png_structp png, png_bytep out, png_size_t size) {
    auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
    const std::size_t copied = state->file.readAt(state->offset, out, size);
    state->offset += copied;
    if (copied < size) {
        png_error(png, "Read Error");
    }
}

void quietWarning(png_structp, png_const_charp) {}
void failRead(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

bool hasSignature(Source& file) {
    std::array<png_byte, signatureSize> signature{};
    return file.readAt(0, signature.data(), signature.size()) == signature.size() &&
           png_sig_cmp(signature.data(), 0, signature.size()) == 0;
}

// The bytes of image data (IDAT) the file holds, counted until `wanted` is reached: the chunk
// headers are walked from the signature on and each chunk's data is skipped unread; a chunk cut
// short by the end of the file counts with the bytes that are there.
std::uint64_t imageDataBytes(Source& file, std::uint64_t wanted) {
    std::uint64_t offset = signatureSize;
    std::uint64_t total = 0;
    std::array<png_byte, chunkHeaderSize> header{};
    while (total < wanted && file.readAt(offset, header.data(), header.size()) == header.size()) {
        const png_uint_32 length = png_get_uint_32(header.data());
        const png_byte* type = header.data() + 4;
        if (length > PNG_UINT_31_MAX || std::memcmp(type, "IEND", 4) == 0) {
            break;
        }
        const std::uint64_t data = offset + chunkHeaderSize;
        if (std::memcmp(type, "IDAT", 4) == 0 && data < file.size()) {
            total += std::min<std::uint64_t>(length, file.size() - data);
        }
        offset = data + length + chunkCrcSize;
    }
    return total;
}

// Whether the file's image data, inflated as far as deflate goes, could fill the rows worth
// showing (the filtered rows at the file's own depth, a filter byte each). Asked before the
// picture is allocated, so that a small file claiming a huge picture costs no memory. The
// bound holds loosely for interlaced files too, whose passes need more filter bytes.
bool mayHoldRowsToShow(png_structp png, png_infop info, Source& file) {
    const std::uint64_t width = png_get_image_width(png, info);
    const std::uint64_t height = png_get_image_height(png, info);
    const std::uint64_t bitsPerPixel =
        std::uint64_t{png_get_bit_depth(png, info)} * png_get_channels(png, info);
    const std::uint64_t filteredRow = 1 + (width * bitsPerPixel + 7) / 8;
    const std::uint64_t rowsToShow = (height + shownRowsDivisor - 1) / shownRowsDivisor;
    const std::uint64_t needed =
        (rowsToShow * filteredRow + deflateMaxExpansion - 1) / deflateMaxExpansion;
    return imageDataBytes(file, needed) >= needed;
}

// Composes the BGRA pixels first, first + step, ... of a row onto white into the BGR row.
void composeRowOnWhite(const std::uint8_t* bgra, std::uint8_t* bgr, png_uint_32 width,
                       png_uint_32 first, png_uint_32 step) {
    for (png_uint_32 x = first; x < width; x += step) {
        const std::uint8_t* src = bgra + std::size_t{x} * 4;
        std::uint8_t* dst = bgr + std::size_t{x} * 3;
        dst[0] = composeOnWhite(src[0], src[3]);
        dst[1] = composeOnWhite(src[1], src[3]);
        dst[2] = composeOnWhite(src[2], src[3]);
    }
}

// Sets the transformations that turn any PNG into 8-bit BGR or BGRA rows; true for BGRA.
bool requestBgr(png_structp png, png_infop info) {
    const png_byte type = png_get_color_type(png, info);
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    // Plain 8-bit RGB needs only the byte order; the rest only where the picture needs it.
    if (type == PNG_COLOR_TYPE_PALETTE || png_get_bit_depth(png, info) < 8 || transparency) {
        png_set_expand(png);
    }
    if (png_get_bit_depth(png, info) == 16) {
        png_set_scale_16(png);
    }
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    png_set_bgr(png);
    return (type & PNG_COLOR_MASK_ALPHA) != 0 || transparency;
}

void readResolution(png_structp png, png_infop info, DibBuffer& out) {
    png_uint_32 unitX = 0, unitY = 0;
    int unit = 0;
    if (png_get_pHYs(png, info, &unitX, &unitY, &unit) != 0 && unit == PNG_RESOLUTION_METER) {
        out.setResolution(static_cast<std::int32_t>(std::min<png_uint_32>(unitX, INT32_MAX)),
                          static_cast<std::int32_t>(std::min<png_uint_32>(unitY, INT32_MAX)));
    }
}

// Reads row `state.rowsOfPass` of the current pass into the picture. libpng writes only the
// current pass's pixels of an interlaced row; with alpha they go through the scratch row and
// only they are composed.
void readRow(png_structp png, ReadState& state, DibBuffer& out) {
    const png_uint_32 y = state.rowsOfPass;
    std::uint8_t* row = out.row(static_cast<std::int32_t>(y));
    if (!state.scratch) {
        png_read_row(png, row, nullptr);
        return;
    }
    png_read_row(png, state.scratch.get(), nullptr);
    const auto width = static_cast<png_uint_32>(out.width());
    if (!state.interlaced) {
        composeRowOnWhite(state.scratch.get(), row, width, 0, 1);
    } else if (PNG_ROW_IN_INTERLACE_PASS(y, state.pass) != 0) {
        composeRowOnWhite(state.scratch.get(), row, width, PNG_PASS_START_COL(state.pass),
                          PNG_PASS_COL_OFFSET(state.pass));
    }
}

// The last interlace pass that brings pixels of row y of a picture `width` wide.
int lastPassOfRow(png_uint_32 y, png_uint_32 width) {
    int pass = PNG_INTERLACE_ADAM7_PASSES - 1;
    while (pass > 0 &&
           (PNG_ROW_IN_INTERLACE_PASS(y, pass) == 0 || PNG_PASS_START_COL(pass) >= width)) {
        --pass;
    }
    return pass;
}

// The rows from the top that were read in full when the data broke off; a row of an
// interlaced picture counts once its last pass was read.
png_uint_32 rowsFinished(const ReadState& state, png_uint_32 width, png_uint_32 height) {
    if (!state.interlaced) {
        return state.rowsOfPass;
    }
    png_uint_32 y = 0;
    for (; y < height; ++y) {
        const int last = lastPassOfRow(y, width);
        if (last > state.pass || (last == state.pass && y >= state.rowsOfPass)) {
            break;
        }
    }
    return y;
}

// The result when libpng gave up: before the rows, the file is damaged; while reading them,
// the data broke off (ended, or turned bad) at the first row not finished, and the rows above
// it are delivered when there are enough of them.
int resultOfBreak(const ReadState& state, DibBuffer& out) {
    if (!state.readingRows) {
        return IP_DAMAGED_FILE;
    }
    const auto width = static_cast<png_uint_32>(out.width());
    const auto height = static_cast<png_uint_32>(out.height());
    const png_uint_32 rows = rowsFinished(state, width, height);
    if (!enoughRowsToShow(rows, height)) {
        return IP_DAMAGED_FILE;
    }
    // The earlier passes of an interlaced picture left pixels in the rows below; the rows of
    // other pictures are untouched there (still zero, and left so to keep them uncommitted).
    if (state.interlaced) {
        for (png_uint_32 y = rows; y < height; ++y) {
            std::memset(out.row(static_cast<std::int32_t>(y)), 0, std::size_t{width} * 3);
        }
    }
    return IP_INCOMPLETE;
}

// Holds no object with a destructor: libpng's errors longjmp out of it.
int decode(png_structp png, png_infop info, ReadState& state, Progress& progress, DibBuffer& out) {
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    // Checked before libpng sizes its row buffers from the header.
    if (const int size = checkPictureSize(width, height); size != IP_OK) {
        return size;
    }
    if (!mayHoldRowsToShow(png, info, state.file)) {
        return IP_DAMAGED_FILE;
    }
    const bool alpha = requestBgr(png, info);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (const int created = out.create(width, height); created != IP_OK) {
        return created;
    }
    readResolution(png, info, out);
    if (alpha) {
        state.scratch.reset(new (std::nothrow) std::uint8_t[std::size_t{width} * 4]);
        if (!state.scratch) {
            return IP_NO_MEMORY;
        }
    }
    state.interlaced = passes > 1;
    state.readingRows = true;
    const std::int64_t steps = std::int64_t{passes} * height;
    for (state.pass = 0; state.pass < passes; ++state.pass) {
        for (state.rowsOfPass = 0; state.rowsOfPass < height; ++state.rowsOfPass) {
            readRow(png, state, out);
            if (!progress.report(std::int64_t{state.pass} * height + state.rowsOfPass + 1, steps)) {
                return IP_CANCELLED;
            }
        }
    }
    return IP_OK;
}

} // namespace

int readPng(Source& file, Progress& progress, DibBuffer& out) {
    if (!hasSignature(file)) {
        return IP_DAMAGED_FILE;
    }
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failRead, quietWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return IP_NO_MEMORY;
    }
    ReadState state(file);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        return resultOfBreak(state, out);
    }
    png_set_read_fn(png, &state, readFromSource);
    png_set_sig_bytes(png, signatureSize);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Random mutations rarely keep checksums right; let the fuzzer past them.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    const int result = decode(png, info, state, progress, out);
    png_destroy_read_struct(&png, &info, nullptr);
    return result;
}

namespace {
void failWrite(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// The fast default: zlib level 3 (its last level without lazy matching) and each row filtered
// by the best of Sub, Up and Average, leaving out Paeth, the costliest to try. On photographs
// that is about three times as fast as the smallest setting for files a few percent larger.
// The smallest: zlib's default level 6 and all five filters tried on every row.
void chooseCompression(png_structp png, bool smallest) {
    png_set_compression_level(png, smallest ? Z_DEFAULT_COMPRESSION : 3);
    png_set_filter(png, PNG_FILTER_TYPE_BASE,
                   smallest ? PNG_ALL_FILTERS : PNG_FILTER_SUB | PNG_FILTER_UP | PNG_FILTER_AVG);
}
} // namespace

int writePng(const DibView& picture, std::FILE* file, PngWriting how, Progress& progress) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, failWrite, quietWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return IP_NO_MEMORY;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return IP_WRITE_FAILED;
    }
    png_init_io(png, file);
    chooseCompression(png, how.smallest);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width()),
                 static_cast<png_uint_32>(picture.height()), 8, PNG_COLOR_TYPE_RGB,
                 how.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (picture.xPelsPerMeter() > 0 && picture.yPelsPerMeter() > 0) {
        png_set_pHYs(png, info, static_cast<png_uint_32>(picture.xPelsPerMeter()),
                     static_cast<png_uint_32>(picture.yPelsPerMeter()), PNG_RESOLUTION_METER);
    }
    png_write_info(png, info);
    png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    const std::int64_t steps = std::int64_t{passes} * picture.height();
    for (int pass = 0; pass < passes; ++pass) {
        for (std::int32_t y = 0; y < picture.height(); ++y) {
            png_write_row(png, const_cast<png_bytep>(picture.row(y)));
            if (!progress.report(std::int64_t{pass} * picture.height() + y + 1, steps)) {
                png_destroy_write_struct(&png, &info);
                return IP_CANCELLED;
            }
        }
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::ferror(file) ? IP_WRITE_FAILED : IP_OK;
}

} // namespace imagefile
