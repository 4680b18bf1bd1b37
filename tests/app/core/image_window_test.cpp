#include "program_fixture.h"

#include "recent_files.h"
#include "text_table.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

namespace {
QString statusText(const TfrmMDIParent& main) {
    return main.findChild<QLabel*>("StatusPanel0")->text();
}
} // namespace

TEST_F(ProgramTest, ZoomWalkCaptionAndScrollRanges) {
    TfrmMDIChild* window = main->NewImageWindow(pattern(300, 200), "/tmp/photo.jpg");
    EXPECT_EQ(window->Caption(), "photo.jpg* (1:1)") << "a new picture is not saved";
    window->SetSaved(true);
    EXPECT_EQ(window->Zoom(), 1) << "a small picture opens at 1:1";
    EXPECT_EQ(window->Caption(), "photo.jpg (1:1)");
    EXPECT_EQ(window->View()->viewport()->size(), QSize(300, 200)) << "the window fits the picture";
    EXPECT_EQ(window->View()->horizontalScrollBar()->maximum(), 0);

    window->ZoomOut();
    EXPECT_EQ(window->Zoom(), -2);
    EXPECT_EQ(window->Caption(), "photo.jpg (1:2)");
    EXPECT_EQ(window->DisplaySize(), QSize(150, 100));
    window->ZoomIn();
    window->ZoomIn();
    window->ZoomIn();
    EXPECT_EQ(window->Zoom(), 3);
    EXPECT_EQ(window->Caption(), "photo.jpg (3:1)");
    EXPECT_EQ(window->View()->horizontalScrollBar()->maximum(),
              900 - window->View()->viewport()->width());
    EXPECT_EQ(window->View()->horizontalScrollBar()->singleStep(), 9);
    window->SetZoom(20);
    EXPECT_EQ(window->Zoom(), 16);
    window->SetZoom(-1);
    EXPECT_EQ(window->Zoom(), 1);
}

TEST_F(ProgramTest, FitImageToWindowChoosesTheReductionThatFits) {
    TfrmMDIChild* window = main->NewImageWindow(pattern(1001, 601), "big.bmp");
    const QSize frame = main->mdiArea()->viewport()->size();
    const QSize border = window->size() - window->View()->viewport()->size();
    const int z = window->Zoom();
    ASSERT_LE(z, -2) << "1001 x 601 does not fit " << frame.width() << " x " << frame.height();
    const QSize counted((1001 + -z - 1) / -z, (601 + -z - 1) / -z);
    EXPECT_LE(counted.width() + border.width(), frame.width());
    EXPECT_LE(counted.height() + border.height(), frame.height());
    window->SetZoom(1);
    window->FitImageToWindow();
    EXPECT_EQ(window->Zoom(), z) << "the same choice again";

    TfrmMDIChild* huge = main->NewImageWindow(pattern(30000, 20), "wide.bmp");
    EXPECT_EQ(huge->Zoom(), -16) << "needs more than 1:16 and stays there";
    EXPECT_GT(huge->View()->horizontalScrollBar()->maximum(), 0) << "with a scroll bar";
}

TEST_F(ProgramTest, NamesCascadeAndTheirWrapAround) {
    std::vector<TfrmMDIChild*> windows;
    for (int i = 0; i < 9; ++i) {
        windows.push_back(main->NewImageWindow(pattern(40, 30), main->NextImageName()));
    }
    EXPECT_EQ(windows[0]->FileName(), "Picture 0");
    EXPECT_EQ(windows[1]->FileName(), "Picture 0")
        << "the first window reset the number after its name was made";
    EXPECT_EQ(windows[8]->FileName(), "Picture 7");
    EXPECT_EQ(windows[0]->pos(), QPoint(0, 0));
    EXPECT_EQ(windows[3]->pos(), QPoint(66, 66));
    EXPECT_EQ(windows[8]->pos(), QPoint(0, 0)) << "the 9th window is at the origin again";
    EXPECT_EQ(windows[8]->WindowNumber(), 8);
    for (int i = 8; i < 99; ++i) {
        main->NextImageName();
    }
    EXPECT_EQ(main->NextImageName(), "Picture 99");
    EXPECT_EQ(main->NextImageName(), "Picture 0") << "after 99 comes 0 again";

    ASSERT_TRUE(main->CloseAll());
    EXPECT_TRUE(main->imageWindows().isEmpty());
    const QString named = main->NextImageName(); // made before the counters are reset
    TfrmMDIChild* first = main->NewImageWindow(pattern(40, 30), named);
    EXPECT_EQ(first->FileName(), "Picture 1") << "named with the number before the reset";
    EXPECT_EQ(first->pos(), QPoint(0, 0));
    EXPECT_EQ(first->WindowNumber(), 0);
    EXPECT_EQ(main->NextImageName(), "Picture 0") << "the name after the reset";
}

TEST_F(ProgramTest, CloseAllStopsAtTheFirstCancel) {
    main->settings().config.PromptToSave = 1;
    for (int i = 0; i < 3; ++i) {
        main->NewImageWindow(pattern(40, 30), main->NextImageName());
    }
    answers = {MessageAnswer::No, MessageAnswer::Cancel};
    EXPECT_FALSE(main->CloseAll());
    EXPECT_EQ(main->imageWindows().size(), 2) << "one closed, then Cancel kept the rest";
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].kind, MessageKind::QuestionWithCancel);
    EXPECT_EQ(messages[0].caption, main->applicationTitle());
    EXPECT_EQ(messages[0].text, "Save the changes to Picture 1?");

    main->activeImageWindow()->SetSaved(true);
    answers = {MessageAnswer::No};
    messages.clear();
    EXPECT_TRUE(main->CloseAll());
    EXPECT_EQ(messages.size(), 1u) << "a saved window closes without asking";
}

TEST_F(ProgramTest, EnablingRulesFollowTheImageWindows) {
    QApplication::processEvents();
    EXPECT_FALSE(main->files().tbSaveAs->isEnabled());
    EXPECT_FALSE(main->mnWindowTile->isEnabled());
    main->NewImageWindow(pattern(40, 30), "a.bmp");
    QApplication::processEvents();
    EXPECT_TRUE(main->files().tbSaveAs->isEnabled());
    EXPECT_TRUE(main->mnWindowFitToImage->isEnabled());
    EXPECT_FALSE(main->tbNextWindow->isEnabled());
    main->NewImageWindow(pattern(40, 30), "b.bmp");
    QApplication::processEvents();
    EXPECT_TRUE(main->tbNextWindow->isEnabled());

    main->CloseAll();
    QApplication::processEvents();
    EXPECT_FALSE(main->files().tbSaveAs->isEnabled());
    const int before = main->EvaluationCount();
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(main->mdiArea()->viewport(), &move);
    EXPECT_EQ(main->EvaluationCount(), before) << "a mouse move does not evaluate the rules";
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
    QApplication::sendEvent(main->mdiArea()->viewport(), &key);
    EXPECT_GT(main->EvaluationCount(), before) << "any other event does";
}

TEST_F(ProgramTest, PointerReportAndPopupZoomMenus) {
    TfrmMDIChild* window = main->NewImageWindow(pattern(100, 80), "p.bmp");
    window->SetZoom(2);
    QTest::mouseMove(window->View()->viewport(), QPoint(21, 9));
    EXPECT_EQ(statusText(*main), "(10,4)   R:10,G:4,B:14");
    QTest::mouseMove(window->View()->viewport(), QPoint(15, 300));
    EXPECT_EQ(statusText(*main), "(10,4)   R:10,G:4,B:14") << "outside the picture: no report";

    window->zoomInMenu()->actions().at(2)->trigger();
    EXPECT_EQ(window->Zoom(), 4);
    window->zoomOutMenu()->actions().at(8)->trigger();
    EXPECT_EQ(window->Zoom(), -16);
    window->zoomOutMenu()->actions().at(0)->trigger();
    EXPECT_EQ(window->Zoom(), 1);
    EXPECT_EQ(window->zoomInMenu()->title(), "Zoom &In");
}

TEST_F(ProgramTest, CtrlWithTheWheelZooms) {
    TfrmMDIChild* window = main->NewImageWindow(pattern(100, 80), "w.bmp");
    const auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window->View()->viewport(), &event);
    };
    wheel(120, Qt::ControlModifier);
    EXPECT_EQ(window->Zoom(), 2);
    wheel(-120, Qt::ControlModifier);
    wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(window->Zoom(), -2);
    wheel(120, Qt::NoModifier);
    EXPECT_EQ(window->Zoom(), -2) << "the wheel alone does not zoom";
}

TEST_F(ProgramTest, ZoomToRectCentresTheRectangle) {
    TfrmMDIChild* window = main->NewImageWindow(pattern(400, 300), "z.bmp");
    window->ZoomToRect(QRect(200, 150, 50, 40));
    EXPECT_GE(window->Zoom(), 2);
    const QPoint centre = window->imageToClient(QPoint(225, 170));
    const QSize client = window->View()->viewport()->size();
    const int slack = 3 * window->Zoom() + window->Zoom();
    EXPECT_NEAR(centre.x(), client.width() / 2, slack);
    EXPECT_NEAR(centre.y(), client.height() / 2, slack);
}

TEST_F(ProgramTest, MenuTextsComeFromTheLanguageFile) {
    EXPECT_EQ(main->files().mnOpen->text(), main->language().Text("Main Menu", 1));
    EXPECT_EQ(main->mnWindowCloseAll->text(), "Close &All");
    EXPECT_EQ(main->tbTile->toolTip(), main->language().Text("Main Toolbar", 17));
    EXPECT_EQ(main->windowTitle(), "Huemark 4.04");
}

TEST(RecentFilesList, NewestFirstAtMostSevenAndNoMoving) {
    QMenu menu;
    RecentFiles recent(&menu);
    EXPECT_FALSE(recent.separator()->isVisible());
    for (int i = 1; i <= 8; ++i) {
        recent.Add(QString("/pictures/%1.jpg").arg(i));
    }
    ASSERT_EQ(recent.files().size(), 7) << "the eighth pushed the oldest out";
    EXPECT_EQ(recent.files().first(), "/pictures/8.jpg");
    EXPECT_EQ(recent.files().last(), "/pictures/2.jpg");
    recent.Add("/pictures/5.jpg");
    EXPECT_EQ(recent.files().first(), "/pictures/8.jpg") << "a known name does not move";
    EXPECT_TRUE(recent.separator()->isVisible());
    EXPECT_EQ(recent.item(0)->text(), "&1 /pictures/8.jpg");
    EXPECT_TRUE(recent.item(6)->isVisible());

    QStringList chosen;
    QObject::connect(&recent, &RecentFiles::fileChosen, [&](const QString& f) { chosen << f; });
    recent.item(2)->trigger();
    EXPECT_EQ(chosen, QStringList{"/pictures/6.jpg"});
    recent.setFiles({"a & b.png"});
    EXPECT_EQ(recent.item(0)->text(), "&1 a && b.png");
    EXPECT_FALSE(recent.item(1)->isVisible());
}
