// The main window's placement in the configuration record: its bytes, and a stored placement
// kept on the screen the program runs on.
#include "window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {
std::int32_t wordAt(const TConfigSettings& config, int offset) {
    std::int32_t value;
    std::memcpy(&value, config.WindowPlacement + offset, sizeof value);
    return value;
}

TWindowPlacement stored(TWindowEdges normal, bool maximised = false) {
    return {true, maximised, normal};
}
} // namespace

TEST(WindowPlacement, IsWrittenAsThePlacementRecord) {
    TConfigSettings config{};
    writeWindowPlacement(config, QRect(10, 20, 640, 480), true);
    EXPECT_EQ(wordAt(config, 0), 44);
    EXPECT_EQ(wordAt(config, 8), 3); // maximised
    EXPECT_EQ(wordAt(config, 28), 10);
    EXPECT_EQ(wordAt(config, 32), 20);
    EXPECT_EQ(wordAt(config, 36), 650);
    EXPECT_EQ(wordAt(config, 40), 500);
    const TWindowPlacement read = readWindowPlacement(config);
    EXPECT_TRUE(read.Stored);
    EXPECT_TRUE(read.Maximised);
    EXPECT_EQ(read.Normal.Right, 650);
    writeWindowPlacement(config, QRect(0, 0, 300, 200), false);
    EXPECT_EQ(wordAt(config, 8), 1);
    EXPECT_FALSE(readWindowPlacement(config).Maximised);
    EXPECT_FALSE(readWindowPlacement(TConfigSettings{}).Stored);
}

TEST(WindowPlacement, IsKeptOnTheScreen) {
    const QRect screen(0, 0, 1280, 1024);
    const QRect secondScreen(1280, -200, 800, 600);
    EXPECT_EQ(placementOnScreen({100, 50, 900, 650}, screen), QRect(100, 50, 800, 600));
    EXPECT_EQ(placementOnScreen({1000, 900, 1800, 1500}, screen), QRect(480, 424, 800, 600));
    EXPECT_EQ(placementOnScreen({-300, -40, 200, 400}, screen), QRect(0, 0, 500, 440));
    EXPECT_EQ(placementOnScreen({0, 0, 2000, 1500}, screen), screen);
    EXPECT_EQ(placementOnScreen({10, 10, 410, 310}, secondScreen), QRect(1280, 10, 400, 300));
    EXPECT_EQ(placementOnScreen({500, 500, 400, 600}, screen), screen); // no width
    EXPECT_EQ(placementOnScreen({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, screen), screen);
    EXPECT_EQ(placementOnScreen({INT_MAX - 10, INT_MIN, INT_MAX, INT_MIN + 10}, screen),
              QRect(1270, 0, 10, 10));
    EXPECT_EQ(placementOnScreen({0, 0, 10, 10}, QRect()), QRect());
}

TEST(WindowPlacement, PlacesAWindowOnItsScreenOnlyFromAUsablePlacement) {
    QWidget window;
    window.setGeometry(30, 40, 250, 180);
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_FALSE(placeWindow(window, {}));
    EXPECT_FALSE(placeWindow(window, stored({0, 0, 199, 400})));
    EXPECT_FALSE(placeWindow(window, stored({INT_MAX - 100, 0, INT_MAX, 400})));
    EXPECT_EQ(window.geometry(), QRect(30, 40, 250, 180)) << "left as it was";

    ASSERT_TRUE(
        placeWindow(window, stored({screen.right() + 5000, 10, screen.right() + 5300, 260})));
    EXPECT_EQ(window.geometry(), QRect(screen.right() + 1 - 300, 10, 300, 250));
    ASSERT_TRUE(placeWindow(window, stored({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, true)));
    EXPECT_TRUE(window.windowState().testFlag(Qt::WindowMaximized));
    ASSERT_TRUE(placeWindow(window, stored({20, 20, 320, 220})));
    EXPECT_FALSE(window.windowState().testFlag(Qt::WindowMaximized));
    EXPECT_EQ(window.geometry(), QRect(20, 20, 300, 200));
}
