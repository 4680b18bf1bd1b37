// The example player over a small stand-in main window: glide steps, restored points, the
// control keys, the user's input kept away while playing, and the user's state put back.

#include "example_player.h"
#include "language.h"
#include "menu_items.h"
#include "message_boxes.h"
#include "player_host.h"
#include "settings_records.h"
#include "settings_store.h"
#include "show_codes.h"
#include "workspace_host.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

class FakeHost : public PlayerHost, public WorkspaceHost {
public:
    FakeHost() {
        window.setObjectName("Main");
        button = new QPushButton("Press", &window);
        button->setObjectName("tbStart");
        window.setCentralWidget(button);
        window.resize(400, 300);
        window.move(40, 30);
        window.show();
        codes.add(snStart, button);
        settings_.local.Speed = 7;
    }
    // PlayerHost
    WorkspaceHost& workspace() override { return *this; }
    QWidget* mainWindow() override { return &window; }
    const TControlCodes& controlCodes() const override { return codes; }
    int exampleBaseLeft() const override { return baseLeft; }
    int bottomPanelHeight() const override { return panelHeight; }
    bool openPicture(const QString& path) override {
        opened << path;
        return true;
    }
    bool closeAllImages() override { return true; }
    void applyConfig() override { ++configApplied; }
    QByteArray collectionBytes() const override { return collection; }
    bool collectionModified() const override { return modified; }
    bool setCollectionBytes(const QByteArray& bytes, bool isModified) override {
        collection = bytes;
        modified = isModified;
        return true;
    }
    QByteArray gammaBytes() const override { return gammas; }
    void setGammaBytes(const QByteArray& bytes) override { gammas = bytes; }
    // WorkspaceHost
    QWidget* dialogParent() override { return &window; }
    const TLanguage& language() const override { return language_; }
    PersistedSettings& settings() override { return settings_; }
    SettingsStore& store() override { return store_; }
    QString applicationTitle() const override { return "Program"; }
    QString dataFolder() const override { return HUEMARK_DATA_DIR; }
    TfrmMDIChild* NewImageWindow(std::unique_ptr<TDIBImage>, const QString&) override {
        return nullptr;
    }
    QString NextImageName() override { return {}; }
    TfrmMDIChild* activeImageWindow() const override { return nullptr; }
    QList<TfrmMDIChild*> imageWindows() const override { return {}; }
    int RunWithProgress(const QString&, bool, const std::function<int()>& call) override {
        return call();
    }
    bool Busy() const override { return false; }
    int toolMode() const override { return 0; }
    void SetToolMode(int) override {}
    QAction* addToolButton(QToolBar*, const char*, const char*, int, int) override {
        return nullptr;
    }

    QMainWindow window;
    QPushButton* button;
    TControlCodes codes;
    int baseLeft = 300;
    int panelHeight = 60;
    QStringList opened;
    int configApplied = 0;
    QByteArray collection = "user collection";
    bool modified = true;
    QByteArray gammas = "user gammas";
    PersistedSettings settings_;
    TLanguage language_;
    SettingsStore store_{QString()};
};

TShowCmd command(std::uint8_t action, std::uint8_t target, int x, int y) {
    TShowCmd cmd;
    cmd.Action = action;
    cmd.Target = target;
    cmd.X = x;
    cmd.Y = y;
    return cmd;
}

class ExamplePlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        player.SetTimeScale(0.07); // every timer at 1 ms
        player.beep = [this] { ++beeps; };
        QObject::connect(&player, &TExamplePlayer::exampleEnded,
                         [this](bool byKey) { endings.push_back(byKey); });
        setMessageResponder([this](MessageKind, const MessageTexts&) {
            ++messages;
            return MessageAnswer::Ok;
        });
    }
    void TearDown() override { setMessageResponder({}); }
    // Runs the event loop until the example ended or `ms` passed.
    void playUntilEnd(int ms = 5000) {
        QElapsedTimer clock;
        clock.start();
        while (player.Running() && clock.elapsed() < ms) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
    void pressKey(int key, Qt::KeyboardModifiers modifiers = {}) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(host.window.windowHandle(), &press);
    }

    FakeHost host;
    TExamplePlayer player{host};
    int beeps = 0;
    std::vector<bool> endings;
    int messages = 0;
};

TEST_F(ExamplePlayerTest, GlideStepsFollowTheSpeed) {
    struct Case {
        int speed, pixels, ticks;
    };
    for (const Case c : {Case{1, 2, 3}, Case{2, 2, 2}, Case{7, 7, 1}, Case{20, 20, 1}}) {
        player.SetSpeed(c.speed);
        player.SetPointerPosition({100, 100});
        ASSERT_TRUE(player.StepTowards({400, 100}));
        EXPECT_EQ(player.PointerPosition(), QPoint(100 + c.pixels, 100)) << c.speed;
        EXPECT_EQ(player.GlideTicks(), c.ticks) << c.speed;
    }
    // Diagonal: 7 pixels along (3, 4) / 5 rounds to (4, 6).
    player.SetSpeed(7);
    player.SetPointerPosition({100, 100});
    player.StepTowards({130, 140});
    EXPECT_EQ(player.PointerPosition(), QPoint(104, 106));
    // The last step lands exactly; a pointer on the target does not move.
    player.SetPointerPosition({100, 100});
    player.StepTowards({103, 100});
    EXPECT_EQ(player.PointerPosition(), QPoint(103, 100));
    EXPECT_FALSE(player.StepTowards({103, 100}));
}

TEST_F(ExamplePlayerTest, SpeedIsKeptWithinItsRange) {
    player.SetSpeed(0);
    EXPECT_EQ(host.settings_.local.Speed, 1);
    player.SetSpeed(99);
    EXPECT_EQ(host.settings_.local.Speed, 20);
}

TEST_F(ExamplePlayerTest, PointsBeyondTheScreenAreClamped) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(player.RestorePoint(command(saMouseMove, snTopLeft, 100000, 100000)),
              screen.bottomRight());
    EXPECT_EQ(player.RestorePoint(command(saMouseMove, snTopLeft, -100000, -100000)),
              screen.topLeft());
}

TEST_F(ExamplePlayerTest, RestoresTargetsAtTwoWindowSizes) {
    player.Example().Header.LayoutX = 150;
    player.Example().Header.LayoutY = 30;
    for (const QSize size : {QSize(400, 300), QSize(600, 450)}) {
        host.window.resize(size);
        host.baseLeft = size.width() / 2;
        QApplication::processEvents();
        const QPoint origin = host.window.mapToGlobal(QPoint(0, 0));
        EXPECT_EQ(player.RestorePoint(command(saMouseMove, snTopLeft, 5, 6)),
                  origin + QPoint(5, 6));
        EXPECT_EQ(player.RestorePoint(command(saMouseMove, snBottomLeft, 5, -6)),
                  origin + QPoint(5, size.height() - 6));
        TShowCmd scaled = command(saMouseMove, snTopLeft, 100, 10);
        scaled.ScaleX = 1;
        scaled.ScaleY = 1;
        // 100 * (width / 2) / 150 and 10 * 60 / 30.
        EXPECT_EQ(player.RestorePoint(scaled),
                  origin + QPoint(int(std::lround(100.0 * host.baseLeft / 150)), 20));
        EXPECT_EQ(player.RestorePoint(command(saMouseMove, snRelative, 3, 4)),
                  origin + QPoint(int(std::lround(100.0 * host.baseLeft / 150)) + 3, 24));
        const QPoint button = host.button->mapToGlobal(QPoint(0, 0));
        EXPECT_EQ(player.RestorePoint(command(saMouseMove, snStart, 7, 8)), button + QPoint(7, 8));
    }
}

TEST_F(ExamplePlayerTest, DialogPointsFollowTheOpenDialog) {
    QDialog dialog(&host.window);
    dialog.resize(200, 120);
    dialog.open();
    QApplication::processEvents();
    for (const QPoint place : {QPoint(60, 70), QPoint(150, 20)}) {
        dialog.move(place);
        QApplication::processEvents();
        EXPECT_EQ(player.RestorePoint(command(saLButtonClick, snDialog, 5, 6)),
                  dialog.mapToGlobal(QPoint(5, 6)));
    }
    dialog.reject();
    // No dialog open: the recorded offset alone, kept on the screen.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(player.RestorePoint(command(saLButtonClick, snDialog, 5, 6)),
              QPoint(std::max(5, screen.left()), std::max(6, screen.top())));
}

TEST_F(ExamplePlayerTest, PlaysAClickOnAControlWithItsOwnEvents) {
    int clicks = 0;
    QObject::connect(host.button, &QPushButton::clicked, [&] { ++clicks; });
    player.Example().AddCommand(command(saMouseMove, snStart, 5, 5));
    player.Example().AddCommand(command(saLButtonClick, snStart, 5, 5));
    player.Example().AddOpenFile("picture.png");
    player.Example().AddDelay(30);
    ASSERT_TRUE(player.Start(false));
    EXPECT_TRUE(player.PointerWindow()->isVisible());
    EXPECT_EQ(host.window.windowTitle().left(7), "Program");
    playUntilEnd();
    EXPECT_FALSE(player.Running());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(host.opened, QStringList{"picture.png"});
    EXPECT_EQ(player.PointerPosition(), host.button->mapToGlobal(QPoint(5, 5)));
    EXPECT_EQ(endings, std::vector<bool>{false});
    EXPECT_EQ(host.window.windowTitle(), "Program");
    EXPECT_FALSE(player.PointerWindow()->isVisible());
}

TEST_F(ExamplePlayerTest, UserClicksAndKeysDoNotReachTheProgram) {
    int clicks = 0;
    QObject::connect(host.button, &QPushButton::clicked, [&] { ++clicks; });
    player.Example().AddDelay(400);
    ASSERT_TRUE(player.Start(false));
    const QPointF local = host.button->mapTo(&host.window, QPoint(5, 5));
    const QPointF global = host.button->mapToGlobal(QPoint(5, 5));
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, local, local, global, Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(host.window.windowHandle(), &event);
    }
    host.button->setFocus();
    pressKey(Qt::Key_Space);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, {});
    QApplication::sendEvent(host.window.windowHandle(), &release);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(beeps, 2); // the press and the key
    player.Abort();
    // Once the example is over the user's click works again.
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, local, local, global, Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(host.window.windowHandle(), &event);
    }
    EXPECT_EQ(clicks, 1);
}

TEST_F(ExamplePlayerTest, PageKeysChangeTheSpeedAndBeepAtTheLimits) {
    player.Example().AddDelay(400);
    player.SetSpeed(19);
    ASSERT_TRUE(player.Start(false));
    pressKey(Qt::Key_PageUp);
    EXPECT_EQ(player.Speed(), 20);
    EXPECT_EQ(beeps, 0);
    pressKey(Qt::Key_PageUp);
    EXPECT_EQ(player.Speed(), 20);
    EXPECT_EQ(beeps, 1);
    player.SetSpeed(2);
    pressKey(Qt::Key_PageDown);
    EXPECT_EQ(player.Speed(), 1);
    pressKey(Qt::Key_PageDown);
    EXPECT_EQ(player.Speed(), 1);
    EXPECT_EQ(beeps, 2);
    player.Abort();
    // The speed the user chose stays after the example.
    EXPECT_EQ(host.settings_.local.Speed, 1);
}

TEST_F(ExamplePlayerTest, EscapeThenContinueGoesOnAndBreakEndsWithoutTheEndMessage) {
    int questions = 0;
    bool breakIt = false;
    player.askBreak = [&] {
        ++questions;
        return breakIt;
    };
    for (int i = 0; i < 4; ++i) {
        player.Example().AddDelay(20);
    }
    ASSERT_TRUE(player.Start(true));
    pressKey(Qt::Key_Escape);
    EXPECT_EQ(questions, 1);
    EXPECT_TRUE(player.Playing());
    playUntilEnd();
    EXPECT_EQ(endings, std::vector<bool>{false}); // ended normally after continuing
    EXPECT_EQ(player.Position(), 4);
    EXPECT_EQ(messages, 1); // the end message of an example started from the menu

    breakIt = true;
    ASSERT_TRUE(player.Start(true));
    pressKey(Qt::Key_Escape);
    EXPECT_EQ(questions, 2);
    EXPECT_FALSE(player.Running());
    EXPECT_EQ(endings, (std::vector<bool>{false, true}));
    EXPECT_EQ(messages, 1);
}

TEST_F(ExamplePlayerTest, AGlideInterruptedByTheBreakQuestionGoesOnAfterContinue) {
    player.askBreak = [] {
        // Timers keep firing while the question is open.
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 50) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return false;
    };
    const QPoint target = host.window.mapToGlobal(QPoint(200, 150));
    player.SetPointerPosition(target - QPoint(150, 0));
    player.SetSpeed(1);
    player.Example().AddCommand(command(saMouseMove, snTopLeft, 200, 150));
    ASSERT_TRUE(player.Start(false));
    while (player.PointerPosition() == target - QPoint(150, 0)) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    pressKey(Qt::Key_Escape);
    EXPECT_NE(player.PointerPosition(), target) << "the glide was over before the question";
    playUntilEnd();
    EXPECT_EQ(player.PointerPosition(), target);
    EXPECT_EQ(endings, std::vector<bool>{false});
}

TEST_F(ExamplePlayerTest, TheLanguageQuestionComesOnlyForSeveralLanguages) {
    int questions = 0;
    int answer = -1;
    player.chooseLanguage = [&](const TShowList&) {
        ++questions;
        return answer;
    };
    TShowList& example = player.Example();
    example.AddLanguage("English");
    example.InsertNote("Hello", 10, -1);
    ASSERT_TRUE(player.Start(false));
    EXPECT_EQ(questions, 0);
    player.Abort();

    example.AddLanguage("Deutsch");
    EXPECT_FALSE(player.Start(false)) << "cancelled";
    EXPECT_EQ(questions, 1);
    EXPECT_FALSE(player.Running());
    answer = 0;
    ASSERT_TRUE(player.Start(false));
    EXPECT_EQ(example.CurrentLanguage(), 0);
    player.Abort();
}

TEST_F(ExamplePlayerTest, ANoteShowsBesideThePointerForItsTime) {
    player.Example().AddLanguage("English");
    player.Example().InsertNote("A note to read", 200, -1);
    player.SetPointerPosition({50, 60});
    ASSERT_TRUE(player.Start(false));
    QLabel* note = nullptr;
    QElapsedTimer clock;
    clock.start();
    while (note == nullptr && clock.elapsed() < 2000) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == "ExampleNote" && top->isVisible()) {
                note = qobject_cast<QLabel*>(top);
            }
        }
    }
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text(), "A note to read");
    EXPECT_EQ(note->pos(), player.PointerPosition() + QPoint(10, 0));
    EXPECT_LE(note->width(), 150);
    EXPECT_TRUE(player.Running()) << "still showing the note";
    playUntilEnd();
    EXPECT_FALSE(note->isVisible());
}

TEST_F(ExamplePlayerTest, AThousandItemsPlayQuicklyWithTimeScaledDown) {
    player.SetTimeScale(0);
    for (int i = 0; i < 1000; ++i) {
        player.Example().AddDelay(1000);
    }
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(player.Start(false));
    playUntilEnd(5000);
    EXPECT_FALSE(player.Running());
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(player.Position(), 1000);
}

TEST_F(ExamplePlayerTest, WaitsWhileTheProgramIsNotTheActiveOne) {
    bool active = false;
    player.applicationActive = [&] { return active; };
    player.Example().AddDelay(1);
    player.Example().AddDelay(1);
    ASSERT_TRUE(player.Start(false));
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 100) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_EQ(player.Position(), 0);
    EXPECT_TRUE(player.Running()) << "waiting, not ended";
    active = true;
    playUntilEnd();
    EXPECT_FALSE(player.Running());
    EXPECT_EQ(player.Position(), 2);
}

TEST_F(ExamplePlayerTest, ShiftEscapeAborts) {
    bool interrupted = false;
    QObject::connect(&player, &TExamplePlayer::exampleInterrupted, [&] { interrupted = true; });
    player.Example().AddDelay(400);
    ASSERT_TRUE(player.Start(false));
    pressKey(Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_TRUE(interrupted);
    EXPECT_FALSE(player.Running());
}

TEST_F(ExamplePlayerTest, TheUsersStateIsBackAfterTheExample) {
    TConfigSettings recorded = defaultConfigSettings();
    recorded.ProgressDelay = 45;
    QByteArray block = encodeConfigBlock(recorded, {});
    block += "not a collection";
    player.Example().StateBlock = block;
    player.Example().AddDelay(400);
    host.settings_.config.ProgressDelay = 7;
    host.settings_.paletteFileName = "/home/user/mine.col";
    ASSERT_TRUE(player.Start(false));
    EXPECT_EQ(host.settings_.config.ProgressDelay, 45);
    EXPECT_TRUE(host.settings_.paletteFileName.isEmpty());
    EXPECT_NE(host.collection, "user collection");
    EXPECT_FALSE(host.modified);
    player.Abort();
    EXPECT_TRUE(host.modified) << "the user's unsaved changes are still marked";
    EXPECT_EQ(host.settings_.config.ProgressDelay, 7);
    EXPECT_EQ(host.settings_.paletteFileName, "/home/user/mine.col");
    EXPECT_EQ(host.collection, "user collection");
    EXPECT_EQ(host.gammas, "user gammas");
}

TEST_F(ExamplePlayerTest, ADamagedStateBlockDoesNotStart) {
    player.Example().StateBlock = "garbage that is no configuration";
    player.Example().AddDelay(10);
    EXPECT_FALSE(player.Start(false));
    EXPECT_FALSE(player.Running());
    EXPECT_EQ(host.collection, "user collection");
}

} // namespace
