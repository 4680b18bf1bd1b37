// Measurements of image rectangles shared by the correction, the layer operations and the
// colour samples: the lightest and darkest pixels, and the mean colour of the dominant
// channel order.
#pragma once

#include "image_view.h"

#include <array>
#include <cstdint>
#include <span>

namespace tintworks {

// Point counts of the white- and black-point modes when the engine searches the N lightest
// or darkest pixels of the whole image.
int pointCountOfMode(std::int32_t mode);
constexpr int maxExtremePoints = 100;

// The channel-order class (1..6) of a pixel with channels c0, c1, c2; ties fall into the
// lower class: 1 c0>=c1>=c2, 2 c0>=c2>=c1, 3 c1>=c0>=c2, 4 c1>=c2>=c0, 5 c2>=c0>=c1, 6 c2>=c1>=c0.
int channelOrderClass(std::uint8_t c0, std::uint8_t c1, std::uint8_t c2);

struct ExtremeSearch {
    int lightCount = 0;            // how many lightest pixels to rank (0..100); 0 = none
    int darkCount = 0;             // likewise for the darkest
    bool skipClippedLight = false; // ignore pixels with any channel at 255 for the light list
    bool skipClippedDark = false;  // ignore pixels with any channel at 0 for the dark list
};

struct ExtremePixels {
    Color4 light; // in: kept when no pixel enters the light list; out: the N-th lightest
    Color4 dark;  // in: kept when no pixel enters the dark list; out: the N-th darkest
};

// Ranks the pixels of `rect` by pixel sum, rows top to bottom and left to right; among equal
// sums the pixel met first ranks first. Each result is the last ranked pixel of its list (the
// N-th, or the least extreme when fewer were found).
void findExtremePixels(const ImageView& image, const Rect& rect, const ExtremeSearch& search,
                       ExtremePixels& result);

// The lightest pixel (largest sum) of `rect`, or `fallback` when none qualifies.
Color4 lightestPixel(const ImageView& image, const Rect& rect, bool skipClipped, Color4 fallback);
// The darkest pixel (smallest sum) of `rect`, or `fallback` when none qualifies.
Color4 darkestPixel(const ImageView& image, const Rect& rect, bool skipClipped, Color4 fallback);

// Per-channel histograms of pixel values.
struct ChannelHistogram {
    std::array<std::array<std::uint64_t, 256>, 4> counts{};
};

// The channel-order class that most pixels of `rect` have, ties to the lower class.
int dominantClass(const ImageView& image, const Rect& rect);

// Adds the pixels of `rect` whose channel-order class is `orderClass` to the histogram.
void addClassPixels(const ImageView& image, const Rect& rect, int orderClass,
                    ChannelHistogram& histogram);

// Round(sum of v * count[v] / sum of count[v]) per channel (sums in double), 0 for an empty
// channel and for channels the image does not have.
Color4 histogramMean(const ChannelHistogram& histogram, std::int32_t bytesPerPixel);

// The mean colour of the pixels of `rect` (nil-free, clipped) that share its dominant
// channel order. An empty rectangle gives 0,0,0,0.
Color4 dominantAverageColor(const ImageView& image, const Rect& rect);

} // namespace tintworks
