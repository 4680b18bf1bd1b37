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

bool sampleStatistics(const TLayerSample& sample, SampleStatistics& stats) {
    stats = {};
    if (sample.Image.BytesPerPixel < 3) {
        return true;
    }
    const std::optional<ImageView> image = viewOf(sample.Image);
    if (!image) {
        return false;
    }
    stats = {255.0f, 0.0f, 255.0f, 0.0f, 255, 0};
    forEachRun(regionRect(&sample.Area, *image), sample.Area.Region,
               [&](std::int32_t y, std::int32_t left, std::int32_t right) {
                   const std::uint8_t* p = image->pixel(left, y);
                   for (std::int32_t x = left; x < right; ++x, p += image->bytesPerPixel) {
                       const std::uint8_t blue = p[0];
                       const std::uint8_t green = p[1];
                       const std::uint8_t red = p[2];
                       const float divisor = green == 0 ? 1.0f : static_cast<float>(green);
                       const float rg = static_cast<float>(red) / divisor;
                       const float bg = static_cast<float>(blue) / divisor;
                       const std::int32_t v = std::max({blue, green, red});
                       stats.minRG = std::min(stats.minRG, rg);
                       stats.maxRG = std::max(stats.maxRG, rg);
                       stats.minBG = std::min(stats.minBG, bg);
                       stats.maxBG = std::max(stats.maxBG, bg);
                       stats.minV = std::min(stats.minV, v);
                       stats.maxV = std::max(stats.maxV, v);
                   }
               });
    widenEqualExtremes(stats);
    return true;
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
