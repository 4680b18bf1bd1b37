// The program started twice on an X display (Xvfb), as a user does: the second start hands its
// picture to the first and ends; the first opens the picture through its progress box, shows
// it and keeps running. Each run has its own runtime, settings, data and temporary folders.
// Run under xvfb-run; the program's path comes from the build.
#include "apple_pixels.h"
#include "socket_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLocalServer>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int waitLimitMs = 20000;
const QString firstPicture = HUEMARK_DATA_DIR "/Images/still-life-small.bmp";
const QString handedPicture = HUEMARK_DATA_DIR "/Images/scanned-letter-yellowed.png";

// Pixels of the yellowed letter's paper: pale yellow, absent from the still life, the program's
// windows and the empty screen.
int paperPixels(const QImage& shot) {
    int count = 0;
    for (int y = 0; y < shot.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
        for (int x = 0; x < shot.width(); ++x) {
            const int red = qRed(line[x]);
            const int blue = qBlue(line[x]);
            count +=
                red > 230 && qGreen(line[x]) > 215 && blue > 160 && blue < 215 && red - blue > 35;
        }
    }
    return count;
}

QImage screenshot() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
        QImage::Format_RGB32);
}

// Lets events run for a while.
void runEventsFor(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents();
        QThread::msleep(50);
    }
}

// Lets events run and polls `done` until it holds or the limit has passed; whether it held.
bool waitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > waitLimitMs) {
            return false;
        }
        runEventsFor(100);
    }
    return true;
}

class HandOver : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        for (const char* folder : {"runtime", "config", "data", "tmp"}) {
            ASSERT_TRUE(QDir(home_.path()).mkdir(folder));
        }
        ASSERT_TRUE(QFile::setPermissions(runtime(),
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    void TearDown() override {
        for (QProcess* program : {&first_, &second_}) {
            program->kill();
            program->waitForFinished();
        }
    }

    QString runtime() const { return home_.filePath("runtime"); }
    QString temp() const { return home_.filePath("tmp"); }

    // The program's environment: the X display of this test, the xcb platform whatever the
    // caller uses, and this run's own folders.
    QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("XDG_RUNTIME_DIR", runtime());
        environment.insert("XDG_CONFIG_HOME", home_.filePath("config"));
        environment.insert("XDG_DATA_HOME", home_.filePath("data"));
        environment.insert("TMPDIR", temp());
        return environment;
    }

    void start(QProcess& program, const QString& picture) {
        program.setProcessEnvironment(environment());
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(HUEMARK_PROGRAM, {picture});
        ASSERT_TRUE(program.waitForStarted());
    }

    // Starts the first program and waits until it shows its picture.
    void startFirst() {
        start(first_, firstPicture);
        ASSERT_TRUE(waitFor([] { return applePixels(screenshot()) > 2000; }))
            << "the first program shows its picture";
        ASSERT_EQ(first_.state(), QProcess::Running);
    }

    // Starts the program again with the letter; it must hand it over and end at once.
    void handOverTheLetter() {
        start(second_, handedPicture);
        ASSERT_TRUE(second_.waitForFinished(waitLimitMs)) << "the second start ends";
        EXPECT_EQ(second_.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second_.exitCode(), 0);
    }

    // The first program shows the letter and is still running a while later.
    void expectTheFirstShowsTheLetterAndLives(int paperBefore) {
        const auto showsLetter = [&] { return paperPixels(screenshot()) > paperBefore + 20000; };
        waitFor([&] { return first_.state() != QProcess::Running || showsLetter(); });
        EXPECT_TRUE(showsLetter()) << "the first program shows the handed-over letter";
        runEventsFor(1500);
        EXPECT_EQ(first_.state(), QProcess::Running) << "the first program is still running";
    }

    QTemporaryDir home_;
    QProcess first_;
    QProcess second_;
};
} // namespace

TEST_F(HandOver, TheFirstProgramOpensTheHandedOverPictureAndKeepsRunning) {
    ASSERT_NO_FATAL_FAILURE(startFirst());
    const int paperBefore = paperPixels(screenshot());
    ASSERT_NO_FATAL_FAILURE(handOverTheLetter());
    expectTheFirstShowsTheLetterAndLives(paperBefore);
}

TEST_F(HandOver, GoesThroughThePrivateRuntimeFolderOnly) {
    ASSERT_NO_FATAL_FAILURE(startFirst());
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(runtime()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    EXPECT_EQ(socketsIn(runtime()).size(), 1);
    EXPECT_TRUE(socketsIn(temp()).isEmpty()) << "no socket in the temporary folder";

    // Another local user can take the program's old socket name in the shared temporary
    // folder; here it is taken from under the running program.
    const QString sharedName = QDir(temp()).filePath(QString("huemark-%1").arg(::getuid()));
    QLocalServer::removeServer(sharedName);
    QLocalServer foreign;
    ASSERT_TRUE(foreign.listen(sharedName));
    int foreignConnections = 0;
    QObject::connect(&foreign, &QLocalServer::newConnection, [&] { ++foreignConnections; });

    const int paperBefore = paperPixels(screenshot());
    ASSERT_NO_FATAL_FAILURE(handOverTheLetter());
    expectTheFirstShowsTheLetterAndLives(paperBefore);
    EXPECT_EQ(foreignConnections, 0);
    EXPECT_FALSE(foreign.hasPendingConnections());
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb"); // the test reads the X screen the programs show on
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
