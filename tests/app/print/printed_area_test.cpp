// The printed-area file: its bytes, and what a damaged or missing file gives.
#include "printed_area.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <csignal>
#include <initializer_list>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray littleEndian(std::initializer_list<std::int32_t> values) {
    QByteArray bytes;
    for (std::int32_t value : values) {
        char stored[4];
        qToLittleEndian(value, stored);
        bytes.append(stored, 4);
    }
    return bytes;
}

bool loadBytes(TPageFilling& filling, QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return filling.Load(buffer);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class PrintedAreaFile : public ::testing::Test {
protected:
    QString path() const { return folder.filePath("Huemark.prn"); }
    QTemporaryDir folder;
};

TEST_F(PrintedAreaFile, IsACountAndTwentyBytesPerAreaWithoutAHeader) {
    TPageFilling filling;
    filling.AddArea({59, 60, 659, 460, 2});
    filling.AddArea({-1, 0, 70000, 5, 3});
    ASSERT_TRUE(filling.SaveFile(path()));
    EXPECT_EQ(readFile(path()), littleEndian({2, 59, 60, 659, 460, 2, -1, 0, 70000, 5, 3}));

    TPageFilling read;
    ASSERT_TRUE(read.LoadFile(path()));
    ASSERT_EQ(read.Count(), 2);
    EXPECT_EQ(read[1]->Right, 70000);
    EXPECT_EQ(read[1]->Sheet, 3);
    EXPECT_EQ(read[0]->Left, 59);
}

TEST_F(PrintedAreaFile, ACountThatDoesNotMatchTheBytesGivesAnEmptyList) {
    TPageFilling filling;
    EXPECT_TRUE(loadBytes(filling, littleEndian({1, 1, 2, 3, 4, 0})));
    EXPECT_EQ(filling.Count(), 1);
    for (const QByteArray& damaged :
         {littleEndian({2, 1, 2, 3, 4, 0}), littleEndian({0, 1, 2, 3, 4, 0}),
          littleEndian({1, 1, 2, 3, 4, 0}) + "x", littleEndian({1, 1, 2, 3, 4}), QByteArray("\1"),
          QByteArray(), littleEndian({-1, 1, 2, 3, 4, 0})}) {
        EXPECT_FALSE(loadBytes(filling, damaged)) << damaged.toHex().toStdString();
        EXPECT_EQ(filling.Count(), 0);
    }
}

TEST_F(PrintedAreaFile, AreasOfUnknownSheetsAreDropped) {
    TPageFilling filling;
    ASSERT_TRUE(
        loadBytes(filling, littleEndian({3, 1, 1, 2, 2, 4, 3, 3, 4, 4, 3, 5, 5, 6, 6, -1})));
    ASSERT_EQ(filling.Count(), 1);
    EXPECT_EQ(filling[0]->Left, 3);
}

TEST_F(PrintedAreaFile, MoreAreasThanTheLimitMarkADamagedFile) {
    const int count = TPageFilling::MaxItems + 1;
    QByteArray bytes = littleEndian({count});
    bytes.append(QByteArray(count * TPageFilling::ItemSize, '\0'));
    TPageFilling filling;
    EXPECT_FALSE(loadBytes(filling, bytes));
    EXPECT_EQ(filling.Count(), 0);
}

TEST_F(PrintedAreaFile, TheOldestAreasGiveWayAtTheLimit) {
    TPageFilling filling;
    for (int i = 0; i < TPageFilling::MaxItems + 2; ++i) {
        filling.AddArea({i, 0, i + 1, 1, 0});
    }
    ASSERT_EQ(filling.Count(), TPageFilling::MaxItems);
    EXPECT_EQ(filling[0]->Left, 2);
    ASSERT_TRUE(filling.SaveFile(path()));
    TPageFilling read;
    EXPECT_TRUE(read.LoadFile(path())) << "what is written can be read";
}

TEST_F(PrintedAreaFile, ClearingASheetLeavesTheOthers) {
    TPageFilling filling;
    filling.AddArea({0, 0, 1, 1, 2});
    filling.AddArea({0, 0, 1, 1, 0});
    filling.AddArea({0, 0, 1, 1, 2});
    filling.AddArea({0, 0, 1, 1, 3});
    filling.ClearSheet(2);
    EXPECT_EQ(filling.Count(), 2);
    EXPECT_EQ(filling.CountOnSheet(2), 0);
    EXPECT_EQ(filling.CountOnSheet(0), 1);
    EXPECT_EQ(filling.CountOnSheet(3), 1);
}

TEST_F(PrintedAreaFile, AMissingOrStrangeFileGivesAnEmptyList) {
    TPageFilling filling;
    filling.AddArea({0, 0, 1, 1, 0});
    EXPECT_FALSE(filling.LoadFile(path()));
    EXPECT_EQ(filling.Count(), 0);
    ASSERT_TRUE(QDir(folder.path()).mkdir("Huemark.prn"));
    EXPECT_FALSE(filling.LoadFile(path())) << "a folder in its place";
    const QString pipe = folder.filePath("pipe.prn");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_FALSE(filling.LoadFile(pipe)) << "a named pipe must not block";
}

TEST_F(PrintedAreaFile, AFailedWriteLeavesThePreviousFile) {
    const QByteArray previous = littleEndian({1, 1, 2, 3, 4, 0});
    writeFile(path(), previous);
    TPageFilling filling;
    for (int i = 0; i < 10; ++i) {
        filling.AddArea({i, i, i + 1, i + 1, 1});
    }
    EXPECT_FALSE(filling.SaveFile(folder.filePath("missing/Huemark.prn")));

    // A child whose files may not grow beyond 50 bytes cannot write the 204 of the list.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{50, 50};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(filling.SaveFile(path()) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save must report the failure";
    EXPECT_EQ(readFile(path()), previous);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "no temporary file is left";
}

} // namespace
