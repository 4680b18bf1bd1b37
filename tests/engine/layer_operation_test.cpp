#include "filter_thinning.h"
#include "layer_operation.h"

#include "test_image.h"

#include <gtest/gtest.h>

using namespace tintworks;

namespace {

// A 4 x 2 picture whose left half is the layer.
struct HalfLayer {
    TestImage image{4, 2};
    BitMask mask = *BitMask::create(4, 2);

    HalfLayer() {
        image.set(0, 0, bgr(100, 150, 50));
        image.set(1, 0, bgr(10, 20, 30));
        image.set(0, 1, bgr(255, 0, 128));
        image.set(1, 1, bgr(0, 0, 0));
        image.fillRect(2, 0, 4, 2, bgr(7, 8, 9));
        mask.setRun(0, 0, 2);
        mask.setRun(1, 0, 2);
    }

    TestImage run(int operation, Pixel color) {
        TestImage dest(4, 2);
        EXPECT_EQ(applyLayerOperation(*viewOf(image.desc()), dest.data(), mask, operation, color,
                                      nullptr),
                  TWK_OK);
        return dest;
    }
};

} // namespace

TEST(LayerOperation, ReplacementTakesTheColourAtThePixelsBrightness) {
    HalfLayer h;
    const TestImage out = h.run(0, bgr(0, 0, 200));
    EXPECT_EQ(out.get(0, 0), bgr(0, 0, 150)) << "m 150, s 0.75";
    EXPECT_EQ(out.get(1, 0), bgr(0, 0, 30));
    EXPECT_EQ(out.get(0, 1), bgr(0, 0, 254)) << "200 * (255 / 200) truncates to 254";
    EXPECT_EQ(out.get(1, 1), bgr(0, 0, 0));
    EXPECT_EQ(out.get(2, 0), bgr(7, 8, 9)) << "outside the layer: copied";

    const TestImage white = h.run(0, bgr(255, 255, 255));
    EXPECT_EQ(white.get(0, 0), bgr(150, 150, 150));
    EXPECT_EQ(white.get(1, 0), bgr(30, 30, 30));

    // 7 * (61 / 7) lands just below 61 in floating point: truncation gives one less.
    TestImage one(1, 1);
    one.set(0, 0, bgr(61, 0, 0));
    BitMask all = *BitMask::create(1, 1);
    all.set(0, 0);
    ASSERT_EQ(applyLayerOperation(*viewOf(one.desc()), one.data(), all, 0, bgr(7, 0, 0), nullptr),
              TWK_OK);
    EXPECT_EQ(one.get(0, 0), bgr(60, 0, 0));

    const TestImage black = h.run(0, bgr(0, 0, 0));
    EXPECT_EQ(black.get(0, 0), bgr(0, 0, 0)) << "a black colour makes the layer black";
}

TEST(LayerOperation, FillTransferGreyAndUnknownNumbers) {
    HalfLayer h;
    const Pixel paint = bgr(1, 2, 3);
    const TestImage filled = h.run(1, paint);
    const TestImage transferred = h.run(2, paint);
    const TestImage greyed = h.run(3, paint);
    const TestImage untouched = h.run(7, paint);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            const bool inLayer = x < 2;
            const Pixel p = h.image.get(x, y);
            const std::uint8_t m = std::max({p[0], p[1], p[2]});
            EXPECT_EQ(filled.get(x, y), inLayer ? paint : p);
            EXPECT_EQ(transferred.get(x, y), inLayer ? p : paint);
            EXPECT_EQ(greyed.get(x, y), inLayer ? bgr(m, m, m) : p);
            EXPECT_EQ(untouched.get(x, y), p);
        }
    }
}

TEST(LayerOperation, FourBytePixelsAndBadDestinations) {
    TestImage image(2, 1, 4);
    image.set(0, 0, {10, 20, 30, 40});
    image.set(1, 0, {50, 60, 70, 80});
    BitMask mask = *BitMask::create(2, 1);
    mask.set(0, 0);
    ASSERT_EQ(applyLayerOperation(*viewOf(image.desc()), image.data(), mask, 3, {}, nullptr),
              TWK_OK);
    EXPECT_EQ(image.get(0, 0), (Pixel{40, 40, 40, 40})) << "all four channels count";
    EXPECT_EQ(image.get(1, 0), (Pixel{50, 60, 70, 80}));
    EXPECT_EQ(applyLayerOperation(*viewOf(image.desc()), nullptr, mask, 3, {}, nullptr),
              TWK_INVALID_PARAMS);
}

namespace {

// The mask after thinning, as a string of 0 and 1 per pixel, row after row.
std::string thinned(const std::vector<std::string>& rows, Rect area) {
    const int width = static_cast<int>(rows.front().size());
    BitMask mask = *BitMask::create(width, static_cast<int>(rows.size()));
    for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
        for (int x = 0; x < width; ++x) {
            if (rows[y][x] == '1') {
                mask.set(x, y);
            }
        }
    }
    thinFilterLayer(mask, area);
    std::string out;
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < width; ++x) {
            out += mask.test(x, y) ? '1' : '0';
        }
        out += '|';
    }
    return out;
}

} // namespace

TEST(FilterThinning, RunsOfThreeOrMoreAreClearedWholeAndShortRunsStay) {
    const Rect all{0, 0, 100, 100};
    EXPECT_EQ(thinned({"1101110111110101"}, all), "1100000000000101|");
    // Runs across mask bytes (pixels 6..9 and 14..17) and at the row's end.
    EXPECT_EQ(thinned({"000000111100011111000111"}, all), "000000000000000000000000|");
    EXPECT_EQ(thinned({"0000000110000000011"}, all), "0000000110000000011|");
    // The window never wraps into the next row.
    EXPECT_EQ(thinned({"00000011", "10000000"}, all), "00000011|10000000|");
    EXPECT_EQ(thinned({"00000111", "11000000"}, all), "00000000|11000000|");
}

TEST(FilterThinning, OnlyTheRowsOfTheAreaAreThinned) {
    EXPECT_EQ(thinned({"1111", "1111", "1111"}, Rect{0, 1, 4, 2}), "1111|0000|1111|");
    EXPECT_EQ(thinned({"1111", "1111"}, Rect{-5, -5, 2, 50}), "0000|0000|");
    EXPECT_EQ(thinned({"1111"}, Rect{}), "1111|");
}
