#include "layer_bounds.h"

#include "image_view.h"
#include "region_runs.h"
#include "rounding.h"

#include <algorithm>
#include <new>

namespace tintworks {

namespace {

void widenEqualExtremes(SampleStatistics& stats) {
    if (stats.minRG == stats.maxRG) {
        stats.maxRG += 1;
    }
    if (stats.minBG == stats.maxBG) {
        stats.maxBG += 1;
    }
    if (stats.minV == stats.maxV) {
        stats.maxV += 1;
    }
}

std::uint16_t boundValue(double x) {
    return static_cast<std::uint16_t>(roundClamped(x, 0, 65535));
}

void orderPair(std::uint16_t& lo, std::uint16_t hi) {
    if (hi < lo) {
        lo = hi;
    }
}

} // namespace

namespace {

// Gathers the extremes of the pixels it is given, blue, green, red.
class StatisticsAccumulator {
public:
    void add(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
        const float divisor = green == 0 ? 1.0f : static_cast<float>(green);
        const float rg = static_cast<float>(red) / divisor;
        const float bg = static_cast<float>(blue) / divisor;
        const std::int32_t v = std::max({blue, green, red});
        stats_.minRG = std::min(stats_.minRG, rg);
        stats_.maxRG = std::max(stats_.maxRG, rg);
        stats_.minBG = std::min(stats_.minBG, bg);
        stats_.maxBG = std::max(stats_.maxBG, bg);
        stats_.minV = std::min(stats_.minV, v);
        stats_.maxV = std::max(stats_.maxV, v);
    }
    SampleStatistics finish() {
        widenEqualExtremes(stats_);
        return stats_;
    }

private:
    SampleStatistics stats_{255.0f, 0.0f, 255.0f, 0.0f, 255, 0};
};

// Calls visit(pixel) for every pixel of the sample's rectangle (clipped to its image) that
// lies in its region handle, rows top to bottom, left to right.
template <typename Visit>
void forEachSamplePixel(const TLayerSample& sample, const ImageView& image, Visit&& visit) {
    forEachRun(regionRect(&sample.Area, image), sample.Area.Region,
               [&](std::int32_t y, std::int32_t left, std::int32_t right) {
                   const std::uint8_t* p = image.pixel(left, y);
                   for (std::int32_t x = left; x < right; ++x, p += image.bytesPerPixel) {
                       visit(p);
                   }
               });
}

// The number of pixels of a sample whose image has fewer than 3 bytes per pixel: such a
// sample is never read, only its rectangle and region are counted.
std::int64_t unreadPixelCount(const TLayerSample& sample) {
    const Rect bounds{0, 0, std::max(sample.Image.Width, 0), std::max(sample.Image.Height, 0)};
    const Rect rect =
        clipped({sample.Area.Left, sample.Area.Top, sample.Area.Right, sample.Area.Bottom}, bounds);
    std::int64_t count = 0;
    forEachRun(rect, sample.Area.Region,
               [&](std::int32_t, std::int32_t left, std::int32_t right) { count += right - left; });
    return count;
}

std::span<const TLayerSample> samplesOf(const TLayerSample* samples, std::int32_t count) {
    if (samples == nullptr || count <= 0) {
        return {};
    }
    return {samples, static_cast<std::size_t>(count)};
}

} // namespace

bool sampleStatistics(const TLayerSample& sample, SampleStatistics& stats) {
    stats = {};
    if (sample.Image.BytesPerPixel < 3) {
        return true;
    }
    const std::optional<ImageView> image = viewOf(sample.Image);
    if (!image) {
        return false;
    }
    StatisticsAccumulator accumulator;
    forEachSamplePixel(sample, *image,
                       [&](const std::uint8_t* p) { accumulator.add(p[0], p[1], p[2]); });
    stats = accumulator.finish();
    return true;
}

SampleStatistics pixelStatistics(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    StatisticsAccumulator accumulator;
    accumulator.add(blue, green, red);
    return accumulator.finish();
}

LayerBounds boundsOf(const SampleStatistics& stats, std::int32_t range) {
    const double f = range * 0.01;
    LayerBounds b{};
    b.loRG = boundValue((1 - f) * stats.minRG * 100);
    b.hiRG = boundValue((1 + f) * stats.maxRG * 100);
    b.loBG = boundValue((1 - f) * stats.minBG * 100);
    b.hiBG = boundValue((1 + f) * stats.maxBG * 100);
    b.loV = boundValue((1 - f) * stats.minV);
    b.hiV = boundValue((1 + f) * stats.maxV);
    orderPair(b.loRG, b.hiRG);
    orderPair(b.loBG, b.hiBG);
    orderPair(b.loV, b.hiV);
    return b;
}

int buildPixelBounds(const TLayerSample* samples, std::int32_t count,
                     std::vector<LayerBounds>& bounds) {
    bounds.clear();
    try {
        for (const TLayerSample& sample : samplesOf(samples, count)) {
            if (sample.Image.BytesPerPixel < 3) {
                bounds.insert(bounds.end(), static_cast<std::size_t>(unreadPixelCount(sample)),
                              boundsOf(SampleStatistics{}, sample.Range));
                continue;
            }
            const std::optional<ImageView> image = viewOf(sample.Image);
            if (!image) {
                bounds.clear();
                return TWK_INVALID_PARAMS;
            }
            forEachSamplePixel(sample, *image, [&](const std::uint8_t* p) {
                bounds.push_back(boundsOf(pixelStatistics(p[0], p[1], p[2]), sample.Range));
            });
        }
    } catch (const std::bad_alloc&) {
        bounds.clear();
        return TWK_NO_MEMORY;
    }
    return TWK_OK;
}

int buildLayerBounds(const TLayerSample* samples, std::int32_t count,
                     std::vector<LayerBounds>& bounds) {
    bounds.clear();
    if (samples == nullptr || count <= 0) {
        return TWK_NO_MEMORY;
    }
    try {
        bounds.reserve(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        return TWK_NO_MEMORY;
    }
    for (const TLayerSample& sample : std::span(samples, static_cast<std::size_t>(count))) {
        SampleStatistics stats;
        if (!sampleStatistics(sample, stats)) {
            bounds.clear();
            return TWK_INVALID_PARAMS;
        }
        bounds.push_back(boundsOf(stats, sample.Range));
    }
    return TWK_OK;
}

} // namespace tintworks
