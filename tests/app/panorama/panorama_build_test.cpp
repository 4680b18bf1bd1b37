#include "panorama_build.h"

#include "memory_budget.h"
#include "panorama_pictures.h"

#include <gtest/gtest.h>

namespace {

TEST(PanoramaBuild, OnePictureGivesItsFramedPart) {
    PanoramaFixture f;
    f.load({{41, 27}});
    f.place(0, 5, 9);
    f.model.SetFrame(0, {3, 2, 40, 23});
    TDIBImage result;
    ASSERT_EQ(BuildPanorama(f.model.Items(), result), PanoramaBuilt);
    ASSERT_EQ(result.Width(), 37);
    ASSERT_EQ(result.Height(), 21);
    for (int y = 0; y < 21; ++y) {
        for (int x = 0; x < 37; ++x) {
            ASSERT_EQ(pixelOf(result, x, y), pixelOf(*f.pictures[0], x + 3, y + 2))
                << x << "," << y;
        }
    }
    const BITMAPINFOHEADER& header = *result.Header;
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, 0u);
    EXPECT_EQ(header.biSizeImage, 0u);
    EXPECT_EQ(header.biXPelsPerMeter, f.pictures[0]->Header->biXPelsPerMeter);
    EXPECT_EQ(header.biYPelsPerMeter, f.pictures[0]->Header->biYPelsPerMeter);
}

TEST(PanoramaBuild, TheLastColumnAndRowOfAFrameSurvive) {
    PanoramaFixture f;
    f.load({{13, 11}});
    TDIBImage result;
    ASSERT_EQ(BuildPanorama(f.model.Items(), result), PanoramaBuilt);
    ASSERT_EQ(result.Width(), 13);
    ASSERT_EQ(result.Height(), 11);
    EXPECT_EQ(pixelOf(result, 12, 10), pixelOf(*f.pictures[0], 12, 10));
    EXPECT_EQ(pixelOf(result, 12, 0), pixelOf(*f.pictures[0], 12, 0));
    EXPECT_EQ(pixelOf(result, 0, 10), pixelOf(*f.pictures[0], 0, 10));
}

TEST(PanoramaBuild, TwoCascadedPicturesAndTheTopOneWins) {
    PanoramaFixture f;
    f.load({{60, 50}, {60, 50}});
    ASSERT_EQ(f.model.Items()[1].Left, 20);
    TDIBImage result;
    ASSERT_EQ(BuildPanorama(f.model.Items(), result), PanoramaBuilt);
    EXPECT_EQ(result.Width(), 80) << "20 wider than the larger picture";
    EXPECT_EQ(result.Height(), 70);
    EXPECT_EQ(pixelOf(result, 30, 30), pixelOf(*f.pictures[0], 30, 30)) << "index 0 on top";
    EXPECT_EQ(pixelOf(result, 70, 30), pixelOf(*f.pictures[1], 50, 10));
    EXPECT_EQ(pixelOf(result, 70, 5), whitePixel) << "covered by no frame";
    expectPanorama(f.model.Items(), result, {0, 0});

    f.model.BringToTop(1);
    ASSERT_EQ(BuildPanorama(f.model.Items(), result), PanoramaBuilt);
    EXPECT_EQ(pixelOf(result, 30, 30), pixelOf(*f.pictures[1], 10, 10)) << "the new top wins";
    EXPECT_EQ(result.Header->biXPelsPerMeter, f.pictures[1]->Header->biXPelsPerMeter)
        << "the header comes from the current picture";
    expectPanorama(f.model.Items(), result, {0, 0});
}

TEST(PanoramaBuild, ManyOverlappingFramesMatchThePixelReference) {
    PanoramaFixture f;
    f.load({{70, 50}, {33, 90}, {64, 17}, {25, 25}, {90, 40}, {1, 1}});
    const std::vector<std::array<int, 6>> layout{// left, top, frame left, top, right, bottom
                                                 {12, 30, 4, 0, 66, 50},  {50, 8, 0, 10, 33, 85},
                                                 {0, 40, 6, 3, 60, 17},   {55, 47, 0, 0, 25, 25},
                                                 {31, 70, 30, 5, 90, 38}, {140, 3, 0, 0, 1, 1}};
    for (int i = 0; i < 6; ++i) {
        const auto& [left, top, frameLeft, frameTop, frameRight, frameBottom] = layout[i];
        f.place(i, left, top);
        f.model.SetFrame(i, {frameLeft, frameTop, frameRight, frameBottom});
    }
    f.model.SetChecked(f.model.IndexOfListEntry(3), false);
    f.model.BringToTop(f.model.IndexOfListEntry(4));
    const PanoramaRect bounds = f.model.FramesBounds();
    TDIBImage result;
    ASSERT_EQ(BuildPanorama(f.model.Items(), result), PanoramaBuilt);
    ASSERT_EQ(result.Width(), bounds.Width());
    ASSERT_EQ(result.Height(), bounds.Height());
    expectPanorama(f.model.Items(), result, {bounds.Left, bounds.Top});
}

TEST(PanoramaBuild, UncoveredPixelsAreWhite) {
    PanoramaFixture f;
    f.load({{10, 10}, {10, 10}});
    f.place(1, 25, 18);
    TDIBImage result;
    ASSERT_EQ(BuildPanorama(f.model.Items(), result), PanoramaBuilt);
    ASSERT_EQ(result.Width(), 35);
    ASSERT_EQ(result.Height(), 28);
    EXPECT_EQ(pixelOf(result, 34, 0), whitePixel);
    EXPECT_EQ(pixelOf(result, 0, 27), whitePixel);
    EXPECT_EQ(pixelOf(result, 15, 13), whitePixel);
    expectPanorama(f.model.Items(), result, {0, 0});
}

TEST(PanoramaBuild, NothingToCopy) {
    PanoramaFixture f;
    TDIBImage result;
    EXPECT_EQ(BuildPanorama(f.model.Items(), result), PanoramaNothingToCopy) << "no pictures";

    f.load({{30, 20}, {30, 20}});
    const std::vector<std::uint8_t> before(f.pictures[0]->Bits,
                                           f.pictures[0]->Bits + f.pictures[0]->ImageSize());
    f.model.SetChecked(0, false);
    f.model.SetChecked(0, false);
    EXPECT_EQ(BuildPanorama(f.model.Items(), result), PanoramaNothingToCopy);
    EXPECT_EQ(result.Header, nullptr) << "no result made";
    EXPECT_EQ(std::vector<std::uint8_t>(f.pictures[0]->Bits,
                                        f.pictures[0]->Bits + f.pictures[0]->ImageSize()),
              before);

    f.model.SetChecked(0, true);
    f.model.SetFrame(0, {20, 0, 10, 20});
    EXPECT_EQ(BuildPanorama(f.model.Items(), result), PanoramaNothingToCopy)
        << "a crossed frame is empty";
}

TEST(PanoramaBuild, RecordsMadeByHandAreCutToTheirPictures) {
    PanoramaFixture f;
    f.load({{30, 20}});
    std::vector<TImagePanoramaData> items = f.model.Items();
    items[0].Frame = {-10, -5, 50, 40};
    TDIBImage result;
    ASSERT_EQ(BuildPanorama(items, result), PanoramaBuilt);
    EXPECT_EQ(result.Width(), 30);
    EXPECT_EQ(result.Height(), 20);
    expectPanorama(f.model.Items(), result, {0, 0});

    items[0].Frame = {35, 0, 60, 20};
    EXPECT_EQ(BuildPanorama(items, result), PanoramaNothingToCopy)
        << "a frame beside its picture holds nothing";
}

TEST(PanoramaBuild, FrameAllCutsTheResultToTheOverallFrame) {
    PanoramaFixture f;
    f.load({{60, 50}, {60, 50}, {20, 20}});
    f.place(2, 200, 200);
    const PanoramaRect overall{10, 15, 70, 55};
    f.model.SetOverallFrame(overall);
    f.model.ApplyOverallFrame();
    EXPECT_EQ(f.model.Items()[0].Frame, (PanoramaRect{10, 15, 60, 50}));
    EXPECT_EQ(f.model.Items()[1].Frame, (PanoramaRect{0, 0, 50, 35}));
    EXPECT_TRUE(f.model.Items()[2].PlacedFrame().IsEmpty()) << "wholly outside";
    TDIBImage result;
    ASSERT_EQ(BuildPanorama(f.model.Items(), result), PanoramaBuilt);
    EXPECT_EQ(result.Width(), 60);
    EXPECT_EQ(result.Height(), 40);
    expectPanorama(f.model.Items(), result, {overall.Left, overall.Top});
}

TEST(PanoramaBuild, ResultsTooLargeAreRefusedBeforeAllocating) {
    PanoramaFixture f;
    f.load({{10, 10}, {10, 10}});
    f.place(1, 60000, 60000);
    TDIBImage result;
    EXPECT_EQ(BuildPanorama(f.model.Items(), result), PanoramaNoMemory);
    EXPECT_EQ(result.Header, nullptr);

    // 18'919 columns take 56'760 bytes a row; 18'918 rows of them are just over 1 GiB.
    f.place(1, 18909, 18908);
    EXPECT_EQ(BuildPanorama(f.model.Items(), result), PanoramaNoMemory);
    f.place(1, PanoramaModel::PlaneSize, PanoramaModel::PlaneSize);
    EXPECT_EQ(BuildPanorama(f.model.Items(), result), PanoramaNoMemory)
        << "the far corner of the plane";
}

TEST(PanoramaBuild, AllocationFailureGivesTheMemoryResult) {
    if (!test_support::addressSpaceLimitsWork()) {
        GTEST_SKIP() << "address-space limits do not work under the sanitizer";
    }
    PanoramaFixture f;
    f.load({{10, 10}, {10, 10}});
    f.place(1, 10000, 10000); // a result of about 300 MB
    const int code = test_support::runWithMemoryBudget(std::uint64_t{64} << 20, [&] {
        TDIBImage result;
        return -BuildPanorama(f.model.Items(), result);
    });
    EXPECT_EQ(code, -PanoramaNoMemory);
}

} // namespace
