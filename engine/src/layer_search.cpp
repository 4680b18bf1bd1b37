#include "layer_search.h"

#include "ratio_table.h"
#include "region_runs.h"

#include <algorithm>
#include <new>
#include <vector>

namespace tintworks {

bool inBox(const LayerBounds& box, std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    const std::uint16_t rg = ratioHundredths(red, green);
    const std::uint16_t bg = ratioHundredths(blue, green);
    const std::uint8_t v = std::max({blue, green, red});
    return box.loRG <= rg && rg <= box.hiRG && box.loBG <= bg && bg <= box.hiBG &&
           box.loV <= v && v <= box.hiV;
}

namespace {

// For one green value, the red and blue values whose ratio to green lies in a box's ratio
// bounds. Ratios grow with the numerator, so each set is one interval (empty when lo > hi).
struct GreenSlice {
    std::uint8_t redLo;
    std::uint8_t redHi;
    std::uint8_t blueLo;
    std::uint8_t blueHi;
};

struct ByteInterval {
    std::uint8_t lo;
    std::uint8_t hi;
};

// The numerators a whose ratio a / green (in hundredths) lies in lo..hi.
ByteInterval numeratorsWithin(int green, std::uint16_t lo, std::uint16_t hi) {
    int first = 0;
    while (first < 256 && ratioHundredths(first, green) < lo) {
        ++first;
    }
    int last = 255;
    while (last >= 0 && ratioHundredths(last, green) > hi) {
        --last;
    }
    if (first > last) {
        return {255, 0};
    }
    return {static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(last)};
}

// A box unfolded by green value, so the per-pixel test needs no ratio look-up.
struct BoxTest {
    std::array<GreenSlice, 256> slices;
    std::uint16_t loV;
    std::uint16_t hiV;

    explicit BoxTest(const LayerBounds& box) : loV(box.loV), hiV(box.hiV) {
        for (int green = 0; green < 256; ++green) {
            const ByteInterval red = numeratorsWithin(green, box.loRG, box.hiRG);
            const ByteInterval blue = numeratorsWithin(green, box.loBG, box.hiBG);
            slices[green] = {red.lo, red.hi, blue.lo, blue.hi};
        }
    }

    bool contains(std::uint8_t blue, std::uint8_t green, std::uint8_t red) const {
        const GreenSlice& s = slices[green];
        const std::uint8_t v = std::max({blue, green, red});
        return (red >= s.redLo) & (red <= s.redHi) & (blue >= s.blueLo) & (blue <= s.blueHi) &
               (v >= loV) & (v <= hiV);
    }
};

void searchRun(const ImageView& image, const std::vector<BoxTest>& tests, BitMask& mask,
               std::int32_t y, std::int32_t left, std::int32_t right) {
    const std::uint8_t* p = image.pixel(left, y);
    std::uint8_t* bits = mask.row(y);
    for (std::int32_t x = left; x < right; ++x, p += image.bytesPerPixel) {
        const std::uint8_t blue = p[0];
        const std::uint8_t green = p[1];
        const std::uint8_t red = p[2];
        for (const BoxTest& test : tests) {
            if (test.contains(blue, green, red)) {
                bits[x >> 3] |= static_cast<std::uint8_t>(0x80u >> (x & 7));
                break;
            }
        }
    }
}

} // namespace

int searchLayer(const ImageView& image, const TImageRegion* region,
                std::span<const LayerBounds> boxes, TProgressProc progress,
                std::optional<BitMask>& mask) {
    mask.reset();
    if (boxes.empty()) {
        return TWK_INVALID_PARAMS;
    }
    std::vector<BoxTest> tests;
    try {
        tests.reserve(boxes.size());
        for (const LayerBounds& box : boxes) {
            tests.emplace_back(box);
        }
    } catch (const std::bad_alloc&) {
        return TWK_NO_MEMORY;
    }
    std::optional<BitMask> found = BitMask::create(image.width, image.height);
    if (!found) {
        return TWK_NO_MEMORY;
    }
    const Rect rect = regionRect(region, image);
    const TWKRegionHandle handle = region != nullptr ? region->Region : nullptr;
    for (std::int32_t y = rect.top; y < rect.bottom; ++y) {
        forEachRunOfRow(rect, handle, y, [&](std::int32_t row, std::int32_t left, std::int32_t right) {
            searchRun(image, tests, *found, row, left, right);
        });
        if (progress != nullptr &&
            progress(static_cast<double>(y + 1 - rect.top) / rect.height()) == 0) {
            return TWK_CANCELLED;
        }
    }
    mask = std::move(found);
    return TWK_OK;
}

} // namespace tintworks
