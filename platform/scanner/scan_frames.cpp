#include "platform/scan_frames.h"

#include "platform/packed_bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__x86_64__)
#include <tmmintrin.h>
#endif

namespace scanner {
namespace {
constexpr std::size_t headerSize = sizeof(BITMAPINFOHEADER);
// Rows a picture of unknown length starts with; the block doubles as it fills.
constexpr std::size_t firstRowsOfUnknownLength = 64;

// Two pixels at a time as one 64-bit word, r0 g0 b0 r1 g1 b1 and two bytes of the next pixel
// (little-endian: r0 is the low byte): the greens stay, the reds move up two bytes and the blues
// down two. The two bytes written beyond the pair are overwritten by the next one; the last one
// or two pixels go byte by byte, so that nothing is read or written past the line.
void rgbRowToBgrByWords(const std::uint8_t* rgb, std::uint8_t* bgr, int pixels) {
    constexpr std::uint64_t greens = 0x0000FF0000FF00;
    constexpr std::uint64_t redsOrBlues = 0xFF0000FF;
    int pixel = 0;
    for (; pixel + 3 <= pixels; pixel += 2) {
        std::uint64_t pair;
        std::memcpy(&pair, rgb, sizeof pair);
        pair = (pair & greens) | ((pair & redsOrBlues) << 16) | ((pair >> 16) & redsOrBlues);
        std::memcpy(bgr, &pair, sizeof pair);
        rgb += 6;
        bgr += 6;
    }
    for (; pixel < pixels; ++pixel) {
        bgr[0] = rgb[2];
        bgr[1] = rgb[1];
        bgr[2] = rgb[0];
        rgb += 3;
        bgr += 3;
    }
}

#if defined(__x86_64__)
// Four pixels at a time with one byte shuffle of 16 bytes: the four bytes after them are kept
// as they are and overwritten by the next step. The loop stops while six pixels are left, so
// that the 16 bytes read and written stay inside the line.
__attribute__((target("ssse3"))) void rgbRowToBgrByShuffles(const std::uint8_t* rgb,
                                                            std::uint8_t* bgr, int pixels) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15);
    int pixel = 0;
    for (; pixel + 6 <= pixels; pixel += 4) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgb));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr), _mm_shuffle_epi8(four, order));
        rgb += 12;
        bgr += 12;
    }
    rgbRowToBgrByWords(rgb, bgr, pixels - pixel);
}
#endif

using RowConversion = void (*)(const std::uint8_t*, std::uint8_t*, int);

// The fastest conversion the processor has.
RowConversion rgbRowToBgr() {
#if defined(__x86_64__)
    static const RowConversion conversion =
        __builtin_cpu_supports("ssse3") ? rgbRowToBgrByShuffles : rgbRowToBgrByWords;
    return conversion;
#else
    return rgbRowToBgrByWords;
#endif
}

void spreadIntoChannel(const std::uint8_t* samples, std::uint8_t* bgr, int pixels) {
    for (int i = 0; i < pixels; ++i) {
        bgr[3 * i] = samples[i];
    }
}

// The frame type as the device sent it. Backends may send types this build's enumeration
// lacks, and reading such a value through the enumeration type is undefined, so it is read as
// the integer it is.
int formatOf(const SANE_Parameters& frame) {
    static_assert(sizeof(frame.format) == sizeof(int));
    int code = 0;
    std::memcpy(&code, &frame.format, sizeof code);
    return code;
}

// The byte of a 24-bit pixel (blue, green, red) a single-colour frame fills.
int channelOf(int format) {
    switch (format) {
    case SANE_FRAME_RED:
        return 2;
    case SANE_FRAME_GREEN:
        return 1;
    default:
        return 0;
    }
}

bool isSingleColour(int format) {
    return format == SANE_FRAME_RED || format == SANE_FRAME_GREEN || format == SANE_FRAME_BLUE;
}

bool isKnownFormat(int format) {
    return format == SANE_FRAME_GRAY || format == SANE_FRAME_RGB || isSingleColour(format);
}
} // namespace

std::int32_t pixelsPerMetre(double dotsPerInch) {
    if (!(dotsPerInch > 0)) {
        return 0;
    }
    return static_cast<std::int32_t>(std::lround(std::min(dotsPerInch, 1e6) * 10000.0 / 254.0));
}

FrameAssembler::~FrameAssembler() {
    release();
}

void FrameAssembler::release() {
    platform::memFree(block_);
    block_ = nullptr;
    data_ = nullptr;
}

FrameCheck FrameAssembler::beginFrame(const SANE_Parameters& frame) {
    if (frameOpen_) {
        return FrameCheck::Invalid;
    }
    if (!started_) {
        return beginPicture(frame);
    }
    // Only a three-pass picture has more than one frame: each colour once, of the same sides.
    const bool sameSides = frame.pixels_per_line == width_ &&
                           (frame.lines == -1 || std::size_t(frame.lines) == height_) &&
                           frame.bytes_per_line >= frame.pixels_per_line &&
                           std::size_t(frame.bytes_per_line) <= 2 * rowBytes_ + 1024;
    if (kind_ != Kind::SingleColour || !isSingleColour(formatOf(frame)) || frame.depth != 8 ||
        !sameSides || (channelsDone_ & (1u << channelOf(formatOf(frame)))) != 0) {
        return FrameCheck::Invalid;
    }
    channel_ = channelOf(formatOf(frame));
    bytesPerLine_ = std::size_t(frame.bytes_per_line);
    pending_.resize(bytesPerLine_);
    pendingBytes_ = 0;
    rowsInFrame_ = 0;
    frameOpen_ = true;
    return FrameCheck::Usable;
}

FrameCheck FrameAssembler::beginPicture(const SANE_Parameters& frame) {
    if (!isKnownFormat(formatOf(frame))) {
        return FrameCheck::Unsupported;
    }
    int bitCount = 0;
    if (frame.depth == 8) {
        kind_ = formatOf(frame) == SANE_FRAME_RGB    ? Kind::Rgb
                : formatOf(frame) == SANE_FRAME_GRAY ? Kind::Grey
                                                     : Kind::SingleColour;
        bitCount = kind_ == Kind::Grey ? 8 : 24;
    } else if (frame.depth == 1 && formatOf(frame) == SANE_FRAME_GRAY) {
        kind_ = Kind::LineArt;
        bitCount = 1;
    } else {
        return frame.depth == 1 || frame.depth == 16 ? FrameCheck::Unsupported
                                                     : FrameCheck::Invalid;
    }
    if (frame.pixels_per_line < 1 || frame.pixels_per_line > maxSide || frame.lines == 0 ||
        frame.lines < -1 || frame.lines > maxSide) {
        return FrameCheck::Invalid;
    }
    width_ = frame.pixels_per_line;
    rowBytes_ = kind_ == Kind::Rgb       ? 3 * std::size_t(width_)
                : kind_ == Kind::LineArt ? (std::size_t(width_) + 7) / 8
                                         : std::size_t(width_);
    // A line may carry padding, but no device pads it to more than twice its pixels.
    if (frame.bytes_per_line < 0 || std::size_t(frame.bytes_per_line) < rowBytes_ ||
        std::size_t(frame.bytes_per_line) > 2 * rowBytes_ + 1024) {
        return FrameCheck::Invalid;
    }
    bytesPerLine_ = std::size_t(frame.bytes_per_line);
    stride_ = (std::size_t(width_) * bitCount + 31) / 32 * 4;
    const std::size_t tableEntries = kind_ == Kind::Grey ? 256 : kind_ == Kind::LineArt ? 2 : 0;
    headerBytes_ = headerSize + 4 * tableEntries;
    bottomUp_ = frame.lines > 0;
    height_ = bottomUp_ ? std::size_t(frame.lines) : 0;
    if (!allocate(bottomUp_ ? height_ : firstRowsOfUnknownLength)) {
        return FrameCheck::Invalid;
    }
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(data_);
    *header = BITMAPINFOHEADER{};
    header->biBitCount = static_cast<std::uint16_t>(bitCount);
    std::uint8_t* table = data_ + headerSize;
    for (std::size_t i = 0; i < tableEntries; ++i) {
        // Grey levels; line art sends 1 for black.
        const std::uint8_t level = kind_ == Kind::Grey ? std::uint8_t(i) : i == 0 ? 255 : 0;
        table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = level;
        table[4 * i + 3] = 0;
    }
    started_ = true;
    channel_ = channelOf(formatOf(frame));
    pending_.resize(bytesPerLine_);
    frameOpen_ = true;
    return FrameCheck::Usable;
}

bool FrameAssembler::allocate(std::size_t rows) {
    const std::size_t bytes = headerBytes_ + stride_ * rows;
    if (bytes > maxPictureBytes) {
        outOfMemory_ = true;
        return false;
    }
    block_ = platform::memAlloc(bytes);
    data_ = static_cast<std::uint8_t*>(platform::memLock(block_));
    if (data_ == nullptr) {
        outOfMemory_ = true;
        release();
        return false;
    }
    capacityRows_ = rows;
    return true;
}

bool FrameAssembler::grow() {
    if (capacityRows_ >= std::size_t(maxSide)) {
        return false;
    }
    const std::size_t rows = std::min(capacityRows_ * 2, std::size_t(maxSide));
    const std::size_t bytes = headerBytes_ + stride_ * rows;
    if (bytes > maxPictureBytes) {
        outOfMemory_ = true;
        return false;
    }
    platform::memUnlock(block_);
    data_ = nullptr;
    const bool grown = platform::memReAlloc(block_, bytes) != nullptr;
    data_ = static_cast<std::uint8_t*>(platform::memLock(block_));
    if (!grown) {
        outOfMemory_ = true;
        return false;
    }
    capacityRows_ = rows;
    return true;
}

std::uint8_t* FrameAssembler::rowAddress(std::size_t row) {
    const std::size_t position = bottomUp_ ? height_ - 1 - row : row;
    return data_ + headerBytes_ + position * stride_;
}

bool FrameAssembler::putRow(const std::uint8_t* row) {
    const bool heightKnown = bottomUp_ || framesDone_ > 0;
    if (heightKnown ? rowsInFrame_ >= height_ : rowsInFrame_ == capacityRows_ && !grow()) {
        return false;
    }
    std::uint8_t* destination = rowAddress(rowsInFrame_);
    switch (kind_) {
    case Kind::Rgb:
        rgbRowToBgr()(row, destination, width_);
        break;
    case Kind::SingleColour:
        spreadIntoChannel(row, destination + channel_, width_);
        break;
    case Kind::Grey:
    case Kind::LineArt:
        std::memcpy(destination, row, rowBytes_);
        break;
    }
    const std::size_t used = kind_ == Kind::SingleColour ? 3 * std::size_t(width_) : rowBytes_;
    if (framesDone_ == 0 && used < stride_) {
        std::memset(destination + used, 0, stride_ - used);
    }
    ++rowsInFrame_;
    return true;
}

bool FrameAssembler::add(const std::uint8_t* bytes, std::size_t size) {
    if (!frameOpen_) {
        return false;
    }
    while (size > 0) {
        if (pendingBytes_ == 0 && size >= bytesPerLine_) {
            if (!putRow(bytes)) {
                return false;
            }
            bytes += bytesPerLine_;
            size -= bytesPerLine_;
            continue;
        }
        const std::size_t take = std::min(bytesPerLine_ - pendingBytes_, size);
        std::memcpy(pending_.data() + pendingBytes_, bytes, take);
        pendingBytes_ += take;
        bytes += take;
        size -= take;
        if (pendingBytes_ == bytesPerLine_) {
            pendingBytes_ = 0;
            if (!putRow(pending_.data())) {
                return false;
            }
        }
    }
    return true;
}

bool FrameAssembler::endFrame() {
    if (!frameOpen_) {
        return false;
    }
    frameOpen_ = false;
    if (pendingBytes_ != 0 || rowsInFrame_ == 0) {
        return false;
    }
    if (bottomUp_ || framesDone_ > 0) {
        if (rowsInFrame_ != height_) {
            return false;
        }
    } else {
        height_ = rowsInFrame_;
    }
    channelsDone_ |= 1u << channel_;
    ++framesDone_;
    return true;
}

bool FrameAssembler::complete() const {
    return started_ && !frameOpen_ && framesDone_ > 0 &&
           (kind_ != Kind::SingleColour || channelsDone_ == 7);
}

double FrameAssembler::fraction() const {
    if (!started_) {
        return 0;
    }
    const double arrived = double(rowsInFrame_) + double(pendingBytes_) / double(bytesPerLine_);
    if (!bottomUp_ && framesDone_ == 0) {
        return arrived / maxSide;
    }
    const int frames = kind_ == Kind::SingleColour ? 3 : 1;
    return std::min(1.0, (framesDone_ * double(height_) + arrived) / (frames * double(height_)));
}

void FrameAssembler::turnRowsOver() {
    for (std::size_t top = 0, bottom = height_ - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(rowAddress(top), rowAddress(top) + stride_, rowAddress(bottom));
    }
}

void FrameAssembler::writeHeader(double xDotsPerInch, double yDotsPerInch) {
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(data_);
    header->biSize = headerSize;
    header->biWidth = width_;
    header->biHeight = static_cast<std::int32_t>(height_);
    header->biPlanes = 1;
    header->biCompression = 0;
    header->biSizeImage = static_cast<std::uint32_t>(stride_ * height_);
    header->biXPelsPerMeter = pixelsPerMetre(xDotsPerInch);
    header->biYPelsPerMeter = pixelsPerMetre(yDotsPerInch);
    header->biClrUsed = static_cast<std::uint32_t>((headerBytes_ - headerSize) / 4);
    header->biClrImportant = 0;
}

platform::MemHandle FrameAssembler::finish(double xDotsPerInch, double yDotsPerInch) {
    if (!complete()) {
        return nullptr;
    }
    if (!bottomUp_) {
        turnRowsOver();
    }
    writeHeader(xDotsPerInch, yDotsPerInch);
    platform::memUnlock(block_);
    data_ = nullptr;
    if (capacityRows_ > height_) {
        platform::memReAlloc(block_, headerBytes_ + stride_ * height_);
    }
    platform::MemHandle picture = block_;
    block_ = nullptr;
    started_ = false;
    return picture;
}

} // namespace scanner
