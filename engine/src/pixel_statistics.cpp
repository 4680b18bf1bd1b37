#include "pixel_statistics.h"

#include "rounding.h"

#include <algorithm>
#include <functional>

namespace tintworks {

int pointCountOfMode(std::int32_t mode) {
    switch (mode) {
    case 1:
    case 2:
        return 5;
    case 3:
        return 50;
    case 4:
        return 100;
    default:
        return 2;
    }
}

int channelOrderClass(std::uint8_t c0, std::uint8_t c1, std::uint8_t c2) {
    if (c0 >= c1 && c1 >= c2) {
        return 1;
    }
    if (c0 >= c2 && c2 >= c1) {
        return 2;
    }
    if (c1 >= c0 && c0 >= c2) {
        return 3;
    }
    if (c1 >= c2 && c2 >= c0) {
        return 4;
    }
    if (c2 >= c0 && c0 >= c1) {
        return 5;
    }
    return 6;
}

namespace {

struct RankedPixel {
    int sum;
    Color4 color;
};

// A fixed-size list of pixels sorted by sum; `Before(a, b)` says sum a ranks ahead of b.
// A new pixel goes behind entries of equal sum, and the last entry drops out.
template <typename Before> class RankList {
public:
    RankList(int size, int initialSum) : size_(std::clamp(size, 0, maxExtremePoints)) {
        std::fill_n(entries_.begin(), size_, RankedPixel{initialSum, {}});
    }
    bool active() const { return size_ > 0; }
    bool accepts(int sum) const { return Before{}(sum, entries_[size_ - 1].sum); }
    void insert(int sum, const Color4& color) {
        int at = size_ - 1;
        while (at > 0 && Before{}(sum, entries_[at - 1].sum)) {
            entries_[at] = entries_[at - 1];
            --at;
        }
        entries_[at] = {sum, color};
        filled_ = std::min(filled_ + 1, size_);
    }
    // The last entry that holds a pixel, or `fallback` when none does.
    Color4 result(const Color4& fallback) const {
        return filled_ == 0 ? fallback : entries_[filled_ - 1].color;
    }

private:
    int size_;
    int filled_ = 0;
    std::array<RankedPixel, maxExtremePoints> entries_{};
};

bool hasChannelAt(const std::uint8_t* p, std::int32_t bytesPerPixel, std::uint8_t value) {
    for (std::int32_t c = 0; c < bytesPerPixel; ++c) {
        if (p[c] == value) {
            return true;
        }
    }
    return false;
}

int pixelSum(const std::uint8_t* p, std::int32_t bytesPerPixel) {
    int sum = 0;
    for (std::int32_t c = 0; c < bytesPerPixel; ++c) {
        sum += p[c];
    }
    return sum;
}

} // namespace

void findExtremePixels(const ImageView& image, const Rect& rect, const ExtremeSearch& search,
                       ExtremePixels& result) {
    const std::int32_t bpp = image.bytesPerPixel;
    RankList<std::greater<int>> light(search.lightCount, -1);
    RankList<std::less<int>> dark(search.darkCount, 255 * bpp + 1);
    for (std::int32_t y = rect.top; y < rect.bottom; ++y) {
        for (std::int32_t x = rect.left; x < rect.right; ++x) {
            const std::uint8_t* p = image.pixel(x, y);
            const int sum = pixelSum(p, bpp);
            if (light.active() && light.accepts(sum) &&
                !(search.skipClippedLight && hasChannelAt(p, bpp, 255))) {
                light.insert(sum, colorAt(p, bpp));
            }
            if (dark.active() && dark.accepts(sum) &&
                !(search.skipClippedDark && hasChannelAt(p, bpp, 0))) {
                dark.insert(sum, colorAt(p, bpp));
            }
        }
    }
    result.light = light.result(result.light);
    result.dark = dark.result(result.dark);
}

Color4 lightestPixel(const ImageView& image, const Rect& rect, bool skipClipped, Color4 fallback) {
    ExtremePixels result{fallback, {}};
    findExtremePixels(image, rect, {1, 0, skipClipped, false}, result);
    return result.light;
}

Color4 darkestPixel(const ImageView& image, const Rect& rect, bool skipClipped, Color4 fallback) {
    ExtremePixels result{{}, fallback};
    findExtremePixels(image, rect, {0, 1, false, skipClipped}, result);
    return result.dark;
}

int dominantClass(const ImageView& image, const Rect& rect) {
    std::array<std::uint64_t, 7> counts{};
    for (std::int32_t y = rect.top; y < rect.bottom; ++y) {
        const std::uint8_t* p = image.pixel(rect.left, y);
        for (std::int32_t x = rect.left; x < rect.right; ++x, p += image.bytesPerPixel) {
            ++counts[channelOrderClass(p[0], p[1], p[2])];
        }
    }
    // max_element keeps the first of equal counts, so ties go to the lower class.
    return static_cast<int>(std::max_element(counts.begin() + 1, counts.end()) - counts.begin());
}

void addClassPixels(const ImageView& image, const Rect& rect, int orderClass,
                    ChannelHistogram& histogram) {
    for (std::int32_t y = rect.top; y < rect.bottom; ++y) {
        const std::uint8_t* p = image.pixel(rect.left, y);
        for (std::int32_t x = rect.left; x < rect.right; ++x, p += image.bytesPerPixel) {
            if (channelOrderClass(p[0], p[1], p[2]) != orderClass) {
                continue;
            }
            for (std::int32_t c = 0; c < image.bytesPerPixel; ++c) {
                ++histogram.counts[c][p[c]];
            }
        }
    }
}

Color4 histogramMean(const ChannelHistogram& histogram, std::int32_t bytesPerPixel) {
    Color4 mean{};
    for (std::int32_t c = 0; c < bytesPerPixel; ++c) {
        double weighted = 0.0;
        double total = 0.0;
        for (int v = 0; v < 256; ++v) {
            const auto count = static_cast<double>(histogram.counts[c][v]);
            weighted += v * count;
            total += count;
        }
        mean[c] = total == 0.0 ? 0 : roundToByte(weighted / total);
    }
    return mean;
}

Color4 dominantAverageColor(const ImageView& image, const Rect& rect) {
    if (rect.empty()) {
        return blackColor;
    }
    ChannelHistogram histogram;
    addClassPixels(image, rect, dominantClass(image, rect), histogram);
    return histogramMean(histogram, image.bytesPerPixel);
}

} // namespace tintworks
