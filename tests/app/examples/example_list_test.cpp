// The example in memory: languages and the note texts kept in them, items, copies, the codes'
// names and the messages of a failed load.
#include "example_bytes.h"
#include "example_messages.h"
#include "show_codes.h"
#include "show_list.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

using namespace example_bytes;

namespace {

// The entries of the note at `item` as (time, text) in language order.
std::vector<TNoteItem> entries(const TShowList& list, int item) {
    const auto* note = showItemAs<TNoteList>(list[item]);
    return note != nullptr ? note->Entries : std::vector<TNoteItem>{};
}

// Two languages and two notes with a delay between them, German current.
void makeBilingual(TShowList& list) {
    list.AddLanguage("English");
    list.AddLanguage("Deutsch");
    list.SetCurrentLanguage(0);
    list.InsertNote("first", 100, 0);
    list.AddDelay(50);
    list.InsertNote("second", 200, 2);
    list.SetCurrentLanguage(1);
    list.SetNote(0, 110, "erste");
}

} // namespace

TEST(ExampleLanguages, AddingALanguageGivesEveryNoteAnEmptyEntryAndMakesItCurrent) {
    TShowList list;
    makeBilingual(list);
    list.AddLanguage(QString::fromUtf8("Fran\u00e7ais"));
    EXPECT_EQ(list.CurrentLanguage(), 2);
    EXPECT_EQ(list.Language(2), QString::fromUtf8("Fran\u00e7ais"));
    EXPECT_EQ(entries(list, 0), (std::vector<TNoteItem>{{100, "first"}, {110, "erste"}, {0, ""}}));
    EXPECT_EQ(entries(list, 2), (std::vector<TNoteItem>{{200, "second"}, {0, ""}, {0, ""}}));
    EXPECT_TRUE(list.HasSeveralLanguages());
}

TEST(ExampleLanguages, AddingALanguageThatExistsChangesNothing) {
    TShowList list;
    makeBilingual(list);
    list.SetCurrentLanguage(1);
    list.AddLanguage("English");
    EXPECT_EQ(list.LanguageCount(), 2);
    EXPECT_EQ(list.CurrentLanguage(), 1);
    EXPECT_EQ(entries(list, 0).size(), 2u);
}

TEST(ExampleLanguages, ALanguageStoredAsLatin1IsFoundByItsName) {
    TShowList list;
    ASSERT_EQ(load(list, file(languages({"Espa\xf1ol"}), 0, {})), TShowLoadResult::Loaded);
    list.AddLanguage(QString::fromUtf8("Espa\u00f1ol"));
    EXPECT_EQ(list.LanguageCount(), 1);
    EXPECT_EQ(list.IndexOfLanguage(QString::fromUtf8("Espa\u00f1ol")), 0);
}

TEST(ExampleLanguages, DeletingALanguageRemovesItsEntryAndKeepsTheCurrentOne) {
    TShowList list;
    makeBilingual(list);
    list.AddLanguage("Italiano");
    list.SetCurrentLanguage(2);
    list.DeleteLanguage(0);
    EXPECT_EQ(list.Language(0), "Deutsch");
    EXPECT_EQ(list.CurrentLanguage(), 1); // still Italiano
    EXPECT_EQ(entries(list, 0), (std::vector<TNoteItem>{{110, "erste"}, {0, ""}}));

    list.DeleteLanguage(1); // the current one: the first becomes current
    EXPECT_EQ(list.CurrentLanguage(), 0);
    list.DeleteLanguage(5);
    list.DeleteLanguage(-1);
    EXPECT_EQ(list.LanguageCount(), 1);
    EXPECT_FALSE(list.HasSeveralLanguages());
}

TEST(ExampleLanguages, DeletingTheOnlyLanguageLeavesNotesWithoutEntries) {
    TShowList list;
    list.AddLanguage("English");
    list.InsertNote("text", 10, 0);
    list.DeleteLanguage(0);
    EXPECT_EQ(list.CurrentLanguage(), -1);
    EXPECT_TRUE(entries(list, 0).empty());
    EXPECT_EQ(list.GetNote(0).Text, "");
    EXPECT_EQ(list.InsertNote("more", 10, 0), -1);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(save(list).mid(6 + 92), languages({}) + u32(0) + u32(1) + note({}));
}

TEST(ExampleLanguages, RenamingRefusesAnotherLanguagesNameAndABadIndex) {
    TShowList list;
    makeBilingual(list);
    EXPECT_TRUE(list.RenameLanguage(1, "Deutsch (Schweiz)"));
    EXPECT_TRUE(list.RenameLanguage(0, "English"));
    EXPECT_FALSE(list.RenameLanguage(0, "Deutsch (Schweiz)"));
    EXPECT_FALSE(list.RenameLanguage(2, "Dansk"));
    EXPECT_FALSE(list.RenameLanguage(-1, "Dansk"));
    EXPECT_EQ(list.Language(0), "English");
    EXPECT_EQ(list.Language(1), "Deutsch (Schweiz)");
    EXPECT_EQ(list.Language(2), "");
}

TEST(ExampleLanguages, AnInvalidCurrentLanguageFallsBackToTheFirst) {
    TShowList list;
    makeBilingual(list);
    list.SetCurrentLanguage(1);
    list.SetCurrentLanguage(7);
    EXPECT_EQ(list.CurrentLanguage(), 0);
    list.SetCurrentLanguage(-3);
    EXPECT_EQ(list.CurrentLanguage(), 0);
    TShowList none;
    none.SetCurrentLanguage(0);
    EXPECT_EQ(none.CurrentLanguage(), -1);
}

TEST(ExampleNotes, AreReadAndWrittenInTheCurrentLanguageOnly) {
    TShowList list;
    makeBilingual(list);
    list.SetCurrentLanguage(0);
    EXPECT_EQ(list.GetNote(0).Text, "first");
    EXPECT_EQ(list.GetNote(0).Time, 100u);
    list.SetNote(2, 250, QString::fromUtf8("second \u2013 changed"));
    list.SetCurrentLanguage(1);
    EXPECT_EQ(list.GetNote(2).Text, "");
    EXPECT_EQ(entries(list, 2)[0], (TNoteItem{250, "second \xe2\x80\x93 changed"}));

    // Not a note, or no such item: nothing to read, nothing changed.
    EXPECT_EQ(list.GetNote(1).Text, "");
    EXPECT_EQ(list.GetNote(1).Time, 0u);
    EXPECT_EQ(list.GetNote(-1).Text, "");
    EXPECT_EQ(list.GetNote(99).Text, "");
    list.SetNote(1, 5, "x");
    list.SetNote(99, 5, "x");
    EXPECT_EQ(showItemAs<TShowDelay>(list[1])->Milliseconds, 50u);
}

TEST(ExampleNotes, ANoteBuiltByHandIsSavedWithAnEntryPerLanguage) {
    TShowList list;
    makeBilingual(list);
    list.Add(std::make_unique<TNoteList>());
    EXPECT_EQ(list.GetNote(3).Text, "");
    list.SetCurrentLanguage(1);
    list.SetNote(3, 9, "neu");
    EXPECT_EQ(entries(list, 3), (std::vector<TNoteItem>{{0, ""}, {9, "neu"}}));
    list.Add(std::make_unique<TNoteList>());
    const QByteArray bytes = save(list);
    EXPECT_TRUE(bytes.endsWith(note({{0, ""}, {0, ""}})));
}

TEST(ExampleItems, AreInsertedWhereAskedOrAtTheEnd) {
    TShowList list;
    list.AddLanguage("English");
    EXPECT_EQ(list.AddDelay(1), 0);
    EXPECT_EQ(list.AddDelay(2, 0), 0);
    EXPECT_EQ(list.AddDelay(3, 99), 2);
    EXPECT_EQ(list.InsertNote("n", 1, -4), 3);
    EXPECT_EQ(list.InsertNote("m", 1, 1), 1);
    EXPECT_EQ(list.AddOpenFile("/p/a.jpg", 0), 0);
    TShowCmd command;
    command.X = 42;
    EXPECT_EQ(list.AddCommand(command), 6);
    ASSERT_EQ(list.Count(), 7);
    EXPECT_EQ(list[0]->Kind(), TShowKind::OpenFile);
    EXPECT_EQ(showItemAs<TShowDelay>(list[1])->Milliseconds, 2u);
    EXPECT_EQ(list.GetNote(2).Text, "m");
    EXPECT_EQ(showItemAs<TShowDelay>(list[3])->Milliseconds, 1u);
    EXPECT_EQ(showItemAs<TShowDelay>(list[4])->Milliseconds, 3u);
    EXPECT_EQ(list.GetNote(5).Text, "n");
    EXPECT_EQ(showItemAs<TShowCmd>(list[6])->X, 42);
    EXPECT_EQ(showItemAs<TShowDelay>(list[6]), nullptr);
}

TEST(ExampleList, AssignCopiesEverythingDeeply) {
    TShowList original;
    makeBilingual(original);
    original.Header.SetDisplayTitle("Copy me");
    original.StateBlock = "state";
    original.AddOpenFile("/p/a.jpg");
    original.SetCurrentLanguage(1);

    TShowList copy;
    copy.AddDelay(5);
    copy.Assign(original);
    EXPECT_EQ(copy.CurrentLanguage(), 0);
    EXPECT_EQ(save(copy), save(original));

    original.SetNote(0, 1, "changed");
    original.DeleteLanguage(0);
    showItemAs<TShowCmdOpenFile>(original[3])->Path = "/q/b.jpg";
    EXPECT_EQ(copy.LanguageCount(), 2);
    copy.SetCurrentLanguage(1);
    EXPECT_EQ(copy.GetNote(0).Text, "erste");
    EXPECT_EQ(showItemAs<TShowCmdOpenFile>(copy[3])->Path, "/p/a.jpg");
}

TEST(ExampleList, ClearForgetsTheExampleButNotItsFileName) {
    TShowList list;
    ASSERT_EQ(load(list, file(languages({"English"}), 1, delay(3))), TShowLoadResult::Loaded);
    list.StateBlock = "state";
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.LanguageCount(), 0);
    EXPECT_EQ(list.CurrentLanguage(), -1);
    EXPECT_TRUE(list.StateBlock.isEmpty());
    EXPECT_EQ(list.Header, TShowHeader());
    QByteArray empty = "HMSHOW" + u32(5) + QByteArray(88, '\0') + u32(0) + u32(0) + u32(0);
    EXPECT_EQ(save(list), empty);
}

TEST(ExampleHeader, ATitleIsCutToSeventyBytesWithoutSplittingACharacter) {
    TShowHeader header;
    header.SetDisplayTitle(QString(69, 'a') + QString::fromUtf8("\u00e9z"));
    EXPECT_EQ(header.Title, QByteArray(69, 'a'));
    header.SetDisplayTitle(QString("before") + QChar(0) + "after");
    EXPECT_EQ(header.Title, "before");
}

TEST(ExampleCodes, HaveTheEditorsNamesAndNoneOutsideTheTables) {
    EXPECT_STREQ(showActionName(saLButtonDown), "LBUTTONDOWN");
    EXPECT_STREQ(showActionName(saRButtonDblClk), "RBUTTONDBLCLK");
    EXPECT_STREQ(showActionName(saMoveWindow), "MOVEWINDOW");
    EXPECT_STREQ(showActionName(10), "");
    EXPECT_STREQ(showTargetName(snNone), "snNone");
    EXPECT_STREQ(showTargetName(snPanorama), "snPanorama");
    EXPECT_STREQ(showTargetName(snFilterPasses), "snFilterPasses");
    EXPECT_STREQ(showTargetName(snMenuOperationColorFilter), "snMenuOperationColorFilter");
    EXPECT_STREQ(showTargetName(65), "");
    EXPECT_STREQ(showTargetControl(snOpen), "tbOpen");
    EXPECT_STREQ(showTargetControl(snAuto), "chbAuto");
    EXPECT_STREQ(showTargetControl(snGammaEdit), "edtGamma");
    EXPECT_STREQ(showTargetControl(snFilterPasses), "edtFilterPasses");
    EXPECT_STREQ(showTargetControl(snGammaDialog), "");
    EXPECT_STREQ(showTargetControl(snTopLeft), "");
    EXPECT_STREQ(showTargetControl(200), "");
}

TEST(ExampleCodes, EveryTargetHasItsOwnName) {
    std::set<std::string> names;
    for (int code = 0; code <= lastShowTarget; ++code) {
        names.insert(showTargetName(std::uint8_t(code)));
    }
    EXPECT_EQ(names.size(), std::size_t(lastShowTarget + 1));
    EXPECT_EQ(names.count(""), 0u);
}

TEST(ExampleMessages, NameTheCommonTextsOfAFailedLoad) {
    EXPECT_EQ(exampleLoadMessage(TShowLoadResult::NotAnExample), 41);
    EXPECT_EQ(exampleLoadMessage(TShowLoadResult::CannotOpen), 41);
    EXPECT_EQ(exampleLoadMessage(TShowLoadResult::UnknownVersion), 42);
    EXPECT_EQ(exampleLoadMessage(TShowLoadResult::Damaged), 43);
    EXPECT_EQ(exampleLoadMessage(TShowLoadResult::Loaded), -1);
}
