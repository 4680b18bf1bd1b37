#include "single_instance.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

namespace {
QString uniqueKey() {
    return "huemark-test-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// Runs the peer (a second start) and waits for it to end; its exit code.
int runPeer(const QString& key, const QStringList& arguments, const QString& folder) {
    QProcess peer;
    peer.setWorkingDirectory(folder);
    peer.start(SINGLE_INSTANCE_PEER, QStringList{key} + arguments);
    // The peer blocks in its hand-over while this process serves the socket.
    while (!peer.waitForFinished(10)) {
        QCoreApplication::processEvents();
        if (peer.state() == QProcess::NotRunning) {
            break;
        }
    }
    return peer.exitStatus() == QProcess::NormalExit ? peer.exitCode() : -1;
}
} // namespace

TEST(SingleInstance, ASecondStartHandsItsFileToTheFirstAndEnds) {
    const QString key = uniqueKey();
    SingleInstance first(key);
    ASSERT_TRUE(first.claim());
    QSignalSpy handed(&first, &SingleInstance::fileHandedOver);
    QTemporaryDir folder;

    EXPECT_EQ(runPeer(key, {"picture.jpg"}, folder.path()), 0);
    if (handed.isEmpty()) {
        handed.wait(2000);
    }
    ASSERT_EQ(handed.size(), 1);
    EXPECT_EQ(handed.at(0).at(0).toString(), QDir(folder.path()).filePath("picture.jpg"))
        << "a relative name is made absolute in the second start's folder";

    EXPECT_EQ(runPeer(key, {}, folder.path()), 0);
    if (handed.size() < 2) {
        handed.wait(2000);
    }
    ASSERT_EQ(handed.size(), 2);
    EXPECT_EQ(handed.at(1).at(0).toString(), "") << "without a file: only come to the front";
}

TEST(SingleInstance, TheLockIsFreedWithTheFirstInstance) {
    const QString key = uniqueKey();
    {
        SingleInstance first(key);
        ASSERT_TRUE(first.claim());
        SingleInstance sameTime(key);
        EXPECT_FALSE(sameTime.claim());
    }
    SingleInstance later(key);
    EXPECT_TRUE(later.claim()) << "after the first has ended, a new start is first again";
    QTemporaryDir folder;
    EXPECT_EQ(runPeer(uniqueKey(), {"x.png"}, folder.path()), 3)
        << "with no program running, a start is the first";
}
