#include "panorama_model.h"

#include "language.h"
#include "panorama_pictures.h"

#include <gtest/gtest.h>

namespace {

TEST(PanoramaModel, LoadingCascadesWholeCheckedPicturesInHandOverOrder) {
    PanoramaFixture f;
    f.load({{100, 60}, {40, 80}, {30, 30}});
    const auto& items = f.model.Items();
    ASSERT_EQ(f.model.ImageCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(items[i].Left, 20 * i);
        EXPECT_EQ(items[i].Top, 20 * i);
        EXPECT_TRUE(items[i].Checked);
        EXPECT_EQ(items[i].ListIndex, i);
        EXPECT_EQ(items[i].Header, f.pictures[i]->Header);
        EXPECT_EQ(items[i].Bits, f.pictures[i]->Bits);
    }
    EXPECT_EQ(items[1].Frame, (PanoramaRect{0, 0, 40, 80}));
    EXPECT_EQ(items[0].Name, "picture1.jpg");
    EXPECT_EQ(f.model.Current(), &items[0]);
    EXPECT_EQ(f.model.Bounds(), (PanoramaRect{0, 0, 100, 100}));
    EXPECT_EQ(f.model.Extent(), QSize(100, 100));
}

TEST(PanoramaModel, RecordsWithoutAUsable24BitPictureCountForNothing) {
    PanoramaFixture f;
    f.load({{50, 50}});
    BITMAPINFOHEADER eightBit = *f.pictures[0]->Header;
    eightBit.biBitCount = 8;
    BITMAPINFOHEADER topDown = *f.pictures[0]->Header;
    topDown.biHeight = -50;
    f.model.LoadImages({{"grey", &eightBit, f.pictures[0]->Bits},
                        {"top-down", &topDown, f.pictures[0]->Bits},
                        {"no rows", f.pictures[0]->Header, nullptr}});
    ASSERT_EQ(f.model.ImageCount(), 4);
    for (int i = 1; i < 4; ++i) {
        EXPECT_TRUE(f.model.Items()[i].PictureSize().isEmpty()) << i;
        EXPECT_TRUE(f.model.Items()[i].PlacedFrame().IsEmpty()) << i;
        EXPECT_TRUE(panoramaThumbnail(f.model.Items()[i]).isNull()) << i;
    }
    EXPECT_EQ(f.model.Bounds(), (PanoramaRect{0, 0, 50, 50}));
    EXPECT_EQ(f.model.FramesBounds(), (PanoramaRect{0, 0, 50, 50}));
}

TEST(PanoramaModel, ThumbnailIs32By32WithThePictureCentredOnWhite) {
    PanoramaFixture f;
    f.load({{64, 16}});
    const QImage thumbnail = panoramaThumbnail(f.model.Items()[0]);
    ASSERT_EQ(thumbnail.size(), QSize(32, 32));
    EXPECT_EQ(thumbnail.pixelColor(16, 2), QColor(Qt::white)) << "above the 32 x 8 picture";
    EXPECT_NE(thumbnail.pixelColor(16, 16), QColor(Qt::white));
}

TEST(PanoramaZoom, ForbiddenAndOutOfRangeValuesAreCorrected) {
    PanoramaModel model;
    for (const auto& [asked, set] :
         std::vector<std::array<int, 2>>{{0, 1}, {-1, 1}, {17, 16}, {-17, -16}, {5, 5}, {-5, -5}}) {
        model.SetZoom(asked);
        EXPECT_EQ(model.Zoom(), set) << asked;
    }
}

TEST(PanoramaZoom, StepsAndTheirEnds) {
    PanoramaModel model;
    model.ZoomOut();
    EXPECT_EQ(model.Zoom(), -2) << "1:1 zooms out to 1:2";
    model.ZoomIn();
    EXPECT_EQ(model.Zoom(), 1) << "1:2 zooms in to 1:1";
    model.SetZoom(16);
    model.ZoomIn();
    EXPECT_EQ(model.Zoom(), 16);
    model.SetZoom(-16);
    model.ZoomOut();
    EXPECT_EQ(model.Zoom(), -16);
}

TEST(PanoramaZoom, CaptionShowsTheRatio) {
    TLanguage language;
    ASSERT_TRUE(language.Load(HUEMARK_DATA_DIR "/Language/English.ini"));
    PanoramaModel model;
    EXPECT_EQ(model.Caption(language), "Panorama (1:1)");
    model.SetZoom(-4);
    EXPECT_EQ(model.Caption(language), "Panorama (1:4)");
    model.SetZoom(3);
    EXPECT_EQ(model.Caption("Title"), "Title (3:1)");
}

TEST(PanoramaCoordinates, LengthsScaleAndTruncate) {
    PanoramaModel model;
    model.SetZoom(3);
    EXPECT_EQ(model.ToScreenLength(7), 21);
    EXPECT_EQ(model.ToPlaneLength(20), 6);
    model.SetZoom(-3);
    EXPECT_EQ(model.ToScreenLength(20), 6);
    EXPECT_EQ(model.ToPlaneLength(7), 21);
}

TEST(PanoramaCoordinates, PointsAndRectanglesWithScrollPositions) {
    PanoramaFixture f;
    f.load({{1000, 1000}});
    f.model.SetClientSize({100, 100});
    f.model.SetZoom(2);
    f.model.SetScrollPosition({30, 12});
    EXPECT_EQ(f.model.PlaneToScreen(QPoint(50, 40)), QPoint(70, 68));
    EXPECT_EQ(f.model.ScreenToPlane(QPoint(70, 68)), QPoint(50, 40));
    EXPECT_EQ(f.model.ScreenToPlane(QPoint(71, 69)), QPoint(50, 40));
    EXPECT_EQ(f.model.PlaneToScreen(PanoramaRect{10, 10, 20, 15}), QRect(-10, 8, 20, 10));
    EXPECT_EQ(f.model.ScreenToPlane(QRect(-10, 8, 20, 10)), (PanoramaRect{10, 10, 20, 15}));

    f.model.SetZoom(-4);
    f.model.SetScrollPosition({10, 0});
    EXPECT_EQ(f.model.PlaneToScreen(QPoint(80, 41)), QPoint(10, 10));
    EXPECT_EQ(f.model.ScreenToPlane(QPoint(10, 10)), QPoint(80, 40));

    f.model.SetZoom(2);
    f.model.SetScrollPosition({0, 0});
    EXPECT_EQ(f.model.ScreenToPlane(QPoint(-1, -1)), QPoint(-1, -1))
        << "left of and above the plane is outside it, not on column and row 0";
}

TEST(PanoramaExtents, ScrollRangesLineStepsAndLimits) {
    PanoramaFixture f;
    f.load({{300, 200}, {100, 100}});
    f.place(1, 500, 20);
    EXPECT_EQ(f.model.Extent(), QSize(600, 200));
    f.model.SetZoom(2);
    EXPECT_EQ(f.model.ScrollRange(), QSize(1240, 440));
    EXPECT_EQ(f.model.LineStep(), 6);
    f.model.SetZoom(-3);
    EXPECT_EQ(f.model.ScrollRange(), QSize(240, 106));
    EXPECT_EQ(f.model.LineStep(), 3);
    EXPECT_EQ(f.model.NudgeStep(), 3);

    f.model.SetClientSize({100, 50});
    EXPECT_EQ(f.model.ScrollMaximum(), QSize(140, 56));
    f.model.SetScrollPosition({500, -5});
    EXPECT_EQ(f.model.ScrollPosition(), QPoint(140, 0));

    f.model.SetChecked(0, false);
    EXPECT_EQ(f.model.Extent(), QSize(600, 120)) << "unchecked pictures do not count";
    EXPECT_EQ(f.model.ScrollPosition(), QPoint(140, 0));
    f.model.SetZoom(-16);
    EXPECT_EQ(f.model.ScrollPosition(), QPoint(0, 0)) << "kept within the smaller range";
}

TEST(PanoramaExtents, InitialZoomFitsTheAssembly) {
    const auto initialZoom = [](int width, int height, QSize client) {
        PanoramaFixture f;
        f.load({{width, height}});
        f.model.SetClientSize(client);
        f.model.SetInitialZoom();
        return f.model.Zoom();
    };
    EXPECT_EQ(initialZoom(500, 300, {1000, 1000}), -2) << "fits: 1:2";
    EXPECT_EQ(initialZoom(90, 50, {1000, 1000}), 1) << "under a tenth: 1:1";
    EXPECT_EQ(initialZoom(2050, 100, {1000, 1000}), -3) << "r = 2.05";
    EXPECT_EQ(initialZoom(2500, 100, {1000, 1000}), -4) << "r = 2.5";
    EXPECT_EQ(initialZoom(100, 4000, {1000, 1000}), -5) << "the height decides";
    EXPECT_EQ(initialZoom(60000, 100, {100, 100}), -16);
    EXPECT_EQ(initialZoom(100, 2500, {0, 1000}), -4) << "a surface without width";
    EXPECT_EQ(initialZoom(2500, 100, {1000, 0}), -4) << "a surface without height";
    EXPECT_EQ(initialZoom(2500, 2500, {0, 0}), 1) << "a surface without pixels";
}

TEST(PanoramaView, CentringRoundsDownToLineStepsAndStaysInRange) {
    PanoramaFixture f;
    f.load({{2000, 2000}});
    f.model.SetClientSize({400, 300});
    f.model.SetZoom(2);
    f.model.CentreOn({1000, 1000});
    // s(1000) - 200 = 1800, a multiple of 6; s(1000) - 150 = 1850 -> 1848.
    EXPECT_EQ(f.model.ScrollPosition(), QPoint(1800, 1848));
    f.model.CentreOn({50, 10});
    EXPECT_EQ(f.model.ScrollPosition(), QPoint(0, 0));
    f.model.CentreOn({1995, 1995});
    EXPECT_EQ(f.model.ScrollMaximum(), QSize(3640, 3740));
    EXPECT_EQ(f.model.ScrollPosition(), QPoint(3640, 3740)) << "no further than the maximum";
}

TEST(PanoramaView, ZoomToRectangle) {
    PanoramaFixture f;
    f.load({{4000, 4000}});
    f.model.SetClientSize({400, 300});
    f.model.ZoomToRect({300, 200, 200, 150}); // normalised to 200,150 - 300,200
    EXPECT_EQ(f.model.Zoom(), 4) << "min(400 / 100, 300 / 50)";
    EXPECT_EQ(f.model.ScrollPosition(), QPoint(792, 540))
        << "centred on (250, 175): 1000 - 200 and 700 - 150 rounded down to steps of 12";

    f.model.SetZoom(1);
    f.model.ZoomToRect({0, 0, 300, 200});
    EXPECT_EQ(f.model.Zoom(), 2) << "a factor of 1 still zooms one step";

    f.model.SetZoom(-4);
    f.model.ZoomToRect({0, 0, 200, 200});
    EXPECT_EQ(f.model.Zoom(), 1) << "k = 1200 / 200 = 6 is at least 4: 6 / 4 gives 1:1";
}

TEST(PanoramaView, ZoomToRectangleKeepsReductionsAndSurvivesEmptyBands) {
    PanoramaFixture f;
    f.load({{8000, 8000}});
    f.model.SetClientSize({400, 300});
    f.model.SetZoom(-8);
    f.model.ZoomToRect({0, 0, 1000, 1000});
    EXPECT_EQ(f.model.Zoom(), -4) << "k = 2 below 8: stays a reduction, by 8 / 2";

    f.model.SetZoom(-4);
    f.model.ZoomToRect({0, 0, 5000, 5000});
    EXPECT_EQ(f.model.Zoom(), -4) << "larger than the view: no zoom, no division by zero";

    f.model.SetZoom(1);
    f.model.ZoomToRect({100, 100, 100, 150});
    EXPECT_EQ(f.model.Zoom(), 6) << "a band without width: the height decides";
    f.model.SetZoom(1);
    f.model.ZoomToRect({100, 100, 100, 100});
    EXPECT_EQ(f.model.Zoom(), 16);
}

TEST(PanoramaFrames, FramesBoundsAndOverallFrameCutOnlyOverhang) {
    PanoramaFixture f;
    f.load({{100, 100}, {100, 100}, {50, 50}});
    f.place(0, 0, 0);
    f.place(1, 80, 10);
    f.place(2, 400, 400);
    f.model.SetChecked(2, false);
    f.model.SetFrame(0, {10, 0, 100, 90});
    EXPECT_EQ(f.model.FramesBounds(), (PanoramaRect{10, 0, 180, 110}));

    f.model.SetOverallFrame({20, 5, 150, 95});
    f.model.ApplyOverallFrame();
    EXPECT_TRUE(f.model.OverallFrame().IsEmpty());
    EXPECT_EQ(f.model.Items()[0].Frame, (PanoramaRect{20, 5, 100, 90})) << "never widened";
    EXPECT_EQ(f.model.Items()[1].Frame, (PanoramaRect{0, 0, 70, 85}));
    EXPECT_EQ(f.model.Items()[2].Frame, (PanoramaRect{0, 0, 50, 50})) << "unchecked: untouched";
    EXPECT_EQ(f.model.FramesBounds(), (PanoramaRect{20, 5, 150, 95}));

    f.model.ApplyOverallFrame();
    EXPECT_EQ(f.model.FramesBounds(), (PanoramaRect{20, 5, 150, 95}))
        << "without an overall frame the frames bounds change nothing";
}

TEST(PanoramaFrames, APictureOutsideTheOverallFrameIsEmptyEverywhere) {
    PanoramaFixture f;
    f.load({{100, 100}, {100, 100}});
    f.place(1, 300, 0);
    f.model.SetOverallFrame({0, 0, 100, 100});
    f.model.ApplyOverallFrame();
    const TImagePanoramaData& outside = f.model.Items()[1];
    EXPECT_GT(outside.Frame.Left, outside.Frame.Right) << "cut into a crossed frame";
    EXPECT_TRUE(outside.UsedFrame().IsEmpty());
    EXPECT_TRUE(f.model.DisplayedFrame(1).isNull());
    EXPECT_EQ(f.model.ItemAt({350, 50}), -1);
    EXPECT_EQ(f.model.FramesBounds(), (PanoramaRect{0, 0, 100, 100}));
}

TEST(PanoramaFrames, SetFrameKeepsEdgesInsideThePicture) {
    PanoramaFixture f;
    f.load({{100, 60}});
    f.model.SetFrame(0, {-5, 10, 120, 70});
    EXPECT_EQ(f.model.Items()[0].Frame, (PanoramaRect{0, 10, 100, 60}));
    f.model.SetFrame(0, {70, 10, 30, 60});
    EXPECT_TRUE(f.model.Items()[0].UsedFrame().IsEmpty()) << "crossed edges leave nothing";
    EXPECT_TRUE(f.model.FramesBounds().IsEmpty());
}

TEST(PanoramaMoves, StopAtThePlaneEdges) {
    PanoramaFixture f;
    f.load({{100, 100}, {100, 100}});
    f.model.MoveBy(1, {-15, -25});
    EXPECT_EQ(f.model.Items()[1].Left, 5);
    EXPECT_EQ(f.model.Items()[1].Top, 0);
    f.model.MoveBy(1, {-100, 3});
    EXPECT_EQ(f.model.Items()[1].Left, 0);
    EXPECT_EQ(f.model.Items()[1].Top, 3);
    f.model.MoveBy(0, {std::numeric_limits<int>::max(), std::numeric_limits<int>::max()});
    EXPECT_EQ(f.model.Items()[0].Left, PanoramaModel::PlaneSize - 100);
    f.model.MoveBy(0, {std::numeric_limits<int>::max(), 0});
    EXPECT_EQ(f.model.Items()[0].Left, PanoramaModel::PlaneSize - 100) << "no wrap-around";
    f.model.SetZoom(16);
    EXPECT_EQ(f.model.ScreenExtent(),
              QSize(PanoramaModel::PlaneSize * 16, PanoramaModel::PlaneSize * 16))
        << "the screen extent at 16:1 still fits in an int";
}

TEST(PanoramaStacking, HitsFollowTheStackingOrderAndFrameEdges) {
    PanoramaFixture f;
    f.load({{100, 100}, {100, 100}});
    f.place(1, 50, 50);
    EXPECT_EQ(f.model.ItemAt({60, 60}), 0) << "index 0 is hit first";
    EXPECT_EQ(f.model.ItemAt({149, 149}), 1) << "the last column and row belong to it";
    EXPECT_EQ(f.model.ItemAt({150, 149}), -1);
    EXPECT_EQ(f.model.ItemAt({-1, 0}), -1);

    f.model.SetZoom(2);
    EXPECT_EQ(f.model.ItemAt({299, 299}), 1);
    EXPECT_EQ(f.model.ItemAt({300, 300}), -1);

    f.model.SetFrame(0, {0, 0, 70, 100});
    EXPECT_EQ(f.model.ItemAt({150, 120}), 1) << "outside the frame the lower picture shows";
}

TEST(PanoramaStacking, SelectingAndCheckingReorder) {
    PanoramaFixture f;
    f.load({{100, 100}, {100, 100}, {100, 100}});
    EXPECT_EQ(f.model.BringToTop(2), 0);
    EXPECT_EQ(f.model.Items()[0].ListIndex, 2);
    EXPECT_EQ(f.model.Items()[1].ListIndex, 0);
    EXPECT_EQ(f.model.Items()[2].ListIndex, 1);

    EXPECT_EQ(f.model.SetChecked(0, false), 2) << "unchecked goes to the bottom";
    EXPECT_EQ(f.model.IndexOfListEntry(2), 2);
    EXPECT_EQ(f.model.BringToTop(2), 2) << "an unchecked picture is not brought up";
    EXPECT_EQ(f.model.ItemAt({130, 130}), -1) << "unchecked ones are not hit";
    EXPECT_EQ(f.model.Current()->ListIndex, 0);

    EXPECT_EQ(f.model.SetChecked(f.model.IndexOfListEntry(2), true), 0);
    EXPECT_EQ(f.model.Current()->ListIndex, 2);
    EXPECT_EQ(f.model.IndexOfListEntry(7), -1);
}

} // namespace
