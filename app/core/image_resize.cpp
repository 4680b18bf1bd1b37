#include "image_edits.h"
#include "sized_result.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The source coordinate of each target coordinate, kept inside the picture (enlarging more
// than twofold could otherwise round past the last column or row).
std::vector<std::int32_t> sourceIndexes(std::int32_t oldSize, std::int32_t newSize) {
    const float scale = static_cast<float>(newSize) / static_cast<float>(oldSize);
    std::vector<std::int32_t> indexes(static_cast<std::size_t>(newSize));
    for (std::int32_t i = 0; i < newSize; ++i) {
        const double at = std::nearbyint(static_cast<double>(i) / scale);
        indexes[i] =
            static_cast<std::int32_t>(std::clamp(at, 0.0, static_cast<double>(oldSize - 1)));
    }
    return indexes;
}

} // namespace

int Resize(TDIBImage& image, std::int32_t newWidth, std::int32_t newHeight, TProgressProc progress,
           TDIBImage& result) {
    const int bytesPerPixel = image.BitCount() / 8;
    if ((bytesPerPixel != 1 && bytesPerPixel != 3) || newWidth <= 0 || newHeight <= 0 ||
        image.Width() <= 0 || image.Height() <= 0) {
        return -1;
    }
    std::vector<std::int32_t> columns;
    std::vector<std::int32_t> rows;
    try {
        columns = sourceIndexes(image.Width(), newWidth);
        rows = sourceIndexes(image.Height(), newHeight);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return createSized(image, newWidth, newHeight, result, [&] {
        // Rows in stored order: the result's stored row r takes the source's stored row
        // round(r / sy), counted from the bottom row of both pictures.
        for (std::int32_t stored = 0; stored < newHeight; ++stored) {
            const std::uint8_t* src =
                image.Bits + static_cast<std::size_t>(rows[stored]) * image.RowStride();
            std::uint8_t* dst = result.Bits + static_cast<std::size_t>(stored) * result.RowStride();
            for (std::int32_t x = 0; x < newWidth; ++x) {
                std::memcpy(dst + static_cast<std::size_t>(x) * bytesPerPixel,
                            src + static_cast<std::size_t>(columns[x]) * bytesPerPixel,
                            bytesPerPixel);
            }
            if (progress != nullptr && progress(static_cast<double>(stored + 1) / newHeight) == 0) {
                return false;
            }
        }
        return true;
    });
}
