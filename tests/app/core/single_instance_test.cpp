#include "single_instance.h"
#include "socket_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {
QString uniqueKey() {
    return "huemark-test-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// Starts the peer (a later start of the program) in `workFolder`, with `runtimeFolder` as its
// XDG_RUNTIME_DIR.
void startPeer(QProcess& peer, const QString& key, const QStringList& arguments,
               const QString& workFolder, const QString& runtimeFolder) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtimeFolder);
    peer.setProcessEnvironment(environment);
    peer.setWorkingDirectory(workFolder);
    peer.start(SINGLE_INSTANCE_PEER, QStringList{key} + arguments);
}

// Runs the peer and waits for it to end; its exit code.
int runPeer(const QString& key, const QStringList& arguments, const QString& workFolder,
            const QString& runtimeFolder) {
    QProcess peer;
    startPeer(peer, key, arguments, workFolder, runtimeFolder);
    // The peer blocks in its hand-over while this process serves the socket.
    while (!peer.waitForFinished(10)) {
        QCoreApplication::processEvents();
        if (peer.state() == QProcess::NotRunning) {
            break;
        }
    }
    return peer.exitStatus() == QProcess::NormalExit ? peer.exitCode() : -1;
}

// Lets events run for a while from inside a handler, as the progress box does while a picture
// is opened.
void runEventsFor(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
}

// Lets events run until `done` holds or ten seconds have passed.
template <typename Done> void runEventsUntil(Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10000) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
}

int permissionBits(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777)
                                                                     : -1;
}

// Where a socket named `key` lay before: the shared temporary folder.
QString sharedTempSocket(const QString& key) {
    return QDir(QDir::tempPath()).filePath(key);
}

// Collects the warnings written while it lives.
class WarningRecorder {
public:
    WarningRecorder() : previous_(qInstallMessageHandler(&record)) { warnings().clear(); }
    ~WarningRecorder() { qInstallMessageHandler(previous_); }
    static QStringList& warnings() {
        static QStringList list;
        return list;
    }

private:
    static void record(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtWarningMsg) {
            warnings().append(message);
        }
    }
    QtMessageHandler previous_;
};
} // namespace

TEST(SingleInstance, ASecondStartHandsItsFileToTheFirstAndEnds) {
    const QString key = uniqueKey();
    QTemporaryDir runtime;
    SingleInstance first(key, runtime.path());
    ASSERT_TRUE(first.claim());
    QSignalSpy handed(&first, &SingleInstance::fileHandedOver);
    QTemporaryDir work;

    EXPECT_EQ(runPeer(key, {"picture.jpg"}, work.path(), runtime.path()), 0);
    if (handed.isEmpty()) {
        handed.wait(2000);
    }
    ASSERT_EQ(handed.size(), 1);
    EXPECT_EQ(handed.at(0).at(0).toString(), QDir(work.path()).filePath("picture.jpg"))
        << "a relative name is made absolute in the second start's folder";

    EXPECT_EQ(runPeer(key, {}, work.path(), runtime.path()), 0);
    if (handed.size() < 2) {
        handed.wait(2000);
    }
    ASSERT_EQ(handed.size(), 2);
    EXPECT_EQ(handed.at(1).at(0).toString(), "") << "without a file: only come to the front";
}

TEST(SingleInstance, TheLockIsFreedWithTheFirstInstance) {
    const QString key = uniqueKey();
    QTemporaryDir runtime;
    {
        SingleInstance first(key, runtime.path());
        ASSERT_TRUE(first.claim());
        SingleInstance sameTime(key, runtime.path());
        EXPECT_FALSE(sameTime.claim());
    }
    SingleInstance later(key, runtime.path());
    EXPECT_TRUE(later.claim()) << "after the first has ended, a new start is first again";
    QTemporaryDir work;
    EXPECT_EQ(runPeer(uniqueKey(), {"x.png"}, work.path(), runtime.path()), 3)
        << "with no program running, a start is the first";
}

// The receiver opens each file through a progress box that runs events; meanwhile the sender
// has gone and its connection is deleted, and another start hands over a file.
TEST(SingleInstance, FilesArrivingWhileTheReceiverRunsEventsComeEachOnceInOrder) {
    const QString key = uniqueKey();
    QTemporaryDir runtime;
    QTemporaryDir work;
    SingleInstance first(key, runtime.path());
    ASSERT_TRUE(first.claim());
    QProcess peer;
    QStringList received;
    QObject::connect(&first, &SingleInstance::fileHandedOver, [&](const QString& file) {
        received.append(file);
        if (received.size() == 1) {
            startPeer(peer, key, {"/pictures/d.bmp"}, work.path(), runtime.path());
        }
        runEventsFor(300);
    });

    const QStringList sockets = socketsIn(runtime.path());
    ASSERT_EQ(sockets.size(), 1);
    QLocalSocket sender;
    sender.connectToServer(sockets.first());
    ASSERT_TRUE(sender.waitForConnected(2000));
    sender.write("/pictures/a.bmp\n/pictures/b.bmp\n/pictures/c.bmp\n");
    ASSERT_TRUE(sender.waitForBytesWritten(2000));
    sender.disconnectFromServer();

    runEventsUntil([&] { return received.size() >= 4 && peer.state() == QProcess::NotRunning; });
    EXPECT_EQ(received, QStringList({"/pictures/a.bmp", "/pictures/b.bmp", "/pictures/c.bmp",
                                     "/pictures/d.bmp"}));
    EXPECT_EQ(peer.exitCode(), 0);
    runEventsFor(300);
    EXPECT_EQ(received.size(), 4) << "no file is handed on twice";
}

TEST(SingleInstance, TheSocketLiesInThePrivateRuntimeFolderAndNowhereElse) {
    const QString key = uniqueKey();
    QTemporaryDir base;
    const QString runtime = base.filePath("runtime"); // missing: it is created
    SingleInstance first(key, runtime);
    ASSERT_TRUE(first.claim());

    EXPECT_EQ(permissionBits(runtime), 0700);
    const QStringList sockets = socketsIn(runtime);
    ASSERT_EQ(sockets.size(), 1);
    EXPECT_EQ(QFileInfo(sockets.first()).absolutePath(), QFileInfo(runtime).absoluteFilePath());
    EXPECT_FALSE(QFileInfo::exists(sharedTempSocket(key)));
}

// Another local user can take a socket name in the shared temporary folder before the program
// starts (the program cannot remove that user's file there); here the name is taken from under
// the running program. Whoever holds it must not learn the user's file names.
TEST(SingleInstance, AListenerOnTheOldSharedNameHearsNothing) {
    const QString key = uniqueKey();
    QTemporaryDir runtime;
    QTemporaryDir work;
    SingleInstance first(key, runtime.path());
    ASSERT_TRUE(first.claim());
    QSignalSpy handed(&first, &SingleInstance::fileHandedOver);
    QLocalServer::removeServer(key);
    QLocalServer foreign;
    ASSERT_TRUE(foreign.listen(key));

    EXPECT_EQ(runPeer(key, {"secret.jpg"}, work.path(), runtime.path()), 0);
    if (handed.isEmpty()) {
        handed.wait(2000);
    }
    ASSERT_EQ(handed.size(), 1);
    EXPECT_EQ(handed.at(0).at(0).toString(), QDir(work.path()).filePath("secret.jpg"));
    EXPECT_FALSE(foreign.hasPendingConnections());
}

TEST(SingleInstance, WithoutAPrivateFolderEveryStartRunsOnItsOwn) {
    QTemporaryDir base;
    const QString open = base.filePath("open");
    ASSERT_TRUE(QDir().mkdir(open));
    ASSERT_TRUE(QFile::setPermissions(open, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadOther | QFile::ExeOther));
    const QString groupWritable = base.filePath("group");
    ASSERT_TRUE(QDir().mkdir(groupWritable));
    ASSERT_TRUE(QFile::setPermissions(groupWritable, QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ExeOwner | QFile::WriteGroup |
                                                         QFile::ExeGroup));
    const QString plainFile = base.filePath("file");
    QFile(plainFile).open(QIODevice::WriteOnly);
    const QString unreachable = base.filePath("missing/runtime");

    for (const QString& folder : {QString(), open, groupWritable, plainFile, unreachable}) {
        SCOPED_TRACE(folder.toStdString());
        const QString key = uniqueKey();
        SingleInstance first(key, folder);
        SingleInstance second(key, folder);
        EXPECT_TRUE(first.claim());
        EXPECT_TRUE(second.claim()) << "no lock is shared through an unsafe folder";
        EXPECT_FALSE(second.handOver("picture.jpg")) << "no socket is talked to";
        EXPECT_TRUE(folder.isEmpty() || socketsIn(folder).isEmpty());
        EXPECT_FALSE(QFileInfo::exists(sharedTempSocket(key)));
    }
}

TEST(SingleInstance, AFolderOfAnotherUserIsNotUsed) {
    QTemporaryDir base;
    const QString foreignFolder = base.filePath("foreign");
    ASSERT_TRUE(QDir().mkdir(foreignFolder));
    if (::chown(QFile::encodeName(foreignFolder).constData(), 65534, 65534) != 0) {
        GTEST_SKIP() << "only the superuser can give a folder to another user";
    }
    const QString key = uniqueKey();
    SingleInstance first(key, foreignFolder);
    SingleInstance second(key, foreignFolder);
    EXPECT_TRUE(first.claim());
    EXPECT_TRUE(second.claim());
    EXPECT_FALSE(second.handOver("picture.jpg"));
    EXPECT_TRUE(socketsIn(foreignFolder).isEmpty());
}

// A socket path longer than the system allows cannot be listened on.
TEST(SingleInstance, WhenItCannotListenItSaysSoOnceAndLaterStartsRunOnTheirOwn) {
    const QString key = uniqueKey() + QString(100, 'x');
    QTemporaryDir runtime;
    WarningRecorder recorder;
    SingleInstance first(key, runtime.path());
    EXPECT_TRUE(first.claim());
    EXPECT_EQ(WarningRecorder::warnings().size(), 1);
    EXPECT_TRUE(WarningRecorder::warnings().value(0).contains("cannot listen"))
        << WarningRecorder::warnings().join('\n').toStdString();

    SingleInstance later(key, runtime.path());
    EXPECT_TRUE(later.claim()) << "a later start would hand its file to no one";
}

TEST(SingleInstanceKey, NamesTheUserAndTheDisplay) {
    const auto keyWith = [](const QString& name, const QString& value) {
        QProcessEnvironment environment;
        environment.insert(name, value);
        return SingleInstance::defaultKey(environment);
    };
    const QString x0 = keyWith("DISPLAY", ":0");
    EXPECT_TRUE(x0.contains(QString::number(::getuid())));
    EXPECT_EQ(x0, keyWith("DISPLAY", ":0"));
    EXPECT_NE(x0, keyWith("DISPLAY", ":1"));
    EXPECT_NE(x0, keyWith("DISPLAY", "_0")) << "different values never meet in one name";
    EXPECT_NE(keyWith("WAYLAND_DISPLAY", "wayland-0"), keyWith("WAYLAND_DISPLAY", "wayland-1"));
    EXPECT_NE(keyWith("XDG_SESSION_ID", "3"), keyWith("XDG_SESSION_ID", "4"));
    EXPECT_NE(SingleInstance::defaultKey(QProcessEnvironment()), x0);

    QProcessEnvironment both;
    both.insert("WAYLAND_DISPLAY", "/run/user/1000/wayland-0");
    both.insert("DISPLAY", "localhost:10.0");
    const QString key = SingleInstance::defaultKey(both);
    EXPECT_FALSE(key.contains('/')) << key.toStdString();
    QTemporaryDir runtime;
    SingleInstance instance(key, runtime.path());
    ASSERT_TRUE(instance.claim());
    EXPECT_EQ(socketsIn(runtime.path()).size(), 1) << "the key is a usable socket name";
}
