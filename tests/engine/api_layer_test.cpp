// Operations 2 to 5 through the exported interface.
#include "layer_params.h"

#include "platform/region.h"

#include <gtest/gtest.h>

namespace {

// A picture with a 2 x 2 patch of 100,150,50 at its top left (the sample) and other colours.
struct Patch {
    TestImage image{6, 3};
    std::vector<TLayerSample> samples;

    Patch() {
        image.fill(bgr(30, 60, 200));
        image.fillRect(0, 0, 2, 2, bgr(100, 150, 50));
        image.set(4, 2, bgr(101, 151, 51));
        samples.push_back(layerSample(image, 0, 0, 2, 2, 5));
    }
    bool inLayer(int x, int y) const { return (x < 2 && y < 2) || (x == 4 && y == 2); }
};

} // namespace

TEST(ApiLayer, ColourReplacementKeepsEachPixelsBrightness) {
    Patch patch;
    TestImage dest(6, 3);
    TLayerParams p =
        withColor(layerParams(patch.image, dest.data(), patch.samples), bgr(0, 0, 200));
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_LAYER_REPLACE_COLOR, &p, nullptr), TWK_OK);
    EXPECT_EQ(dest.get(0, 0), bgr(0, 0, 150));
    EXPECT_EQ(dest.get(4, 2), bgr(0, 0, 151));
    EXPECT_EQ(dest.get(3, 0), bgr(30, 60, 200));
    EXPECT_EQ(TWKIsRepeatedOperationAvailable(TWK_OP_LAYER_REPLACE_COLOR), -1);
}

TEST(ApiLayer, FillingAndTransferWithARegion) {
    Patch patch;
    platform::RegionHandle left = platform::createRectRegion(0, 0, 5, 3);
    TImageRegion region{0, 0, 6, 3, left};
    TestImage filled(6, 3);
    TLayerParams fill =
        withColor(layerParams(patch.image, filled.data(), patch.samples, &region), bgr(1, 2, 3));
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_LAYER_FILL, &fill, nullptr), TWK_OK);
    TestImage transferred(6, 3);
    TLayerParams transfer = withColor(
        layerParams(patch.image, transferred.data(), patch.samples, &region), bgr(255, 255, 255));
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_LAYER_TRANSFER, &transfer, nullptr), TWK_OK);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x) {
            const Pixel original = patch.image.get(x, y);
            EXPECT_EQ(filled.get(x, y), patch.inLayer(x, y) ? bgr(1, 2, 3) : original)
                << x << "," << y;
            EXPECT_EQ(transferred.get(x, y), patch.inLayer(x, y) ? original : bgr(255, 255, 255))
                << "outside the region or the layer: painted, at " << x << "," << y;
        }
    }
    platform::deleteRegion(left);
}

TEST(ApiLayer, AnEmptyLayerCopiesOrPaintsEverything) {
    Patch patch;
    TestImage elsewhere(1, 1);
    elsewhere.set(0, 0, bgr(5, 250, 5));
    std::vector<TLayerSample> foreign = {layerSample(elsewhere, 0, 0, 1, 1, 5)};
    for (int type : {TWK_OP_LAYER_REPLACE_COLOR, TWK_OP_LAYER_FILL, TWK_OP_LAYER_TRANSFER}) {
        TestImage dest(6, 3);
        TLayerParams p = withColor(layerParams(patch.image, dest.data(), foreign), bgr(9, 9, 9));
        ASSERT_EQ(TWKDoImageOperation(type, &p, nullptr), TWK_OK);
        TestImage expected = patch.image.relaid(TWK_ROWS_BOTTOM_UP);
        if (type == TWK_OP_LAYER_TRANSFER) {
            expected.fill(bgr(9, 9, 9));
        }
        EXPECT_EQ(dest.picture(), expected.picture()) << type;
    }
}

TEST(ApiLayer, SampleErrorsAreRefusedBeforeWriting) {
    Patch patch;
    TestImage dest(6, 3);
    dest.fill(bgr(4, 4, 4));
    const std::vector<std::uint8_t> before = dest.bytes();
    std::vector<TLayerSample> none;
    TLayerParams p = layerParams(patch.image, dest.data(), none);
    for (int type = TWK_OP_LAYER_REPLACE_COLOR; type <= TWK_OP_LAYER_TRANSFER; ++type) {
        p.SampleCount = 0;
        EXPECT_EQ(TWKDoImageOperation(type, &p, nullptr), TWK_INVALID_PARAMS);
        p.SampleCount = -2;
        EXPECT_EQ(TWKDoImageOperation(type, &p, nullptr), TWK_NO_MEMORY);
    }
    TLayerParams noDest = layerParams(patch.image, nullptr, patch.samples);
    EXPECT_EQ(TWKDoImageOperation(TWK_OP_LAYER_FILL, &noDest, nullptr), TWK_INVALID_PARAMS);
    EXPECT_EQ(dest.bytes(), before);
}

TEST(ApiFilter, OneMarkedPixelGreysItsColourAtBrightness70And71) {
    TestImage image(9, 1);
    image.fill(bgr(10, 200, 10));
    image.set(0, 0, bgr(50, 60, 70)); // the marked pixel
    image.set(2, 0, bgr(50, 60, 71)); // same ratio bounds, V 71
    image.set(4, 0, bgr(50, 60, 72)); // V 72: outside
    image.set(6, 0, bgr(40, 60, 70)); // blue ratio 67: outside
    image.set(8, 0, bgr(100, 120, 140));
    std::vector<TLayerSample> marked = {layerSample(image, 0, 0, 1, 1, 0)};
    TestImage dest(9, 1);
    TLayerParams p = withPasses(layerParams(image, dest.data(), marked), 1);
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_COLOR_FILTER, &p, nullptr), TWK_OK);
    EXPECT_EQ(dest.get(0, 0), bgr(70, 70, 70));
    EXPECT_EQ(dest.get(2, 0), bgr(71, 71, 71));
    EXPECT_EQ(dest.get(4, 0), bgr(50, 60, 72));
    EXPECT_EQ(dest.get(6, 0), bgr(40, 60, 70));
    EXPECT_EQ(dest.get(8, 0), bgr(100, 120, 140));
    EXPECT_EQ(dest.get(1, 0), bgr(10, 200, 10));
    EXPECT_EQ(TWKIsRepeatedOperationAvailable(TWK_OP_COLOR_FILTER), -1);
}

TEST(ApiFilter, RowsOfThreeMatchingPixelsAreKept) {
    TestImage image(8, 1);
    image.fill(bgr(10, 200, 10));
    image.fillRect(0, 0, 3, 1, bgr(50, 60, 70));
    image.set(5, 0, bgr(50, 60, 70));
    std::vector<TLayerSample> marked = {layerSample(image, 5, 0, 6, 1, 0)};
    TLayerParams p = withPasses(layerParams(image, image.data(), marked), 1);
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_COLOR_FILTER, &p, nullptr), TWK_OK);
    EXPECT_EQ(image.get(0, 0), bgr(50, 60, 70)) << "a run of three is a detail, not noise";
    EXPECT_EQ(image.get(2, 0), bgr(50, 60, 70));
    EXPECT_EQ(image.get(5, 0), bgr(70, 70, 70));
}

TEST(ApiFilter, PassesAndTheirResults) {
    TestImage image(12, 10);
    image.randomize(4);
    std::vector<TLayerSample> marked = {layerSample(image, 2, 2, 7, 6, 8)};
    TestImage once(12, 10);
    TLayerParams p = withPasses(layerParams(image, once.data(), marked), 1);
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_COLOR_FILTER, &p, nullptr), TWK_OK);
    TestImage fiveTimes(12, 10);
    p = withPasses(layerParams(image, fiveTimes.data(), marked), 5);
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_COLOR_FILTER, &p, nullptr), TWK_OK);
    EXPECT_EQ(fiveTimes.bytes(), once.bytes()) << "separate buffers: every pass computes the same";
    EXPECT_NE(once.picture(), image.picture());

    TestImage inPlace = image.relaid(TWK_ROWS_BOTTOM_UP);
    for (TLayerSample& s : marked) {
        s.Image = inPlace.desc();
    }
    p = withPasses(layerParams(inPlace, inPlace.data(), marked), 3);
    int calls = 0;
    static int* counter = nullptr;
    counter = &calls;
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_COLOR_FILTER, &p,
                                  [](double) -> int32_t {
                                      ++*counter;
                                      return 1;
                                  }),
              TWK_OK);
    EXPECT_EQ(calls, 3 * 10) << "progress runs from 0 to 1 in every pass";
    calls = 0;
    TRepeatParams repeat{sizeof(TRepeatParams), inPlace.desc(), inPlace.data(), nullptr};
    ASSERT_EQ(TWKDoRepeatedImageOperation(TWK_OP_COLOR_FILTER, &repeat,
                                          [](double) -> int32_t {
                                              ++*counter;
                                              return 1;
                                          }),
              TWK_OK);
    EXPECT_EQ(calls, 3 * 10) << "a repeat runs the stored number of passes";
}

TEST(ApiFilter, NoPassesNoPixelsAndRegions) {
    TestImage image(6, 6);
    image.randomize(8);
    TestImage dest(6, 6);
    dest.fill(bgr(3, 3, 3));
    const std::vector<std::uint8_t> before = dest.bytes();
    std::vector<TLayerSample> marked = {layerSample(image, 0, 0, 6, 6, 20)};
    TLayerParams p = withPasses(layerParams(image, dest.data(), marked), 0);
    EXPECT_EQ(TWKDoImageOperation(TWK_OP_COLOR_FILTER, &p, nullptr), TWK_NO_MEMORY);
    std::vector<TLayerSample> empty = {layerSample(image, 3, 3, 3, 9, 20)};
    p = withPasses(layerParams(image, dest.data(), empty), 2);
    EXPECT_EQ(TWKDoImageOperation(TWK_OP_COLOR_FILTER, &p, nullptr), TWK_INVALID_PARAMS);
    EXPECT_EQ(dest.bytes(), before);

    TImageRegion corner{0, 0, 2, 3, nullptr}; // two pixels wide: no run is thinned away
    p = withPasses(layerParams(image, dest.data(), marked, &corner), 2);
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_COLOR_FILTER, &p, nullptr), TWK_OK);
    int changed = 0;
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            if (x >= 2 || y >= 3) {
                EXPECT_EQ(dest.get(x, y), image.get(x, y))
                    << "outside the region at " << x << "," << y;
            } else {
                changed += dest.get(x, y) != image.get(x, y);
            }
        }
    }
    EXPECT_GT(changed, 0);
}

TEST(ApiLayer, InPlaceEqualsSeparateForEveryLayerOperation) {
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        for (int type = TWK_OP_LAYER_REPLACE_COLOR; type <= TWK_OP_COLOR_FILTER; ++type) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " type " << type);
            TestImage image(19, 13, seed % 2 ? 3 : 4);
            image.randomize(seed, 0, 15); // few distinct values: large layers
            std::vector<TLayerSample> samples = {layerSample(image, 1, 1, 4, 3, 10)};
            platform::RegionHandle band = platform::createRectRegion(0, 2, 19, 11);
            TImageRegion region{2, 0, 17, 13, band};
            TestImage separate(19, 13, seed % 2 ? 3 : 4);
            TLayerParams p = withColor(
                layerParams(image, separate.data(), samples, seed % 3 ? &region : nullptr),
                bgr(200, 40, 90));
            if (type == TWK_OP_COLOR_FILTER) {
                p.Value.Passes = 1;
            }
            ASSERT_EQ(TWKDoImageOperation(type, &p, nullptr), TWK_OK);
            p.Dest = image.data();
            ASSERT_EQ(TWKDoImageOperation(type, &p, nullptr), TWK_OK);
            EXPECT_EQ(image.picture(), separate.picture());
            platform::deleteRegion(band);
        }
    }
}
