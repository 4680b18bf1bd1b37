// The entry of GoogleTest programs that play examples over the whole main window: a
// QApplication on the offscreen platform with a screen wide enough for the main window, so
// every control the examples click lies on the screen.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" HUEMARK_WIDE_SCREEN_CONFIG);
    // The program picks its language from the locale: the tests expect the English texts.
    qputenv("LC_ALL", "C.UTF-8");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
