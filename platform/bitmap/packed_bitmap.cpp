#include "platform/packed_bitmap.h"

#include <cstring>

namespace platform {
std::int64_t colourTableEntries(const BITMAPINFOHEADER& header) {
    if (header.biClrUsed != 0) {
        return header.biClrUsed;
    }
    return header.biBitCount < 24 ? (std::int64_t{1} << header.biBitCount) : 0;
}

std::int64_t packedRowStride(const BITMAPINFOHEADER& header) {
    return (std::int64_t{header.biWidth} * header.biBitCount + 31) / 32 * 4;
}

bool packedBitmapFits(const void* bytes, std::size_t size) {
    if (bytes == nullptr || size < sizeof(BITMAPINFOHEADER)) {
        return false;
    }
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes, sizeof header);
    const bool knownDepth = header.biBitCount == 1 || header.biBitCount == 4 ||
                            header.biBitCount == 8 || header.biBitCount == 24 ||
                            header.biBitCount == 32;
    if (header.biSize != 40 || !knownDepth || header.biCompression != 0 || header.biWidth <= 0 ||
        header.biHeight <= 0 || header.biWidth > 65535 || header.biHeight > 65535 ||
        header.biClrUsed > 256 || (header.biBitCount < 24 && colourTableEntries(header) == 0)) {
        return false;
    }
    const std::int64_t needed = 40 + 4 * colourTableEntries(header) +
                                packedRowStride(header) * std::int64_t{header.biHeight};
    return needed <= static_cast<std::int64_t>(size);
}
} // namespace platform
