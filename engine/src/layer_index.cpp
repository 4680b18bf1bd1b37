#include "layer_index.h"

#include "ratio_table.h"

#include <algorithm>
#include <vector>

namespace tintworks {

namespace {

constexpr std::size_t indexWords = (std::size_t{1} << 24) / 64;

struct Interval {
    int lo;
    int hi; // empty when lo > hi
};

// The numerators a (0..255) with lo <= Round(100 a / green) <= hi. The ratio never falls as
// a grows, so they form one interval; an estimate from the exact quotient lands within a few
// steps of each end, which the ratio table then settles.
Interval numeratorsWithin(int green, int lo, int hi) {
    int first = std::clamp((lo - 1) * green / 100, 0, 255);
    while (first <= 255 && ratioHundredths(first, green) < lo) {
        ++first;
    }
    int last = green == 0 ? 255 : std::clamp(((hi + 1) * green + 99) / 100, 0, 255);
    while (last >= 0 && ratioHundredths(last, green) > hi) {
        --last;
    }
    return {first, last};
}

} // namespace

std::optional<LayerIndex> LayerIndex::build(std::span<const LayerBounds> boxes) {
    auto* bits = static_cast<std::uint64_t*>(std::calloc(indexWords, sizeof(std::uint64_t)));
    if (bits == nullptr) {
        return std::nullopt;
    }
    LayerIndex index(bits);
    std::vector<LayerBounds> distinct(boxes.begin(), boxes.end());
    std::sort(distinct.begin(), distinct.end(), [](const LayerBounds& a, const LayerBounds& b) {
        return std::tie(a.loRG, a.hiRG, a.loBG, a.hiBG, a.loV, a.hiV) <
               std::tie(b.loRG, b.hiRG, b.loBG, b.hiBG, b.loV, b.hiV);
    });
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    for (const LayerBounds& box : distinct) {
        index.paint(box);
    }
    return index;
}

// A colour is in the box when both ratios and V = max(blue, green, red) are in bounds. For a
// given green, the red and blue values with ratios in bounds form intervals; V <= hiV caps
// every channel at hiV, and V >= loV needs one channel at loV or above: when green is below
// loV, rows of red below loV keep only blue values from loV on.
void LayerIndex::paint(const LayerBounds& box) {
    const int topV = std::min<int>(box.hiV, 255);
    for (int green = 0; green <= topV; ++green) {
        const Interval red = numeratorsWithin(green, box.loRG, box.hiRG);
        const Interval blue = numeratorsWithin(green, box.loBG, box.hiBG);
        const int redHi = std::min(red.hi, topV);
        const int blueHi = std::min(blue.hi, topV);
        for (int r = red.lo; r <= redHi; ++r) {
            const bool needsBrightBlue = green < box.loV && r < box.loV;
            setBlueRun(r, green, needsBrightBlue ? std::max<int>(blue.lo, box.loV) : blue.lo,
                       blueHi);
        }
    }
}

void LayerIndex::setBlueRun(int red, int green, int blueLo, int blueHi) {
    if (blueLo > blueHi) {
        return;
    }
    std::uint64_t* row = bits_.get() + ((red << 16 | green << 8) >> 6);
    for (int word = blueLo >> 6; word <= blueHi >> 6; ++word) {
        const int from = std::max(blueLo, word * 64) - word * 64;
        const int to = std::min(blueHi, word * 64 + 63) - word * 64;
        const std::uint64_t span =
            to - from == 63 ? ~std::uint64_t{0} : ((std::uint64_t{1} << (to - from + 1)) - 1);
        row[word] |= span << from;
    }
}

} // namespace tintworks
