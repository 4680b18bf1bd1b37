// The recorder over the real main window: sessions driven with QTest while recording give
// exactly the expected items; a recorded example saved, loaded and played gives the same
// picture; the cut after a break; the author's window and the Make Example shortcut.
#include "program_fixture.h"

#include "example_commands.h"
#include "example_player.h"
#include "example_recorder.h"
#include "master_form.h"
#include "show_codes.h"
#include "show_list.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {
const QString picture = QString(HUEMARK_DATA_DIR) + "/Images/still-life-small.bmp";

struct Item {
    int kind; // TShowKind
    int action = -1;
    int target = -1;
    QPoint point;

    bool operator==(const Item&) const = default;
};

void PrintTo(const Item& item, std::ostream* out) {
    *out << "{kind " << item.kind << ", action " << item.action << ", target " << item.target
         << ", " << item.point.x() << "," << item.point.y() << "}";
}

Item command(int action, int target, QPoint point) {
    return {int(TShowKind::Command), action, target, point};
}
Item delay() {
    return {int(TShowKind::Delay), -1, -1, {}};
}

std::vector<Item> itemsOf(const TShowList& example) {
    std::vector<Item> items;
    for (int index = 0; index < example.Count(); ++index) {
        const TShowItem* item = example.Items(index);
        if (const auto* cmd = showItemAs<TShowCmd>(item)) {
            items.push_back(command(cmd->Action, cmd->Target, QPoint(cmd->X, cmd->Y)));
        } else {
            items.push_back({int(item->Kind()), -1, -1, {}});
        }
    }
    return items;
}

QByteArray pictureBytes(const TfrmMDIChild& window) {
    const TDIBImage& image = window.Image();
    return QByteArray(reinterpret_cast<const char*>(image.Bits),
                      qsizetype(image.RowStride()) * image.Height());
}

void answerOpenDialog(const QString& file) {
    QTimer::singleShot(0, [file] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(file);
        static_cast<QDialog*>(dialog)->accept();
    });
}
} // namespace

class ExampleRecorderTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        main->settings().config.PromptToSave = 0;
        player().SetTimeScale(0.07);
        player().beep = [] {};
        player().askBreak = [] {
            ADD_FAILURE() << "the example asked to break off";
            return true;
        };
    }
    TExampleRecorder& recorder() { return main->examples().recorder(); }
    TExamplePlayer& player() { return main->examples().player(); }
    TShowList& example() { return recorder().Example(); }
    QWidget* toolButton(QAction* action) {
        return main->findChild<QToolBar*>("ToolBar")->widgetForAction(action);
    }

    QWidget* panelButton(QAction* action) {
        for (QToolButton* button : main->findChildren<QToolButton*>()) {
            if (button->defaultAction() == action && button->isVisible()) {
                return button;
            }
        }
        ADD_FAILURE() << "no button shows " << action->objectName().toStdString();
        return nullptr;
    }
    void playUntilEnd() {
        QElapsedTimer clock;
        clock.start();
        while (player().Running() && clock.elapsed() < 20000) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        ASSERT_FALSE(player().Running()) << "the example did not end";
    }
    // Draws a rectangle region from `from` to `to` (image pixels) in the active window.
    void drawRegion(QPoint from, QPoint to) {
        TfrmMDIChild* window = main->activeImageWindow();
        QWidget* viewport = window->View()->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, window->imageToClient(from));
        QTest::mouseMove(viewport, window->imageToClient(to));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, window->imageToClient(to));
    }
    // Chooses an operation as the author does: the menu title, then the item in the menu.
    void chooseOperationFromMenu(QAction* item) {
        QMenuBar* bar = main->menuBar();
        QMenu* menu = main->correction().mmnOperation;
        const QRect title = bar->actionGeometry(menu->menuAction());
        QTest::mousePress(bar, Qt::LeftButton, {}, title.center());
        QApplication::processEvents();
        ASSERT_TRUE(menu->isVisible());
        const QPoint at = menu->actionGeometry(item).center();
        QTest::mouseClick(menu, Qt::LeftButton, {}, at);
        QApplication::processEvents();
    }
};

TEST_F(ExampleRecorderTest, RecordTakesTheScreenLayoutAndStateAndStartsEmpty) {
    example().AddDelay(5);
    ASSERT_TRUE(recorder().Record());
    EXPECT_TRUE(recorder().Recording());
    EXPECT_EQ(example().Count(), 0);
    EXPECT_TRUE(example().FileName().isEmpty());
    EXPECT_EQ(example().Header.Version, TShowHeader::currentVersion);
    EXPECT_EQ(example().Header.LayoutX, main->exampleBaseLeft());
    EXPECT_EQ(example().Header.LayoutY, main->bottomPanelHeight());
    EXPECT_EQ(example().Header.ScreenWidth, main->screen()->geometry().width());
    TConfigSettings config{};
    QByteArray extra;
    ASSERT_TRUE(decodeConfigBlock(example().StateBlock, config, extra));
    EXPECT_EQ(config.Operation, main->settings().config.Operation);
    EXPECT_TRUE(example().StateBlock.endsWith(main->collectionBytes() + main->gammaBytes()));
}

TEST_F(ExampleRecorderTest, RecordRefusesWhileAPictureStaysOpen) {
    main->settings().config.PromptToSave = 1;
    TfrmMDIChild* window = main->NewImageWindow(pattern(40, 30), "p");
    window->SetSaved(false);
    answers = {MessageAnswer::Cancel}; // the close question: keep the picture
    EXPECT_FALSE(recorder().Record());
    EXPECT_FALSE(recorder().Recording());
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].kind, MessageKind::Warning);
    main->settings().config.PromptToSave = 0;
}

TEST_F(ExampleRecorderTest, AClickRecordsMoveClickAndDelay) {
    ASSERT_TRUE(recorder().Record());
    auto* automatic = qobject_cast<QWidget*>(main->controlCodes().object(snAuto));
    QTest::mouseClick(automatic, Qt::LeftButton, {}, QPoint(5, 6));
    EXPECT_EQ(itemsOf(example()),
              (std::vector<Item>{command(saMouseMove, snAuto, {5, 6}),
                                 command(saLButtonClick, snAuto, {5, 6}), delay()}));
    EXPECT_TRUE(recorder().Modified());
}

TEST_F(ExampleRecorderTest, APressAndAReleaseApartRecordFiveItems) {
    ASSERT_TRUE(recorder().Record());
    main->files().OpenImageFile(picture); // opened outside the recording
    drawRegion({10, 8}, {50, 30});
    EXPECT_EQ(itemsOf(example()),
              (std::vector<Item>{command(saMouseMove, snChildImage, {10, 8}),
                                 command(saLButtonDown, snChildImage, {10, 8}),
                                 command(saMouseMove, snChildImage, {50, 30}),
                                 command(saLButtonUp, snChildImage, {50, 30}), delay()}));
    const auto* first = showItemAs<TShowCmd>(example().Items(0));
    EXPECT_EQ(first->Window, 0);
    EXPECT_EQ(first->ScaleX, 0);
}

TEST_F(ExampleRecorderTest, ADoubleClickIsRecordedOnce) {
    ASSERT_TRUE(recorder().Record());
    auto* automatic = qobject_cast<QWidget*>(main->controlCodes().object(snAuto));
    // As the system delivers one: press, release, double-click, release.
    QTest::mousePress(automatic, Qt::LeftButton, {}, QPoint(4, 4));
    QTest::mouseRelease(automatic, Qt::LeftButton, {}, QPoint(4, 4));
    QTest::mouseDClick(automatic, Qt::LeftButton, {}, QPoint(4, 4));
    QTest::mouseRelease(automatic, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(itemsOf(example()),
              (std::vector<Item>{command(saMouseMove, snAuto, {4, 4}),
                                 command(saLButtonDblClk, snAuto, {4, 4}), delay()}));
}

TEST_F(ExampleRecorderTest, MenuCommandsRecordThemselvesAfterTheTitle) {
    ASSERT_TRUE(recorder().Record());
    chooseOperationFromMenu(main->correction().mmnOperation->actions().at(1));
    EXPECT_EQ(main->settings().config.Operation, 1);
    const std::vector<Item> items = itemsOf(example());
    ASSERT_EQ(items.size(), 7u) << "the title: three; the command: four";
    EXPECT_EQ(items[0].target, snMenuOperation);
    EXPECT_EQ(items[1], command(saLButtonDown, snMenuOperation, items[0].point));
    EXPECT_EQ(items[2], delay());
    EXPECT_EQ(items[3], command(saMouseMove, snMenuOperationLayerCorrection, {}));
    EXPECT_EQ(items[4], delay());
    EXPECT_EQ(items[5], command(saLButtonClick, snMenuOperationLayerCorrection, {}));
    EXPECT_EQ(items[6], delay());
}

TEST_F(ExampleRecorderTest, TheRecordersOwnClicksAreNotRecorded) {
    TMasterForm& form = main->examples().masterForm();
    form.show();
    form.btRecord->click();
    ASSERT_TRUE(recorder().Recording());
    QTest::mouseClick(form.btStop, Qt::LeftButton);
    EXPECT_FALSE(recorder().Recording());
    EXPECT_EQ(example().Count(), 0);
    form.hide();
}

TEST_F(ExampleRecorderTest, NothingIsRecordedWhileStoppedOrPaused) {
    ASSERT_TRUE(recorder().Record());
    auto* automatic = qobject_cast<QWidget*>(main->controlCodes().object(snAuto));
    recorder().Pause();
    EXPECT_TRUE(recorder().active());
    QTest::mouseClick(automatic, Qt::LeftButton);
    recorder().Resume();
    recorder().Stop();
    QTest::mouseClick(automatic, Qt::LeftButton);
    EXPECT_EQ(example().Count(), 0);
    recorder().Continue();
    QTest::mouseClick(automatic, Qt::LeftButton);
    EXPECT_EQ(example().Count(), 3);
}

TEST_F(ExampleRecorderTest, TheOpenCommandBecomesOneOpenFileItem) {
    ASSERT_TRUE(recorder().Record());
    answerOpenDialog(picture);
    QTest::mouseClick(toolButton(main->files().tbOpen), Qt::LeftButton);
    ASSERT_EQ(main->imageWindows().size(), 1);
    ASSERT_EQ(example().Count(), 1);
    const auto* open = showItemAs<TShowCmdOpenFile>(example().Items(0));
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->Path, picture);
    EXPECT_FALSE(main->files().mnSaveAs->isEnabled()) << "no Save As while recording";
}

TEST_F(ExampleRecorderTest, APopUpCommandIsAClickRelativeToTheClickThatOpenedIt) {
    ASSERT_TRUE(recorder().Record());
    main->files().OpenImageFile(picture);
    TfrmMDIChild* window = main->activeImageWindow();
    QWidget* viewport = window->View()->viewport();
    const QPoint at = window->imageToClient({20, 15});
    QTest::mousePress(viewport, Qt::RightButton, {}, at);
    window->popupMenu()->popup(viewport->mapToGlobal(at));
    QApplication::processEvents();
    // The release goes to the pop-up that opened under the pointer.
    const QPointF global = viewport->mapToGlobal(at);
    QMouseEvent release(QEvent::MouseButtonRelease, window->popupMenu()->mapFromGlobal(global),
                        global, Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window->popupMenu(), &release);
    EXPECT_FALSE(window->popupMenu()->actions().isEmpty());
    const QRect item = window->popupMenu()->actionGeometry(window->copyAction());
    QTest::mouseClick(window->popupMenu(), Qt::LeftButton, {}, item.center());
    const QPoint offset =
        window->popupMenu()->mapToGlobal(item.center()) - viewport->mapToGlobal(at);
    EXPECT_EQ(itemsOf(example()),
              (std::vector<Item>{command(saMouseMove, snChildImage, {20, 15}),
                                 command(saRButtonClick, snChildImage, {20, 15}),
                                 command(saMouseMove, snRelative, offset),
                                 command(saLButtonClick, snRelative, offset), delay()}));
    EXPECT_FALSE(window->zoomInMenu()->isEnabled()) << "no zoom submenus while recording";
}

TEST_F(ExampleRecorderTest, ARecordedExampleSavedLoadedAndPlayedGivesTheSamePicture) {
    // An example finds its pictures beside its file.
    const QString besideExample = folder.filePath("still-life-small.bmp");
    ASSERT_TRUE(QFile::copy(picture, besideExample));
    main->correction().ChooseOperation(5); // the state recording starts from
    ASSERT_TRUE(recorder().Record());
    answerOpenDialog(besideExample);
    QTest::mouseClick(toolButton(main->files().tbOpen), Qt::LeftButton);
    ASSERT_EQ(main->imageWindows().size(), 1);
    chooseOperationFromMenu(main->correction().mmnOperation->actions().at(0));
    QTest::mouseClick(panelButton(main->correction().btRefWhite), Qt::LeftButton);
    drawRegion({12, 10}, {60, 40});
    QTest::mouseClick(toolButton(main->correction().tbStart), Qt::LeftButton);
    QApplication::processEvents();
    recorder().Stop();
    ASSERT_EQ(main->imageWindows().size(), 2) << "the corrected picture";
    const QByteArray recorded = pictureBytes(*main->activeImageWindow());
    const int tool = main->toolMode();
    const int regions = main->imageWindows().first()->Regions.Count();

    const QString path = folder.filePath("made.shw");
    ASSERT_TRUE(main->examples().masterForm().SaveTo(path));
    EXPECT_FALSE(recorder().Modified());
    ASSERT_TRUE(main->CloseAll());
    main->correction().ChooseOperation(2); // the user's own state afterwards
    ASSERT_EQ(example().LoadFromFile(QString(path)), TShowLoadResult::Loaded);
    // A last long pause shows the state the example's commands left.
    const int commands = example().Count();
    example().AddDelay(100000);
    player().SetSpeed(20);
    if (main->height() < example().Header.ScreenHeight) {
        answers = {MessageAnswer::Yes}; // the window is smaller than the screen recorded
    }
    ASSERT_TRUE(player().Start(false));
    QElapsedTimer clock;
    clock.start();
    while (player().Position() <= commands && clock.elapsed() < 20000) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    ASSERT_EQ(main->imageWindows().size(), 2);
    EXPECT_EQ(pictureBytes(*main->activeImageWindow()), recorded);
    EXPECT_EQ(main->settings().config.Operation, 0);
    EXPECT_EQ(main->imageWindows().first()->Regions.Count(), regions);
    EXPECT_EQ(main->toolMode(), tool);
    player().Abort();
    EXPECT_EQ(main->settings().config.Operation, 2);
}

TEST_F(ExampleRecorderTest, CuttingAfterABreakKeepsTheItemsBeforeTheOneThatRan) {
    for (int i = 0; i < 6; ++i) {
        example().AddDelay(30);
    }
    TMasterForm& form = main->examples().masterForm();
    form.show(); // shows the example's state
    bool asked = false;
    form.askCut = [&] {
        asked = true;
        return true;
    };
    form.btPlay->click();
    EXPECT_FALSE(form.isVisible()) << "hidden while playing";
    while (player().Running() && player().Position() < 4) {
        QApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    const int position = player().Position();
    QTest::keyClick(main->windowHandle(), Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_TRUE(asked);
    EXPECT_EQ(example().Count(), position - 1);
    EXPECT_TRUE(recorder().Recording()) << "recording goes on";
    EXPECT_TRUE(form.isVisible());
    recorder().Stop();
    form.hide();
}

TEST_F(ExampleRecorderTest, MakeExampleIsAShortcutOfTheMainWindow) {
    EXPECT_FALSE(main->examples().mnMakeExample->isVisible());
    QTest::keyClick(main.get(), Qt::Key_M, Qt::ControlModifier);
    EXPECT_TRUE(main->examples().masterForm().isVisible());
    EXPECT_EQ(main->examples().masterForm().windowTitle(), "Example Master");
    main->examples().masterForm().hide();
}

TEST_F(ExampleRecorderTest, ClosingAChangedExampleAsksAndSaveFailureKeepsItOpen) {
    TMasterForm& form = main->examples().masterForm();
    form.show();
    example().AddDelay(10);
    recorder().SetModified(true);
    form.chooseFile = [](bool, const QString&) { return QString("/nonexistent/folder/x.shw"); };
    answers = {MessageAnswer::Yes}; // save it
    form.close();
    EXPECT_TRUE(form.isVisible()) << "the save failed: the example stays";
    EXPECT_TRUE(recorder().Modified());
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].kind, MessageKind::Error);
    answers = {MessageAnswer::No};
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(example().Count(), 0);
}
