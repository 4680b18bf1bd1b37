#include "layer_search.h"

#include "layer_index.h"
#include "region_runs.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace tintworks {

namespace {

// Tests the pixels left .. right - 1 of row y with `inLayer`. The bits of one mask byte are
// shifted into a register, one per pixel, and stored with one write.
template <int Channels, typename Test>
void searchRun(const Test& inLayer, const std::uint8_t* p, std::uint8_t* bits, std::int32_t left,
               std::int32_t right) {
    std::int32_t x = left;
    while (x < right) {
        const std::int32_t byteEnd = std::min(right, (x | 7) + 1);
        unsigned collected = 0;
        for (; x < byteEnd; ++x, p += Channels) {
            collected = (collected << 1) | static_cast<unsigned>(inLayer(p));
        }
        const int unusedLowBits = 7 - ((byteEnd - 1) & 7);
        bits[(byteEnd - 1) >> 3] |= static_cast<std::uint8_t>(collected << unusedLowBits);
    }
}

} // namespace

int searchLayer(const ImageView& image, const TImageRegion* region, const LayerIndex& colours,
                TProgressProc progress, std::optional<BitMask>& mask) {
    mask.reset();
    std::optional<BitMask> found = BitMask::create(image.width, image.height);
    if (!found) {
        return TWK_NO_MEMORY;
    }
    const auto inLayer = [&colours](const std::uint8_t* px) {
        return colours.contains(px[0], px[1], px[2]);
    };
    const Rect rect = regionRect(region, image);
    const TWKRegionHandle handle = region != nullptr ? region->Region : nullptr;
    for (std::int32_t y = rect.top; y < rect.bottom; ++y) {
        forEachRunOfRow(rect, handle, y,
                        [&](std::int32_t row, std::int32_t left, std::int32_t right) {
                            const std::uint8_t* p = image.pixel(left, row);
                            if (image.bytesPerPixel == 4) {
                                searchRun<4>(inLayer, p, found->row(row), left, right);
                            } else {
                                searchRun<3>(inLayer, p, found->row(row), left, right);
                            }
                        });
        if (progress != nullptr &&
            progress(static_cast<double>(y + 1 - rect.top) / rect.height()) == 0) {
            return TWK_CANCELLED;
        }
    }
    mask = std::move(found);
    return TWK_OK;
}

int searchLayer(const ImageView& image, const TImageRegion* region,
                std::span<const LayerBounds> boxes, TProgressProc progress,
                std::optional<BitMask>& mask) {
    mask.reset();
    if (boxes.empty()) {
        return TWK_INVALID_PARAMS;
    }
    std::optional<LayerIndex> index;
    try {
        index = LayerIndex::build(boxes);
    } catch (const std::bad_alloc&) {
        return TWK_NO_MEMORY;
    }
    if (!index) {
        return TWK_NO_MEMORY;
    }
    return searchLayer(image, region, *index, progress, mask);
}

} // namespace tintworks
