// Packed 24-bit device-independent bitmaps in movable memory blocks: the 40-byte header
// followed by bottom-up rows of blue, green, red padded to 4 bytes.
#pragma once

#include "platform/memory_block.h"
#include "platform/packed_bitmap.h"

#include <cstddef>
#include <cstdint>

namespace imagefile {

constexpr std::uint32_t infoHeaderSize = 40;
// The largest 24-bit pixel area a picture may have.
constexpr std::uint64_t maxPixelArea = std::uint64_t{1} << 30;

static_assert(sizeof(BITMAPINFOHEADER) == infoHeaderSize);

// A picture whose data ends early is delivered as incomplete when what is there fills at least
// this share (1/16) of its rows. With less it is refused as damaged, where the format lets the
// reader tell before the picture is allocated, so that a tiny file claiming a huge picture costs
// no memory.
constexpr std::int64_t shownRowsDivisor = 16;
inline bool enoughRowsToShow(std::int64_t rowsPresent, std::int64_t height) {
    return rowsPresent > 0 && rowsPresent * shownRowsDivisor >= height;
}

// A colour channel with the given alpha as seen on a white page: value * alpha + 255 * (255 -
// alpha), rounded, over 255.
inline std::uint8_t composeOnWhite(unsigned value, unsigned alpha) {
    return static_cast<std::uint8_t>((value * alpha + 255u * (255u - alpha) + 127u) / 255u);
}

inline std::size_t rowStride24(std::int64_t width) {
    return static_cast<std::size_t>((width * 24 + 31) / 32 * 4);
}

// IP_OK when a picture of this size may be made, else IP_TOO_LARGE (also for sizes that are
// not positive).
int checkPictureSize(std::int64_t width, std::int64_t height);

// A new picture being decoded. Rows are addressed from the top of the picture; the block is
// freed unless it is released to the caller.
class DibBuffer {
public:
    DibBuffer() = default;
    ~DibBuffer();
    DibBuffer(const DibBuffer&) = delete;
    DibBuffer& operator=(const DibBuffer&) = delete;

    // Allocates a zeroed picture. IP_OK, IP_TOO_LARGE (also for sizes that are not
    // positive) or IP_NO_MEMORY.
    int create(std::int64_t width, std::int64_t height);

    std::int32_t width() const { return header()->biWidth; }
    std::int32_t height() const { return header()->biHeight; }
    std::uint8_t* row(std::int32_t y) const {
        return pixels_ + static_cast<std::size_t>(height() - 1 - y) * rowStride24(width());
    }
    void setResolution(std::int32_t xPelsPerMeter, std::int32_t yPelsPerMeter);

    platform::MemHandle release();

private:
    BITMAPINFOHEADER* header() const { return reinterpret_cast<BITMAPINFOHEADER*>(data_); }

    platform::MemHandle handle_ = nullptr;
    std::uint8_t* data_ = nullptr;
    std::uint8_t* pixels_ = nullptr;
};

// A caller's bitmap to be written, locked for the lifetime of the view.
class DibView {
public:
    explicit DibView(platform::MemHandle handle);
    ~DibView();
    DibView(const DibView&) = delete;
    DibView& operator=(const DibView&) = delete;

    // False when the block is missing or not a packed 24-bit bitmap whose rows it holds.
    bool valid() const { return rows_ != nullptr; }
    std::int32_t width() const { return header_.biWidth; }
    std::int32_t height() const {
        return header_.biHeight < 0 ? -header_.biHeight : header_.biHeight;
    }
    std::int32_t xPelsPerMeter() const { return header_.biXPelsPerMeter; }
    std::int32_t yPelsPerMeter() const { return header_.biYPelsPerMeter; }
    // Row y from the top of the picture (top-down bitmaps are accepted as well).
    const std::uint8_t* row(std::int32_t y) const {
        const std::int32_t stored = header_.biHeight < 0 ? y : height() - 1 - y;
        return rows_ + static_cast<std::size_t>(stored) * rowStride24(width());
    }

private:
    platform::MemHandle handle_;
    std::uint8_t* data_ = nullptr;
    const std::uint8_t* rows_ = nullptr;
    BITMAPINFOHEADER header_{};
};

// Pixels per metre from dots per inch or per centimetre, rounded; 0 for values out of range.
std::int32_t pelsPerMeterFromInch(double dotsPerInch);
std::int32_t pelsPerMeterFromCentimetre(double dotsPerCentimetre);
double dotsPerInch(std::int32_t pelsPerMeter);

} // namespace imagefile
