// The example player over the real main window: the control codes and an example that marks
// a White region and presses Start, against doing the same by hand; every kind of target, the
// Examples menu, the player window and the tips box, and the user's state after an example.
#include "program_fixture.h"

#include "example_commands.h"
#include "example_player.h"
#include "gamma_form.h"
#include "operation_panel.h"
#include "palette_panel.h"
#include "panorama_form.h"
#include "play_show_dialog.h"
#include "show_codes.h"
#include "window_placement.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <cstring>

namespace {
const QString picture = QString(HUEMARK_DATA_DIR) + "/Images/still-life-small.bmp";
constexpr QPoint regionFrom(12, 10);
constexpr QPoint regionTo(60, 40);

TShowCmd command(std::uint8_t action, std::uint8_t target, QPoint point = {}, int window = -1) {
    TShowCmd cmd;
    cmd.Action = action;
    cmd.Target = target;
    cmd.X = point.x();
    cmd.Y = point.y();
    cmd.Window = window;
    return cmd;
}

QByteArray pictureBytes(const TfrmMDIChild& window) {
    const TDIBImage& image = window.Image();
    return QByteArray(reinterpret_cast<const char*>(image.Bits),
                      qsizetype(image.RowStride()) * image.Height());
}
} // namespace

class ExampleProgramTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        main->settings().config.PromptToSave = 0;
        main->examples().player().SetTimeScale(0.07);
        main->examples().player().beep = [] {};
    }

    void playUntilEnd() {
        QElapsedTimer clock;
        clock.start();
        while (main->examples().player().Running() && clock.elapsed() < 20000) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        ASSERT_FALSE(main->examples().player().Running()) << "the example did not end";
    }
};

TEST_F(ExampleProgramTest, EveryNamedControlAndMenuHasItsCode) {
    const TControlCodes& codes = main->controlCodes();
    for (int code = TControlCodes::firstCode; code <= TControlCodes::lastCode; ++code) {
        const char* name = showTargetControl(std::uint8_t(code));
        QObject* object = codes.object(code);
        EXPECT_NE(object, nullptr) << showTargetName(std::uint8_t(code));
        if (object != nullptr && *name != '\0') {
            EXPECT_EQ(object->objectName(), name);
        }
        EXPECT_EQ(codes.codeOf(object), code);
    }
    EXPECT_EQ(codes.object(snMenuExamples), static_cast<QObject*>(main->examples().mmnExamples));
    EXPECT_EQ(codes.object(snGammaDialog), static_cast<QObject*>(main->gammaList()));
    EXPECT_EQ(codes.object(snStart), static_cast<QObject*>(main->correction().tbStart));
}

TEST_F(ExampleProgramTest, ControlsAndMenusHaveGeometryInsideTheWindow) {
    EXPECT_FALSE(main->menuBar()->isNativeMenuBar());
    const QRect window(main->mapToGlobal(QPoint(0, 0)), main->size());
    for (int code : {int(snOpen), int(snZoom1to1), int(snRefWhite), int(snStart), int(snMenuFile),
                     int(snMenuHelp), int(snMenuOperationColorFilter)}) {
        const QRect rect = main->controlCodes().screenRect(code);
        EXPECT_FALSE(rect.isEmpty()) << showTargetName(std::uint8_t(code));
        EXPECT_TRUE(window.contains(rect.center())) << showTargetName(std::uint8_t(code));
    }
    // A menu command lies below its menu's title.
    const QRect title = main->controlCodes().screenRect(snMenuOperation);
    const QRect item = main->controlCodes().screenRect(snMenuOperationLayerCorrection);
    EXPECT_GT(item.top(), title.bottom());
    EXPECT_GE(item.left(), title.left());
}

TEST_F(ExampleProgramTest, AnExampleMarkingWhiteAndStartingGivesTheHandMadePixels) {
    // By hand.
    ASSERT_TRUE(main->files().OpenImageFile(picture));
    TfrmMDIChild* source = main->activeImageWindow();
    ASSERT_NE(source, nullptr);
    main->correction().btRefWhite->trigger();
    QWidget* viewport = source->View()->viewport();
    const QPoint from = source->imageToClient(regionFrom);
    const QPoint to = source->imageToClient(regionTo);
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, (from + to) / 2);
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    main->correction().tbStart->trigger();
    QApplication::processEvents();
    const QByteArray byHand = pictureBytes(*main->activeImageWindow());
    ASSERT_NE(byHand, pictureBytes(*source)) << "the correction changed nothing";
    ASSERT_TRUE(main->CloseAll());
    main->SetToolMode(0);

    // By the example: the first window of an empty workspace has number 0.
    TShowList& example = main->examples().player().Example();
    example.AddOpenFile(picture);
    example.AddCommand(command(saMouseMove, snRefWhite, {4, 4}));
    example.AddCommand(command(saLButtonClick, snRefWhite, {4, 4}));
    example.AddCommand(command(saMouseMove, snChildImage, regionFrom, 0));
    example.AddCommand(command(saLButtonDown, snChildImage, regionFrom, 0));
    example.AddCommand(command(saMouseMove, snChildImage, regionTo, 0));
    example.AddCommand(command(saLButtonUp, snChildImage, regionTo, 0));
    example.AddCommand(command(saMouseMove, snStart, {4, 4}));
    example.AddCommand(command(saLButtonClick, snStart, {4, 4}));
    main->examples().player().SetSpeed(20);
    messages.clear();
    ASSERT_TRUE(main->examples().player().Start(true));
    playUntilEnd();
    ASSERT_NE(main->activeImageWindow(), nullptr);
    EXPECT_EQ(main->imageWindows().size(), 2);
    EXPECT_EQ(pictureBytes(*main->activeImageWindow()), byHand);
    ASSERT_EQ(messages.size(), 1u); // the end message
    EXPECT_EQ(main->windowTitle(), main->applicationTitle());
}

TEST_F(ExampleProgramTest, UsersSettingsCollectionAndGammaListAreBackAfterTheExample) {
    main->collections().palettePanel()->Modified = true;
    const QByteArray collection = main->collectionBytes();
    const QByteArray gammas = main->gammaBytes();
    const TConfigSettings user = main->settings().config;
    const QRect userGeometry = main->geometry();
    TConfigSettings recorded = user;
    recorded.Operation = user.Operation == 1 ? 0 : 1;
    recorded.Auto = user.Auto == 0 ? 1 : 0;
    recorded.LayerRange = user.LayerRange == 37 ? 38 : 37;
    recorded.ColourMode = user.ColourMode == 2 ? 0 : 2;
    recorded.CreateNewWindow = user.CreateNewWindow == 0 ? 1 : 0;
    // Recorded far to the right of any screen this test runs on.
    writeWindowPlacement(recorded, QRect(50000, 40, 500, 350), false);
    QByteArray block = encodeConfigBlock(recorded, {});
    block += QByteArray("no collection");
    TShowList& example = main->examples().player().Example();
    example.StateBlock = block;
    example.AddDelay(200);
    ASSERT_TRUE(main->examples().player().Start(false));
    const TOperationPanel& panel = *main->correction().operationPanel();
    EXPECT_EQ(main->settings().config.Operation, recorded.Operation);
    EXPECT_EQ(panel.chbAuto->isChecked(), recorded.Auto != 0);
    EXPECT_EQ(panel.edtLayerRange->Value(), recorded.LayerRange);
    EXPECT_EQ(panel.rbtBrightness->isChecked(), recorded.ColourMode == 2);
    EXPECT_EQ(main->correction().cmbCreateNewImage->isChecked(), recorded.CreateNewWindow != 0);
    EXPECT_EQ(main->height(), 350);
    EXPECT_TRUE(main->screen()->availableGeometry().contains(main->pos())) << "kept on the screen";
    EXPECT_NE(main->collectionBytes(), collection);
    EXPECT_FALSE(main->collectionModified());

    main->examples().player().Abort();
    EXPECT_EQ(std::memcmp(&main->settings().config, &user, sizeof user), 0);
    EXPECT_EQ(panel.chbAuto->isChecked(), user.Auto != 0);
    EXPECT_EQ(panel.edtLayerRange->Value(), user.LayerRange);
    EXPECT_EQ(panel.rbtBrightness->isChecked(), user.ColourMode == 2);
    EXPECT_EQ(main->correction().cmbCreateNewImage->isChecked(), user.CreateNewWindow != 0);
    EXPECT_EQ(main->geometry(), userGeometry);
    EXPECT_EQ(main->collectionBytes(), collection);
    EXPECT_TRUE(main->collectionModified());
    EXPECT_EQ(main->gammaBytes(), gammas);
}

TEST_F(ExampleProgramTest, YesInTheTipsBoxPlaysTheTechniqueJustShown) {
    main->settings().local.DisplayTips = 1;
    main->settings().local.NextTip = 15;
    QTimer::singleShot(0, [] {
        for (QPushButton* button :
             QApplication::activeModalWidget()->findChildren<QPushButton*>()) {
            if (button->text() == "Yes") {
                button->click();
            }
        }
    });
    TExamplePlayer& player = main->examples().player();
    player.chooseLanguage = [](const TShowList&) { return 0; };
    main->settingsCommands().showTipsAtStart();
    EXPECT_TRUE(player.Running());
    EXPECT_EQ(QFileInfo(player.Example().FileName()).fileName(), "Example15.shw");
    EXPECT_EQ(main->settings().local.NextTip, 1);
    player.Abort();
}

TEST_F(ExampleProgramTest, AMoveWindowItemDragsTheActiveImageWindowWithThePointer) {
    TExamplePlayer& player = main->examples().player();
    TShowList& example = player.Example();
    example.AddOpenFile(picture);
    example.AddCommand(command(saMouseMove, snChildTopLeft, {30, 8}, 0));
    example.AddCommand(command(saMoveWindow, snTopLeft, {300, 200}));
    player.SetSpeed(20);
    ASSERT_TRUE(player.Start(false));
    playUntilEnd();
    const QPoint target = main->mapToGlobal(QPoint(300, 200));
    EXPECT_EQ(player.PointerPosition(), target);
    TfrmMDIChild* window = main->activeImageWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->mapToGlobal(QPoint(30, 8)), target) << "the window kept its grip";
}

TEST_F(ExampleProgramTest, APanoramaPointIsFoundAgainAfterTheWindowChanged) {
    const TLanguage& language = main->language();
    auto first = pattern(120, 90);
    auto second = pattern(90, 70);
    TPanoramaForm form(language, main.get());
    form.LoadImages(
        {{"a.bmp", first->Header, first->Bits}, {"b.bmp", second->Header, second->Bits}});
    form.resize(640, 480);
    form.open();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeModalWidget(), &form);
    form.SetZoom(-2); // a reduced view is restored to its zoom
    auto* canvas = form.findChild<QAbstractScrollArea*>();
    ASSERT_NE(canvas, nullptr);
    const PanoramaLocation recorded = form.Locate(canvas->viewport()->mapToGlobal(QPoint(40, 30)));
    TShowCmd cmd = command(saLButtonClick, snPanorama, recorded.Point);
    cmd.ScaleX = recorded.XWindowRelative ? 1 : 0;
    cmd.ScaleY = recorded.YWindowRelative ? 1 : 0;
    cmd.SetPanorama(recorded.Zone, recorded.Zoom);
    TExamplePlayer& player = main->examples().player();
    for (const QSize size : {QSize(640, 480), QSize(760, 540)}) {
        form.resize(size);
        form.SetZoom(3);
        QApplication::processEvents();
        const PanoramaLocation found = form.Locate(player.RestorePoint(cmd));
        EXPECT_EQ(found.Zone, recorded.Zone);
        EXPECT_EQ(found.Zoom, recorded.Zoom);
        EXPECT_EQ(found.Point, recorded.Point);
    }
    form.reject();
}

// A data folder with the language files but without the examples.
class ExamplesMissingTest : public ExampleProgramTest {
protected:
    void configure() override {
        const QString language = shipped.filePath("Language");
        QDir().mkpath(language);
        QFile::copy(QString(HUEMARK_DATA_DIR) + "/Language/English.ini", language + "/English.ini");
        dataFolder = shipped.path();
    }
    QTemporaryDir shipped;
};

TEST_F(ExamplesMissingTest, AMissingBuiltInExampleIsReported) {
    main->examples().PlayExample(15);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Warning);
    EXPECT_TRUE(messages[0].text.contains("Example15.shw"));
    EXPECT_FALSE(main->examples().player().Running());
}

TEST_F(ExampleProgramTest, ImageWindowTargetsAtTwoWindowSizes) {
    TfrmMDIChild* window = main->NewImageWindow(pattern(300, 200), "p");
    ASSERT_EQ(window->WindowNumber(), 0);
    TExamplePlayer& player = main->examples().player();
    for (const QSize size : {QSize(200, 150), QSize(320, 260)}) {
        window->resize(size);
        window->SetZoom(1);
        QApplication::processEvents();
        const QPoint topLeft = window->mapToGlobal(QPoint(0, 0));
        EXPECT_EQ(player.RestorePoint(command(saMouseMove, snChildTopLeft, {30, 4}, 0)),
                  topLeft + QPoint(30, 4));
        // Narrower than the recorded x: the middle of the window.
        EXPECT_EQ(player.RestorePoint(command(saMouseMove, snChildTopLeft, {1000, 4}, 0)),
                  topLeft + QPoint(size.width() / 2, 4));
        EXPECT_EQ(player.RestorePoint(command(saMouseMove, snChildTopRight, {-20, 4}, 0)),
                  topLeft + QPoint(size.width() - 20, 4));
        // An image point at zoom 1 is the viewport's point minus the scroll position.
        const QPoint shown = player.RestorePoint(command(saMouseMove, snChildImage, {25, 15}, 0));
        EXPECT_EQ(window->clientToImage(window->View()->viewport()->mapFromGlobal(shown)),
                  QPoint(25, 15));
        // A window that no longer exists: the point still lands on the screen.
        const QPoint gone = player.RestorePoint(command(saMouseMove, snChildTopLeft, {5, 5}, 9));
        EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().contains(gone));
    }
}

TEST_F(ExampleProgramTest, MenuTargetsFollowTheMenuBar) {
    TExamplePlayer& player = main->examples().player();
    for (const int width : {700, 1000}) {
        main->resize(width, 600);
        QApplication::processEvents();
        const QRect title =
            main->menuBar()->actionGeometry(main->examples().mmnExamples->menuAction());
        EXPECT_EQ(player.RestorePoint(command(saLButtonClick, snMenuExamples)),
                  main->menuBar()->mapToGlobal(title.center()));
    }
}

TEST_F(ExampleProgramTest, PlayerDialogListsPlaysAllAndComesBack) {
    TPlayShowDlg& dialog = main->examples().playerDialog();
    EXPECT_FALSE(dialog.btPlayOne->isEnabled()) << "nothing selected yet";
    EXPECT_FALSE(dialog.btPlayAll->isEnabled());
    const auto write = [&](const QString& name, const QString& title) {
        TShowList example;
        example.Header.Version = TShowHeader::currentVersion;
        example.Header.SetDisplayTitle(title);
        example.AddDelay(20);
        const QString path = folder.filePath(name);
        EXPECT_TRUE(example.SaveToFile(path));
        return path;
    };
    const QString one = write("one.shw", "Sunset");
    const QString two = write("two.shw", "");
    QFile junk(folder.filePath("junk.shw"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not an example");
    junk.close();
    dialog.chooseFiles = [&] { return QStringList{one, junk.fileName(), two}; };
    dialog.btLoadShow->click();
    ASSERT_EQ(dialog.lbShows->count(), 2);
    EXPECT_EQ(dialog.lbShows->item(0)->text(), "Sunset - one.shw");
    EXPECT_EQ(dialog.lbShows->item(1)->text(), "two.shw");
    EXPECT_TRUE(dialog.btPlayAll->isEnabled());

    dialog.show();
    dialog.seSpeed->setValue(12);
    EXPECT_EQ(main->settings().local.Speed, 12);
    dialog.SetPause(10);
    dialog.btPlayAll->click();
    EXPECT_FALSE(dialog.isVisible()) << "hidden while an example plays";
    EXPECT_EQ(main->examples().player().Example().FileName(), one);
    QElapsedTimer clock;
    clock.start();
    while (!dialog.isVisible() && clock.elapsed() < 10000) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_TRUE(dialog.isVisible()) << "shown again after the last example";
    EXPECT_EQ(main->examples().player().Example().FileName(), two);
    EXPECT_TRUE(messages.empty()) << "no end message for examples the dialog plays";
}

TEST_F(ExampleProgramTest, PlayerCommandNeedsAnEmptyWorkspace) {
    EXPECT_TRUE(main->examples().mnShowPlayer->isEnabled());
    main->NewImageWindow(pattern(40, 30), "p");
    main->EvaluateEnablingRules();
    EXPECT_FALSE(main->examples().mnShowPlayer->isEnabled());
}
