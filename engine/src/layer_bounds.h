// Layer boxes: what colours a sample area stands for, in ratio and brightness terms.
#pragma once

#include "tintworks.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tintworks {

#pragma pack(push, 1)
// A box in (red / green, blue / green, brightness) space; ratios in hundredths. Stored as
// such (little-endian) in processing files.
struct LayerBounds {
    std::uint16_t loRG;
    std::uint16_t hiRG;
    std::uint16_t loBG;
    std::uint16_t hiBG;
    std::uint16_t loV;
    std::uint16_t hiV;
    bool operator==(const LayerBounds&) const = default;
};
#pragma pack(pop)
static_assert(sizeof(LayerBounds) == 12);

// The extremes of a sample's pixels: RG = red / green and BG = blue / green (green 0 taken
// as 1) as 32-bit floats, V = the largest channel. An extreme pair that is equal is widened
// by 1 at the top.
struct SampleStatistics {
    float minRG = 0;
    float maxRG = 0;
    float minBG = 0;
    float maxBG = 0;
    std::int32_t minV = 0;
    std::int32_t maxV = 0;
};

// The statistics of the sample's rectangle (clipped to its image) and region handle. A
// sample image of fewer than 3 bytes per pixel gives all zeros. False when the sample image
// has 3 or more bytes per pixel but cannot be read.
bool sampleStatistics(const TLayerSample& sample, SampleStatistics& stats);

// The statistics of a single pixel (every extreme pair equal, so widened at the top).
SampleStatistics pixelStatistics(std::uint8_t blue, std::uint8_t green, std::uint8_t red);

// The box of a sample widened (range > 0) or narrowed (range < 0) by `range` percent on both
// sides; a bound pair that crosses collapses to its upper value. Bounds saturate at 0 and
// 65535 for ranges beyond -100..100.
LayerBounds boundsOf(const SampleStatistics& stats, std::int32_t range);

// One box per sample in sample order. TWK_NO_MEMORY for a nil array with a non-zero count,
// a negative count or a memory shortage; TWK_INVALID_PARAMS for a sample image that cannot
// be read.
int buildLayerBounds(const TLayerSample* samples, std::int32_t count,
                     std::vector<LayerBounds>& bounds);

// One box per pixel of every sample, samples in order, each sample's pixels row by row: the
// boxes of the colour filter, which takes every marked pixel as its own sample. A nil array or
// a count <= 0 gives no boxes. TWK_NO_MEMORY on a memory shortage; TWK_INVALID_PARAMS for a
// sample image that cannot be read.
int buildPixelBounds(const TLayerSample* samples, std::int32_t count,
                     std::vector<LayerBounds>& bounds);

} // namespace tintworks
