#include "curves.h"
#include "gamma.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tintworks;

TEST(LinearCurve, EndPointsMapAndTheRestFollowsTheLineWith32BitSlope) {
    const Curve c = buildLinearCurve(10, 0, 200, 255);
    EXPECT_EQ(c[10], 0);
    EXPECT_EQ(c[200], 255);
    EXPECT_EQ(c[9], 0) << "clamped below";
    EXPECT_EQ(c[201], 255) << "clamped above";
    // slope 255/190 and offset 10 * slope, held as 32-bit floats, shift these entries by
    // one against the exact line (exact: 26, 76, 178).
    EXPECT_EQ(c[29], 25);
    EXPECT_EQ(c[67], 77);
    EXPECT_EQ(c[143], 179);
    EXPECT_EQ(c[105], 128);
}

TEST(LinearCurve, IdentityAndHalfwayValuesRoundToEven) {
    EXPECT_EQ(buildLinearCurve(0, 0, 255, 255), identityCurve());
    const Curve half = buildLinearCurve(0, 0, 2, 1); // i / 2
    EXPECT_EQ(half[1], 0);                           // 0.5 -> 0
    EXPECT_EQ(half[3], 2);                           // 1.5 -> 2
    EXPECT_EQ(half[5], 2);                           // 2.5 -> 2
}

TEST(LinearCurve, EqualEndsGiveAHardStep) {
    const Curve step = buildLinearCurve(100, 0, 100, 255);
    for (int i = 0; i <= 100; ++i) {
        EXPECT_EQ(step[i], 0) << i;
    }
    for (int i = 101; i < 256; ++i) {
        EXPECT_EQ(step[i], 255) << i;
    }
}

TEST(LinearCurve, FallingLineInvertsAndClamps) {
    const Curve inverted = buildLinearCurve(0, 255, 255, 0);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(inverted[i], 255 - i);
    }
}

TEST(BezierCurve, PassesThroughItsThreePointsAndRisesSmoothly) {
    const Curve c = buildBezierCurve(20, 10, 100, 160, 230, 250);
    // Several samples truncate to x = 20; the last one written wins, a little above 10.
    EXPECT_EQ(c[20], 12);
    EXPECT_NEAR(c[100], 160, 1) << "sampled at t steps of 0.001 and truncated";
    for (int i = 21; i <= 230; ++i) {
        EXPECT_GE(c[i], c[i - 1]) << "no gaps and no dips at " << i;
    }
    const Curve line = buildLinearCurve(20, 10, 230, 250);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(c[i], line[i]) << "outside the points the straight line holds";
    }
    for (int i = 231; i < 256; ++i) {
        EXPECT_EQ(c[i], line[i]);
    }
    EXPECT_GT(c[100], line[100]) << "lifted by the mid point";
}

TEST(BezierCurve, PinnedShape) {
    // Stored processing files carry these tables: the shape must not drift. The values agree
    // with a separate double-precision evaluation of the same sampling.
    const Curve c = buildBezierCurve(0, 0, 128, 160, 255, 255);
    EXPECT_EQ(c[0], 1);
    EXPECT_EQ(c[64], 85);
    EXPECT_EQ(c[128], 160);
    EXPECT_EQ(c[192], 212);
    EXPECT_EQ(c[255], 255);
}

TEST(ThreePointCurve, FallsBackToTheLineWhenThePointsDoNotRiseStrictly) {
    const Curve line = buildLinearCurve(10, 0, 200, 255);
    EXPECT_EQ(buildThreePointCurve(10, 0, 220, 128, 200, 255), line) << "mid right of white";
    EXPECT_EQ(buildThreePointCurve(10, 0, 10, 128, 200, 255), line) << "mid on black";
    EXPECT_EQ(buildThreePointCurve(10, 0, 100, 0, 200, 255), line)
        << "target not above black target";
    EXPECT_EQ(buildThreePointCurve(10, 0, 100, 120, 200, 255),
              buildBezierCurve(10, 0, 100, 120, 200, 255));
}

TEST(Gamma, TableValuesFollowTheFormula) {
    const auto brighten = buildGammaTable(2.0f);
    ASSERT_TRUE(brighten);
    EXPECT_EQ((*brighten)[64][64], 128);
    EXPECT_EQ((*brighten)[128][32], 45) << "channel ratios kept for coloured pixels";
    EXPECT_EQ((*brighten)[128][64], 90);
    EXPECT_EQ((*brighten)[128][128], 181);
    EXPECT_EQ((*brighten)[0][0], 0);

    const auto darken = buildGammaTable(0.5f);
    EXPECT_EQ((*darken)[64][64], 34);
    EXPECT_EQ((*darken)[200][50], 34);
    EXPECT_EQ((*darken)[200][100], 68);
    EXPECT_EQ((*darken)[200][200], 137);

    const auto mild = buildGammaTable(1.3f);
    EXPECT_EQ((*mild)[1][1], 4);
    EXPECT_EQ((*mild)[100][100], 124);
    EXPECT_EQ((*mild)[254][254], 254);
    EXPECT_EQ((*mild)[255][255], 255);
    const auto slight = buildGammaTable(0.7f);
    EXPECT_EQ((*slight)[100][100], 75);
    EXPECT_EQ((*slight)[254][254], 250);
}

TEST(Gamma, UsableValues) {
    EXPECT_TRUE(isUsableGamma(1.0));
    EXPECT_TRUE(isUsableGamma(0.01));
    EXPECT_FALSE(isUsableGamma(0.0));
    EXPECT_FALSE(isUsableGamma(-1.0));
    EXPECT_FALSE(isUsableGamma(std::nan("")));
    EXPECT_FALSE(isUsableGamma(INFINITY));
    EXPECT_FALSE(isUsableGamma(1e300)) << "beyond a 32-bit float";
}
