// Records that the C interface can express but that describe nothing processable: the
// engine refuses them before writing any pixel, and clips rectangles to the image.
#include "correction_params.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

struct BadImage {
    const char* what;
    std::function<void(TImageDesc&)> spoil;
};

const std::vector<BadImage> badImages = {
    {"zero width", [](TImageDesc& d) { d.Width = 0; }},
    {"negative width", [](TImageDesc& d) { d.Width = -3; }},
    {"zero height", [](TImageDesc& d) { d.Height = 0; }},
    {"negative height", [](TImageDesc& d) { d.Height = -4; }},
    {"1 byte per pixel", [](TImageDesc& d) { d.BytesPerPixel = 1; }},
    {"2 bytes per pixel", [](TImageDesc& d) { d.BytesPerPixel = 2; }},
    {"5 bytes per pixel", [](TImageDesc& d) { d.BytesPerPixel = 5; }},
    {"negative bytes per pixel", [](TImageDesc& d) { d.BytesPerPixel = -3; }},
    {"stride shorter than a row", [](TImageDesc& d) { d.Stride = d.Width * 3 - 1; }},
    {"negative stride", [](TImageDesc& d) { d.Stride = -d.Stride; }},
    {"row order 2", [](TImageDesc& d) { d.RowOrder = 2; }},
    {"row order -1", [](TImageDesc& d) { d.RowOrder = -1; }},
    {"nil pixels", [](TImageDesc& d) { d.Pixels = nullptr; }},
    {"row wider than any stride",
     [](TImageDesc& d) { d.Width = std::numeric_limits<int32_t>::max(); }},
};

struct Fixture {
    TestImage source{8, 6};
    TestImage dest{8, 6};
    std::vector<TRefArea> areas{refArea(0, 0, 2, 2, TWK_REF_WHITE),
                                refArea(6, 4, 8, 6, TWK_REF_BLACK)};
    std::vector<TLayerSample> samples;
    std::vector<std::uint8_t> destBefore;

    Fixture() {
        source.randomize(5, 30, 220);
        dest.fill(bgr(9, 9, 9));
        destBefore = dest.bytes();
        samples.push_back(layerSample(source, 2, 2, 4, 4, 5));
    }
    TCorrectionParams params() {
        TCorrectionParams p = correctionParams(source, dest.data(), areas);
        p.Samples = samples.data();
        p.SampleCount = 1;
        return p;
    }
    bool destUntouched() const { return dest.bytes() == destBefore; }
};

std::vector<std::uint8_t>
correctedWith(const std::function<void(TCorrectionParams&, Fixture&)>& change,
              int type = TWK_OP_IMAGE_CORRECTION) {
    Fixture f;
    TCorrectionParams p = f.params();
    change(p, f);
    p.Samples = f.samples.data();
    p.SampleCount = static_cast<int32_t>(f.samples.size());
    EXPECT_EQ(TWKDoImageOperation(type, &p, nullptr), TWK_OK);
    return f.dest.bytes();
}

} // namespace

TEST(ApiBadInput, UnprocessableImagesAreRefusedBeforeAnyPixelIsWritten) {
    for (const BadImage& bad : badImages) {
        for (int type : {TWK_OP_IMAGE_CORRECTION, TWK_OP_LAYER_CORRECTION}) {
            SCOPED_TRACE(testing::Message() << bad.what << ", type " << type);
            Fixture f;
            TCorrectionParams p = f.params();
            bad.spoil(p.Image);
            EXPECT_EQ(TWKDoImageOperation(type, &p, nullptr), TWK_INVALID_PARAMS);
            EXPECT_TRUE(f.destUntouched());
        }
        Fixture f;
        TColorSampleParams sample{};
        sample.Image = f.source.desc();
        bad.spoil(sample.Image);
        EXPECT_EQ(TWKDoImageOperation(TWK_OP_COLOR_SAMPLE, &sample, nullptr), TWK_INVALID_PARAMS)
            << bad.what;
        TExtractColorParams extract{};
        extract.Image = f.source.desc();
        bad.spoil(extract.Image);
        EXPECT_EQ(TWKExtractImageColor(&extract), TWK_INVALID_PARAMS) << bad.what;
    }
}

TEST(ApiBadInput, UnreadableSampleImagesAreRefused) {
    for (const BadImage& bad : badImages) {
        Fixture f;
        TCorrectionParams p = f.params();
        bad.spoil(f.samples[0].Image);
        if (f.samples[0].Image.BytesPerPixel < 3) {
            continue; // such samples are read as empty statistics
        }
        EXPECT_EQ(TWKDoImageOperation(TWK_OP_LAYER_CORRECTION, &p, nullptr), TWK_INVALID_PARAMS)
            << bad.what;
        EXPECT_TRUE(f.destUntouched()) << bad.what;
    }
}

TEST(ApiBadInput, NilDestinationAndUnusableGammaAreRefused) {
    const std::vector<std::pair<const char*, std::function<void(TCorrectionParams&)>>> spoils = {
        {"nil destination", [](TCorrectionParams& p) { p.Dest = nullptr; }},
        {"gamma 0", [](TCorrectionParams& p) { p.Gamma = 0.0; }},
        {"negative gamma", [](TCorrectionParams& p) { p.Gamma = -2.0; }},
        {"NaN gamma", [](TCorrectionParams& p) { p.Gamma = std::nan(""); }},
        {"infinite gamma", [](TCorrectionParams& p) { p.Gamma = INFINITY; }},
        {"gamma beyond a float", [](TCorrectionParams& p) { p.Gamma = 1e200; }},
    };
    for (const auto& [what, spoil] : spoils) {
        for (int type : {TWK_OP_IMAGE_CORRECTION, TWK_OP_LAYER_CORRECTION}) {
            Fixture f;
            TCorrectionParams p = f.params();
            spoil(p);
            EXPECT_EQ(TWKDoImageOperation(type, &p, nullptr), TWK_INVALID_PARAMS) << what;
            EXPECT_TRUE(f.destUntouched()) << what;
        }
    }
}

TEST(ApiBadInput, ReferenceRectanglesAreClippedToTheImage) {
    const auto clippedResult = correctedWith([](TCorrectionParams&, Fixture&) {});
    EXPECT_EQ(correctedWith([](TCorrectionParams&, Fixture& f) {
                  f.areas[0] = refArea(-50, -7, 2, 2, TWK_REF_WHITE);
                  f.areas[1] = refArea(6, 4, 1000, INT32_MAX, TWK_REF_BLACK);
              }),
              clippedResult);
    // Wholly outside or inverted: the area exists but holds no pixel (checked: result 0).
    correctedWith([](TCorrectionParams&, Fixture& f) {
        f.areas[0] = refArea(100, 100, 200, 200, TWK_REF_WHITE);
        f.areas[1] = refArea(INT32_MIN, INT32_MIN, -1, -1, TWK_REF_BLACK);
    });
    correctedWith(
        [](TCorrectionParams&, Fixture& f) { f.areas[0] = refArea(5, 5, 1, 1, TWK_REF_GREY); });
}

TEST(ApiBadInput, NegativeOrNilReferenceListsMeanNoReferences) {
    const auto none = correctedWith([](TCorrectionParams& p, Fixture&) { p.RefCount = 0; });
    EXPECT_EQ(correctedWith([](TCorrectionParams& p, Fixture&) { p.RefCount = -5; }), none);
    EXPECT_EQ(correctedWith([](TCorrectionParams& p, Fixture&) {
                  p.RefAreas = nullptr;
                  p.RefCount = 40;
              }),
              none);
}

TEST(ApiBadInput, LimitingRegionIsClippedToTheImage) {
    const auto inside = correctedWith([](TCorrectionParams& p, Fixture&) {
        static TImageRegion region{3, 2, 8, 6, nullptr};
        p.Region = &region;
    });
    EXPECT_EQ(correctedWith([](TCorrectionParams& p, Fixture&) {
                  static TImageRegion region{3, 2, INT32_MAX, 600, nullptr};
                  p.Region = &region;
              }),
              inside);
    Fixture untouched;
    const auto outside = correctedWith([](TCorrectionParams& p, Fixture&) {
        static TImageRegion region{-20, -20, -1, 3, nullptr};
        p.Region = &region;
    });
    EXPECT_EQ(outside, untouched.source.relaid(TWK_ROWS_BOTTOM_UP).bytes()) << "every pixel copied";
}

TEST(ApiBadInput, SampleRectanglesAreClippedToTheirImage) {
    const auto corner = correctedWith(
        [](TCorrectionParams&, Fixture& f) {
            f.samples[0].Area = TImageRegion{0, 0, 4, 4, nullptr};
        },
        TWK_OP_LAYER_CORRECTION);
    EXPECT_EQ(correctedWith(
                  [](TCorrectionParams&, Fixture& f) {
                      f.samples[0].Area = TImageRegion{-9, INT32_MIN, 4, 4, nullptr};
                  },
                  TWK_OP_LAYER_CORRECTION),
              corner);
    // A sample wholly outside its image has no pixels; its box admits only pure black,
    // which the picture does not hold.
    EXPECT_EQ(correctedWith(
                  [](TCorrectionParams&, Fixture& f) {
                      f.samples[0].Area = TImageRegion{0, 0, 4, 4, nullptr};
                      f.samples.push_back(layerSample(f.source, -100, -100, -50, 2, 5));
                  },
                  TWK_OP_LAYER_CORRECTION),
              corner);
}
