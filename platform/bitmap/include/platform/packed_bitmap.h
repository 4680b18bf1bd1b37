// The header of a packed device-independent bitmap: the form in which pictures travel in
// movable memory blocks between the program, the engine and the image-file library. The
// header is followed by the colour table and the rows, bottom row first, each padded to a
// multiple of 4 bytes.
#pragma once

#include <cstdint>

#pragma pack(push, 1)
struct BITMAPINFOHEADER {
    std::uint32_t biSize;
    std::int32_t biWidth;
    std::int32_t biHeight; // negative: rows stored top row first
    std::uint16_t biPlanes;
    std::uint16_t biBitCount;
    std::uint32_t biCompression;
    std::uint32_t biSizeImage;
    std::int32_t biXPelsPerMeter;
    std::int32_t biYPelsPerMeter;
    std::uint32_t biClrUsed;
    std::uint32_t biClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPINFOHEADER) == 40);

#include <cstddef>

namespace platform {
// The colour table entries: colours used, or 2^bit count below 24 bits.
std::int64_t colourTableEntries(const BITMAPINFOHEADER& header);
// The bytes of one row, padded to a multiple of 4.
std::int64_t packedRowStride(const BITMAPINFOHEADER& header);
// Whether `size` bytes at `bytes` hold a packed bitmap that can be read safely: a 40-byte header
// of a known depth (1, 4, 8, 24 or 32 bits) without compression, bottom-up rows, sides of 1 to
// 65535 pixels, at most 256 colours, and the colour table and every row inside the bytes.
bool packedBitmapFits(const void* bytes, std::size_t size);
} // namespace platform
