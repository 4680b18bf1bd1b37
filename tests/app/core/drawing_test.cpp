// Marking pictures with the mouse: synthesised presses, moves and releases on a real image
// window at several zooms.
#include "program_fixture.h"

#include "draw_tools.h"
#include "hatch_region.h"
#include "tool_cursors.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QTest>

namespace {
// A drag with the left button from `from` to `to` (client points), with moves in between.
void drag(QWidget* viewport, QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mousePress(viewport, Qt::LeftButton, modifiers, from);
    QTest::mouseMove(viewport, (from + to) / 2);
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, modifiers, to);
}

void click(QWidget* viewport, QPoint at) {
    QTest::mousePress(viewport, Qt::LeftButton, {}, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
}

QString prompt(const TfrmMDIParent& main) {
    return main.findChild<QLabel*>("StatusPanel1")->text();
}
} // namespace

class DrawingTest : public ProgramTest {
protected:
    TfrmMDIChild* open(int zoom, QSize size = QSize(120, 90)) {
        TfrmMDIChild* window = main->NewImageWindow(pattern(size.width(), size.height()), "p");
        window->SetZoom(zoom);
        window->FitToImage();
        QApplication::processEvents();
        return window;
    }
};

TEST_F(DrawingTest, ReferenceRegionsAtSeveralZooms) {
    for (const int z : {1, 2, 3, -2}) {
        TfrmMDIChild* window = open(z);
        QWidget* viewport = window->View()->viewport();
        main->SetToolMode(3); // White
        EXPECT_TRUE(main->correction().btRefWhite->isChecked());
        EXPECT_EQ(prompt(*main), main->language().Text("Common", 4));
        const QPoint from = window->imageToClient(QPoint(10, 12));
        const QPoint to = window->imageToClient(QPoint(19, 21));
        drag(viewport, from, to);
        ASSERT_EQ(window->Regions.Count(), 1) << "zoom " << z;
        const TRefRegion& region = *window->Regions[0];
        EXPECT_EQ(region.Kind, RegionKind::White);
        EXPECT_EQ(region.Rect.topLeft(), QPoint(10, 12)) << "zoom " << z;
        // The pixel under the pointer is inside; at reductions the release point covers the
        // screen pixel's first image pixel and the next screen pixel starts after it.
        const QPoint last(region.Rect.left() + region.Rect.width() - 1,
                          region.Rect.top() + region.Rect.height() - 1);
        EXPECT_GE(last.x(), 19) << "zoom " << z;
        EXPECT_GE(last.y(), 21) << "zoom " << z;
        EXPECT_LE(last.x(), z >= 1 ? 19 : 19 + -z) << "zoom " << z;
        EXPECT_TRUE(region.Active);
        main->CloseAll();
    }
}

TEST_F(DrawingTest, ListRulesThroughTheButtons) {
    TfrmMDIChild* window = open(1);
    QWidget* viewport = window->View()->viewport();
    main->correction().btRefWhite->trigger();
    drag(viewport, {5, 5}, {15, 15});
    main->correction().btRefLight->trigger();
    EXPECT_FALSE(main->correction().btRefWhite->isChecked()) << "one tool button at a time";
    drag(viewport, {30, 5}, {40, 15});
    ASSERT_EQ(window->Regions.Count(), 1);
    EXPECT_EQ(window->Regions[0]->Kind, RegionKind::Light) << "Light replaced White";

    main->correction().btRefDark->trigger();
    drag(viewport, {5, 40}, {15, 50});
    main->correction().btRefBlack->trigger();
    drag(viewport, {30, 40}, {40, 50});
    EXPECT_EQ(window->Regions.Count(), 2);
    EXPECT_EQ(window->Regions.FindFirst(RegionKind::Dark), nullptr) << "Black replaced Dark";

    main->settings().config.ReferenceColour[0] = 200; // red
    main->correction().btRefColor->trigger();
    drag(viewport, {60, 5}, {65, 10});
    drag(viewport, {70, 5}, {75, 10});
    drag(viewport, {80, 5}, {85, 10});
    EXPECT_EQ(window->Regions.Count(), 5);
    EXPECT_EQ(window->Regions[2]->RegionColour & 0xff, 200u) << "the reference colour's red";
    main->correction().btRefGray->trigger();
    drag(viewport, {60, 60}, {70, 70});
    EXPECT_EQ(window->Regions.Count(), 3) << "Grey removed the three Colour regions";
    main->correction().btRefColor->trigger();
    drag(viewport, {60, 30}, {70, 35});
    EXPECT_EQ(window->Regions.FindFirst(RegionKind::Grey), nullptr) << "and Colour the Grey";

    main->correction().btRefColor->trigger(); // released again: no tool
    EXPECT_EQ(main->toolMode(), 0);
    EXPECT_EQ(prompt(*main), "");
}

TEST_F(DrawingTest, LabelsSelectRegionsAndDeletingRenumbers) {
    TfrmMDIChild* window = open(2);
    QWidget* viewport = window->View()->viewport();
    main->SetToolMode(6);
    for (int i = 0; i < 3; ++i) {
        drag(viewport, {10 + 60 * i, 10}, {40 + 60 * i, 40});
    }
    ASSERT_EQ(window->Regions.Count(), 3);
    EXPECT_EQ(window->Regions.ActiveRegion(), window->Regions[2]);
    const QRect firstLabel = window->LabelBox(*window->Regions[0]);
    click(viewport, firstLabel.center());
    EXPECT_EQ(window->Regions.Count(), 3) << "a click on a label draws nothing";
    EXPECT_EQ(window->Regions.ActiveRegion(), window->Regions[0]) << "it selects the region";

    TRefRegion* second = window->Regions[1];
    window->deleteActiveAction()->trigger();
    EXPECT_EQ(window->Regions.Count(), 2);
    EXPECT_EQ(window->Regions.Label(second), "1") << "renumbered after the delete";
    window->deleteAllAction()->trigger();
    EXPECT_EQ(window->Regions.Count(), 0);
}

TEST_F(DrawingTest, AClickMakesAOnePixelRegionAndTheMarginStartsNothing) {
    TfrmMDIChild* window = open(1, QSize(50, 40));
    window->resize(window->size() + QSize(100, 100)); // a black margin right and below
    QApplication::processEvents();
    QWidget* viewport = window->View()->viewport();
    main->SetToolMode(4);
    click(viewport, {20, 30});
    ASSERT_EQ(window->Regions.Count(), 1);
    EXPECT_EQ(window->Regions[0]->Rect, QRect(20, 30, 1, 1));
    drag(viewport, {80, 20}, {30, 10});
    drag(viewport, {20, 90}, {10, 10});
    EXPECT_EQ(window->Regions[0]->Rect, QRect(20, 30, 1, 1)) << "presses beside the picture";
}

TEST_F(DrawingTest, HatchAreasRectanglesPolygonsAndTheDeleteButton) {
    TfrmMDIChild* window = open(2);
    QWidget* viewport = window->View()->viewport();
    QApplication::processEvents();
    EXPECT_FALSE(main->btDeleteHatchAreas->isEnabled());
    main->btIntHatchRectArea->trigger();
    EXPECT_EQ(main->toolMode(), 12);
    drag(viewport, window->imageToClient({4, 6}), window->imageToClient({9, 11}));
    ASSERT_EQ(window->HatchAreas.Count(), 1);
    EXPECT_EQ(window->HatchAreas[0]->Kind, 0);
    EXPECT_EQ(window->HatchAreas[0]->Points.front(), QPoint(4, 6));
    EXPECT_EQ(window->HatchAreas[0]->Points[2], QPoint(10, 12)) << "the pointer's pixel is in";

    main->btExtHatchPolyArea->trigger();
    QTest::mousePress(viewport, Qt::LeftButton, {}, {60, 20});
    QTest::mouseMove(viewport, {100, 20});
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, {100, 20});
    EXPECT_EQ(window->HatchAreas.Count(), 1) << "a polygon of two points is dropped";
    QTest::mousePress(viewport, Qt::LeftButton, {}, {60, 20});
    QTest::mouseMove(viewport, {100, 20});
    QTest::mouseMove(viewport, {100, 60});
    QTest::mouseMove(viewport, {60, 60});
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, {60, 60});
    ASSERT_EQ(window->HatchAreas.Count(), 2);
    EXPECT_EQ(window->HatchAreas[1]->Kind, 1);
    EXPECT_EQ(window->HatchAreas[1]->Points.size(), 4u);

    platform::RegionHandle region =
        BuildHatchRegion(window->HatchAreas, window->ImageWidth(), window->ImageHeight());
    EXPECT_TRUE(platform::regionContains(region, 40, 20)) << "inside the outer polygon";
    EXPECT_FALSE(platform::regionContains(region, 5, 7)) << "the inner rectangle is not";
    EXPECT_FALSE(platform::regionContains(region, 100, 80)) << "outside the outer polygon";
    platform::deleteRegion(region);

    QApplication::processEvents();
    EXPECT_TRUE(main->btDeleteHatchAreas->isEnabled());
    main->btDeleteHatchAreas->trigger();
    EXPECT_EQ(window->HatchAreas.Count(), 0);
}

TEST_F(DrawingTest, CtrlHeldDrawsNoRegion) {
    TfrmMDIChild* window = open(1);
    main->SetToolMode(5);
    drag(window->View()->viewport(), {10, 10}, {30, 30}, Qt::ControlModifier);
    EXPECT_EQ(window->Regions.Count(), 0);
    EXPECT_FALSE(window->RectTool().Drawing()) << "the rubber band has gone";
}

TEST_F(DrawingTest, ZoomTools) {
    TfrmMDIChild* window = open(1, QSize(400, 300));
    QWidget* viewport = window->View()->viewport();
    main->tbZoomIn->trigger();
    click(viewport, {100, 100});
    EXPECT_EQ(window->Zoom(), 2) << "a click zooms in one step";
    window->SetZoom(1);
    drag(viewport, {100, 100}, {140, 130});
    EXPECT_GE(window->Zoom(), 4) << "a frame zooms to fill the window";
    main->tbZoomOut->trigger();
    const int before = window->Zoom();
    click(viewport, {50, 50});
    EXPECT_EQ(window->Zoom(), before - 1);
}

TEST_F(DrawingTest, ColourPickAndEyedropper) {
    TfrmMDIChild* window = open(1);
    std::vector<std::uint32_t> picked;
    QObject::connect(main.get(), &TfrmMDIParent::colourPickedFromImage,
                     [&](std::uint32_t colour) { picked.push_back(colour); });
    main->SetToolMode(9);
    click(window->View()->viewport(), {30, 20});
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_EQ(picked[0], 30u | (20u << 8) | (50u << 16)) << "red 30, green 20, blue 50";

    main->tbEyedropper->trigger();
    QTest::mouseMove(window->View()->viewport(), {7, 3});
    EXPECT_EQ(main->findChild<QLabel*>("StatusPanel0")->text(), "(7,3)   R:7,G:3,B:10");
    click(window->View()->viewport(), {7, 3});
    EXPECT_EQ(window->Regions.Count(), 0);
}

TEST_F(DrawingTest, CropFrameGrabCodesClippingAndTheCrop) {
    TfrmMDIChild* window = open(1);
    QWidget* viewport = window->View()->viewport();
    main->tbCrop->trigger();
    drag(viewport, {20, 10}, {59, 49});
    EXPECT_EQ(window->CropRect, QRect(20, 10, 40, 40));
    TCropRectTool& crop = window->CropTool();
    EXPECT_EQ(crop.HitTest({20, 10}), TCropRectTool::TopLeft);
    EXPECT_EQ(crop.HitTest({60, 10}), TCropRectTool::TopRight);
    EXPECT_EQ(crop.HitTest({60, 50}), TCropRectTool::BottomRight);
    EXPECT_EQ(crop.HitTest({20, 50}), TCropRectTool::BottomLeft);
    EXPECT_EQ(crop.HitTest({21, 30}), TCropRectTool::LeftEdge);
    EXPECT_EQ(crop.HitTest({40, 12}), TCropRectTool::TopEdge);
    EXPECT_EQ(crop.HitTest({62, 30}), TCropRectTool::RightEdge);
    EXPECT_EQ(crop.HitTest({40, 47}), TCropRectTool::BottomEdge);
    EXPECT_EQ(crop.HitTest({40, 30}), TCropRectTool::Inside);
    EXPECT_EQ(crop.HitTest({5, 5}), TCropRectTool::Outside);

    drag(viewport, {60, 30}, {200, 30}); // the right edge, pulled beyond the picture
    EXPECT_EQ(window->CropRect, QRect(20, 10, 99, 40))
        << "the pointer stays on the picture's last column (119) while dragging";
    EXPECT_EQ(main->findChild<QLabel*>("StatusPanel0")->text(), "(20,10) -> (119,50) = (99 x 40)");
    drag(viewport, {100, 80}, {200, 200}); // a new frame towards the bottom-right corner
    EXPECT_EQ(window->CropRect, QRect(100, 80, 20, 10)) << "a new frame reaches the last pixel";
    drag(viewport, {20, 10}, {59, 49});

    main->settings().config.CreateNewWindow = 1;
    click(viewport, {40, 30}); // inside the frame: crop into a new window
    ASSERT_EQ(main->imageWindows().size(), 2);
    EXPECT_EQ(main->activeImageWindow()->ImageWidth(), 40);
    EXPECT_EQ(window->ImageWidth(), 120) << "the picture itself is kept";
    EXPECT_TRUE(window->CropRect.isEmpty());

    main->mdiArea()->setActiveSubWindow(window);
    main->SetToolMode(10);
    drag(viewport, {20, 10}, {59, 49});
    main->settings().config.CreateNewWindow = 0;
    click(viewport, {40, 30}); // now in the same window
    EXPECT_EQ(window->ImageWidth(), 40);
    EXPECT_EQ(window->ImageHeight(), 40);
    EXPECT_TRUE(window->CropRect.isEmpty());
    EXPECT_FALSE(window->Saved());
    EXPECT_EQ(pixelAt(*window, 0, 0), qRgb(20, 10, 30)) << "the frame's top-left pixel";
}

TEST_F(DrawingTest, CropWithoutAFrameWarns) {
    TfrmMDIChild* window = open(1);
    main->runCrop(*window);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages[0].text, main->language().Text("Common", 18));
}

TEST(ToolCursors, EveryToolHasItsOwnPictureWithTheHotSpotOnIt) {
    EXPECT_EQ(toolCursor(0).shape(), Qt::ArrowCursor);
    std::vector<QImage> pictures;
    for (int mode = 1; mode <= 15; ++mode) {
        const QCursor cursor = toolCursor(mode);
        ASSERT_EQ(cursor.shape(), Qt::BitmapCursor) << mode;
        const QImage picture = cursor.pixmap().toImage();
        EXPECT_TRUE(QRect(QPoint(0, 0), picture.size()).contains(cursor.hotSpot())) << mode;
        for (std::size_t other = 0; other < pictures.size(); ++other) {
            EXPECT_NE(picture, pictures[other]) << "modes " << other + 1 << " and " << mode;
        }
        pictures.push_back(picture);
    }
    EXPECT_EQ(cropCursor(TCropRectTool::LeftEdge).shape(), Qt::SizeHorCursor);
    EXPECT_EQ(cropCursor(TCropRectTool::TopRight).shape(), Qt::SizeBDiagCursor);
    EXPECT_EQ(cropCursor(TCropRectTool::Inside).shape(), Qt::BitmapCursor);

    EXPECT_EQ(panoramaCursor(0).shape(), Qt::ArrowCursor);
    const QImage hand = panoramaCursor(3).pixmap().toImage();
    for (int tool = 1; tool <= 5; ++tool) {
        const QCursor cursor = panoramaCursor(tool);
        ASSERT_EQ(cursor.shape(), Qt::BitmapCursor) << tool;
        EXPECT_TRUE(QRect(QPoint(0, 0), cursor.pixmap().size()).contains(cursor.hotSpot()));
        EXPECT_EQ(cursor.pixmap().toImage() == hand, tool == 3) << tool;
    }
    EXPECT_NE(panoramaCursor(4).pixmap().toImage(), panoramaCursor(5).pixmap().toImage());
}
