// Damaged and hostile example files, and failures that must leave everything as it was.
#include "example_bytes.h"
#include "memory_budget.h"
#include "show_list.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace example_bytes;

namespace {

QString pathIn(const QTemporaryDir& folder, const QString& name) {
    return QDir(folder.path()).filePath(name);
}

const QByteArray twoLanguages = languages({"English", "Deutsch"});

// The paths the open-file items of a loaded list refer to.
QStringList picturePaths(const TShowList& list) {
    QStringList paths;
    for (int i = 0; i < list.Count(); ++i) {
        if (const auto* item = showItemAs<TShowCmdOpenFile>(list[i])) {
            paths << item->Path;
        }
    }
    return paths;
}

constexpr int ranOutOfMemory = 255;

// Loads `bytes` in a child process that may use `budget` more bytes of memory (in-process and
// unlimited in sanitizer builds, where limits mean nothing); the result as a number,
// ranOutOfMemory, or -1 when the child was killed.
int loadWithMemoryBudget(const QByteArray& bytes, std::uint64_t budget) {
    const auto work = [&] {
        try {
            TShowList list;
            return int(load(list, bytes));
        } catch (const std::bad_alloc&) {
            return ranOutOfMemory; // caught: the child must not go on with the test
        }
    };
    return test_support::addressSpaceLimitsWork() ? test_support::runWithMemoryBudget(budget, work)
                                                  : work();
}

// Runs `work` in a child process that may write files of at most `bytes` bytes; its result, or
// -1 when the child did not end normally.
int withFileSizeLimit(rlim_t bytes, const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN); // a write beyond the limit fails instead of killing
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(work() & 0xFF);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

} // namespace

TEST(ExampleDamage, AFailedLoadChangesNeitherTheListNorItsFileName) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString good = pathIn(folder, "good.shw");
    const QString damaged = pathIn(folder, "damaged.shw");
    const QByteArray goodBytes = file(twoLanguages, 2, note({{5, "a"}, {6, "b"}}) + delay(9));
    const QByteArray damagedBytes = file(twoLanguages, 3, delay(1) + "\x07");
    ASSERT_TRUE(writeFile(good, goodBytes));
    ASSERT_TRUE(writeFile(damaged, damagedBytes));

    TShowList list;
    ASSERT_EQ(list.LoadFromFile(good), TShowLoadResult::Loaded);
    list.SetCurrentLanguage(1);
    EXPECT_EQ(list.LoadFromFile(damaged), TShowLoadResult::Damaged);
    EXPECT_EQ(list.LoadHeaderFromFile(pathIn(folder, "missing.shw")), TShowLoadResult::CannotOpen);
    EXPECT_EQ(list.FileName(), good);
    EXPECT_EQ(list.CurrentLanguage(), 1);
    EXPECT_FALSE(list.HeaderOnly());
    EXPECT_EQ(save(list), goodBytes);

    // Saving under the list's name goes to the file it came from, not the damaged one.
    ASSERT_TRUE(list.SaveToFile(list.FileName()));
    EXPECT_EQ(readFile(damaged), damagedBytes);
    EXPECT_EQ(readFile(good), goodBytes);
}

TEST(ExampleDamage, AFailedSaveKeepsThePreviousFile) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = pathIn(folder, "demo.shw");
    const QByteArray previous = file(languages({}), 1, delay(1));
    ASSERT_TRUE(writeFile(path, previous));
    TShowList larger;
    larger.StateBlock = QByteArray(4096, 'x');

    const int saved = withFileSizeLimit(1024, [&] { return larger.SaveToFile(path) ? 1 : 0; });
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(readFile(path), previous);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"demo.shw"});
    EXPECT_FALSE(larger.SaveToFile(pathIn(folder, "no such folder/demo.shw")));
    EXPECT_TRUE(larger.FileName().isEmpty());
}

TEST(ExampleDamage, CountsAndLengthsBeyondTheFileAreRefused) {
    const QByteArray huge = u32(0xFFFFFFFFu);
    const QByteArray header = preamble();
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"language count", header + huge + str("English")},
        {"language name length", header + u32(1) + huge + "English"},
        {"state block length", header + languages({}) + huge + "state"},
        {"item count", file(languages({}), 0xFFFFFFFFu, delay(1) + delay(2))},
        {"note entry count", file(twoLanguages, 1, "\x01" + huge + u32(1) + str("a"))},
        {"note text length", file(twoLanguages, 1, "\x01" + u32(1) + u32(1) + huge + "a")},
        {"picture name length", file(languages({}), 1, QByteArray("\x03\0\0\0", 4) + huge)},
    };
    // Refused before anything is allocated for them: a list of 2^32 languages alone would
    // take 96 GB.
    for (const Case& c : cases) {
        EXPECT_EQ(loadWithMemoryBudget(c.bytes, 64 << 20), int(TShowLoadResult::Damaged)) << c.what;
    }
}

TEST(ExampleDamage, AnUnknownItemKindMakesTheFileDamaged) {
    for (const char kind : {'\x04', '\x7f', '\xff'}) {
        TShowList list;
        EXPECT_EQ(load(list, file(languages({}), 3, delay(1) + kind + delay(2))),
                  TShowLoadResult::Damaged)
            << int(kind);
    }
}

TEST(ExampleDamage, NotesGetExactlyOneEntryPerLanguage) {
    const QByteArray items = note({{1, "one"}}) +                             // too few
                             note({{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}}) + // too many
                             delay(77);
    TShowList list;
    ASSERT_EQ(load(list, file(twoLanguages, 3, items)), TShowLoadResult::Loaded);
    ASSERT_EQ(list.Count(), 3);
    const auto& padded = showItemAs<TNoteList>(list[0])->Entries;
    ASSERT_EQ(padded.size(), 2u);
    EXPECT_EQ(padded[0], (TNoteItem{1, "one"}));
    EXPECT_EQ(padded[1], TNoteItem{});
    const auto& cut = showItemAs<TNoteList>(list[1])->Entries;
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[1], (TNoteItem{2, "b"}));
    EXPECT_EQ(showItemAs<TShowDelay>(list[2])->Milliseconds, 77u); // read past the dropped ones
    EXPECT_EQ(save(list),
              file(twoLanguages, 3,
                   note({{1, "one"}, {0, ""}}) + note({{1, "a"}, {2, "b"}}) + delay(77)));
}

TEST(ExampleDamage, EmptyNotesInAFileWithManyLanguagesCannotGrowWithoutBound) {
    // 8000 languages and 8000 notes without entries: 72 KB that would be 64 million entries.
    constexpr std::uint32_t count = 8000;
    QByteArray names = u32(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        names += str({});
    }
    QByteArray notes;
    for (std::uint32_t i = 0; i < count; ++i) {
        notes += note({});
    }
    EXPECT_EQ(loadWithMemoryBudget(file(names, count, notes), 64 << 20),
              int(TShowLoadResult::Damaged));
}

TEST(ExampleDamage, PicturesToOpenAreOnlyEverBesideTheExample) {
    const QByteArray items = openFile("../../etc/passwd") + openFile("/home/someone/a.jpg") +
                             openFile("C:\\Pictures\\b.png") + openFile("..") +
                             openFile(QByteArray("c.jpg\0/../../d.jpg", 18)) + openFile("e f.tif") +
                             openFile(":/qt-project.org/qmime/freedesktop.org.xml") +
                             openFile(":f.png");
    TShowList list;
    ASSERT_EQ(load(list, file(languages({}), 8, items), "/examples/"), TShowLoadResult::Loaded);
    EXPECT_EQ(picturePaths(list),
              (QStringList{"/examples/passwd", "/examples/a.jpg", "/examples/b.png", "",
                           "/examples/c.jpg", "/examples/e f.tif", "/examples/freedesktop.org.xml",
                           "/examples/:f.png"}));
    EXPECT_EQ(save(list), file(languages({}), 8,
                               openFile("passwd") + openFile("a.jpg") + openFile("b.png") +
                                   openFile("") + openFile("c.jpg") + openFile("e f.tif") +
                                   openFile("freedesktop.org.xml") + openFile(":f.png")));
}

TEST(ExampleDamage, AnUnknownWindowStateIsKeptButReadAsNormal) {
    QByteArray bytes = file(languages({}), 0, {});
    bytes[6 + 20] = 7;
    TShowList list;
    ASSERT_EQ(load(list, bytes), TShowLoadResult::Loaded);
    EXPECT_EQ(list.Header.WindowState, 7);
    EXPECT_EQ(list.Header.MainWindowState(), TShowWindowState::Normal);
    EXPECT_EQ(save(list), bytes);
}

TEST(ExampleDamage, ATitleWithoutItsZeroIsCutToSeventyBytes) {
    QByteArray bytes = file(languages({}), 0, {});
    bytes.replace(6 + 21, 71, QByteArray(71, 'T'));
    TShowList list;
    ASSERT_EQ(load(list, bytes), TShowLoadResult::Loaded);
    EXPECT_EQ(list.Header.Title, QByteArray(70, 'T'));
    EXPECT_EQ(save(list).mid(6 + 21, 71), QByteArray(70, 'T') + '\0');
}
