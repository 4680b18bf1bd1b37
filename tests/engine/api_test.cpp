// The exported interface, as the program and other hosts call it.
#include "correction_params.h"

#include "platform/region.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A 6 x 4 picture with a white area (left column pair), a black area (right column pair)
// and two probe pixels.
struct ReferencePicture {
    TestImage image{6, 4};
    std::vector<TRefArea> areas{refArea(0, 0, 2, 4, TWK_REF_WHITE),
                                refArea(4, 0, 6, 4, TWK_REF_BLACK)};

    ReferencePicture() {
        image.fill(bgr(90, 90, 90));
        image.fillRect(0, 0, 2, 4, bgr(200, 210, 220));
        image.fillRect(4, 0, 6, 4, bgr(10, 20, 30));
        image.set(2, 1, bgr(105, 115, 125));
        image.set(3, 2, bgr(150, 60, 250));
    }
};

std::vector<double> progressSeen;
int32_t TWK_CALL recordProgress(double fraction) {
    progressSeen.push_back(fraction);
    return 1;
}
int32_t TWK_CALL stopAtOnce(double) {
    return 0;
}

} // namespace

TEST(Api, NilRecordsAndUnknownTypesAreRefused) {
    for (int type = -1; type <= 7; ++type) {
        EXPECT_EQ(TWKDoImageOperation(type, nullptr, nullptr), TWK_INVALID_PARAMS) << type;
    }
    ReferencePicture pic;
    const std::vector<std::uint8_t> before = pic.image.bytes();
    TCorrectionParams p = correctionParams(pic.image, pic.image.data(), pic.areas);
    for (int type : {-1, 7, 100}) {
        EXPECT_EQ(TWKDoImageOperation(type, &p, nullptr), TWK_INVALID_PARAMS);
    }
    EXPECT_EQ(pic.image.bytes(), before);
    EXPECT_EQ(TWKExtractImageColor(nullptr), TWK_INVALID_PARAMS);
    EXPECT_EQ(TWKIsRepeatedOperationAvailable(6), 0);
    EXPECT_EQ(TWKIsRepeatedOperationAvailable(-1), 0);
}

TEST(Api, ImageCorrectionMapsMeasuredWhiteAndBlackToTheLevels) {
    ReferencePicture pic;
    TestImage dest(6, 4);
    TCorrectionParams p = correctionParams(pic.image, dest.data(), pic.areas);
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_IMAGE_CORRECTION, &p, nullptr), TWK_OK);
    EXPECT_EQ(dest.get(0, 0), bgr(255, 255, 255));
    EXPECT_EQ(dest.get(5, 3), bgr(0, 0, 0));
    EXPECT_EQ(dest.get(2, 1), bgr(128, 128, 128)) << "each channel on its own 32-bit line";
    EXPECT_EQ(dest.get(3, 2), bgr(188, 54, 255));
    EXPECT_TRUE(dest.paddingIntact());
    EXPECT_EQ(TWKIsRepeatedOperationAvailable(TWK_OP_IMAGE_CORRECTION), -1);
}

TEST(Api, GammaTwoBrightensAlongTheSquareRoot) {
    TestImage image(2, 1);
    image.set(0, 0, bgr(64, 64, 64));
    image.set(1, 0, bgr(32, 64, 128));
    std::vector<TRefArea> none;
    TCorrectionParams p = correctionParams(image, image.data(), none);
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_IMAGE_CORRECTION, &p, nullptr), TWK_OK);
    EXPECT_EQ(image.get(1, 0), bgr(32, 64, 128)) << "gamma exactly 1.0: no gamma step";
    p.Gamma = 2.0;
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_IMAGE_CORRECTION, &p, nullptr), TWK_OK);
    EXPECT_EQ(image.get(0, 0), bgr(128, 128, 128));
    EXPECT_EQ(image.get(1, 0), bgr(45, 90, 181));
}

TEST(Api, PixelsOutsideTheLimitingRegionAreCopied) {
    ReferencePicture pic;
    pic.image.randomize(9, 40, 180);
    pic.image.fillRect(0, 0, 2, 4, bgr(200, 210, 220));
    TestImage whole(6, 4);
    TCorrectionParams p = correctionParams(pic.image, whole.data(), pic.areas);
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_IMAGE_CORRECTION, &p, nullptr), TWK_OK);

    platform::RegionHandle diamond = platform::createPolygonRegion(
        std::vector<platform::RegionPoint>{{3, 0}, {6, 2}, {3, 4}, {0, 2}},
        platform::FillMode::Alternate);
    TImageRegion region{1, 0, 6, 3, diamond};
    TestImage limited(6, 4);
    p.Dest = limited.data();
    p.Region = &region;
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_IMAGE_CORRECTION, &p, nullptr), TWK_OK);
    int changedInside = 0;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && y < 3 && platform::regionContains(diamond, x, y);
            EXPECT_EQ(limited.get(x, y), inside ? whole.get(x, y) : pic.image.get(x, y))
                << x << "," << y;
            changedInside += inside && whole.get(x, y) != pic.image.get(x, y);
        }
    }
    EXPECT_GT(changedInside, 3) << "the tables are not the identity";
    platform::deleteRegion(diamond);
}

TEST(Api, ProgressReportsEveryRowAndCancelKeepsOnlyTheFirstRow) {
    for (int rowOrder : {TWK_ROWS_BOTTOM_UP, TWK_ROWS_TOP_DOWN}) {
        ReferencePicture pic;
        TestImage source = pic.image.relaid(rowOrder);
        TestImage dest(6, 4, 3, rowOrder);
        dest.fill(bgr(1, 2, 3));
        TCorrectionParams p = correctionParams(source, dest.data(), pic.areas);
        progressSeen.clear();
        ASSERT_EQ(TWKDoImageOperation(TWK_OP_IMAGE_CORRECTION, &p, recordProgress), TWK_OK);
        EXPECT_EQ(progressSeen, (std::vector<double>{0.25, 0.5, 0.75, 1.0}));

        TestImage cancelled(6, 4, 3, rowOrder);
        cancelled.fill(bgr(1, 2, 3));
        p.Dest = cancelled.data();
        ASSERT_EQ(TWKDoImageOperation(TWK_OP_IMAGE_CORRECTION, &p, stopAtOnce), TWK_CANCELLED);
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(cancelled.get(x, 0), dest.get(x, 0)) << "the picture's top row is done";
            for (int y = 1; y < 4; ++y) {
                EXPECT_EQ(cancelled.get(x, y), bgr(1, 2, 3)) << "untouched at " << x << "," << y;
            }
        }
    }
}

namespace {

// A random picture with random references of every class, a gamma and sometimes a region.
struct RandomCorrection {
    TestImage image;
    std::vector<TRefArea> areas;
    std::vector<TLayerSample> samples;
    TImageRegion region{};
    platform::RegionHandle handle = nullptr;
    double gamma;

    RandomCorrection(std::uint32_t seed, int bytesPerPixel, int rowOrder)
        : image(23, 17, bytesPerPixel, rowOrder, seed % 2 ? 4 : 0) {
        std::mt19937 random(seed);
        image.randomize(seed);
        auto coord = [&](int limit) {
            return std::uniform_int_distribution<int>(0, limit - 1)(random);
        };
        for (int refClass = 0; refClass < 4; ++refClass) {
            if (coord(3) != 0) {
                const int x = coord(18);
                const int y = coord(12);
                areas.push_back(refArea(x, y, x + 1 + coord(5), y + 1 + coord(5), refClass));
            }
        }
        for (int i = 0, n = 1 + coord(2); i < n; ++i) {
            const int x = coord(20);
            const int y = coord(14);
            samples.push_back(layerSample(image, x, y, x + 3, y + 3, coord(60) - 10));
        }
        gamma = coord(2) ? 1.0 : 0.4 + coord(20) * 0.1;
        if (coord(2)) {
            handle = platform::createPolygonRegion(
                std::vector<platform::RegionPoint>{{0, 0}, {23, 3}, {11, 17}},
                platform::FillMode::Winding);
            region = TImageRegion{2, 1, 21, 16, handle};
        }
    }
    ~RandomCorrection() { platform::deleteRegion(handle); }

    TCorrectionParams params(TestImage& source, void* dest) {
        TCorrectionParams p = correctionParams(source, dest, areas);
        p.Auto = -1;
        p.Gamma = gamma;
        p.TargetColor[2] = 200;
        p.TargetColor[1] = 120;
        p.Samples = samples.data();
        p.SampleCount = static_cast<int32_t>(samples.size());
        p.Region = handle != nullptr ? &region : nullptr;
        return p;
    }
};

} // namespace

TEST(Api, InPlaceEqualsSeparateDestinationAndRowOrderDoesNotMatter) {
    for (std::uint32_t seed = 1; seed <= 24; ++seed) {
        for (int type : {TWK_OP_IMAGE_CORRECTION, TWK_OP_LAYER_CORRECTION}) {
            const int bpp = seed % 3 == 0 ? 4 : 3;
            SCOPED_TRACE(testing::Message()
                         << "seed " << seed << " type " << type << " bpp " << bpp);
            RandomCorrection bottomUp(seed, bpp, TWK_ROWS_BOTTOM_UP);

            TestImage separate = bottomUp.image.relaid(TWK_ROWS_BOTTOM_UP, seed % 2 ? 4 : 0);
            TCorrectionParams p = bottomUp.params(bottomUp.image, separate.data());
            const std::vector<std::uint8_t> sourceBefore = bottomUp.image.bytes();
            ASSERT_EQ(TWKDoImageOperation(type, &p, nullptr), TWK_OK);
            EXPECT_EQ(bottomUp.image.bytes(), sourceBefore) << "the source is only read";
            EXPECT_TRUE(separate.paddingIntact());

            TestImage topDown = bottomUp.image.relaid(TWK_ROWS_TOP_DOWN);
            for (TLayerSample& s : bottomUp.samples) {
                s.Image = topDown.desc();
            }
            p = bottomUp.params(topDown, topDown.data());
            ASSERT_EQ(TWKDoImageOperation(type, &p, nullptr), TWK_OK);
            EXPECT_EQ(topDown.picture(), separate.picture()) << "in place, top-down";
            EXPECT_TRUE(topDown.paddingIntact());
        }
    }
}

TEST(Api, LayerCorrectionChangesOnlyTheLayer) {
    TestImage image(8, 2);
    image.fillRect(0, 0, 4, 2, bgr(40, 60, 160)); // reddish layer
    image.fillRect(4, 0, 8, 2, bgr(160, 60, 40)); // bluish rest
    image.set(1, 1, bgr(42, 63, 165));
    std::vector<TRefArea> areas = {refArea(0, 0, 2, 1, TWK_REF_COLOR)};
    std::vector<TLayerSample> samples = {layerSample(image, 0, 0, 2, 1, 5)};
    TestImage dest(8, 2);
    TCorrectionParams p = correctionParams(image, dest.data(), areas);
    p.TargetColor[0] = 90;
    p.TargetColor[1] = 90;
    p.TargetColor[2] = 90; // make the sample's colour neutral
    p.Samples = samples.data();
    p.SampleCount = 1;
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_LAYER_CORRECTION, &p, nullptr), TWK_OK);
    EXPECT_NE(dest.get(0, 0), image.get(0, 0));
    EXPECT_NE(dest.get(1, 1), image.get(1, 1)) << "a near colour is in the layer";
    for (int x = 4; x < 8; ++x) {
        EXPECT_EQ(dest.get(x, 0), image.get(x, 0)) << "outside the layer: copied";
        EXPECT_EQ(dest.get(x, 1), image.get(x, 1));
    }
    EXPECT_EQ(TWKIsRepeatedOperationAvailable(TWK_OP_LAYER_CORRECTION), -1);
}

TEST(Api, LayerCorrectionWithoutSamplesIsRefusedBeforeWriting) {
    ReferencePicture pic;
    TestImage dest(6, 4);
    dest.fill(bgr(7, 7, 7));
    const std::vector<std::uint8_t> before = dest.bytes();
    TCorrectionParams p = correctionParams(pic.image, dest.data(), pic.areas);
    EXPECT_EQ(TWKDoImageOperation(TWK_OP_LAYER_CORRECTION, &p, nullptr), TWK_INVALID_PARAMS);
    p.SampleCount = -1;
    EXPECT_EQ(TWKDoImageOperation(TWK_OP_LAYER_CORRECTION, &p, nullptr), TWK_NO_MEMORY);
    p.SampleCount = 3; // with a nil array
    EXPECT_EQ(TWKDoImageOperation(TWK_OP_LAYER_CORRECTION, &p, nullptr), TWK_NO_MEMORY);
    EXPECT_EQ(dest.bytes(), before);
}

namespace {
Pixel colorSample(TestImage& image, TImageRegion* area, int mode, bool light) {
    TColorSampleParams p{};
    p.Size = sizeof(p);
    p.Image = image.desc();
    p.Area = area;
    p.SampleMode = mode;
    p.Light = light ? -1 : 0;
    EXPECT_EQ(TWKDoImageOperation(TWK_OP_COLOR_SAMPLE, &p, nullptr), TWK_OK);
    return {p.Color[0], p.Color[1], p.Color[2], p.Color[3]};
}
} // namespace

TEST(Api, LightAndDarkSamples) {
    TestImage image(3, 2);
    image.fill(bgr(255, 120, 100));
    image.set(2, 1, bgr(255, 140, 100));
    image.set(0, 1, bgr(30, 40, 50));
    TImageRegion clippedArea{0, 0, 3, 1, nullptr};
    EXPECT_EQ(colorSample(image, &clippedArea, 2, true), bgr(255, 120, 100))
        << "every pixel has a channel at 255: the lightest";
    EXPECT_EQ(colorSample(image, nullptr, 2, true), bgr(30, 40, 50)) << "nil area: whole image";
    EXPECT_EQ(colorSample(image, nullptr, 1, true), bgr(255, 140, 100));
    EXPECT_EQ(colorSample(image, nullptr, 2, false), bgr(30, 40, 50));
    TImageRegion empty{2, 2, 2, 2, nullptr};
    for (int mode : {1, 2}) {
        EXPECT_EQ(colorSample(image, &empty, mode, true), (Pixel{0, 0, 0, 0}));
        EXPECT_EQ(colorSample(image, &empty, mode, false), (Pixel{255, 255, 255, 255}));
    }
    EXPECT_EQ(colorSample(image, nullptr, 0, true), (Pixel{255, 255, 255, 255}));
    EXPECT_EQ(colorSample(image, nullptr, 0, false), (Pixel{0, 0, 0, 0}));
    EXPECT_EQ(TWKIsRepeatedOperationAvailable(TWK_OP_COLOR_SAMPLE), 0);
}

TEST(Api, ExtractedColourIgnoresAFewPixelsOfAnotherHue) {
    TestImage image(10, 10);
    image.fill(bgr(200, 100, 50));
    image.fillRect(0, 0, 10, 1, bgr(50, 100, 200));
    TExtractColorParams p{};
    p.Size = sizeof(p);
    p.Image = image.desc();
    ASSERT_EQ(TWKExtractImageColor(&p), TWK_OK);
    EXPECT_EQ((Pixel{p.Color[0], p.Color[1], p.Color[2], p.Color[3]}), bgr(200, 100, 50));
    TImageRegion top{0, 0, 10, 1, nullptr};
    p.Area = &top;
    ASSERT_EQ(TWKExtractImageColor(&p), TWK_OK);
    EXPECT_EQ((Pixel{p.Color[0], p.Color[1], p.Color[2], p.Color[3]}), bgr(50, 100, 200));
}
