// Rasterising a TImageRegion: its pixel runs row by row, clipped to an image.
#pragma once

#include "bit_mask.h"
#include "image_view.h"

#include "platform/region.h"

#include <algorithm>
#include <optional>

namespace tintworks {

inline platform::RegionHandle regionHandleOf(TWKRegionHandle handle) {
    return static_cast<platform::RegionHandle>(handle);
}

// Calls visit(y, left, right) for every run of pixels of row y of `rect` (already clipped
// to the image) that also lies in `handle` when that is not null, left to right.
template <typename Visit>
void forEachRunOfRow(const Rect& rect, TWKRegionHandle handle, std::int32_t y, Visit&& visit) {
    if (handle == nullptr) {
        visit(y, rect.left, rect.right);
        return;
    }
    for (const platform::RegionSpan& span : platform::regionRowSpans(regionHandleOf(handle), y)) {
        const std::int32_t left = std::max(span.left, rect.left);
        const std::int32_t right = std::min(span.right, rect.right);
        if (left < right) {
            visit(y, left, right);
        }
    }
}

// The same for every row of `rect`, top to bottom.
template <typename Visit> void forEachRun(const Rect& rect, TWKRegionHandle handle, Visit&& visit) {
    for (std::int32_t y = rect.top; y < rect.bottom; ++y) {
        forEachRunOfRow(rect, handle, y, visit);
    }
}

// A mask of the image's size with the bits of the region's pixels set; nothing when memory
// is short.
inline std::optional<BitMask> maskOfRegion(const TImageRegion& region, const ImageView& image) {
    std::optional<BitMask> mask = BitMask::create(image.width, image.height);
    if (mask) {
        forEachRun(regionRect(&region, image), region.Region,
                   [&](std::int32_t y, std::int32_t left, std::int32_t right) {
                       mask->setRun(y, left, right);
                   });
    }
    return mask;
}

} // namespace tintworks
