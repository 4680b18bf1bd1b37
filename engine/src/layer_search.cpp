#include "layer_search.h"

#include "ratio_table.h"
#include "region_runs.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace tintworks {

bool inBox(const LayerBounds& box, std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    const std::uint16_t rg = ratioHundredths(red, green);
    const std::uint16_t bg = ratioHundredths(blue, green);
    const std::uint8_t v = std::max({blue, green, red});
    return box.loRG <= rg && rg <= box.hiRG && box.loBG <= bg && bg <= box.hiBG && box.loV <= v &&
           v <= box.hiV;
}

namespace {

// The boxes unfolded into two tables over channel pairs, so that a pixel is tested with two
// look-ups whose indexes are the pixel's own bytes read as 16-bit words: blue and green
// (bytes 0 and 1), green and red (bytes 1 and 2).
//
// A pixel lies in a box when both ratios and the brightness V = max(blue, green, red) lie in
// the box's bounds. V <= hiV holds when every channel is at most hiV; V >= loV when any channel
// is at least loV. So for each box the blue-green entry holds two bits, "blue ratio in bounds
// and blue, green <= hiV" and "blue or green >= loV", and the green-red entry the same for red;
// the pixel is in the box when both first bits are set and either second bit is. Four boxes
// share one byte of each table (bits 2k and 2k + 1 for box k of the group).
class PairTests {
public:
    static constexpr int boxesPerGroup = 4;
    static constexpr std::size_t entries = 65536;

    explicit PairTests(std::span<const LayerBounds> boxes)
        : groups_((boxes.size() + boxesPerGroup - 1) / boxesPerGroup),
          blueGreen_(groups_ * entries, 0), greenRed_(groups_ * entries, 0) {
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            addBox(boxes[i], i / boxesPerGroup, 2 * (i % boxesPerGroup));
        }
    }

    // The tables of group `group` as plain pointers, for the pixel loops.
    struct Group {
        const std::uint8_t* blueGreen;
        const std::uint8_t* greenRed;

        // Non-zero when the pixel lies in one of the group's boxes.
        unsigned test(const std::uint8_t* pixel) const {
            std::uint16_t blueGreenIndex;
            std::uint16_t greenRedIndex;
            std::memcpy(&blueGreenIndex, pixel, 2);
            std::memcpy(&greenRedIndex, pixel + 1, 2);
            const unsigned a = blueGreen[blueGreenIndex];
            const unsigned b = greenRed[greenRedIndex];
            return a & b & ((a | b) >> 1) & 0x55u;
        }
    };

    std::size_t groupCount() const { return groups_; }
    Group group(std::size_t g) const {
        return {blueGreen_.data() + g * entries, greenRed_.data() + g * entries};
    }

private:
    // Index of the word made of the bytes (low, high) in memory order.
    static std::size_t wordIndex(int low, int high) {
        const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(low),
                                       static_cast<std::uint8_t>(high)};
        std::uint16_t word;
        std::memcpy(&word, bytes, 2);
        return word;
    }

    void addBox(const LayerBounds& box, std::size_t group, int bit) {
        std::uint8_t* blueGreen = blueGreen_.data() + group * entries;
        std::uint8_t* greenRed = greenRed_.data() + group * entries;
        for (int green = 0; green < 256; ++green) {
            for (int other = 0; other < 256; ++other) {
                const bool belowTop = other <= box.hiV && green <= box.hiV;
                const bool reachesBottom = other >= box.loV || green >= box.loV;
                const std::uint16_t ratio = ratioHundredths(other, green);
                const bool blueOk = belowTop && box.loBG <= ratio && ratio <= box.hiBG;
                const bool redOk = belowTop && box.loRG <= ratio && ratio <= box.hiRG;
                blueGreen[wordIndex(other, green)] |=
                    static_cast<std::uint8_t>((blueOk | reachesBottom << 1) << bit);
                greenRed[wordIndex(green, other)] |=
                    static_cast<std::uint8_t>((redOk | reachesBottom << 1) << bit);
            }
        }
    }

    std::size_t groups_;
    std::vector<std::uint8_t> blueGreen_;
    std::vector<std::uint8_t> greenRed_;
};

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

template <int Channels>
void searchRun(const PairTests& tests, const std::uint8_t* p, std::uint8_t* bits, std::int32_t left,
               std::int32_t right) {
    if (tests.groupCount() == 1) {
        const PairTests::Group only = tests.group(0);
        searchRun<Channels>([only](const std::uint8_t* px) { return only.test(px) != 0; }, p, bits,
                            left, right);
        return;
    }
    searchRun<Channels>(
        [&tests](const std::uint8_t* px) {
            for (std::size_t g = 0; g < tests.groupCount(); ++g) {
                if (tests.group(g).test(px) != 0) {
                    return true;
                }
            }
            return false;
        },
        p, bits, left, right);
}

} // namespace

int searchLayer(const ImageView& image, const TImageRegion* region,
                std::span<const LayerBounds> boxes, TProgressProc progress,
                std::optional<BitMask>& mask) {
    mask.reset();
    if (boxes.empty()) {
        return TWK_INVALID_PARAMS;
    }
    std::optional<PairTests> tests;
    try {
        tests.emplace(boxes);
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
        forEachRunOfRow(rect, handle, y,
                        [&](std::int32_t row, std::int32_t left, std::int32_t right) {
                            const std::uint8_t* p = image.pixel(left, row);
                            if (image.bytesPerPixel == 4) {
                                searchRun<4>(*tests, p, found->row(row), left, right);
                            } else {
                                searchRun<3>(*tests, p, found->row(row), left, right);
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

} // namespace tintworks
