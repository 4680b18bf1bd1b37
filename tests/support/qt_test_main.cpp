// The entry of GoogleTest programs that drive widgets: a QApplication on the offscreen platform,
// in a locale without a language of its own.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The program picks its language from the locale: the tests expect the English texts.
    qputenv("LC_ALL", "C.UTF-8");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
