#include "jpeg_codec.h"

#include <QImage>

#include <cmath>
#include <cstring>
#include <iostream>
#include <new>

namespace {

template <typename T> T read32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    T value{};
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

PackedBitmap packedBitmap(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                          const std::vector<std::array<std::uint8_t, 3>>& palette) {
    const std::uint32_t stride =
        static_cast<std::uint32_t>((std::int64_t{width} * bitCount + 31) / 32 * 4);
    PackedBitmap bitmap;
    bitmap.bytes.assign(40 + 4 * palette.size() + std::size_t{stride} * height, 0);
    const std::uint32_t headerSize = 40;
    const std::uint16_t planes = 1;
    const auto colours = static_cast<std::uint32_t>(palette.size());
    std::memcpy(&bitmap.bytes[0], &headerSize, 4);
    std::memcpy(&bitmap.bytes[4], &width, 4);
    std::memcpy(&bitmap.bytes[8], &height, 4);
    std::memcpy(&bitmap.bytes[12], &planes, 2);
    std::memcpy(&bitmap.bytes[14], &bitCount, 2);
    std::memcpy(&bitmap.bytes[32], &colours, 4);
    for (std::size_t i = 0; i < palette.size(); ++i) { // blue, green, red, 0
        bitmap.bytes[40 + i * 4] = palette[i][0];
        bitmap.bytes[41 + i * 4] = palette[i][1];
        bitmap.bytes[42 + i * 4] = palette[i][2];
    }
    return bitmap;
}

std::uint8_t* storedRow(PackedBitmap& bitmap, std::int32_t pictureRow) {
    return bitmap.bytes.data() + 40 + 4 * bitmap.colorsUsed() +
           std::size_t{bitmap.rowStride()} *
               static_cast<std::size_t>(bitmap.height() - 1 - pictureRow);
}

// The picture's pixels as a 24-bit packed bitmap, converted by Qt from whatever format it has.
PackedBitmap twentyFourBitBitmapOf(const QImage& picture) {
    const char* const cannotObtain = "Cannot obtain a Device Independent Bitmap";
    const QImage bgr = picture.convertToFormat(QImage::Format_BGR888);
    if (bgr.isNull()) { // a null picture, or no memory for the conversion
        throw JpegError(cannotObtain);
    }
    try {
        PackedBitmap bitmap = packedBitmap(bgr.width(), bgr.height(), 24, {});
        for (int y = 0; y < bgr.height(); ++y) {
            std::memcpy(storedRow(bitmap, y), bgr.constScanLine(y),
                        static_cast<std::size_t>(bgr.width()) * 3);
        }
        return bitmap;
    } catch (const std::bad_alloc&) {
        throw JpegError(cannotObtain);
    }
}

TJPEGStreamCompressor* sharedCompressor = nullptr;
TJPEGStreamDecompressor* sharedDecompressor = nullptr;

constexpr std::size_t defaultBufferSize = 4096;
const char* const bufferInUse = "Cannot change buffer size while buffer is in use";

} // namespace

std::int32_t PackedBitmap::width() const {
    return read32<std::int32_t>(bytes, 4);
}
std::int32_t PackedBitmap::height() const {
    return read32<std::int32_t>(bytes, 8);
}
std::uint16_t PackedBitmap::bitCount() const {
    std::uint16_t bits = 0;
    std::memcpy(&bits, bytes.data() + 14, 2);
    return bits;
}
std::uint32_t PackedBitmap::colorsUsed() const {
    return read32<std::uint32_t>(bytes, 32);
}
std::uint32_t PackedBitmap::rowStride() const {
    return static_cast<std::uint32_t>((std::int64_t{width()} * bitCount() + 31) / 32 * 4);
}

std::uint8_t greyLevel(int index) {
    return static_cast<std::uint8_t>(std::nearbyint(255.0 * std::sin(index * M_PI / 126.0)));
}

// ---------------------------------------------------------------------------------------------
// TJPEGBase

TJPEGBase::TJPEGBase() {
    jpeg_std_error(&errors_.base);
    errors_.base.error_exit = errorExitHook;
    errors_.base.emit_message = emitMessageHook;
    errors_.owner = this;
    progress_.base.progress_monitor = progressHook;
    progress_.owner = this;
}

void TJPEGBase::SetCommon(j_common_ptr common) {
    common_ = common;
    common_->err = &errors_.base;
    common_->progress = &progress_.base;
}

void TJPEGBase::Guarded(const std::function<void()>& work) {
    std::jmp_buf escape;
    struct Restore {
        std::jmp_buf*& slot;
        std::jmp_buf* outer;
        ~Restore() { slot = outer; }
    } restore{escape_, escape_};
    escape_ = &escape;
    if (setjmp(escape) == 0) {
        work();
        return;
    }
    escape_ = restore.outer;
    if (common_ != nullptr) {
        aborting_ = true;
        jpeg_abort(common_);
        aborting_ = false;
    }
    throw JpegError(failure_);
}

void TJPEGBase::ErrorExit() {
    if (!aborting_) {
        char message[JMSG_LENGTH_MAX] = {};
        errors_.base.format_message(common_, message);
        failure_ = message;
    }
    std::longjmp(*escape_, 1);
}

void TJPEGBase::Fail(const std::string& message) {
    failure_ = message;
    aborting_ = true; // the message is set; ErrorExit must not overwrite it
    std::longjmp(*escape_, 1);
}

void TJPEGBase::EmitMessage(int level) {
    const bool warning = level < 0;
    const bool report =
        warning ? (errors_.base.num_warnings == 0 || TraceLevel >= 3) : level <= TraceLevel;
    if (warning) {
        ++errors_.base.num_warnings;
    }
    if (!report) {
        return;
    }
    char message[JMSG_LENGTH_MAX] = {};
    errors_.base.format_message(common_, message);
    if (OnWarning) {
        OnWarning(message);
    } else {
        std::cerr << message << '\n';
    }
}

void TJPEGBase::Progress() {
    if (OnProgress) {
        inProgress_ = true;
        OnProgress();
        inProgress_ = false;
    }
}

int TJPEGBase::PercentDone() const {
    const jpeg_progress_mgr& p = progress_.base;
    if (p.total_passes <= 0 || p.pass_limit <= 0) {
        return 0;
    }
    const double done = (static_cast<double>(p.pass_counter) / p.pass_limit + p.completed_passes) /
                        p.total_passes * 100.0;
    return static_cast<int>(std::nearbyint(done));
}

void TJPEGBase::Abort() {
    if (inProgress_) {
        abortRequested_ = true;
        return;
    }
    if (common_ != nullptr) {
        aborting_ = true;
        jpeg_abort(common_);
        aborting_ = false;
    }
}

void TJPEGBase::CheckAbort() {
    if (abortRequested_) {
        abortRequested_ = false;
        aborting_ = true;
        jpeg_abort(common_);
        aborting_ = false;
        throw JpegError("User Interrupt");
    }
}

void TJPEGBase::errorExitHook(j_common_ptr info) {
    reinterpret_cast<ErrorManager*>(info->err)->owner->ErrorExit();
}

void TJPEGBase::emitMessageHook(j_common_ptr info, int level) {
    reinterpret_cast<ErrorManager*>(info->err)->owner->EmitMessage(level);
}

void TJPEGBase::progressHook(j_common_ptr info) {
    reinterpret_cast<ProgressManager*>(info->progress)->owner->Progress();
}

// ---------------------------------------------------------------------------------------------
// TJPEGCompressor

TJPEGCompressor::TJPEGCompressor() = default;

TJPEGCompressor::~TJPEGCompressor() {
    if (Common() != nullptr) {
        jpeg_destroy_compress(&info_);
    }
}

// Every compression starts from a new structure, so no table or option of an earlier one
// carries over.
void TJPEGCompressor::CreateStruct() {
    if (Common() != nullptr) {
        jpeg_destroy_compress(&info_);
    }
    SetCommon(reinterpret_cast<j_common_ptr>(&info_));
    Guarded([this] { jpeg_create_compress(&info_); });
    SetCommon(reinterpret_cast<j_common_ptr>(&info_)); // creation cleared the manager fields
    destination_.base.init_destination = initDestinationHook;
    destination_.base.empty_output_buffer = emptyOutputBufferHook;
    destination_.base.term_destination = termDestinationHook;
    destination_.owner = this;
    info_.dest = &destination_.base;
}

void TJPEGCompressor::Compress(const PackedBitmap& bitmap) {
    const std::uint16_t bits = bitmap.bitCount();
    if (bits != 24 && bits != 8 && bits != 4) {
        char text[64];
        std::snprintf(text, sizeof text, "Unable to compress at %d bit resolution", bits);
        throw JpegError(text);
    }
    const std::int32_t width = bitmap.width();
    const std::int32_t height = bitmap.height() < 0 ? -bitmap.height() : bitmap.height();
    std::vector<std::uint8_t> expanded(static_cast<std::size_t>(width) * 3);
    CreateStruct();
    Guarded([&] {
        info_.image_width = static_cast<JDIMENSION>(width);
        info_.image_height = static_cast<JDIMENSION>(height);
        info_.input_components = 3;
        info_.in_color_space = JCS_EXT_BGR;
        jpeg_set_defaults(&info_);
        if (Grayscale) {
            jpeg_set_colorspace(&info_, JCS_GRAYSCALE);
        }
        jpeg_set_quality(&info_, quality_, TRUE);
        if (Progressive) {
            jpeg_simple_progression(&info_);
        }
        if (!WriteAllTables) {
            jpeg_suppress_tables(&info_, TRUE);
        }
        jpeg_start_compress(&info_, WriteAllTables ? TRUE : FALSE);
        if (!Comment.empty()) {
            jpeg_write_marker(&info_, JPEG_COM, reinterpret_cast<const JOCTET*>(Comment.data()),
                              static_cast<unsigned>(Comment.size()));
        }
        const std::uint8_t* palette = bitmap.colorTable();
        while (info_.next_scanline < info_.image_height) {
            const auto y = static_cast<std::int32_t>(info_.next_scanline);
            const std::int32_t stored = bitmap.height() < 0 ? y : height - 1 - y;
            const std::uint8_t* row =
                bitmap.rows() + std::size_t{bitmap.rowStride()} * static_cast<std::size_t>(stored);
            JSAMPROW line = const_cast<std::uint8_t*>(row);
            if (bits != 24) {
                for (std::int32_t x = 0; x < width; ++x) {
                    const unsigned index =
                        bits == 8 ? row[x] : (row[x / 2] >> ((x % 2) ? 0 : 4)) & 15u;
                    std::memcpy(&expanded[static_cast<std::size_t>(x) * 3], palette + index * 4, 3);
                }
                line = expanded.data();
            }
            jpeg_write_scanlines(&info_, &line, 1);
            CheckAbort();
        }
        jpeg_finish_compress(&info_);
    });
}

void TJPEGCompressor::Compress(const QImage& picture) {
    Compress(twentyFourBitBitmapOf(picture));
}

void TJPEGCompressor::initDestinationHook(j_compress_ptr info) {
    reinterpret_cast<Destination*>(info->dest)->owner->InitDestination();
}

boolean TJPEGCompressor::emptyOutputBufferHook(j_compress_ptr info) {
    if (!reinterpret_cast<Destination*>(info->dest)->owner->EmptyOutputBuffer()) {
        ERREXIT(info, JERR_FILE_WRITE);
    }
    return TRUE;
}

void TJPEGCompressor::termDestinationHook(j_compress_ptr info) {
    reinterpret_cast<Destination*>(info->dest)->owner->TermDestination();
}

// ---------------------------------------------------------------------------------------------
// TJPEGStreamCompressor

TJPEGStreamCompressor::TJPEGStreamCompressor() : buffer_(defaultBufferSize) {
    CreateStruct();
    if (sharedCompressor == nullptr) {
        sharedCompressor = this;
    }
}

TJPEGStreamCompressor::~TJPEGStreamCompressor() {
    if (sharedCompressor == this) {
        sharedCompressor = nullptr;
    }
}

TJPEGStreamCompressor* TJPEGStreamCompressor::Shared() {
    return sharedCompressor;
}

void TJPEGStreamCompressor::SetBufferSize(std::size_t size) {
    if (inUse_) {
        throw JpegError(bufferInUse);
    }
    buffer_.assign(size == 0 ? 1 : size, 0);
}

void TJPEGStreamCompressor::InitDestination() {
    Info().dest->next_output_byte = buffer_.data();
    Info().dest->free_in_buffer = buffer_.size();
    inUse_ = true;
}

bool TJPEGStreamCompressor::EmptyOutputBuffer() {
    const auto size = static_cast<qint64>(buffer_.size());
    const bool written = Target != nullptr &&
                         Target->write(reinterpret_cast<const char*>(buffer_.data()), size) == size;
    Info().dest->next_output_byte = buffer_.data();
    Info().dest->free_in_buffer = buffer_.size();
    return written;
}

void TJPEGStreamCompressor::TermDestination() {
    const auto used = static_cast<qint64>(buffer_.size() - Info().dest->free_in_buffer);
    inUse_ = false;
    if (used > 0 && (Target == nullptr ||
                     Target->write(reinterpret_cast<const char*>(buffer_.data()), used) != used)) {
        ERREXIT(&Info(), JERR_FILE_WRITE);
    }
}

// ---------------------------------------------------------------------------------------------
// TJPEGDecompressor

namespace {

// One byte from the source, refilling it when empty (the stream source never suspends).
int nextByte(j_decompress_ptr info) {
    jpeg_source_mgr* src = info->src;
    if (src->bytes_in_buffer == 0 && !(*src->fill_input_buffer)(info)) {
        ERREXIT(info, JERR_CANT_SUSPEND);
    }
    --src->bytes_in_buffer;
    return *src->next_input_byte++;
}

} // namespace

TJPEGDecompressor::TJPEGDecompressor() = default;

TJPEGDecompressor::~TJPEGDecompressor() {
    if (Common() != nullptr) {
        jpeg_destroy_decompress(&info_);
    }
}

// Every picture is read with a new structure (see the compressor).
void TJPEGDecompressor::CreateStruct() {
    if (Common() != nullptr) {
        jpeg_destroy_decompress(&info_);
    }
    SetCommon(reinterpret_cast<j_common_ptr>(&info_));
    Guarded([this] { jpeg_create_decompress(&info_); });
    SetCommon(reinterpret_cast<j_common_ptr>(&info_));
    source_.base.init_source = initSourceHook;
    source_.base.fill_input_buffer = fillInputBufferHook;
    source_.base.skip_input_data = skipInputDataHook;
    source_.base.resync_to_restart = resyncHook;
    source_.base.term_source = termSourceHook;
    source_.owner = this;
    info_.src = &source_.base;
    jpeg_set_marker_processor(&info_, JPEG_COM, markerHook);
    for (int app = 1; app <= 13; ++app) {
        jpeg_set_marker_processor(&info_, JPEG_APP0 + app, markerHook);
    }
    jpeg_set_marker_processor(&info_, JPEG_APP0 + 15, markerHook);
}

void TJPEGDecompressor::DoMarker(int code, bool& handled) {
    if (OnMarker) {
        OnMarker(code, handled);
    }
}

void TJPEGDecompressor::ReadHeader() {
    CreateStruct();
    Guarded([this] {
        jpeg_read_header(&info_, TRUE);
        info_.do_fancy_upsampling = TRUE;
        info_.do_block_smoothing = TRUE;
        info_.two_pass_quantize = TRUE;
        info_.dither_mode = JDITHER_FS;
        info_.desired_number_of_colors = ColourCount;
        if (GrayscaleOutput) {
            info_.out_color_space = JCS_GRAYSCALE;
        }
        jpeg_calc_output_dimensions(&info_);
    });
}

PackedBitmap TJPEGDecompressor::Decompress(Mode mode) {
    const bool greyOut = mode == GreyLevels || GrayscaleOutput;
    if (!greyOut && IsGrayscale()) {
        jpeg_abort_decompress(&info_);
        throw JpegError("Image is Grayscale but colour output requested");
    }
    const bool cmyk = info_.jpeg_color_space == JCS_CMYK || info_.jpeg_color_space == JCS_YCCK;
    PackedBitmap bitmap;
    std::vector<std::uint8_t> line;
    Guarded([&] {
        info_.quantize_colors = mode == Quantised256 || mode == Quantised16 ? TRUE : FALSE;
        info_.desired_number_of_colors = mode == Quantised16 ? 16 : ColourCount;
        info_.out_color_space = greyOut ? JCS_GRAYSCALE
                                : cmyk  ? JCS_CMYK
                                        : (info_.quantize_colors ? JCS_RGB : JCS_EXT_BGR);
        jpeg_start_decompress(&info_);
    });
    const auto width = static_cast<std::int32_t>(info_.output_width);
    const auto height = static_cast<std::int32_t>(info_.output_height);
    std::vector<std::array<std::uint8_t, 3>> palette;
    if (greyOut) {
        for (int i = 0; i < 64; ++i) {
            palette.push_back({greyLevel(i), greyLevel(i), greyLevel(i)});
        }
    } else if (info_.quantize_colors) {
        for (int i = 0; i < info_.actual_number_of_colors; ++i) {
            palette.push_back({info_.colormap[2][i], info_.colormap[1][i], info_.colormap[0][i]});
        }
    }
    const std::uint16_t bits = greyOut || mode == Quantised256 ? 8 : mode == Quantised16 ? 4 : 24;
    bitmap = packedBitmap(width, height, bits, palette);
    line.resize(static_cast<std::size_t>(width) * info_.output_components);
    Guarded([&] {
        while (info_.output_scanline < info_.output_height) {
            const auto y = static_cast<std::int32_t>(info_.output_scanline);
            JSAMPROW target = line.data();
            jpeg_read_scanlines(&info_, &target, 1);
            std::uint8_t* row = storedRow(bitmap, y);
            for (std::int32_t x = 0; x < width; ++x) {
                if (greyOut) {
                    row[x] = static_cast<std::uint8_t>(line[x] / 4);
                } else if (bits == 8) {
                    row[x] = line[x];
                } else if (bits == 4) {
                    row[x / 2] |= static_cast<std::uint8_t>((line[x] & 15) << ((x % 2) ? 0 : 4));
                } else if (cmyk) { // stored inverted, as print software writes it
                    const std::uint8_t* k = &line[static_cast<std::size_t>(x) * 4];
                    row[x * 3] = static_cast<std::uint8_t>((k[2] * k[3] + 127) / 255);
                    row[x * 3 + 1] = static_cast<std::uint8_t>((k[1] * k[3] + 127) / 255);
                    row[x * 3 + 2] = static_cast<std::uint8_t>((k[0] * k[3] + 127) / 255);
                } else {
                    std::memcpy(row + x * 3, &line[static_cast<std::size_t>(x) * 3], 3);
                }
            }
            CheckAbort();
        }
        jpeg_finish_decompress(&info_);
    });
    return bitmap;
}

void TJPEGDecompressor::initSourceHook(j_decompress_ptr info) {
    reinterpret_cast<Source*>(info->src)->owner->InitSource();
}

boolean TJPEGDecompressor::fillInputBufferHook(j_decompress_ptr info) {
    return reinterpret_cast<Source*>(info->src)->owner->FillInputBuffer() ? TRUE : FALSE;
}

void TJPEGDecompressor::skipInputDataHook(j_decompress_ptr info, long count) {
    reinterpret_cast<Source*>(info->src)->owner->SkipInputData(count);
}

boolean TJPEGDecompressor::resyncHook(j_decompress_ptr info, int desired) {
    if (reinterpret_cast<Source*>(info->src)->owner->ResyncToRestart()) {
        return TRUE;
    }
    return jpeg_resync_to_restart(info, desired);
}

void TJPEGDecompressor::termSourceHook(j_decompress_ptr info) {
    reinterpret_cast<Source*>(info->src)->owner->TermSource();
}

// The marker's data is skipped by its length unless the handler took it.
boolean TJPEGDecompressor::markerHook(j_decompress_ptr info) {
    const int high = nextByte(info);
    const long length = (high << 8 | nextByte(info)) - 2;
    bool handled = false;
    auto* owner = reinterpret_cast<Source*>(info->src)->owner;
    owner->DoMarker(info->unread_marker - JPEG_APP0, handled);
    if (!handled && length > 0) {
        (*info->src->skip_input_data)(info, length);
    }
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// TJPEGStreamDecompressor

TJPEGStreamDecompressor::TJPEGStreamDecompressor() : buffer_(defaultBufferSize) {
    CreateStruct();
    if (sharedDecompressor == nullptr) {
        sharedDecompressor = this;
    }
}

TJPEGStreamDecompressor::~TJPEGStreamDecompressor() {
    if (sharedDecompressor == this) {
        sharedDecompressor = nullptr;
    }
}

TJPEGStreamDecompressor* TJPEGStreamDecompressor::Shared() {
    return sharedDecompressor;
}

void TJPEGStreamDecompressor::SetBufferSize(std::size_t size) {
    if (inUse_) {
        throw JpegError(bufferInUse);
    }
    buffer_.assign(size == 0 ? 1 : size, 0);
}

void TJPEGStreamDecompressor::InitSource() {
    inUse_ = true;
    sawData_ = false;
    Info().src->bytes_in_buffer = 0;
}

bool TJPEGStreamDecompressor::FillInputBuffer() {
    static const JOCTET endOfImage[2] = {0xFF, JPEG_EOI};
    const qint64 got = Source != nullptr ? Source->read(reinterpret_cast<char*>(buffer_.data()),
                                                        static_cast<qint64>(buffer_.size()))
                                         : 0;
    if (got <= 0) {
        if (!sawData_) {
            ERREXIT(&Info(), JERR_INPUT_EMPTY);
        }
        WARNMS(&Info(), JWRN_JPEG_EOF);
        Info().src->next_input_byte = endOfImage;
        Info().src->bytes_in_buffer = 2;
        return true;
    }
    sawData_ = true;
    Info().src->next_input_byte = buffer_.data();
    Info().src->bytes_in_buffer = static_cast<std::size_t>(got);
    return true;
}

void TJPEGStreamDecompressor::SkipInputData(long count) {
    jpeg_source_mgr* src = Info().src;
    while (count > static_cast<long>(src->bytes_in_buffer)) {
        count -= static_cast<long>(src->bytes_in_buffer);
        src->bytes_in_buffer = 0;
        const qint64 got = Source != nullptr ? Source->read(reinterpret_cast<char*>(buffer_.data()),
                                                            static_cast<qint64>(buffer_.size()))
                                             : 0;
        if (got <= 0) {
            Fail("Read beyond end of JPEG source");
        }
        src->next_input_byte = buffer_.data();
        src->bytes_in_buffer = static_cast<std::size_t>(got);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<std::size_t>(count);
}

void TJPEGStreamDecompressor::TermSource() {
    inUse_ = false;
}
