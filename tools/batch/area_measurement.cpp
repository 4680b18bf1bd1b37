#include "area_measurement.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

constexpr std::int32_t averageMode = 3;
constexpr std::size_t clippedPercent = 5;

bool hasClippedChannel(const Rgb& color) {
    return std::any_of(color.begin(), color.end(),
                       [](std::uint8_t v) { return v == 0 || v == 255; });
}

// How many pixels of the area have each channel at 0 and at 255: counts[channel][end].
using ClippedCounts = std::array<std::array<std::size_t, 2>, 3>;

ClippedCounts clippedCounts(const LockedPicture& picture, const PixelRectangle& r) {
    ClippedCounts counts{};
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const std::uint8_t* bgr = picture.pixel(x, y);
            for (std::size_t c = 0; c < 3; ++c) {
                counts[c][0] += bgr[2 - c] == 0 ? 1 : 0;
                counts[c][1] += bgr[2 - c] == 255 ? 1 : 0;
            }
        }
    }
    return counts;
}

std::string averageClippingWarning(const LockedPicture& picture, const ReferenceArea& area) {
    const PixelRectangle& r = area.pixels;
    const auto pixels = static_cast<std::size_t>(r.right - r.left) * (r.bottom - r.top);
    const ClippedCounts counts = clippedCounts(picture, r);
    const char* channels[] = {"red", "green", "blue"};
    for (std::size_t c = 0; c < 3; ++c) {
        for (std::size_t end = 0; end < 2; ++end) {
            if (counts[c][end] * 100 >= pixels * clippedPercent) {
                char share[16];
                std::snprintf(share, sizeof share, "%.1f %%",
                              100.0 * static_cast<double>(counts[c][end]) /
                                  static_cast<double>(pixels));
                return area.name + ": the " + channels[c] + " channel of " + share +
                       " of the area's pixels is at " + (end == 0 ? "0" : "255") +
                       " (clipped), so the area's true colour is not known";
            }
        }
    }
    return {};
}

} // namespace

Rgb measuredColor(const LockedPicture& picture, const ReferenceArea& area) {
    TImageRegion rectangle{area.pixels.left, area.pixels.top, area.pixels.right, area.pixels.bottom,
                           nullptr};
    TColorSampleParams sample{};
    sample.Size = sizeof sample;
    sample.Image = picture.imageDesc();
    sample.Area = &rectangle;
    sample.SampleMode = area.measureMode;
    sample.Light = area.role == AreaRole::Black ? 0 : -1;
    TWKDoImageOperation(TWK_OP_COLOR_SAMPLE, &sample, nullptr);
    return {sample.Color[2], sample.Color[1], sample.Color[0]};
}

std::string clippingWarning(const LockedPicture& picture, const ReferenceArea& area) {
    if (area.measureMode == averageMode) {
        return averageClippingWarning(picture, area);
    }
    const Rgb measured = measuredColor(picture, area);
    if (!hasClippedChannel(measured)) {
        return {};
    }
    return area.name + ": the measured pixel " + rgbText(measured) +
           " has a channel at 0 or 255 (clipped), so its true colour is not known";
}
