// The example file byte for byte: writing, reading back, header-only reading, and files that
// are not examples or are damaged.
#include "example_bytes.h"
#include "show_codes.h"
#include "show_list.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace example_bytes;

namespace {

// An example with every kind of item and two languages.
void buildHandBuiltExample(TShowList& list) {
    list.Header.ScreenWidth = 1280;
    list.Header.ScreenHeight = 1024;
    list.Header.LayoutX = 600;
    list.Header.LayoutY = 120;
    list.Header.WindowState = 2;
    list.Header.SetDisplayTitle("Colour cast");
    list.StateBlock = QByteArray("\x01\x02\x03", 3);
    list.AddLanguage("English");
    list.AddLanguage("Deutsch");

    TShowCmd click;
    click.Action = saLButtonClick;
    click.Target = snPanorama;
    click.X = -5;
    click.Y = 300;
    click.Window = 1;
    click.ScaleX = 1;
    click.SetPanorama(3, -2);
    list.AddCommand(click);

    EXPECT_EQ(list.InsertNote("Hallo", 1500, 1), 1); // Deutsch, the language added last
    list.SetCurrentLanguage(0);
    list.SetNote(1, 2000, "Hello");
    list.AddDelay(250);
    list.AddOpenFile("/some/folder/still-life.jpg");
}

// buildHandBuiltExample() as its file, field by field.
QByteArray handBuiltExampleBytes() {
    QByteArray bytes = "HMSHOW";
    bytes += QByteArray::fromHex("05000000"        // version
                                 "00050000"        // screen width 1280
                                 "00040000"        // screen height 1024
                                 "58020000"        // horizontal layout reference 600
                                 "78000000"        // vertical layout reference 120
                                 "02");            // maximised
    bytes += "Colour cast" + QByteArray(60, '\0'); // title, 71 bytes with its zeros
    bytes += QByteArray::fromHex("02000000") + QByteArray::fromHex("07000000") + "English" +
             QByteArray::fromHex("07000000") + "Deutsch";
    bytes += QByteArray::fromHex("03000000 010203"); // state block
    bytes += QByteArray::fromHex("04000000");        // items
    bytes += QByteArray::fromHex("00 02 08 00"       // command: click, panorama
                                 "FBFFFFFF"          // x -5
                                 "2C010000"          // y 300
                                 "01000000"          // image window 1
                                 "01 00"             // x rescaled, y not
                                 "03000000 FEFFFFFF" // panorama zone 3, zoom -2
                                 "000000000000000000000000"
                                 "0000");
    bytes += QByteArray::fromHex("01 02000000") +                         // note, two entries
             QByteArray::fromHex("D0070000 05000000") + "Hello" +         // 2000 ms
             QByteArray::fromHex("DC050000 05000000") + "Hallo";          // 1500 ms
    bytes += QByteArray::fromHex("02000000 FA000000");                    // delay 250 ms
    bytes += QByteArray::fromHex("03000000 0E000000") + "still-life.jpg"; // bare name only
    return bytes;
}

QString pathIn(const QTemporaryDir& folder, const QString& name) {
    return QDir(folder.path()).filePath(name);
}

} // namespace

TEST(ExampleFile, SavesAHandBuiltExampleByteForByte) {
    TShowList list;
    buildHandBuiltExample(list);
    EXPECT_EQ(save(list).toHex(' '), handBuiltExampleBytes().toHex(' '));
}

TEST(ExampleFile, LoadsEveryFieldAndSavesTheSameBytes) {
    TShowList list;
    ASSERT_EQ(load(list, handBuiltExampleBytes(), "/elsewhere"), TShowLoadResult::Loaded);
    EXPECT_EQ(list.Header.Version, 5u);
    EXPECT_EQ(list.Header.DisplayTitle(), "Colour cast");
    EXPECT_EQ(list.Header.MainWindowState(), TShowWindowState::Maximised);
    EXPECT_EQ(list.StateBlock, QByteArray("\x01\x02\x03", 3));
    EXPECT_EQ(list.LanguageCount(), 2);
    EXPECT_EQ(list.Language(1), "Deutsch");
    EXPECT_EQ(list.CurrentLanguage(), 0);
    ASSERT_EQ(list.Count(), 4);

    const auto* click = showItemAs<TShowCmd>(list[0]);
    ASSERT_NE(click, nullptr);
    EXPECT_EQ(click->Action, saLButtonClick);
    EXPECT_EQ(click->Target, snPanorama);
    EXPECT_EQ(click->X, -5);
    EXPECT_EQ(click->Y, 300);
    EXPECT_EQ(click->Window, 1);
    EXPECT_EQ(click->ScaleX, 1);
    EXPECT_EQ(click->ScaleY, 0);
    EXPECT_EQ(click->PanoramaZone(), 3);
    EXPECT_EQ(click->PanoramaZoom(), -2);

    EXPECT_EQ(list.GetNote(1).Text, "Hello");
    EXPECT_EQ(list.GetNote(1).Time, 2000u);
    list.SetCurrentLanguage(1);
    EXPECT_EQ(list.GetNote(1).Text, "Hallo");
    EXPECT_EQ(list.GetNote(1).Time, 1500u);
    EXPECT_EQ(showItemAs<TShowDelay>(list[2])->Milliseconds, 250u);
    EXPECT_EQ(showItemAs<TShowCmdOpenFile>(list[3])->Path, "/elsewhere/still-life.jpg");

    EXPECT_EQ(save(list).toHex(' '), handBuiltExampleBytes().toHex(' '));
}

TEST(ExampleFile, KeepsTextsThatAreNotUtf8ByteForByte) {
    const QByteArray latin1Title = "Caf\xe9";
    const QByteArray bytes = preamble(5, latin1Title) + languages({"Espa\xf1ol"}) + u32(0) +
                             u32(1) + note({{700, "\xa1Hola!"}});
    TShowList list;
    ASSERT_EQ(load(list, bytes), TShowLoadResult::Loaded);
    EXPECT_EQ(list.Header.DisplayTitle(), QString::fromUtf8("Caf\u00e9"));
    EXPECT_EQ(list.Language(0), QString::fromUtf8("Espa\u00f1ol"));
    EXPECT_EQ(list.GetNote(0).Text, QString::fromUtf8("\u00a1Hola!"));
    EXPECT_EQ(save(list), bytes);
}

TEST(ExampleFile, AnExampleWithoutLanguagesKeepsNotesWithoutEntries) {
    const QByteArray bytes = file(languages({}), 2, note({}) + delay(10));
    TShowList list;
    ASSERT_EQ(load(list, bytes), TShowLoadResult::Loaded);
    EXPECT_EQ(list.CurrentLanguage(), -1);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_TRUE(showItemAs<TNoteList>(list[0])->Entries.empty());
    EXPECT_EQ(list.GetNote(0).Text, "");
    EXPECT_EQ(list.GetNote(0).Time, 0u);
    EXPECT_EQ(save(list), bytes);
}

TEST(ExampleFile, SavesAndLoadsFilesAndKnowsTheirName) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = pathIn(folder, "demo.shw");
    TShowList list;
    buildHandBuiltExample(list);
    ASSERT_TRUE(list.SaveToFile(path));
    EXPECT_EQ(list.FileName(), path);
    EXPECT_EQ(readFile(path), handBuiltExampleBytes());

    TShowList loaded;
    ASSERT_EQ(loaded.LoadFromFile(path), TShowLoadResult::Loaded);
    EXPECT_EQ(loaded.FileName(), path);
    EXPECT_FALSE(loaded.HeaderOnly());
    EXPECT_EQ(save(loaded), handBuiltExampleBytes());
}

TEST(ExampleFile, APictureToOpenIsLookedForBesideTheLoadedExample) {
    QTemporaryDir recorded;
    QTemporaryDir moved;
    ASSERT_TRUE(recorded.isValid() && moved.isValid());
    TShowList list;
    list.AddOpenFile(pathIn(recorded, "still-life.jpg"));
    ASSERT_TRUE(list.SaveToFile(pathIn(recorded, "demo.shw")));
    ASSERT_TRUE(QFile::copy(pathIn(recorded, "demo.shw"), pathIn(moved, "demo.shw")));

    TShowList loaded;
    ASSERT_EQ(loaded.LoadFromFile(pathIn(moved, "demo.shw")), TShowLoadResult::Loaded);
    ASSERT_EQ(loaded.Count(), 1);
    EXPECT_EQ(showItemAs<TShowCmdOpenFile>(loaded[0])->Path,
              QDir(moved.path()).absoluteFilePath("still-life.jpg"));
}

TEST(ExampleFile, ReadsTheHeaderOfAFileWhoseItemsAreDamaged) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = pathIn(folder, "damaged.shw");
    QByteArray damaged = handBuiltExampleBytes();
    damaged.chop(10); // the open-file item breaks off
    ASSERT_TRUE(writeFile(path, damaged));

    TShowList whole;
    EXPECT_EQ(whole.LoadFromFile(path), TShowLoadResult::Damaged);

    TShowList header;
    ASSERT_EQ(header.LoadHeaderFromFile(path), TShowLoadResult::Loaded);
    EXPECT_TRUE(header.HeaderOnly());
    EXPECT_EQ(header.FileName(), path);
    EXPECT_EQ(header.Header.DisplayTitle(), "Colour cast");
    EXPECT_EQ(header.LanguageCount(), 2);
    EXPECT_EQ(header.Language(0), "English");
    EXPECT_EQ(header.Count(), 0);
    EXPECT_TRUE(header.StateBlock.isEmpty());

    // Saving what was read would lose the state and the items of the file.
    EXPECT_FALSE(header.SaveToFile(path));
    EXPECT_TRUE(save(header).isEmpty());
    EXPECT_EQ(readFile(path), damaged);
}

TEST(ExampleFile, SaysWhyAFileIsNoExample) {
    const QByteArray example = handBuiltExampleBytes();
    QByteArray otherSignature = example;
    otherSignature[2] = 'P';
    QByteArray otherVersion = example;
    otherVersion[6] = 4;
    struct Case {
        const char* what;
        QByteArray bytes;
        TShowLoadResult result;
    };
    const Case cases[] = {
        {"empty", {}, TShowLoadResult::NotAnExample},
        {"part of the signature", "HMSH", TShowLoadResult::NotAnExample},
        {"another signature", otherSignature, TShowLoadResult::NotAnExample},
        {"another version", otherVersion, TShowLoadResult::UnknownVersion},
        {"no version", "HMSHOW\x05", TShowLoadResult::Damaged},
        {"half a header", example.left(60), TShowLoadResult::Damaged},
        {"no languages", example.left(6 + 92 + 2), TShowLoadResult::Damaged},
        {"half a language name", example.left(6 + 92 + 8 + 3), TShowLoadResult::Damaged},
        {"no state block", example.left(6 + 92 + 26), TShowLoadResult::Damaged},
        {"no item count", example.left(6 + 92 + 26 + 7), TShowLoadResult::Damaged},
        {"half a command", example.left(6 + 92 + 26 + 7 + 4 + 20), TShowLoadResult::Damaged},
        {"fewer items than counted", example.left(example.size() - 22), TShowLoadResult::Damaged},
    };
    for (const Case& c : cases) {
        TShowList list;
        EXPECT_EQ(load(list, c.bytes), c.result) << c.what;
        TShowList header;
        const TShowLoadResult headerResult =
            c.result == TShowLoadResult::Damaged && c.bytes.size() >= 6 + 92 + 26
                ? TShowLoadResult::Loaded
                : c.result;
        QByteArray bytes = c.bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        EXPECT_EQ(header.LoadHeader(buffer), headerResult) << c.what;
    }
}

TEST(ExampleFile, AFileThatCannotBeReadFailsWithoutWaiting) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString pipe = pathIn(folder, "pipe.shw");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    TShowList list;
    EXPECT_EQ(list.LoadFromFile(pathIn(folder, "missing.shw")), TShowLoadResult::CannotOpen);
    EXPECT_EQ(list.LoadFromFile(folder.path()), TShowLoadResult::CannotOpen);
    EXPECT_EQ(list.LoadFromFile(pipe), TShowLoadResult::CannotOpen); // no writer: would block
    EXPECT_EQ(list.LoadHeaderFromFile(pipe), TShowLoadResult::CannotOpen);
    EXPECT_TRUE(list.FileName().isEmpty());
}
