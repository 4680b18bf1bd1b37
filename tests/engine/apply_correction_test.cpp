#include "apply_correction.h"
#include "gamma.h"
#include "region_runs.h"

#include "test_image.h"

#include "platform/region.h"

#include <gtest/gtest.h>

using namespace tintworks;

namespace {

CurveTables randomTables(std::uint32_t seed) {
    std::mt19937 random(seed);
    CurveTables tables;
    for (Curve& curve : tables) {
        for (std::uint8_t& entry : curve) {
            entry = static_cast<std::uint8_t>(random());
        }
    }
    return tables;
}

// The pass written out pixel by pixel, as the reference.
Pixel expectedPixel(const Pixel& in, const CurveTables& tables, const GammaTable* gamma,
                    int channels) {
    Pixel out{};
    int m = 0;
    for (int c = 0; c < channels; ++c) {
        out[c] = tables[c][in[c]];
        m = std::max<int>(m, out[c]);
    }
    if (gamma != nullptr) {
        for (int c = 0; c < channels; ++c) {
            out[c] = (*gamma)[m][out[c]];
        }
    }
    return out;
}

void expectPass(int width, int height, int channels, double gamma, bool masked, bool inPlace) {
    SCOPED_TRACE(testing::Message()
                 << width << "x" << height << " bpp " << channels << " gamma " << gamma
                 << (masked ? " masked" : "") << (inPlace ? " in place" : ""));
    TestImage source(width, height, channels, TWK_ROWS_BOTTOM_UP, 4);
    source.randomize(width + height);
    const TestImage original = source.relaid(TWK_ROWS_BOTTOM_UP, 4);
    TestImage separate(width, height, channels, TWK_ROWS_BOTTOM_UP, 4);
    TestImage& dest = inPlace ? source : separate;
    const CurveTables tables = randomTables(static_cast<std::uint32_t>(width));
    const ImageView view = *viewOf(source.desc());

    platform::RegionHandle ellipse = platform::createPolygonRegion(
        std::vector<platform::RegionPoint>{
            {width / 2, -5}, {width + 3, height / 2}, {width / 2, height}, {7, height / 3}},
        platform::FillMode::Alternate);
    std::optional<BitMask> mask;
    if (masked) {
        mask = maskOfRegion(TImageRegion{0, 0, width, height, ellipse}, view);
    }
    ASSERT_EQ(applyCorrection(view, dest.data(), mask ? &*mask : nullptr, tables, gamma, nullptr),
              TWK_OK);

    const std::unique_ptr<GammaTable> gammaTable =
        gamma != 1.0 ? buildGammaTable(static_cast<float>(gamma)) : nullptr;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Pixel in = original.get(x, y);
            const bool changes = !masked || platform::regionContains(ellipse, x, y);
            const Pixel expected =
                changes ? expectedPixel(in, tables, gammaTable.get(), channels) : in;
            ASSERT_EQ(dest.get(x, y), expected) << x << "," << y;
        }
    }
    EXPECT_TRUE(dest.paddingIntact());
    platform::deleteRegion(ellipse);
}

} // namespace

TEST(ApplyCorrection, EveryPathMatchesThePixelByPixelPass) {
    // Small pictures take the per-pixel path, large 3-byte ones without gamma the pair tables.
    for (const auto& [width, height] : {std::pair{13, 7}, std::pair{611, 433}}) {
        for (int channels : {3, 4}) {
            for (double gamma : {1.0, 1.7}) {
                for (bool masked : {false, true}) {
                    expectPass(width, height, channels, gamma, masked, false);
                }
            }
        }
        expectPass(width, height, 3, 1.0, true, true);
        expectPass(width, height, 3, 1.0, false, true);
    }
}

TEST(ApplyCorrection, RefusesNilDestinationAndUnusableGamma) {
    TestImage image(4, 4);
    const ImageView view = *viewOf(image.desc());
    const CurveTables tables = identityTables();
    EXPECT_EQ(applyCorrection(view, nullptr, nullptr, tables, 1.0, nullptr), TWK_INVALID_PARAMS);
    EXPECT_EQ(applyCorrection(view, image.data(), nullptr, tables, -1.0, nullptr),
              TWK_INVALID_PARAMS);
}
