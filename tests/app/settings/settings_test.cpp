#include "settings_records.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Reads the settings from a copy of the file, so nothing cached in this process helps.
PersistedSettings reread(const QTemporaryDir& dir, const QString& file) {
    static int copies = 0;
    const QString copy = dir.filePath(QString("copy%1.ini").arg(copies++));
    QFile::copy(file, copy);
    PersistedSettings loaded;
    loaded.load(SettingsStore(copy));
    return loaded;
}

template <typename T> bool sameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

} // namespace

TEST(Settings, FirstStartUsesTheDefaults) {
    QTemporaryDir dir;
    PersistedSettings settings;
    settings.load(SettingsStore(dir.filePath("none.ini")));
    EXPECT_EQ(settings.local.Speed, 7);
    EXPECT_EQ(settings.local.DisplayTips, 1);
    EXPECT_EQ(settings.local.JpegQuality, 8);
    EXPECT_EQ(settings.local.OpenFilterIndex, 1);
    EXPECT_EQ(settings.local.PrintFontColor, 0x80000008u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(settings.local.PrintFontName + 1),
                          settings.local.PrintFontName[0]),
              "Times New Roman");
    EXPECT_TRUE(sameBytes(settings.config, defaultConfigSettings()));
    EXPECT_EQ(settings.config.PromptToSave, 1) << "changed pictures are not closed unasked";
    EXPECT_EQ(settings.config.ProgressDelay, 1);
    EXPECT_EQ(settings.config.Operation, 0);
    EXPECT_TRUE(settings.recentFiles.isEmpty());
    EXPECT_TRUE(settings.languageFileName.isEmpty());
    EXPECT_EQ(settings.undoMegabytes, 300);
}

TEST(Settings, EverythingSurvivesAWriteAndANewReadByteForByte) {
    QTemporaryDir dir;
    const QString file = dir.filePath("huemark.ini");
    PersistedSettings settings;
    settings.languageFileName = "Russian.ini";
    settings.imageDirectory = "/home/ann/pictures; with = signs";
    settings.paletteFileName = "/home/ann/colours.col";
    for (std::size_t i = 0; i < sizeof settings.config; ++i) {
        reinterpret_cast<std::uint8_t*>(&settings.config)[i] = static_cast<std::uint8_t>(i * 7 + 1);
    }
    settings.local.Speed = 19;
    settings.local.Reserved[3] = 0xEE;
    for (int i = 0; i < 256; ++i) {
        settings.gammas.append(static_cast<char>(i));
    }
    settings.recentFiles = {"/a.jpg", "/b é.png", "/c.tif"};
    settings.undoMegabytes = 1024;
    {
        SettingsStore store(file);
        settings.save(store);
        settings.saveFileChoices(store);
    }
    const PersistedSettings back = reread(dir, file);
    EXPECT_TRUE(sameBytes(back.config, settings.config));
    EXPECT_TRUE(sameBytes(back.local, settings.local));
    EXPECT_EQ(back.gammas, settings.gammas);
    EXPECT_EQ(back.recentFiles, settings.recentFiles);
    EXPECT_EQ(back.undoMegabytes, 1024);
    EXPECT_EQ(back.imageDirectory, settings.imageDirectory);
    EXPECT_EQ(back.paletteFileName, settings.paletteFileName);
    EXPECT_EQ(back.languageFileName, "Russian.ini");
}

TEST(Settings, RecentFilesStopAtTheFirstGap) {
    QTemporaryDir dir;
    const QString file = dir.filePath("recent.ini");
    {
        SettingsStore store(file);
        store.writeString("Recent File List", "File1", "/one");
        store.writeString("Recent File List", "File2", "/two");
        store.writeString("Recent File List", "File4", "/four");
        store.sync();
    }
    EXPECT_EQ(reread(dir, file).recentFiles, QStringList({"/one", "/two"}));
}

TEST(Settings, ConfigurationBlocksOfOtherSizesOrSignatures) {
    TConfigSettings record{};
    record.LayerRange = 5;
    QByteArray extra;
    QByteArray block = encodeConfigBlock(record, {});
    ASSERT_EQ(block.size(), 4 + 6 + 4 + 104);

    TConfigSettings target{};
    target.ProgressDelay = 9;
    QByteArray wrong = block;
    wrong[5] = 'X';
    EXPECT_FALSE(decodeConfigBlock(wrong, target, extra));
    EXPECT_EQ(target.ProgressDelay, 9) << "a foreign block changes nothing";
    EXPECT_FALSE(decodeConfigBlock(block.left(8), target, extra));

    // An older, shorter record overwrites only its own bytes.
    TConfigSettings shorter{};
    shorter.LayerRange = 33;
    QByteArray older = encodeConfigBlock(shorter, {}).left(14 + 20);
    older[10] = 20;
    ASSERT_TRUE(decodeConfigBlock(older, target, extra));
    EXPECT_EQ(target.LayerRange, 33);
    EXPECT_EQ(target.ProgressDelay, 9);

    // A newer, longer record: the unknown bytes are kept and written back.
    const QByteArray tail("newer fields....", 16);
    QByteArray newer = encodeConfigBlock(record, tail);
    ASSERT_TRUE(decodeConfigBlock(newer, target, extra));
    EXPECT_EQ(extra, tail);
    EXPECT_EQ(encodeConfigBlock(target, extra), newer);

    // A size that claims more than the block holds reads only what is there.
    QByteArray cut = encodeConfigBlock(record, {}).left(14 + 30);
    target.ProgressDelay = 9;
    ASSERT_TRUE(decodeConfigBlock(cut, target, extra));
    EXPECT_EQ(target.ProgressDelay, 9);
    EXPECT_TRUE(extra.isEmpty());
}

TEST(Settings, DamagedValuesLeaveTheDefaults) {
    QTemporaryDir dir;
    const QString file = dir.filePath("damaged.ini");
    {
        SettingsStore store(file);
        store.writeBinary("", "LocalSettings", "short", 5);
        store.writeInteger("", "ConfigSettingsSize", 500);
        store.writeBinary("", "ConfigSettings", "HMCONF", 6);
        store.writeInteger("", "GammasBufSize", 10);
        store.writeBinary("", "GammasBuffer", "abc", 3);
        store.writeString("", "Other", "garbage");
        store.sync();
    }
    const PersistedSettings back = reread(dir, file);
    EXPECT_EQ(back.local.Speed, 7) << "a record of another size is not read";
    EXPECT_TRUE(sameBytes(back.config, defaultConfigSettings()));
    EXPECT_TRUE(back.gammas.isEmpty());
    QFile raw(dir.filePath("raw.ini"));
    ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
    raw.write(QByteArray("\x01\x02[General]\nLocalSettings=@ByteArray(\x00\xff)\n\xff\xfe", 40));
    raw.close();
    PersistedSettings fromGarbage;
    fromGarbage.load(SettingsStore(dir.filePath("raw.ini")));
    EXPECT_EQ(fromGarbage.local.Speed, 7);
}
