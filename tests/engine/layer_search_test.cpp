#include "layer_search.h"
#include "ratio_table.h"
#include "reference_search.h"

#include "correction_params.h"

#include "platform/region.h"

#include <gtest/gtest.h>

using namespace tintworks;

namespace {

LayerBounds boundsOfSample(TestImage& image, int l, int t, int r, int b, int range,
                           TWKRegionHandle region = nullptr) {
    SampleStatistics stats;
    EXPECT_TRUE(sampleStatistics(layerSample(image, l, t, r, b, range, region), stats));
    return boundsOf(stats, range);
}

BitMask search(TestImage& image, std::vector<LayerBounds> boxes,
               const TImageRegion* region = nullptr) {
    std::optional<BitMask> mask;
    EXPECT_EQ(searchLayer(*viewOf(image.desc()), region, boxes, nullptr, mask), TWK_OK);
    return std::move(*mask);
}

} // namespace

TEST(RatioTable, RoundsHalfToEvenAndTakesGreenZeroAsOne) {
    EXPECT_EQ(ratioHundredths(1, 2), 50);
    EXPECT_EQ(ratioHundredths(1, 8), 12) << "12.5";
    EXPECT_EQ(ratioHundredths(3, 8), 38) << "37.5";
    EXPECT_EQ(ratioHundredths(2, 3), 67);
    EXPECT_EQ(ratioHundredths(255, 1), 25500);
    EXPECT_EQ(ratioHundredths(255, 0), 25500);
    EXPECT_EQ(ratioHundredths(7, 0), 700);
    EXPECT_EQ(ratioHundredths(0, 0), 0);
    for (int b = 0; b < 256; ++b) {
        for (int a = 1; a < 256; ++a) {
            ASSERT_LE(ratioHundredths(a - 1, b), ratioHundredths(a, b));
        }
    }
}

TEST(LayerBounds, PureWhiteSampleWithRangeFive) {
    TestImage image(4, 4);
    image.fill(bgr(255, 255, 255));
    const LayerBounds b = boundsOfSample(image, 0, 0, 4, 4, 5);
    EXPECT_EQ(b, (LayerBounds{95, 210, 95, 210, 242, 269}));
    image.set(3, 3, bgr(240, 250, 245));
    image.set(0, 0, bgr(10, 10, 10));
    const BitMask mask = search(image, {b});
    EXPECT_TRUE(mask.test(3, 3)) << "near-white joins the layer";
    EXPECT_TRUE(mask.test(1, 1));
    EXPECT_FALSE(mask.test(0, 0));
}

TEST(LayerBounds, RangeHundredOpensTheLowEnd) {
    TestImage image(2, 1);
    image.set(0, 0, bgr(60, 100, 140));
    image.set(1, 0, bgr(70, 110, 160));
    const LayerBounds b = boundsOfSample(image, 0, 0, 2, 1, 100);
    EXPECT_EQ(b.loRG, 0);
    EXPECT_EQ(b.loBG, 0);
    EXPECT_EQ(b.loV, 0);
    EXPECT_EQ(b.hiV, 320);
}

TEST(LayerBounds, NarrowRangeCollapsesToTheUpperValues) {
    TestImage image(3, 1);
    image.set(0, 0, bgr(60, 100, 140));
    image.set(1, 0, bgr(80, 100, 120));
    image.set(2, 0, bgr(90, 180, 250));
    const LayerBounds b = boundsOfSample(image, 0, 0, 3, 1, -99);
    EXPECT_EQ(b.loRG, b.hiRG);
    EXPECT_EQ(b.loBG, b.hiBG);
    EXPECT_EQ(b.loV, b.hiV);
    EXPECT_EQ(b.hiRG, 1) << "1 % of 1.4 in hundredths";
    EXPECT_EQ(b.hiV, 3) << "1 % of 250";
    const BitMask mask = search(image, {b});
    for (int x = 0; x < 3; ++x) {
        EXPECT_FALSE(mask.test(x, 0)) << "not even the sample's own brightest pixels";
    }
}

TEST(LayerBounds, GreenZeroSamplesMatchGreenZeroPixels) {
    TestImage image(4, 1);
    image.set(0, 0, bgr(30, 0, 40));
    image.set(1, 0, bgr(32, 0, 41));
    image.set(2, 0, bgr(30, 1, 40)); // green 1: the same ratios, yet not the same as 0
    image.set(3, 0, bgr(30, 20, 40));
    SampleStatistics stats;
    ASSERT_TRUE(sampleStatistics(layerSample(image, 0, 0, 1, 1, 5), stats));
    EXPECT_EQ(stats.minRG, 40.0f) << "green 0 taken as 1";
    EXPECT_EQ(stats.maxRG, 41.0f);
    const BitMask mask = search(image, {boundsOf(stats, 5)});
    EXPECT_TRUE(mask.test(0, 0));
    EXPECT_TRUE(mask.test(1, 0));
    EXPECT_TRUE(mask.test(2, 0)) << "ratios of green 1 equal those of green 0";
    EXPECT_FALSE(mask.test(3, 0));
}

TEST(LayerBounds, SampleRegionHandleLimitsTheStatistics) {
    TestImage image(4, 1);
    image.set(0, 0, bgr(10, 100, 10));
    image.set(1, 0, bgr(10, 100, 90));
    platform::RegionHandle onlyFirst = platform::createRectRegion(0, 0, 1, 1);
    const LayerBounds limited = boundsOfSample(image, 0, 0, 2, 1, 0, onlyFirst);
    EXPECT_EQ(limited, boundsOfSample(image, 0, 0, 1, 1, 0));
    platform::deleteRegion(onlyFirst);
}

TEST(LayerBounds, HostileRangesSaturateAndBadSamplesAreRefused) {
    TestImage image(2, 1);
    image.fill(bgr(255, 1, 255));
    const LayerBounds huge = boundsOfSample(image, 0, 0, 2, 1, 1000000);
    EXPECT_EQ(huge.hiRG, 65535);
    EXPECT_EQ(huge.loRG, 0);
    const LayerBounds negative = boundsOfSample(image, 0, 0, 2, 1, -1000000);
    EXPECT_EQ(negative.hiRG, 0);

    std::vector<LayerBounds> bounds;
    EXPECT_EQ(buildLayerBounds(nullptr, 2, bounds), TWK_NO_MEMORY);
    TLayerSample sample = layerSample(image, 0, 0, 2, 1, 5);
    EXPECT_EQ(buildLayerBounds(&sample, -1, bounds), TWK_NO_MEMORY);
    sample.Image.Pixels = nullptr;
    EXPECT_EQ(buildLayerBounds(&sample, 1, bounds), TWK_INVALID_PARAMS);
    sample.Image.BytesPerPixel = 1;
    ASSERT_EQ(buildLayerBounds(&sample, 1, bounds), TWK_OK)
        << "under 3 bytes: zero statistics, no read";
    EXPECT_EQ(bounds.front(), (LayerBounds{0, 0, 0, 0, 0, 0}));
    TLayerSample outside = layerSample(image, 50, 50, 60, 60, 5);
    EXPECT_EQ(buildLayerBounds(&outside, 1, bounds), TWK_OK)
        << "an area outside the image is empty";
}

TEST(LayerSearch, EitherOfTwoBoxesAdmitsAPixel) {
    TestImage image(3, 1);
    image.set(0, 0, bgr(200, 100, 50));
    image.set(1, 0, bgr(50, 100, 200));
    image.set(2, 0, bgr(100, 200, 50));
    const LayerBounds first = boundsOfSample(image, 0, 0, 1, 1, 5);
    const LayerBounds second = boundsOfSample(image, 1, 0, 2, 1, 5);
    const BitMask mask = search(image, {first, second});
    EXPECT_TRUE(mask.test(0, 0));
    EXPECT_TRUE(mask.test(1, 0));
    EXPECT_FALSE(mask.test(2, 0));
}

TEST(LayerSearch, RegionRectangleAndHandleBoundTheLayer) {
    TestImage image(10, 10);
    image.fill(bgr(90, 90, 90));
    const LayerBounds box = boundsOfSample(image, 0, 0, 1, 1, 5);
    platform::RegionHandle triangle = platform::createPolygonRegion(
        std::vector<platform::RegionPoint>{{0, 0}, {10, 0}, {0, 10}}, platform::FillMode::Winding);
    const TImageRegion region{2, 1, 30, 8, triangle};
    const BitMask mask = search(image, {box}, &region);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool expected =
                x >= 2 && y >= 1 && y < 8 && platform::regionContains(triangle, x, y);
            ASSERT_EQ(mask.test(x, y), expected) << x << "," << y;
        }
    }
    platform::deleteRegion(triangle);
}

TEST(LayerSearch, MatchesThePixelByPixelRatioTestOnRandomPictures) {
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> range(-99, 100);
    std::uniform_int_distribution<int> coord(0, 63);
    for (int round = 0; round < 12; ++round) {
        TestImage image(64, 48, round % 3 == 0 ? 4 : 3);
        image.randomize(100 + round);
        // Saturated and zero-green pixels are where rounding and the green-0 rule matter.
        for (int i = 0; i < 300; ++i) {
            const int v = coord(random) * 4;
            image.set(coord(random), coord(random) % 48,
                      bgr(i % 3 == 0 ? 255 : v, i % 2 == 0 ? 0 : v / 2, i % 5 == 0 ? 255 : v));
        }
        std::vector<LayerBounds> boxes;
        for (int s = 0; s < 1 + (round * 3) % 10; ++s) { // up to ten boxes: several groups of four
            const int x = coord(random) % 60;
            const int y = coord(random) % 44;
            boxes.push_back(
                boundsOfSample(image, x, y, x + 1 + round % 4, y + 1 + s, range(random)));
        }
        const BitMask mask = search(image, boxes);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const Pixel p = image.get(x, y);
                bool expected = false;
                for (const LayerBounds& box : boxes) {
                    expected = expected || inBox(box, p[0], p[1], p[2]);
                }
                ASSERT_EQ(mask.test(x, y), expected)
                    << "round " << round << " at " << x << "," << y;
            }
        }
    }
}

TEST(LayerSearch, NoBoxesIsRefusedAndCancelReturnsNoMask) {
    TestImage image(4, 4);
    std::optional<BitMask> mask;
    EXPECT_EQ(searchLayer(*viewOf(image.desc()), nullptr, {}, nullptr, mask), TWK_INVALID_PARAMS);
    const std::vector<LayerBounds> boxes = {LayerBounds{0, 100, 0, 100, 0, 255}};
    EXPECT_EQ(searchLayer(
                  *viewOf(image.desc()), nullptr, boxes, [](double) { return 0; }, mask),
              TWK_CANCELLED);
    EXPECT_FALSE(mask.has_value());
}
