// The translation window over the real main window, on examples written by the tests: the note
// lines and captions, the two languages side by side, Modify, the language list, Copy, taking a
// language over from another example, saving and closing; and the language choice dialog.
#include "program_fixture.h"

#include "language.h"
#include "numeric_edit.h"
#include "select_language_form.h"
#include "show_list.h"
#include "text_table.h"
#include "translate_form.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <optional>

namespace {
// A note's (time, text) in each language of its example, in the example's language order.
using Note = std::vector<TNoteText>;

// The notes of an example in one of its languages, as "time text".
QStringList notesIn(const TShowList& example, const QString& language) {
    const int index = example.IndexOfLanguage(language);
    EXPECT_GE(index, 0) << language.toStdString();
    TShowList copy;
    copy.Assign(example);
    copy.SetCurrentLanguage(index);
    QStringList notes;
    for (int item = 0; item < copy.Count(); ++item) {
        if (showItemAs<TNoteList>(copy.Items(item)) != nullptr) {
            const TNoteText note = copy.GetNote(item);
            notes << QString("%1 %2").arg(note.Time).arg(note.Text);
        }
    }
    return notes;
}

QStringList languagesOf(const TShowList& example) {
    QStringList names;
    for (int index = 0; index < example.LanguageCount(); ++index) {
        names << example.Language(index);
    }
    return names;
}

QStringList comboItems(const QComboBox* list) {
    QStringList items;
    for (int index = 0; index < list->count(); ++index) {
        items << list->itemText(index);
    }
    return items;
}

QStringList listItems(const QListWidget* list) {
    QStringList items;
    for (int row = 0; row < list->count(); ++row) {
        items << list->item(row)->text();
    }
    return items;
}
} // namespace

class TranslateTest : public ProgramTest {
protected:
    void SetUp() override {
        QStandardPaths::setTestModeEnabled(true);
        ProgramTest::SetUp();
        messages.clear();
        form = std::make_unique<TTranslateExampleForm>(*main, main.get());
        form->chooseFile = [this](bool save, const QString& folder) {
            fileQuestions.push_back({save, folder});
            if (files.empty()) {
                ADD_FAILURE() << "an unexpected file dialog";
                return QString();
            }
            const QString file = files.front();
            files.pop_front();
            return file;
        };
        form->chooseLanguage = [this](const QStringList& names, int) {
            offeredLanguages = names;
            return languageAnswer;
        };
    }

    void TearDown() override {
        form.reset();
        ProgramTest::TearDown();
    }

    // Writes an example whose notes lie between commands and delays, so that note n is not
    // item n.
    QString writeExample(const QString& name, const QStringList& languages,
                         const std::vector<Note>& notes) {
        TShowList example;
        for (const QString& language : languages) {
            example.AddLanguage(language);
        }
        TShowCmd command;
        command.Action = 2;
        command.Target = 24;
        for (const Note& note : notes) {
            example.AddCommand(command);
            example.AddDelay(1000);
            example.SetCurrentLanguage(0);
            const int item = example.InsertNote(note[0].Text, note[0].Time, -1);
            for (int language = 1; language < int(note.size()); ++language) {
                example.SetCurrentLanguage(language);
                example.SetNote(item, note[language].Time, note[language].Text);
            }
        }
        const QString path = folder.filePath(name);
        EXPECT_TRUE(example.SaveToFile(path));
        return path;
    }

    // Two notes in English and German; the second note has no German text yet.
    QString writeTwoLanguages() {
        return writeExample(
            "Two.shw", {"English", "Deutsch"},
            {{{1000, "Click Start"}, {1500, "Klicke Start"}}, {{2000, "Done"}, {0, ""}}});
    }

    void open(const QString& path) {
        files.push_back(path);
        form->btOpen->click();
    }

    // Takes a language over from `path`, choosing language `chosen` of it.
    void addFromExample(const QString& path, int chosen) {
        files.push_back(path);
        languageAnswer = chosen;
        form->btAddFromFile->click();
    }

    QString commonText(int n, const QStringList& arguments = {}) const {
        return formatText(main->language().Text("Common", n), arguments);
    }

    std::unique_ptr<TTranslateExampleForm> form;
    std::deque<QString> files;
    std::vector<std::pair<bool, QString>> fileQuestions;
    std::optional<QStringList> offeredLanguages;
    int languageAnswer = -1;
};

TEST_F(TranslateTest, OpeningListsTheNotesAndLanguagesAndNamesTheFile) {
    EXPECT_EQ(form->windowTitle(), "Translate Example");
    EXPECT_FALSE(form->btSaveAs->isEnabled());
    open(writeTwoLanguages());

    ASSERT_EQ(fileQuestions.size(), 1u);
    EXPECT_FALSE(fileQuestions[0].first);
    EXPECT_EQ(fileQuestions[0].second, QString(HUEMARK_DATA_DIR) + "/Images");
    EXPECT_EQ(form->windowTitle(), "Translate Example: Two.shw");
    EXPECT_EQ(listItems(form->lstNotes),
              QStringList({"1) 1000 ms, Click Start", "2) 2000 ms, Done"}));
    const QStringList languages{"English", "Deutsch"};
    EXPECT_EQ(comboItems(form->cmbFirstLanguage), languages);
    EXPECT_EQ(comboItems(form->cmbSecondLanguage), languages);
    EXPECT_EQ(listItems(form->lstLanguage), languages);
    EXPECT_EQ(form->cmbFirstLanguage->currentIndex(), 0);
    EXPECT_EQ(form->cmbSecondLanguage->currentIndex(), 0);
    EXPECT_EQ(form->lstLanguage->currentRow(), 0);
    EXPECT_FALSE(form->Modified());
    EXPECT_FALSE(form->btSave->isEnabled());
    EXPECT_TRUE(form->btSaveAs->isEnabled());
    EXPECT_TRUE(messages.empty());
}

TEST_F(TranslateTest, ASelectedNoteShowsInBothLanguagesAndFollowsTheirChoice) {
    open(writeTwoLanguages());
    form->cmbSecondLanguage->setCurrentIndex(1);
    form->lstNotes->setCurrentRow(0);
    EXPECT_EQ(form->memFirstLanguage->toPlainText(), "Click Start");
    EXPECT_EQ(form->lbDisplayTime1->text(), "Display time: 1000 ms");
    EXPECT_EQ(form->memSecondLanguage->toPlainText(), "Klicke Start");
    EXPECT_EQ(form->edtSecondTime->Value(), 1500);

    form->lstNotes->setCurrentRow(1);
    EXPECT_EQ(form->memFirstLanguage->toPlainText(), "Done");
    EXPECT_EQ(form->lbDisplayTime1->text(), "Display time: 2000 ms");
    EXPECT_EQ(form->memSecondLanguage->toPlainText(), "");
    EXPECT_EQ(form->edtSecondTime->Value(), 0);

    // The lines follow the first language, the selection stays.
    form->cmbFirstLanguage->setCurrentIndex(1);
    EXPECT_EQ(listItems(form->lstNotes), QStringList({"1) 1500 ms, Klicke Start", "2) 0 ms, "}));
    EXPECT_EQ(form->lstNotes->currentRow(), 1);
    form->cmbSecondLanguage->setCurrentIndex(0);
    EXPECT_EQ(form->memSecondLanguage->toPlainText(), "Done");
    EXPECT_EQ(form->edtSecondTime->Value(), 2000);
    EXPECT_FALSE(form->Modified());
}

TEST_F(TranslateTest, NotesEmptyInTheSecondLanguageShowEmptyTextsAndTimeZero) {
    TShowList example;
    example.AddLanguage("English");
    example.InsertNote("One", 700, -1);
    example.AddDelay(300);
    example.InsertNote("Two", 800, -1);
    example.AddLanguage("Italiano");
    const QString path = folder.filePath("Empty.shw");
    ASSERT_TRUE(example.SaveToFile(path));
    open(path);

    form->cmbSecondLanguage->setCurrentIndex(1);
    for (int row : {0, 1}) {
        form->lstNotes->setCurrentRow(row);
        EXPECT_EQ(form->memSecondLanguage->toPlainText(), "") << row;
        EXPECT_EQ(form->edtSecondTime->Value(), 0) << row;
    }
    form->cmbFirstLanguage->setCurrentIndex(1);
    EXPECT_EQ(listItems(form->lstNotes), QStringList({"1) 0 ms, ", "2) 0 ms, "}));
}

TEST_F(TranslateTest, ModifyWritesTheSecondLanguageOfTheSelectedNoteOnly) {
    const QString path = writeTwoLanguages();
    open(path);
    form->cmbSecondLanguage->setCurrentIndex(1);
    form->lstNotes->setCurrentRow(1);
    EXPECT_TRUE(form->btModifySecond->isEnabled());
    form->memSecondLanguage->setPlainText("Fertig");
    form->edtSecondTime->SetValue(2500);
    form->btModifySecond->click();

    EXPECT_TRUE(form->Modified());
    EXPECT_TRUE(form->btSave->isEnabled());
    EXPECT_EQ(notesIn(form->Example(), "Deutsch"),
              QStringList({"1500 Klicke Start", "2500 Fertig"}));
    EXPECT_EQ(notesIn(form->Example(), "English"), QStringList({"1000 Click Start", "2000 Done"}));
    EXPECT_EQ(form->lstNotes->currentRow(), 1);

    form->btSave->click();
    EXPECT_FALSE(form->Modified());
    EXPECT_EQ(form->windowTitle(), "Translate Example: Two.shw");
    TShowList saved;
    ASSERT_EQ(saved.LoadFromFile(path), TShowLoadResult::Loaded);
    EXPECT_EQ(notesIn(saved, "Deutsch"), QStringList({"1500 Klicke Start", "2500 Fertig"}));
    EXPECT_EQ(saved.Count(), 6);
}

TEST_F(TranslateTest, ModifyNeedsASelectedNote) {
    open(writeTwoLanguages());
    form->lstNotes->setCurrentRow(-1);
    EXPECT_FALSE(form->btModifySecond->isEnabled());
    EXPECT_FALSE(form->memSecondLanguage->isEnabled());
}

TEST_F(TranslateTest, AddingALanguageTheExampleHasChangesNothingButMarksItModified) {
    open(writeTwoLanguages());
    form->edtLanguage->setText("Deutsch");
    ASSERT_TRUE(form->btAddLanguage->isEnabled());
    form->btAddLanguage->click();
    EXPECT_EQ(languagesOf(form->Example()), QStringList({"English", "Deutsch"}));
    EXPECT_EQ(listItems(form->lstLanguage), QStringList({"English", "Deutsch"}));
    EXPECT_TRUE(form->Modified());
}

TEST_F(TranslateTest, AddRenameAndDeleteRefreshEveryLanguageList) {
    open(writeTwoLanguages());
    form->cmbSecondLanguage->setCurrentIndex(1);

    form->edtLanguage->setText("Francais");
    form->btAddLanguage->click();
    QStringList languages{"English", "Deutsch", "Francais"};
    EXPECT_EQ(languagesOf(form->Example()), languages);
    EXPECT_EQ(comboItems(form->cmbFirstLanguage), languages);
    EXPECT_EQ(comboItems(form->cmbSecondLanguage), languages);
    EXPECT_EQ(listItems(form->lstLanguage), languages);
    EXPECT_EQ(form->lstLanguage->currentRow(), 2);
    EXPECT_EQ(form->cmbSecondLanguage->currentIndex(), 1);
    EXPECT_EQ(notesIn(form->Example(), "Francais"), QStringList({"0 ", "0 "}));
    EXPECT_TRUE(form->Modified());

    form->lstLanguage->setCurrentRow(1);
    form->edtLanguage->setText("Francais");
    EXPECT_FALSE(form->btRenameLanguage->isEnabled()); // another language has the name
    form->edtLanguage->setText("German");
    form->btRenameLanguage->click();
    languages = QStringList{"English", "German", "Francais"};
    EXPECT_EQ(comboItems(form->cmbFirstLanguage), languages);
    EXPECT_EQ(comboItems(form->cmbSecondLanguage), languages);
    EXPECT_EQ(listItems(form->lstLanguage), languages);
    EXPECT_EQ(notesIn(form->Example(), "German"), QStringList({"1500 Klicke Start", "0 "}));

    // Deleting the second language's choice falls back to the first language.
    form->lstLanguage->setCurrentRow(1);
    form->btDeleteLanguage->click();
    languages = QStringList{"English", "Francais"};
    EXPECT_EQ(languagesOf(form->Example()), languages);
    EXPECT_EQ(comboItems(form->cmbFirstLanguage), languages);
    EXPECT_EQ(comboItems(form->cmbSecondLanguage), languages);
    EXPECT_EQ(listItems(form->lstLanguage), languages);
    EXPECT_EQ(form->cmbSecondLanguage->currentIndex(), 0);
    EXPECT_EQ(notesIn(form->Example(), "English"), QStringList({"1000 Click Start", "2000 Done"}));
}

TEST_F(TranslateTest, CopyPutsTheNoteLinesOnTheClipboard) {
    open(writeTwoLanguages());
    QGuiApplication::clipboard()->clear();
    form->btCopy->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "1) 1000 ms, Click Start\n2) 2000 ms, Done\n");
}

TEST_F(TranslateTest, TakingALanguageOverFromAnExampleWithOneNoteMoreChangesNothing) {
    open(writeTwoLanguages());
    const QString other =
        writeExample("Three.shw", {"Italiano"}, {{{1, "Uno"}}, {{2, "Due"}}, {{3, "Tre"}}});
    addFromExample(other, 0);
    EXPECT_FALSE(offeredLanguages.has_value());
    EXPECT_EQ(languagesOf(form->Example()), QStringList({"English", "Deutsch"}));
    EXPECT_EQ(notesIn(form->Example(), "Deutsch"), QStringList({"1500 Klicke Start", "0 "}));
    EXPECT_FALSE(form->Modified());
}

TEST_F(TranslateTest, ANewLanguageIsTakenOverNoteByNote) {
    open(writeTwoLanguages());
    const QString other =
        writeExample("Other.shw", {"Espanol", "Italiano"},
                     {{{10, "Pulsa"}, {11, "Premi"}}, {{20, "Listo"}, {21, "Fatto"}}});
    addFromExample(other, 1);

    ASSERT_EQ(fileQuestions.size(), 2u);
    EXPECT_EQ(fileQuestions[1], std::make_pair(false, QString(HUEMARK_DATA_DIR) + "/Images"));
    EXPECT_EQ(offeredLanguages, QStringList({"Espanol", "Italiano"}));
    EXPECT_EQ(languagesOf(form->Example()), QStringList({"English", "Deutsch", "Italiano"}));
    EXPECT_EQ(notesIn(form->Example(), "Italiano"), QStringList({"11 Premi", "21 Fatto"}));
    EXPECT_EQ(notesIn(form->Example(), "Deutsch"), QStringList({"1500 Klicke Start", "0 "}));
    EXPECT_EQ(comboItems(form->cmbSecondLanguage), QStringList({"English", "Deutsch", "Italiano"}));
    EXPECT_EQ(form->cmbSecondLanguage->currentIndex(), 2);
    EXPECT_TRUE(form->Modified());
    EXPECT_TRUE(messages.empty());
}

TEST_F(TranslateTest, ALanguageTheExampleHasReceivesTheNotesAfterAYes) {
    open(writeTwoLanguages());
    // German is first in the other example and second here; English is current here.
    const QString other =
        writeExample("German.shw", {"Deutsch"}, {{{1600, "Start klicken"}}, {{2100, "Fertig"}}});
    answers.push_back(MessageAnswer::Yes);
    addFromExample(other, 0);

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Question);
    EXPECT_EQ(messages[0].text, "The example already has the language Deutsch. Replace its notes "
                                "with those of the other example?");
    EXPECT_EQ(languagesOf(form->Example()), QStringList({"English", "Deutsch"}));
    EXPECT_EQ(notesIn(form->Example(), "Deutsch"),
              QStringList({"1600 Start klicken", "2100 Fertig"}));
    EXPECT_EQ(notesIn(form->Example(), "English"), QStringList({"1000 Click Start", "2000 Done"}));
    EXPECT_TRUE(form->Modified());
}

TEST_F(TranslateTest, ALanguageTheExampleHasStaysAsItIsAfterANo) {
    open(writeTwoLanguages());
    const QString other =
        writeExample("German.shw", {"Deutsch"}, {{{1600, "Start klicken"}}, {{2100, "Fertig"}}});
    answers.push_back(MessageAnswer::No);
    addFromExample(other, 0);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(notesIn(form->Example(), "Deutsch"), QStringList({"1500 Klicke Start", "0 "}));
    EXPECT_FALSE(form->Modified());
}

TEST_F(TranslateTest, CancellingTheLanguageChoiceTakesNothingOver) {
    open(writeTwoLanguages());
    const QString other = writeExample("Other.shw", {"Italiano"}, {{{1, "Premi"}}, {{2, "Fatto"}}});
    addFromExample(other, -1);
    EXPECT_EQ(offeredLanguages, QStringList({"Italiano"}));
    EXPECT_EQ(languagesOf(form->Example()), QStringList({"English", "Deutsch"}));
    EXPECT_FALSE(form->Modified());
}

TEST_F(TranslateTest, ClosingAChangedExampleAsksWithThreeAnswers) {
    const QString path = writeTwoLanguages();
    open(path);
    form->edtLanguage->setText("Francais");
    form->btAddLanguage->click();
    form->show();

    answers.push_back(MessageAnswer::Cancel);
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::QuestionWithCancel);
    EXPECT_EQ(messages[0].caption, main->applicationTitle());
    EXPECT_EQ(messages[0].text, "Example was modified. Save it?");

    answers.push_back(MessageAnswer::Yes);
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    TShowList saved;
    ASSERT_EQ(saved.LoadFromFile(path), TShowLoadResult::Loaded);
    EXPECT_EQ(languagesOf(saved), QStringList({"English", "Deutsch", "Francais"}));
}

TEST_F(TranslateTest, ClosingWithNoLeavesTheFileAndAnUnchangedExampleClosesWithoutAsking) {
    const QString path = writeTwoLanguages();
    open(path);
    form->show();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(messages.empty());

    form->edtLanguage->setText("Francais");
    form->btAddLanguage->click();
    form->show();
    answers.push_back(MessageAnswer::No);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(messages.size(), 1u);
    TShowList saved;
    ASSERT_EQ(saved.LoadFromFile(path), TShowLoadResult::Loaded);
    EXPECT_EQ(languagesOf(saved), QStringList({"English", "Deutsch"}));
}

TEST_F(TranslateTest, AFailedSaveSaysSoAndKeepsTheExampleModified) {
    open(writeTwoLanguages());
    form->edtLanguage->setText("Francais");
    form->btAddLanguage->click();
    const QString unreachable = folder.filePath("missing/Two.shw");
    files.push_back(unreachable);
    form->btSaveAs->click();

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    EXPECT_EQ(messages[0].text, commonText(common_text::ExampleSaveFailed, {unreachable}));
    EXPECT_TRUE(form->Modified());
    EXPECT_EQ(form->windowTitle(), "Translate Example: Two.shw");
    EXPECT_EQ(fileQuestions.back(), std::make_pair(true, QString(HUEMARK_DATA_DIR) + "/Images"));
}

TEST_F(TranslateTest, AFileThatCannotBeWrittenWhereItIsIsSavedAsANewFileInTheUsersFolder) {
    QDir(folder.path()).mkdir("installed");
    const QString installed = writeExample("installed/Two.shw", {"English"}, {{{1000, "Start"}}});
    open(installed);
    ASSERT_TRUE(QDir(folder.filePath("installed")).removeRecursively());
    form->edtLanguage->setText("Francais");
    form->btAddLanguage->click();

    const QString userFolder =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/Examples";
    const QString copy = folder.filePath("Translated");
    files.push_back(copy);
    form->btSave->click();

    EXPECT_EQ(fileQuestions.back(), std::make_pair(true, userFolder));
    EXPECT_TRUE(QDir(userFolder).exists());
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(form->Modified());
    EXPECT_EQ(form->windowTitle(), "Translate Example: Translated.shw");
    TShowList saved;
    ASSERT_EQ(saved.LoadFromFile(copy + ".shw"), TShowLoadResult::Loaded);
    EXPECT_EQ(languagesOf(saved), QStringList({"English", "Francais"}));
}

TEST_F(TranslateTest, AnExampleWithoutNotesIsReportedAndStaysLoaded) {
    TShowList example;
    example.AddLanguage("English");
    example.AddDelay(500);
    const QString path = folder.filePath("Silent.shw");
    ASSERT_TRUE(example.SaveToFile(path));
    open(path);

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages[0].text, "Example has no notes.");
    EXPECT_EQ(form->windowTitle(), "Translate Example: Silent.shw");
    EXPECT_EQ(form->Example().FileName(), path);
    EXPECT_EQ(form->Example().Count(), 1);
    EXPECT_EQ(listItems(form->lstLanguage), QStringList({"English"}));
    EXPECT_EQ(form->lstNotes->count(), 0);
    EXPECT_FALSE(form->btCopy->isEnabled());
    EXPECT_FALSE(form->btAddFromFile->isEnabled());
    EXPECT_TRUE(form->btSaveAs->isEnabled());
}

TEST_F(TranslateTest, AFailedLoadIsReportedAndKeepsTheExampleShown) {
    const QString good = writeTwoLanguages();
    open(good);
    const QString damaged = folder.filePath("Damaged.shw");
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("NOTANEXAMPLE");
    file.close();
    open(damaged);

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    EXPECT_EQ(messages[0].text, commonText(common_text::NotAnExample, {damaged}));
    EXPECT_EQ(form->Example().FileName(), good);
    EXPECT_EQ(form->windowTitle(), "Translate Example: Two.shw");
    EXPECT_EQ(listItems(form->lstNotes),
              QStringList({"1) 1000 ms, Click Start", "2) 2000 ms, Done"}));
    EXPECT_EQ(listItems(form->lstLanguage), QStringList({"English", "Deutsch"}));
}

TEST_F(TranslateTest, OpeningAnotherExampleOffersToSaveTheChangedOne) {
    open(writeTwoLanguages());
    form->edtLanguage->setText("Francais");
    form->btAddLanguage->click();
    answers.push_back(MessageAnswer::Cancel);
    form->btOpen->click();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(fileQuestions.size(), 1u); // no file dialog after Cancel
    EXPECT_TRUE(form->Modified());
}

// The language choice as a real dialog, answered once it is shown.
class SelectLanguageTest : public TranslateTest {
protected:
    // Runs `answer` on the dialog once it shows.
    static void whenShown(std::function<void(TSelectLanguageForm&)> answer) {
        QTimer::singleShot(0, [answer] {
            auto* dialog = qobject_cast<TSelectLanguageForm*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            answer(*dialog);
        });
    }
};

TEST_F(SelectLanguageTest, ShowsTheNamesWithTheCurrentOneSelectedAndReturnsTheChoice) {
    whenShown([](TSelectLanguageForm& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Choose the language");
        EXPECT_EQ(listItems(dialog.lstLanguages), QStringList({"English", "Deutsch", "Italiano"}));
        EXPECT_EQ(dialog.lstLanguages->currentRow(), 1);
        EXPECT_EQ(dialog.btOK->text(), "OK");
        EXPECT_EQ(dialog.btCancel->text(), "Cancel");
        dialog.lstLanguages->setCurrentRow(2);
        dialog.btOK->click();
    });
    EXPECT_EQ(
        chooseExampleLanguage(main.get(), main->language(), {"English", "Deutsch", "Italiano"}, 1),
        2);
}

TEST_F(SelectLanguageTest, CancelChoosesNone) {
    whenShown([](TSelectLanguageForm& dialog) { dialog.btCancel->click(); });
    EXPECT_EQ(chooseExampleLanguage(main.get(), main->language(), {"English", "Deutsch"}, 0), -1);
}

TEST_F(SelectLanguageTest, TheTranslationWindowAsksWithIt) {
    form = std::make_unique<TTranslateExampleForm>(*main, main.get());
    form->chooseFile = [this](bool, const QString&) {
        const QString file = files.front();
        files.pop_front();
        return file;
    };
    open(writeTwoLanguages());
    const QString other =
        writeExample("Other.shw", {"Espanol", "Italiano"},
                     {{{10, "Pulsa"}, {11, "Premi"}}, {{20, "Listo"}, {21, "Fatto"}}});
    whenShown([](TSelectLanguageForm& dialog) {
        EXPECT_EQ(dialog.lstLanguages->currentRow(), 0);
        dialog.lstLanguages->setCurrentRow(1);
        dialog.btOK->click();
    });
    files.push_back(other);
    form->btAddFromFile->click();
    EXPECT_EQ(notesIn(form->Example(), "Italiano"), QStringList({"11 Premi", "21 Fatto"}));
}
