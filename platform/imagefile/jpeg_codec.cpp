// JPEG files through libjpeg-turbo: baseline and progressive, colour, greyscale and CMYK on
// reading, through a fixed buffer rather than the whole file at once; baseline colour at a
// chosen quality, with the colour at full or half resolution, on writing.
#include "codecs.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include <jpeglib.h>

#include <jerror.h>

namespace imagefile {

namespace {

// libjpeg reports fatal errors by calling error_exit, which must not return: it jumps back to
// the call that set `escape`. Only C frames of libjpeg and functions of this file that hold no
// object with a destructor lie in between; the functions that set it keep such objects in
// their own frame, which the jump does not leave.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
};

void leave(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
}

// The result for a read or write that libjpeg stopped: running out of memory (or hitting the
// ceiling set for its whole-picture buffers) is not the file's fault.
int failureCode(const jpeg_error_mgr& errors, int otherwise) {
    const int code = errors.msg_code;
    return code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE ? IP_NO_MEMORY : otherwise;
}

// Feeds libjpeg from the Source through a fixed buffer. Where the data ends it hands over an
// end-of-image marker instead, as libjpeg's own sources do, so that the decoder delivers what
// was there; the flags tell the reader what happened.
struct SourceReader {
    jpeg_source_mgr base;
    Source* file;
    std::uint64_t nextOffset; // of the first byte not yet in the buffer
    JOCTET* buffer;
    bool ended;    // the data ended before libjpeg read the picture's end marker
    bool brokeOff; // and the decoder needed entropy-coded data that was not there
};

constexpr std::size_t readBufferSize = 64 * 1024;
constexpr JOCTET endOfImage[] = {0xFF, JPEG_EOI};

SourceReader& readerOf(j_decompress_ptr info) {
    return *reinterpret_cast<SourceReader*>(info->src);
}

void startSource(j_decompress_ptr) {}

void endSource(j_decompress_ptr) {}

boolean fillBuffer(j_decompress_ptr info) {
    SourceReader& reader = readerOf(info);
    const std::size_t got = reader.file->readAt(reader.nextOffset, reader.buffer, readBufferSize);
    reader.nextOffset += got;
    if (got == 0) {
        reader.ended = true;
        reader.base.next_input_byte = endOfImage;
        reader.base.bytes_in_buffer = sizeof endOfImage;
    } else {
        reader.base.next_input_byte = reader.buffer;
        reader.base.bytes_in_buffer = got;
    }
    return TRUE;
}

// Skips within the buffer or, beyond it, in the file without reading the bytes.
void skipData(j_decompress_ptr info, long count) {
    if (count <= 0) {
        return;
    }
    jpeg_source_mgr& base = readerOf(info).base;
    const auto skipped = static_cast<std::size_t>(count);
    if (skipped <= base.bytes_in_buffer) {
        base.next_input_byte += skipped;
        base.bytes_in_buffer -= skipped;
        return;
    }
    readerOf(info).nextOffset += skipped - base.bytes_in_buffer;
    base.bytes_in_buffer = 0;
}

void readFrom(jpeg_decompress_struct& info, SourceReader& reader, Source& file) {
    reader.file = &file;
    reader.buffer = static_cast<JOCTET*>((*info.mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(&info), JPOOL_PERMANENT, readBufferSize));
    reader.base.init_source = startSource;
    reader.base.fill_input_buffer = fillBuffer;
    reader.base.skip_input_data = skipData;
    reader.base.resync_to_restart = jpeg_resync_to_restart;
    reader.base.term_source = endSource;
    info.src = &reader.base;
}

// The offset of the first byte libjpeg has not read yet.
std::uint64_t readPosition(const SourceReader& reader) {
    return reader.nextOffset - reader.base.bytes_in_buffer;
}

// Warnings do not stop the read. The decoder warns when it needs entropy-coded data past a
// marker; past the end of the data that marker is the one the reader put there, and the rows
// decoded from then on are made up.
void noteWarning(j_common_ptr info, int level) {
    if (level < 0 && info->is_decompressor && info->err->msg_code == JWRN_HIT_MARKER) {
        SourceReader& reader = readerOf(reinterpret_cast<j_decompress_ptr>(info));
        reader.brokeOff = reader.brokeOff || reader.ended;
    }
}

void installErrors(jpeg_common_struct& info, ErrorManager& errors) {
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = leave;
    errors.base.emit_message = noteWarning;
}

std::int32_t pelsPerMeter(std::uint8_t unit, std::uint16_t density) {
    if (unit == 1) {
        return pelsPerMeterFromInch(density);
    }
    if (unit == 2) {
        return pelsPerMeterFromCentimetre(density);
    }
    return 0;
}

// Adobe files store CMYK inverted; the product of each colour with black gives the channel.
void cmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x) {
        const unsigned c = inverted ? cmyk[0] : 255u - cmyk[0];
        const unsigned m = inverted ? cmyk[1] : 255u - cmyk[1];
        const unsigned y = inverted ? cmyk[2] : 255u - cmyk[2];
        const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
        bgr[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
        bgr[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        bgr[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
        cmyk += 4;
        bgr += 3;
    }
}

void greyToBgr(const std::uint8_t* grey, std::uint8_t* bgr, JDIMENSION width) {
    for (JDIMENSION x = 0; x < width; ++x) {
        bgr[x * 3] = bgr[x * 3 + 1] = bgr[x * 3 + 2] = grey[x];
    }
}

// With Huffman coding every block of a scan costs at least one bit (and the first scan of a
// component holds its DC values, one code per block), so data with fewer bits than the first
// scan has blocks cannot hold the picture its header claims. Real pictures need far more; the
// loose bound only keeps a tiny file from costing a huge picture's memory. Arithmetic coding can
// spend less than a bit per block, so arithmetic-coded files are left out of it.
std::uint64_t firstScanBlocks(const jpeg_decompress_struct& info) {
    if (info.comps_in_scan == 1) {
        const jpeg_component_info& component = *info.cur_comp_info[0];
        return std::uint64_t{component.width_in_blocks} * component.height_in_blocks;
    }
    std::uint64_t blocksPerMcu = 0;
    for (int i = 0; i < info.comps_in_scan; ++i) {
        const jpeg_component_info& component = *info.cur_comp_info[i];
        blocksPerMcu += static_cast<std::uint64_t>(component.h_samp_factor) *
                        static_cast<std::uint64_t>(component.v_samp_factor);
    }
    const std::uint64_t mcuWidth = static_cast<std::uint64_t>(info.max_h_samp_factor) * DCTSIZE;
    const std::uint64_t mcusPerRow = (info.image_width + mcuWidth - 1) / mcuWidth;
    return mcusPerRow * info.total_iMCU_rows * blocksPerMcu;
}

bool dataCanHoldPicture(const jpeg_decompress_struct& info, const SourceReader& reader) {
    const std::uint64_t size = reader.file->size();
    const std::uint64_t position = readPosition(reader);
    const std::uint64_t bitsLeft = position < size ? (size - position) * 8 : 0;
    return info.arith_code || bitsLeft >= firstScanBlocks(info);
}

// libjpeg keeps whole-picture buffers for files of several scans (progressive ones): two bytes
// per coefficient. They may take what the file's components need unsubsampled and no more: that
// covers every sampling layout (4:2:0 needs half of it, full-resolution colour and CMYK all of
// it), and beyond it libjpeg fails with JERR_NO_BACKING_STORE. The margin covers the strip
// buffers and tables libjpeg counts against the same ceiling.
long memoryCeiling(const jpeg_decompress_struct& info) {
    const std::uint64_t mcuWidth = static_cast<std::uint64_t>(info.max_h_samp_factor) * DCTSIZE;
    const std::uint64_t mcuHeight = static_cast<std::uint64_t>(info.max_v_samp_factor) * DCTSIZE;
    const std::uint64_t paddedWidth = (info.image_width + mcuWidth - 1) / mcuWidth * mcuWidth;
    const std::uint64_t paddedHeight = std::uint64_t{info.total_iMCU_rows} * mcuHeight;
    const auto components = static_cast<std::uint64_t>(info.num_components);
    const std::uint64_t coefficients = paddedWidth * paddedHeight * components * 2;
    const std::uint64_t margin = (std::uint64_t{1} << 20) + paddedWidth * components * 128;
    return static_cast<long>(std::min<std::uint64_t>(
        coefficients + margin, static_cast<std::uint64_t>(std::numeric_limits<long>::max())));
}

void chooseOutput(jpeg_decompress_struct& info) {
    const J_COLOR_SPACE source = info.jpeg_color_space;
    if (source == JCS_CMYK || source == JCS_YCCK) {
        info.out_color_space = JCS_CMYK;
    } else {
        info.out_color_space = source == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_EXT_BGR;
    }
}

void readRow(jpeg_decompress_struct& info, std::uint8_t* row, std::vector<std::uint8_t>& line) {
    JSAMPROW target = info.out_color_space == JCS_EXT_BGR ? row : line.data();
    jpeg_read_scanlines(&info, &target, 1);
    if (info.out_color_space == JCS_CMYK) {
        cmykToBgr(line.data(), row, info.output_width, info.saw_Adobe_marker);
    } else if (info.out_color_space == JCS_GRAYSCALE) {
        greyToBgr(line.data(), row, info.output_width);
    }
}

// Copies the rows into the picture. A file of several scans has been read whole by
// jpeg_start_decompress: every row is delivered, blurred where later scans are missing. In a
// single scan the rows are decoded as they are read, so reading stops at the first row decoded
// after the data ended; the rows below stay black, and the decompression is abandoned rather
// than finished (jpeg_destroy_decompress discards it).
int readRows(jpeg_decompress_struct& info, const SourceReader& reader, Progress& progress,
             DibBuffer& out, std::vector<std::uint8_t>& line) {
    const bool singleScan = !jpeg_has_multiple_scans(&info);
    line.resize(static_cast<std::size_t>(info.output_width) * info.output_components);
    while (info.output_scanline < info.output_height) {
        const auto y = static_cast<std::int32_t>(info.output_scanline);
        readRow(info, out.row(y), line);
        if (singleScan && reader.brokeOff) {
            return enoughRowsToShow(y + 1, info.output_height) ? IP_INCOMPLETE : IP_DAMAGED_FILE;
        }
        if (!progress.report(y + 1, info.output_height)) {
            return IP_CANCELLED;
        }
    }
    jpeg_finish_decompress(&info);
    // A single scan decoded without running short is whole even when only the end marker is
    // missing.
    return reader.ended && !singleScan ? IP_INCOMPLETE : IP_OK;
}

int decode(jpeg_decompress_struct& info, const SourceReader& reader, Progress& progress,
           DibBuffer& out, std::vector<std::uint8_t>& line) {
    if (info.data_precision != 8) {
        return IP_UNSUPPORTED;
    }
    if (!dataCanHoldPicture(info, reader)) {
        return IP_DAMAGED_FILE;
    }
    chooseOutput(info);
    if (const int created = out.create(info.image_width, info.image_height); created != IP_OK) {
        return created;
    }
    out.setResolution(pelsPerMeter(info.density_unit, info.X_density),
                      pelsPerMeter(info.density_unit, info.Y_density));
    info.mem->max_memory_to_use = memoryCeiling(info);
    jpeg_start_decompress(&info);
    return readRows(info, reader, progress, out, line);
}

UINT16 densityOf(std::int32_t pelsPerMeter) {
    return static_cast<UINT16>(std::clamp(std::lround(dotsPerInch(pelsPerMeter)), 1L, 65535L));
}

} // namespace

int readJpeg(Source& file, Progress& progress, DibBuffer& out) {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    SourceReader reader{};
    std::vector<std::uint8_t> line;
    installErrors(*reinterpret_cast<jpeg_common_struct*>(&info), errors);
    if (setjmp(errors.escape) != 0) {
        jpeg_destroy_decompress(&info);
        return failureCode(errors.base, IP_DAMAGED_FILE);
    }
    jpeg_create_decompress(&info);
    readFrom(info, reader, file);
    jpeg_read_header(&info, TRUE);
    const int result = decode(info, reader, progress, out, line);
    jpeg_destroy_decompress(&info);
    return result;
}

namespace {

// How far a quantisation table lies from another: the sum of the differences of its entries.
long tableDistance(const JQUANT_TBL& table, const JQUANT_TBL& other) {
    long distance = 0;
    for (int i = 0; i < DCTSIZE2; ++i) {
        distance += std::abs(long{table.quantval[i]} - long{other.quantval[i]});
    }
    return distance;
}

// The quality whose standard luminance table, as libjpeg scales it for baseline files, lies
// nearest `table`; the higher quality where two lie equally near.
int nearestQuality(const JQUANT_TBL& table) {
    jpeg_compress_struct info{};
    ErrorManager errors{};
    installErrors(*reinterpret_cast<jpeg_common_struct*>(&info), errors);
    if (setjmp(errors.escape) != 0) {
        jpeg_destroy_compress(&info);
        return 0;
    }
    jpeg_create_compress(&info);
    info.in_color_space = JCS_RGB;
    info.input_components = 3;
    jpeg_set_defaults(&info);
    int best = 0;
    long bestDistance = 0;
    for (int quality = 100; quality >= 1; --quality) {
        jpeg_set_quality(&info, quality, TRUE);
        const long distance = tableDistance(table, *info.quant_tbl_ptrs[0]);
        if (best == 0 || distance < bestDistance) {
            best = quality;
            bestDistance = distance;
        }
    }
    jpeg_destroy_compress(&info);
    return best;
}

// Whether a file holds colour whose components are all sampled as the first, the luminance.
bool hasFullChroma(const jpeg_decompress_struct& info) {
    if (info.num_components < 3) {
        return false;
    }
    const jpeg_component_info* components = info.comp_info;
    return std::all_of(components + 1, components + info.num_components,
                       [&](const jpeg_component_info& component) {
                           return component.h_samp_factor == components[0].h_samp_factor &&
                                  component.v_samp_factor == components[0].v_samp_factor;
                       });
}

// Takes the colour at the luminance's resolution instead of halving it both ways.
void keepFullChroma(jpeg_compress_struct& info) {
    info.comp_info[0].h_samp_factor = 1;
    info.comp_info[0].v_samp_factor = 1;
}

} // namespace

std::optional<JpegWriting> jpegWritingOf(Source& file) {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    SourceReader reader{};
    installErrors(*reinterpret_cast<jpeg_common_struct*>(&info), errors);
    if (setjmp(errors.escape) != 0) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    readFrom(info, reader, file);
    jpeg_read_header(&info, TRUE);
    const JQUANT_TBL* luminance = info.quant_tbl_ptrs[0];
    std::optional<JpegWriting> writing;
    if (luminance != nullptr) {
        writing = JpegWriting{nearestQuality(*luminance), hasFullChroma(info)};
    }
    jpeg_destroy_decompress(&info);
    return writing;
}

int writeJpeg(const DibView& picture, std::FILE* file, JpegWriting how, Progress& progress) {
    if (picture.width() > JPEG_MAX_DIMENSION || picture.height() > JPEG_MAX_DIMENSION) {
        return IP_BAD_BITMAP; // the format cannot hold the picture
    }
    jpeg_compress_struct info{};
    ErrorManager errors{};
    installErrors(*reinterpret_cast<jpeg_common_struct*>(&info), errors);
    if (setjmp(errors.escape) != 0) {
        jpeg_destroy_compress(&info);
        return failureCode(errors.base, IP_WRITE_FAILED);
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(picture.width());
    info.image_height = static_cast<JDIMENSION>(picture.height());
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, how.quality, TRUE);
    if (how.fullChroma) {
        keepFullChroma(info);
    }
    if (picture.xPelsPerMeter() > 0 && picture.yPelsPerMeter() > 0) {
        info.density_unit = 1;
        info.X_density = densityOf(picture.xPelsPerMeter());
        info.Y_density = densityOf(picture.yPelsPerMeter());
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const auto y = static_cast<std::int32_t>(info.next_scanline);
        JSAMPROW row = const_cast<std::uint8_t*>(picture.row(y));
        jpeg_write_scanlines(&info, &row, 1);
        if (!progress.report(y + 1, info.image_height)) {
            jpeg_destroy_compress(&info);
            return IP_CANCELLED;
        }
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::ferror(file) ? IP_WRITE_FAILED : IP_OK;
}

} // namespace imagefile
