// Starts the program on an X display (Xvfb), lets it open a picture and takes a screenshot of
// the whole screen: the picture must be on it. The screenshot is kept beside the test. Both
// this test and the program use the X display whatever platform the caller's environment names.
#include "apple_pixels.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {
constexpr const char* xcb = "xcb";

// The caller's environment with the X platform and private runtime and configuration folders,
// so that neither the caller's platform nor its settings change what the program shows.
QProcessEnvironment programEnvironment(const QTemporaryDir& home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", xcb);
    environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
    environment.insert("XDG_DATA_HOME", home.filePath("data"));
    environment.insert("XDG_RUNTIME_DIR", home.path());
    return environment;
}
} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", xcb); // the screenshot is of the X display
    QGuiApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: screenshot_test PROGRAM PICTURE SCREENSHOT\n");
        return 2;
    }
    QTemporaryDir home;
    QProcess program;
    program.setProcessEnvironment(programEnvironment(home));
    program.start(argv[1], {argv[2]});
    if (!program.waitForStarted()) {
        std::fprintf(stderr, "the program did not start\n");
        return 1;
    }
    QImage shot;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 20000) {
        QThread::msleep(250);
        shot = application.primaryScreen()->grabWindow(0).toImage().convertToFormat(
            QImage::Format_RGB32);
        if (applePixels(shot) > 2000) {
            break;
        }
    }
    shot.save(argv[3]);
    program.kill();
    program.waitForFinished();
    const int found = applePixels(shot);
    std::printf("%d picture pixels on screen after %lld ms\n", found, waited.elapsed());
    return found > 2000 ? 0 : 1;
}
