// The panorama window offscreen, driven with synthesised input: the tools, the keys, the list,
// the bars, Start with the frame-all tool, the zones of the example recorder, and the command
// of the main window.
#include "panorama_build.h"
#include "panorama_canvas.h"
#include "panorama_commands.h"
#include "panorama_form.h"
#include "panorama_pictures.h"
#include "program_fixture.h"
#include "track_size_bar.h"

#include "image_commands.h"
#include "language.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {

class PanoramaWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(language.Load(HUEMARK_DATA_DIR "/Language/English.ini"));
        for (int seed = 0; seed < 3; ++seed) {
            pictures.push_back(seededPicture(60 + 10 * seed, 40, seed + 1));
        }
        std::vector<PanoramaSource> sources;
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            sources.push_back({QString("p%1.bmp").arg(i), pictures[i]->Header, pictures[i]->Bits});
        }
        form = std::make_unique<TPanoramaForm>(language);
        form->LoadImages(sources);
        form->show();
        QApplication::processEvents();
        form->SetZoom(1);
        form->findChild<PanoramaCanvas*>()->horizontalScrollBar()->setValue(0);
        form->findChild<PanoramaCanvas*>()->verticalScrollBar()->setValue(0);
        QApplication::processEvents();
    }

    QWidget* surface() const { return form->findChild<PanoramaCanvas*>()->viewport(); }
    TTrackSizeBar* bar(const char* name) const { return form->findChild<TTrackSizeBar*>(name); }
    const TImagePanoramaData& top() const { return form->Model().Items().front(); }
    void drag(QPoint from, QPoint to) {
        QTest::mousePress(surface(), Qt::LeftButton, {}, from);
        QTest::mouseMove(surface(), to);
        QTest::mouseRelease(surface(), Qt::LeftButton, {}, to);
    }
    void key(int code, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(surface(), static_cast<Qt::Key>(code), modifiers);
    }

    TLanguage language;
    std::vector<std::unique_ptr<TDIBImage>> pictures;
    std::unique_ptr<TPanoramaForm> form;
};

} // namespace

TEST_F(PanoramaWindow, OpensWithTheHandToolTheListAndTheZoomInTheCaption) {
    EXPECT_EQ(form->CurrentTool(), TPanoramaForm::HandTool);
    EXPECT_TRUE(form->findChild<QAbstractButton*>("btHand")->isChecked());
    EXPECT_EQ(form->windowTitle(), "Panorama (1:1)");
    const auto* list = form->findChild<QListWidget*>("ListView");
    ASSERT_EQ(list->count(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(list->item(row)->checkState(), Qt::Checked);
        EXPECT_FALSE(list->item(row)->icon().isNull());
    }
    EXPECT_EQ(form->findChild<QPushButton*>("btOK")->text(), "Start");
    form->SetZoom(-3);
    EXPECT_EQ(form->windowTitle(), "Panorama (1:3)");
    form->SetZoom(0);
    EXPECT_EQ(form->windowTitle(), "Panorama (1:1)") << "0 is no zoom: 1:1";
}

TEST_F(PanoramaWindow, TheHandCarriesAPictureAndTheArrowKeysNudgeIt) {
    // Item 0 is the first picture, at (0, 0); the others cascade below it.
    ASSERT_EQ(top().ListIndex, 0);
    drag({10, 10}, {35, 22});
    EXPECT_EQ(top().Left, 25);
    EXPECT_EQ(top().Top, 12);
    drag({30, 20}, {1, 1}); // (QTest takes (0, 0) for the widget's centre)
    EXPECT_EQ(top().Left, 0) << "a picture stops at the plane's edge";
    EXPECT_EQ(top().Top, 0);

    key(Qt::Key_Right);
    key(Qt::Key_Down);
    EXPECT_EQ(QPoint(top().Left, top().Top), QPoint(1, 1));
    form->SetZoom(-4);
    key(Qt::Key_Right);
    EXPECT_EQ(top().Left, 5) << "one screen pixel's worth at 1:4";
}

TEST_F(PanoramaWindow, ClickingAPictureBelowBringsItUpAndTheBarsFrameIt) {
    form->SelectTool(TPanoramaForm::FrameOneTool);
    // The third picture (cascaded to 40, 40) shows below the others at (95, 70).
    QTest::mouseClick(surface(), Qt::LeftButton, {}, QPoint(95, 70));
    ASSERT_EQ(top().ListIndex, 2);
    EXPECT_EQ(form->findChild<QListWidget*>("ListView")->currentRow(), 2);
    TTrackSizeBar* horizontal = bar("HorzTrackSizeBar");
    EXPECT_EQ(horizontal->StartPosition(), 40);
    EXPECT_EQ(horizontal->Range(), 80);
    EXPECT_EQ(horizontal->Border2(), 79) << "the last column";
    EXPECT_EQ(horizontal->ThumbSide(), TThumbSide::Border2) << "clicked in the right half";

    key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(top().Frame.Right, 79);
    key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(top().Frame.Right, 80) << "back on the last column keeps it";
    key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(top().Frame.Bottom, 39) << "the clicked lower half moves the bottom";
}

TEST_F(PanoramaWindow, UncheckingAPictureSendsItToTheBottomAndOutOfTheResult) {
    auto* list = form->findChild<QListWidget*>("ListView");
    list->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(form->Model().Items().back().ListIndex, 0);
    EXPECT_FALSE(form->Model().Items().back().Checked);
    TDIBImage result;
    ASSERT_EQ(BuildPanorama(form->Model().Items(), result), PanoramaBuilt);
    EXPECT_EQ(result.Width(), 120 - 20) << "from the second picture's left to the third's right";
    for (int row = 1; row < 3; ++row) {
        list->item(row)->setCheckState(Qt::Unchecked);
    }
    EXPECT_EQ(BuildPanorama(form->Model().Items(), result), PanoramaNothingToCopy);
}

TEST_F(PanoramaWindow, TheZoomToolsClickAndDrawBands) {
    form->SelectTool(TPanoramaForm::ZoomInTool);
    drag({20, 20}, {21, 21});
    EXPECT_EQ(form->Model().Zoom(), 2) << "a band of 2 x 2 pixels is a click";
    form->SetZoom(1);
    form->findChild<PanoramaCanvas*>()->horizontalScrollBar()->setValue(0);
    form->findChild<PanoramaCanvas*>()->verticalScrollBar()->setValue(0);
    drag({1, 1}, {40, 30});
    EXPECT_GT(form->Model().Zoom(), 2) << "a band zooms to its rectangle";
    form->SelectTool(TPanoramaForm::ZoomOutTool);
    const int before = form->Model().Zoom();
    QTest::mouseClick(surface(), Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(form->Model().Zoom(), before - 1);
}

TEST_F(PanoramaWindow, StartWithTheFrameAllToolCutsEveryFrameToTheOverallFrame) {
    form->SelectTool(TPanoramaForm::FrameAllTool);
    TTrackSizeBar* horizontal = bar("HorzTrackSizeBar");
    TTrackSizeBar* vertical = bar("VertTrackSizeBar");
    ASSERT_EQ(horizontal->Range(), 120) << "the frames' bounds: 40 + 80";
    horizontal->SetThumbSide(TThumbSide::Border1);
    for (int step = 0; step < 10; ++step) {
        key(Qt::Key_Right, Qt::ControlModifier);
    }
    vertical->SetThumbSide(TThumbSide::Border2);
    for (int step = 0; step < 5; ++step) {
        key(Qt::Key_Up, Qt::ControlModifier);
    }
    EXPECT_EQ(form->Model().OverallFrame(), (PanoramaRect{10, 0, 120, 75}));
    form->findChild<QPushButton*>("btOK")->click();
    EXPECT_EQ(form->result(), QDialog::Accepted);
    TDIBImage result;
    ASSERT_EQ(BuildPanorama(form->Model().Items(), result), PanoramaBuilt);
    EXPECT_EQ(result.Width(), 110);
    EXPECT_EQ(result.Height(), 75);
    EXPECT_EQ(pixelOf(result, 0, 0), pixelOf(*pictures[0], 10, 0)) << "the top picture's column 10";
}

TEST_F(PanoramaWindow, LocateThenRestoreFindsEveryZoneAgainAtSeveralZooms) {
    auto* canvas = form->findChild<PanoramaCanvas*>();
    const std::vector<QWidget*> places = {form.get(),
                                          bar("HorzTrackSizeBar"),
                                          bar("VertTrackSizeBar"),
                                          canvas->viewport(),
                                          form->findChild<QListWidget*>("ListView"),
                                          form->findChild<QWidget*>("ButtonPanel")};
    for (int z : {1, 3, -2, -5}) {
        form->SetZoom(z);
        QSet<int> zones;
        const TTrackSizeBar* horizontal = bar("HorzTrackSizeBar");
        const TTrackSizeBar* vertical = bar("VertTrackSizeBar");
        const std::vector<QPoint> points = {
            form->mapToGlobal(QPoint(3, 3)),
            horizontal->mapToGlobal(horizontal->SpinRect().center()),
            horizontal->mapToGlobal(horizontal->TrackRect().topLeft() +
                                    QPoint(std::max(z, 1) * 4, 1)),
            vertical->mapToGlobal(vertical->TrackRect().topLeft() + QPoint(1, std::max(z, 1) * 4)),
            vertical->mapToGlobal(vertical->SpinRect().center()),
            canvas->viewport()->mapToGlobal(QPoint(std::max(z, 1) * 7, std::max(z, 1) * 5)),
            places[4]->mapToGlobal(QPoint(5, 5)),
            places[5]->mapToGlobal(QPoint(4, 4)),
            form->mapToGlobal(QPoint(2, form->height() - 3))};
        for (const QPoint& point : points) {
            const PanoramaLocation location = form->Locate(point);
            zones.insert(location.Zone);
            EXPECT_EQ(form->Restore(location), point)
                << "zone " << int(location.Zone) << " zoom " << z;
        }
        EXPECT_EQ(zones.size(), 8u) << "zoom " << z;
    }
}

TEST_F(ProgramTest, PanoramaJoinsTheOpenPicturesIntoANewWindow) {
    main->NewImageWindow(pattern(50, 30), "left.bmp");
    main->NewImageWindow(pattern(40, 20), "right.bmp");
    QApplication::processEvents();
    QAction* command = main->images().mnImagePanorama;
    ASSERT_TRUE(command->isEnabled());
    main->panorama().windowReady = [](TPanoramaForm& form) {
        QTimer::singleShot(0, &form, [&form] { form.findChild<QPushButton*>("btOK")->click(); });
    };
    command->trigger();
    ASSERT_EQ(main->imageWindows().size(), 3);
    const TfrmMDIChild* joined = main->activeImageWindow();
    EXPECT_EQ(joined->ImageWidth(), 20 + 40) << "the second picture cascades 20 pixels";
    EXPECT_EQ(joined->ImageHeight(), 20 + 20);
    EXPECT_EQ(pixelAt(*joined, 0, 0), pixelAt(*main->imageWindows()[0], 0, 0));

    main->panorama().windowReady = [](TPanoramaForm& form) {
        QTimer::singleShot(0, &form, [&form] { form.reject(); });
    };
    command->trigger();
    EXPECT_EQ(main->imageWindows().size(), 3) << "Cancel makes nothing";
    EXPECT_TRUE(messages.empty());
}
