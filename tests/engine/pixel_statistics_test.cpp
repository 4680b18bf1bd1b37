#include "pixel_statistics.h"

#include "test_image.h"

#include <gtest/gtest.h>

using namespace tintworks;

namespace {
ImageView viewOfImage(TestImage& image) {
    return *viewOf(image.desc());
}
Color4 c4(int b, int g, int r) {
    return bgr(b, g, r);
}
} // namespace

TEST(ChannelOrderClass, TiesFallIntoTheLowerClass) {
    EXPECT_EQ(channelOrderClass(3, 2, 1), 1);
    EXPECT_EQ(channelOrderClass(3, 1, 2), 2);
    EXPECT_EQ(channelOrderClass(2, 3, 1), 3);
    EXPECT_EQ(channelOrderClass(1, 3, 2), 4);
    EXPECT_EQ(channelOrderClass(2, 1, 3), 5);
    EXPECT_EQ(channelOrderClass(1, 2, 3), 6);
    EXPECT_EQ(channelOrderClass(7, 7, 7), 1);
    EXPECT_EQ(channelOrderClass(5, 5, 9), 5) << "c2 >= c0 >= c1 before c2 >= c1 >= c0";
    EXPECT_EQ(channelOrderClass(5, 9, 5), 3);
}

TEST(ExtremePixels, NthLightestAndDarkestWithTiesToThePixelMetFirst) {
    TestImage image(4, 3);
    image.fill(bgr(10, 10, 10));
    image.set(3, 0, bgr(250, 0, 0)); // sum 250, met first
    image.set(0, 1, bgr(0, 0, 250)); // sum 250, met second
    image.set(2, 2, bgr(200, 200, 200));
    image.set(1, 2, bgr(1, 1, 1));
    image.set(2, 1, bgr(0, 0, 2));
    const ImageView view = viewOfImage(image);

    ExtremePixels first{blackColor, whiteColor};
    findExtremePixels(view, view.bounds(), {1, 1, false, false}, first);
    EXPECT_EQ(first.light, c4(200, 200, 200));
    EXPECT_EQ(first.dark, c4(0, 0, 2));

    ExtremePixels third{blackColor, whiteColor};
    findExtremePixels(view, view.bounds(), {3, 2, false, false}, third);
    EXPECT_EQ(third.light, c4(0, 0, 250)) << "equal sums keep scan order";
    EXPECT_EQ(third.dark, c4(1, 1, 1));
}

TEST(ExtremePixels, ClippedPixelsAreSkippedOnRequestAndShortListsGiveTheLeastExtreme) {
    TestImage image(3, 1);
    image.set(0, 0, bgr(255, 10, 10));
    image.set(1, 0, bgr(90, 90, 90));
    image.set(2, 0, bgr(0, 200, 200));
    const ImageView view = viewOfImage(image);
    ExtremePixels found{blackColor, whiteColor};
    findExtremePixels(view, view.bounds(), {5, 5, true, true}, found);
    EXPECT_EQ(found.light, c4(90, 90, 90))
        << "two unclipped pixels for five places: the less light";
    EXPECT_EQ(found.dark, c4(255, 10, 10)) << "two pixels without a channel at 0: the less dark";
}

TEST(ExtremePixels, EmptyListsLeaveTheCallersValues) {
    TestImage image(2, 2);
    image.fill(bgr(255, 255, 255));
    const ImageView view = viewOfImage(image);
    ExtremePixels found{c4(1, 2, 3), c4(4, 5, 6)};
    findExtremePixels(view, view.bounds(), {5, 5, true, false}, found);
    EXPECT_EQ(found.light, c4(1, 2, 3));
    EXPECT_EQ(found.dark, c4(255, 255, 255));
    ExtremePixels none{c4(1, 2, 3), c4(4, 5, 6)};
    findExtremePixels(view, Rect{}, {5, 5, false, false}, none);
    EXPECT_EQ(none.light, c4(1, 2, 3));
    EXPECT_EQ(none.dark, c4(4, 5, 6));
}

TEST(DominantAverageColor, MajorityChannelOrderDecidesAndOthersAreIgnored) {
    TestImage image(10, 10);
    image.fill(bgr(200, 100, 50));
    image.fillRect(0, 9, 10, 10, bgr(50, 100, 200));
    const ImageView view = viewOfImage(image);
    EXPECT_EQ(dominantAverageColor(view, view.bounds()), c4(200, 100, 50));
}

TEST(DominantAverageColor, EvenSplitGoesToTheLowerClassAndMeansRoundToEven) {
    TestImage image(4, 1);
    image.set(0, 0, bgr(1, 2, 3));    // class 6
    image.set(1, 0, bgr(1, 2, 3));    // class 6
    image.set(2, 0, bgr(100, 50, 3)); // class 1
    image.set(3, 0, bgr(101, 52, 4)); // class 1
    const ImageView view = viewOfImage(image);
    EXPECT_EQ(dominantAverageColor(view, view.bounds()), c4(100, 51, 4))
        << "100.5 -> 100, 51 -> 51, 3.5 -> 4";
    EXPECT_EQ(dominantAverageColor(view, Rect{}), c4(0, 0, 0));
}

TEST(DominantAverageColor, FourthChannelAveragedForFourBytePixels) {
    TestImage image(2, 1, 4);
    image.set(0, 0, {10, 5, 1, 7});
    image.set(1, 0, {12, 5, 1, 9});
    const ImageView view = viewOfImage(image);
    EXPECT_EQ(dominantAverageColor(view, view.bounds()), (Color4{11, 5, 1, 8}));
}

TEST(PointCounts, ByMode) {
    EXPECT_EQ(pointCountOfMode(1), 5);
    EXPECT_EQ(pointCountOfMode(2), 5);
    EXPECT_EQ(pointCountOfMode(3), 50);
    EXPECT_EQ(pointCountOfMode(4), 100);
    EXPECT_EQ(pointCountOfMode(0), 2);
    EXPECT_EQ(pointCountOfMode(-7), 2);
}
