#include "reference_analysis.h"

#include "correction_params.h"

#include <gtest/gtest.h>

using namespace tintworks;

namespace {

CurveTables analyse(TestImage& image, std::vector<TRefArea> areas, bool autoSearch = false) {
    TCorrectionParams p = correctionParams(image, image.data(), areas);
    p.Auto = autoSearch ? -1 : 0;
    return analyseReferences(*viewOf(image.desc()), p);
}

Color4 c4(int b, int g, int r) {
    return bgr(b, g, r);
}

} // namespace

TEST(ReferenceAnalysis, AutoMapsTheFifthLightestAndDarkestUnclippedPixels) {
    TestImage image(10, 10);
    image.fill(bgr(100, 100, 100));
    for (int i = 0; i < 4; ++i) {
        image.set(i, 0, bgr(250, 250, 250));
        image.set(i, 9, bgr(5, 5, 5));
    }
    image.set(5, 5, bgr(200, 210, 220)); // fifth-lightest unclipped
    image.set(6, 6, bgr(20, 30, 40));    // fifth-darkest unclipped
    image.set(7, 7, bgr(255, 255, 255)); // clipped: ignored
    image.set(8, 7, bgr(254, 254, 255));
    image.set(7, 8, bgr(0, 0, 0));
    image.set(8, 8, bgr(0, 1, 1));

    const CurveTables t = analyse(image, {}, true);
    EXPECT_EQ(t[0][200], 255);
    EXPECT_EQ(t[1][210], 255);
    EXPECT_EQ(t[2][220], 255);
    EXPECT_EQ(t[0][20], 0);
    EXPECT_EQ(t[1][30], 0);
    EXPECT_EQ(t[2][40], 0);
    EXPECT_EQ(t[0], buildLinearCurve(20, 0, 200, 255));
    EXPECT_EQ(t[3], identityCurve()) << "the unused fourth table";
}

TEST(ReferenceAnalysis, WithoutAreasOrAutoTheTablesAreTheIdentity) {
    TestImage image(4, 4);
    image.randomize(3);
    EXPECT_EQ(analyse(image, {}), identityTables());
    TestImage dark(4, 4);
    dark.fill(bgr(10, 20, 30));
    EXPECT_EQ(analyse(dark, {}), identityTables()) << "auto off: nothing is measured";
}

TEST(ReferenceAnalysis, AutoFillsOnlyTheMissingEnd) {
    TestImage image(6, 6);
    image.fill(bgr(120, 120, 120));
    image.fillRect(0, 0, 2, 2, bgr(180, 190, 200)); // the white area
    image.fillRect(0, 5, 5, 6, bgr(30, 30, 30));    // five darkest pixels
    std::vector<TRefArea> areas = {refArea(0, 0, 2, 2, TWK_REF_WHITE)};
    const CurveTables t = analyse(image, areas, true);
    EXPECT_EQ(t[0], buildLinearCurve(30, 0, 180, 255));
    EXPECT_EQ(t[2], buildLinearCurve(30, 0, 200, 255));
}

TEST(ReferenceAnalysis, OnlyTheFirstWhiteAreaCounts) {
    TestImage image(6, 2);
    image.fillRect(0, 0, 3, 2, bgr(200, 200, 200));
    image.fillRect(3, 0, 6, 2, bgr(150, 160, 170));
    const CurveTables first = analyse(image, {refArea(0, 0, 3, 2, 0), refArea(3, 0, 6, 2, 0)});
    EXPECT_EQ(first, analyse(image, {refArea(0, 0, 3, 2, 0)}));
    EXPECT_NE(first, analyse(image, {refArea(3, 0, 6, 2, 0)}));
}

TEST(ReferenceAnalysis, GreyAreaMakesANeutralMidPointAndOutranksColourAreas) {
    TestImage image(8, 2);
    image.fillRect(0, 0, 4, 2, bgr(100, 120, 140));
    image.fillRect(4, 0, 8, 2, bgr(30, 60, 200));
    const std::vector<TRefArea> grey = {refArea(0, 0, 4, 2, TWK_REF_GREY)};
    const CurveTables t = analyse(image, grey);
    // Identity end points: the grey's brightest channel, 140, becomes the target everywhere.
    EXPECT_EQ(t[0], buildBezierCurve(0, 0, 100, 140, 255, 255));
    EXPECT_EQ(t[1], buildBezierCurve(0, 0, 120, 140, 255, 255));
    EXPECT_EQ(t[2], buildBezierCurve(0, 0, 140, 140, 255, 255));
    EXPECT_EQ(analyse(image, {refArea(4, 0, 8, 2, TWK_REF_COLOR), grey[0]}), t);
}

TEST(ReferenceAnalysis, MidPointOutsideTheEndsLeavesThatChannelStraight) {
    TestImage image(9, 1);
    image.fillRect(0, 0, 3, 1, bgr(200, 200, 200));
    image.fillRect(3, 0, 6, 1, bgr(50, 50, 50));
    image.fillRect(6, 0, 9, 1, bgr(150, 160, 40)); // channel 2 darker than black
    const CurveTables t =
        analyse(image, {refArea(0, 0, 3, 1, 0), refArea(3, 0, 6, 1, 1), refArea(6, 0, 9, 1, 2)});
    // The stretched grey is 170, 187, 0: the neutral target is 187.
    EXPECT_EQ(t[0], buildBezierCurve(50, 0, 150, 187, 200, 255));
    EXPECT_EQ(t[1], buildBezierCurve(50, 0, 160, 187, 200, 255));
    EXPECT_EQ(t[2], buildLinearCurve(50, 0, 200, 255));
}

TEST(ReferenceAnalysis, ColourAreasPoolTheirDominantPixels) {
    TestImage image(4, 2);
    image.fillRect(0, 0, 2, 2, bgr(40, 80, 120));
    image.set(1, 1, bgr(200, 10, 10)); // minority order in the first area: ignored
    image.fillRect(2, 0, 4, 2, bgr(60, 100, 140));
    const ImageView view = *viewOf(image.desc());
    const std::vector<TRefArea> areas = {refArea(0, 0, 2, 2, 3), refArea(2, 0, 4, 2, 3),
                                         refArea(0, 0, 4, 2, 1)};
    // Three pixels of 40,80,120 and four of 60,100,140.
    EXPECT_EQ(colorAreasMean(view, areas), c4(51, 91, 131));
    EXPECT_EQ(colorAreasMean(view, {}), c4(0, 0, 0));
}

TEST(ReferenceAnalysis, ColourTargetModesScaleWith32BitFactors) {
    const Color4 measured = c4(50, 100, 150);
    const Color4 target = c4(0, 0, 200);
    EXPECT_EQ(colorTarget(measured, target, 0, 3), c4(0, 0, 150));
    EXPECT_EQ(colorTarget(measured, target, 1, 3), target);
    EXPECT_EQ(colorTarget(measured, target, 2, 3), c4(67, 133, 200));
    EXPECT_EQ(colorTarget(measured, target, 9, 3), measured);
    EXPECT_EQ(colorTarget(measured, c4(0, 0, 0), 0, 3), c4(0, 0, 0)) << "factor 255 on black";
    EXPECT_EQ(colorTarget(c4(0, 0, 0), target, 2, 3), c4(0, 0, 0));
    // 3 * (1/6): the 32-bit factor lands above one half, the 64-bit one below.
    EXPECT_EQ(colorTarget(c4(1, 0, 0), c4(3, 0, 6), 0, 3), c4(1, 0, 1));
    EXPECT_EQ(endTarget(c4(1, 0, 0), c4(3, 0, 6), 0, 3), c4(0, 0, 1));
}

TEST(ReferenceAnalysis, EndTargetModes) {
    const Color4 measured = c4(100, 150, 200);
    const Color4 level = c4(230, 230, 230);
    EXPECT_EQ(endTarget(measured, level, 2, 3), c4(115, 172, 230))
        << "hue kept, 172.49.. rounds down";
    EXPECT_EQ(endTarget(measured, level, 1, 3), level);
    EXPECT_EQ(endTarget(measured, level, 0, 3), c4(200, 200, 200));
    EXPECT_EQ(endTarget(measured, level, -1, 3), measured);
    EXPECT_EQ(endTarget(c4(0, 0, 0), c4(1, 1, 1), 2, 3), c4(0, 0, 0));
    EXPECT_EQ(endTarget(c4(1, 1, 1), c4(0, 0, 0), 0, 3), c4(0, 0, 0));
}

TEST(ReferenceAnalysis, AreaPointsByMode) {
    TestImage image(4, 1);
    image.set(0, 0, bgr(255, 100, 100));
    image.set(1, 0, bgr(255, 130, 100));
    image.set(2, 0, bgr(255, 90, 90));
    image.set(3, 0, bgr(255, 95, 95));
    const ImageView view = *viewOf(image.desc());
    const Rect all = view.bounds();
    EXPECT_EQ(areaWhitePoint(view, all, 2), c4(255, 130, 100)) << "all clipped: plain lightest";
    EXPECT_EQ(areaWhitePoint(view, all, 1), c4(255, 130, 100));
    EXPECT_EQ(areaWhitePoint(view, all, 4), c4(255, 90, 90)) << "darkest without a 0 channel";
    EXPECT_EQ(areaWhitePoint(view, all, 3), c4(255, 104, 96));
    EXPECT_EQ(areaWhitePoint(view, all, 0), (Color4{255, 255, 255, 255}));
    EXPECT_EQ(areaBlackPoint(view, all, 2), c4(255, 90, 90));
    EXPECT_EQ(areaBlackPoint(view, all, 4), c4(0, 0, 0)) << "no pixel without a 255 channel";
    EXPECT_EQ(areaBlackPoint(view, all, 7), c4(0, 0, 0));

    TestImage dark(2, 1);
    dark.set(0, 0, bgr(0, 40, 40));
    dark.set(1, 0, bgr(0, 20, 30));
    const ImageView dv = *viewOf(dark.desc());
    EXPECT_EQ(areaBlackPoint(dv, dv.bounds(), 2), c4(0, 20, 30))
        << "all have a 0 channel: plain darkest";
    EXPECT_EQ(areaBlackPoint(dv, dv.bounds(), 1), c4(0, 20, 30));
}
