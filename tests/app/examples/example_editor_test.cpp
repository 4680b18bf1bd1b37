// The example editor: the lines it lists, delays and notes added, inserted and changed, the
// stopwatches, deleting and moving lines, mouse points, languages, and the copy it edits.
#include "master_edit_form.h"
#include "master_edit_lines.h"
#include "numeric_edit.h"
#include "show_codes.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <climits>

namespace {

TShowCmd command(std::uint8_t action, std::uint8_t target, int x, int y) {
    TShowCmd made;
    made.Action = action;
    made.Target = target;
    made.X = x;
    made.Y = y;
    return made;
}

// A click on Open, an English and German note, a delay and a picture to open; English current.
void makeExample(TShowList& example) {
    example.AddCommand(command(saLButtonClick, snOpen, 12, -3));
    example.AddLanguage("English");
    example.AddLanguage("Deutsch");
    example.SetCurrentLanguage(0);
    example.InsertNote("Open a picture", 2500, 1);
    example.SetCurrentLanguage(1);
    example.SetNote(1, 3000, "Ein Bild öffnen");
    example.SetCurrentLanguage(0);
    example.AddDelay(1500);
    example.AddOpenFile("/pictures/demo/apple.bmp");
}

QStringList lines(const TMasterEditForm& form) {
    QStringList shown;
    for (int row = 0; row < form.lstCommands->count(); ++row) {
        shown << form.lstCommands->item(row)->text();
    }
    return shown;
}

void select(TMasterEditForm& form, std::initializer_list<int> rows) {
    form.lstCommands->clearSelection();
    for (int row : rows) {
        form.lstCommands->item(row)->setSelected(true);
    }
}

QList<int> selectedRows(const TMasterEditForm& form) {
    QList<int> rows;
    for (int row = 0; row < form.lstCommands->count(); ++row) {
        if (form.lstCommands->item(row)->isSelected()) {
            rows << row;
        }
    }
    return rows;
}

class EditorTest : public testing::Test {
protected:
    EditorTest() { makeExample(example); }

    TShowList example;
};

const QStringList exampleLines = {
    "Mouse: LBUTTONCLICK, snOpen (12, -3)",
    "Note: 2500 ms, Open a picture",
    "Delay: 1500 ms",
    "Open file: apple.bmp",
};

} // namespace

// --- list lines

TEST_F(EditorTest, EveryKindOfItemHasItsLine) {
    for (int index = 0; index < example.Count(); ++index) {
        EXPECT_EQ(showItemLine(example, index), exampleLines[index]) << index;
    }
    EXPECT_EQ(showItemLine(example, -1), QString());
    EXPECT_EQ(showItemLine(example, example.Count()), QString());
}

TEST_F(EditorTest, ANoteLineShowsTheCurrentLanguage) {
    example.SetCurrentLanguage(1);
    EXPECT_EQ(showItemLine(example, 1), QString::fromUtf8("Note: 3000 ms, Ein Bild öffnen"));
    example.DeleteLanguage(1);
    example.DeleteLanguage(0);
    EXPECT_EQ(showItemLine(example, 1), "Note: 0 ms, ");
}

TEST(EditorLines, CodesWithoutANameShowEmptyNames) {
    TShowList example;
    example.AddCommand(command(lastShowAction + 1, lastShowTarget + 1, INT_MIN, INT_MAX));
    example.AddCommand(command(saMoveWindow, snMenuOperationColorFilter, 0, 0));
    EXPECT_EQ(showItemLine(example, 0), "Mouse: ,  (-2147483648, 2147483647)");
    EXPECT_EQ(showItemLine(example, 1), "Mouse: MOVEWINDOW, snMenuOperationColorFilter (0, 0)");
}

TEST_F(EditorTest, TheFormListsTheItemsAndNamesItsWidgets) {
    TMasterEditForm form(example);
    EXPECT_EQ(form.windowTitle(), "Edit Example");
    EXPECT_EQ(lines(form), exampleLines);
    for (const char* name :
         {"lstCommands",   "speDelay",         "btAddDelay",       "btInsertDelay", "btModifyDelay",
          "btTimer",       "memNote",          "speNoteDelay",     "btAddNote",     "btInsertNote",
          "btModifyNote",  "btNoteTimer",      "btDelete",         "btMoveUp",      "btMoveDown",
          "edtMouseX",     "edtMouseY",        "btModifyMouse",    "edtLanguage",   "lstLanguage",
          "btAddLanguage", "btRenameLanguage", "btDeleteLanguage", "btOK",          "btCancel"}) {
        EXPECT_NE(form.findChild<QWidget*>(name), nullptr) << name;
    }
    EXPECT_EQ(form.speDelay->Max(), 99999);
    EXPECT_EQ(form.speDelay->Increment(), 500);
    EXPECT_EQ(form.edtMouseX->Min(), INT_MIN);
    EXPECT_EQ(form.edtMouseY->Max(), INT_MAX);
}

// --- delays

TEST_F(EditorTest, AddingADelayAppendsAndSelectsIt) {
    TMasterEditForm form(example);
    form.speDelay->SetValue(700);
    form.btAddDelay->click();
    EXPECT_EQ(form.Edited().Count(), 5);
    EXPECT_EQ(form.lstCommands->item(4)->text(), "Delay: 700 ms");
    EXPECT_EQ(selectedRows(form), QList<int>{4});
}

TEST_F(EditorTest, InsertingADelayPutsItBeforeTheSelectedLineWhichStaysSelected) {
    TMasterEditForm form(example);
    EXPECT_FALSE(form.btInsertDelay->isEnabled());
    select(form, {1});
    form.speDelay->SetValue(200);
    form.btInsertDelay->click();
    form.speDelay->SetValue(300);
    form.btInsertDelay->click();
    EXPECT_EQ(lines(form), (QStringList{exampleLines[0], "Delay: 200 ms", "Delay: 300 ms",
                                        exampleLines[1], exampleLines[2], exampleLines[3]}));
    EXPECT_EQ(selectedRows(form), QList<int>{3});
}

TEST_F(EditorTest, ModifyDelayChangesOnlyASelectedDelay) {
    TMasterEditForm form(example);
    select(form, {2});
    EXPECT_EQ(form.speDelay->Value(), 1500);
    form.speDelay->SetValue(4000);
    form.btModifyDelay->click();
    EXPECT_EQ(showItemAs<TShowDelay>(form.Edited()[2])->Milliseconds, 4000u);
    EXPECT_EQ(form.lstCommands->item(2)->text(), "Delay: 4000 ms");
    select(form, {1});
    EXPECT_FALSE(form.btModifyDelay->isEnabled());
    select(form, {0, 2});
    EXPECT_FALSE(form.btModifyDelay->isEnabled());
}

// --- notes

TEST_F(EditorTest, ANoteAddedInOneLanguageIsEmptyInTheOthers) {
    TMasterEditForm form(example);
    form.lstLanguage->setCurrentRow(1);
    EXPECT_EQ(form.lstCommands->item(1)->text(),
              QString::fromUtf8("Note: 3000 ms, Ein Bild öffnen"));
    form.memNote->setPlainText("Fertig");
    form.speNoteDelay->SetValue(1000);
    form.btAddNote->click();
    EXPECT_EQ(form.lstCommands->item(4)->text(), "Note: 1000 ms, Fertig");

    form.lstLanguage->setCurrentRow(0);
    EXPECT_EQ(form.Edited().CurrentLanguage(), 0);
    EXPECT_EQ(form.lstCommands->item(1)->text(), exampleLines[1]);
    EXPECT_EQ(form.lstCommands->item(4)->text(), "Note: 0 ms, ");
    EXPECT_EQ(form.memNote->toPlainText(), QString()); // the selected new note, in English
}

TEST_F(EditorTest, InsertAndModifyNoteWriteTheCurrentLanguageOnly) {
    TMasterEditForm form(example);
    select(form, {2});
    form.memNote->setPlainText("Wait");
    form.speNoteDelay->SetValue(800);
    form.btInsertNote->click();
    EXPECT_EQ(form.lstCommands->item(2)->text(), "Note: 800 ms, Wait");
    EXPECT_EQ(selectedRows(form), QList<int>{3});

    select(form, {1});
    EXPECT_EQ(form.memNote->toPlainText(), "Open a picture");
    EXPECT_EQ(form.speNoteDelay->Value(), 2500);
    form.memNote->setPlainText("Open an image");
    form.btModifyNote->click();
    EXPECT_EQ(form.lstCommands->item(1)->text(), "Note: 2500 ms, Open an image");
    form.lstLanguage->setCurrentRow(1);
    EXPECT_EQ(form.Edited().GetNote(1).Text, QString::fromUtf8("Ein Bild öffnen"));
}

TEST_F(EditorTest, NotesNeedACurrentLanguageAndAText) {
    TShowList bare;
    bare.AddDelay(100);
    TMasterEditForm form(bare);
    form.memNote->setPlainText("Nowhere to go");
    EXPECT_FALSE(form.btAddNote->isEnabled());
    form.btAddNote->click();
    EXPECT_EQ(form.Edited().Count(), 1);

    form.edtLanguage->setText("English");
    form.btAddLanguage->click();
    EXPECT_TRUE(form.btAddNote->isEnabled());
    form.memNote->clear();
    EXPECT_FALSE(form.btAddNote->isEnabled());
}

// --- stopwatches

TEST_F(EditorTest, StoppingATimerPutsTheElapsedTimeIntoItsField) {
    TMasterEditForm form(example);
    qint64 now = 10000;
    form.clock = [&now] { return now; };
    form.btTimer->click();
    EXPECT_EQ(form.btTimer->text(), "Stop Timer");
    now += 1234;
    form.btNoteTimer->click();
    now += 4321;
    form.btTimer->click();
    EXPECT_EQ(form.btTimer->text(), "Start Timer");
    EXPECT_EQ(form.speDelay->Value(), 5555);
    EXPECT_EQ(form.btNoteTimer->text(), "Stop Timer");
    now += 200000;
    form.btNoteTimer->click();
    EXPECT_EQ(form.speNoteDelay->Value(), 99999); // clamped to the field's range
    EXPECT_EQ(form.btNoteTimer->text(), "Start Timer");
}

// --- deleting and moving

TEST_F(EditorTest, DeleteRemovesEverySelectedLine) {
    TMasterEditForm form(example);
    EXPECT_FALSE(form.btDelete->isEnabled());
    select(form, {0, 2, 3});
    form.btDelete->click();
    EXPECT_EQ(lines(form), QStringList{exampleLines[1]});
    EXPECT_EQ(form.Edited().Count(), 1);
    EXPECT_EQ(form.Edited()[0]->Kind(), TShowKind::Note);
    EXPECT_TRUE(selectedRows(form).isEmpty());
}

TEST_F(EditorTest, MovingExchangesWithTheNeighbourAndKeepsTheSelection) {
    TMasterEditForm form(example);
    select(form, {0});
    EXPECT_FALSE(form.btMoveUp->isEnabled());
    form.btMoveUp->click();
    EXPECT_EQ(lines(form), exampleLines);
    form.btMoveDown->click();
    EXPECT_EQ(lines(form),
              (QStringList{exampleLines[1], exampleLines[0], exampleLines[2], exampleLines[3]}));
    EXPECT_EQ(selectedRows(form), QList<int>{1});

    select(form, {3});
    EXPECT_FALSE(form.btMoveDown->isEnabled());
    form.btMoveUp->click();
    EXPECT_EQ(lines(form),
              (QStringList{exampleLines[1], exampleLines[0], exampleLines[3], exampleLines[2]}));
    EXPECT_EQ(selectedRows(form), QList<int>{2});
    EXPECT_EQ(form.Edited()[2]->Kind(), TShowKind::OpenFile);

    select(form, {0, 1});
    EXPECT_FALSE(form.btMoveUp->isEnabled());
    EXPECT_FALSE(form.btMoveDown->isEnabled());
}

// --- mouse points

TEST_F(EditorTest, ACommandsPointIsShownAndWrittenBack) {
    TMasterEditForm form(example);
    select(form, {2});
    EXPECT_FALSE(form.btModifyMouse->isEnabled());
    EXPECT_FALSE(form.edtMouseX->isEnabled());
    select(form, {0});
    EXPECT_TRUE(form.btModifyMouse->isEnabled());
    EXPECT_EQ(form.edtMouseX->Value(), 12);
    EXPECT_EQ(form.edtMouseY->Value(), -3);
    form.edtMouseX->SetValue(INT_MIN);
    form.edtMouseY->SetValue(70000);
    form.btModifyMouse->click();
    const auto* changed = showItemAs<TShowCmd>(form.Edited()[0]);
    EXPECT_EQ(changed->X, INT_MIN);
    EXPECT_EQ(changed->Y, 70000);
    EXPECT_EQ(form.lstCommands->item(0)->text(),
              "Mouse: LBUTTONCLICK, snOpen (-2147483648, 70000)");
}

// --- languages

TEST_F(EditorTest, LanguagesAreAddedOnlyUnderNewNames) {
    TMasterEditForm form(example);
    EXPECT_EQ(form.lstLanguage->currentRow(), 0);
    EXPECT_EQ(form.edtLanguage->text(), "English");
    EXPECT_FALSE(form.btAddLanguage->isEnabled());
    form.edtLanguage->setText("  ");
    EXPECT_FALSE(form.btAddLanguage->isEnabled());
    form.edtLanguage->setText(" Italiano ");
    form.btAddLanguage->click();
    EXPECT_EQ(form.lstLanguage->count(), 3);
    EXPECT_EQ(form.lstLanguage->item(2)->text(), "Italiano");
    EXPECT_EQ(form.lstLanguage->currentRow(), 2);
    EXPECT_EQ(form.Edited().CurrentLanguage(), 2);
    EXPECT_EQ(form.lstCommands->item(1)->text(), "Note: 0 ms, ");
}

TEST_F(EditorTest, RenameAndDeleteActOnTheSelectedLanguage) {
    TMasterEditForm form(example);
    form.lstLanguage->setCurrentRow(1);
    form.edtLanguage->setText("English");
    EXPECT_FALSE(form.btRenameLanguage->isEnabled()); // the other language's name
    form.edtLanguage->setText("German");
    form.btRenameLanguage->click();
    EXPECT_EQ(form.Edited().Language(1), "German");
    EXPECT_EQ(form.lstLanguage->item(1)->text(), "German");

    form.btDeleteLanguage->click();
    EXPECT_EQ(form.Edited().LanguageCount(), 1);
    EXPECT_EQ(form.lstLanguage->count(), 1);
    EXPECT_EQ(form.lstLanguage->currentRow(), 0);
    EXPECT_EQ(showItemAs<TNoteList>(form.Edited()[1])->Entries.size(), 1u);
    EXPECT_EQ(form.lstCommands->item(1)->text(), exampleLines[1]);

    form.btDeleteLanguage->click();
    EXPECT_EQ(form.Edited().CurrentLanguage(), -1);
    EXPECT_FALSE(form.btDeleteLanguage->isEnabled());
    EXPECT_EQ(form.edtLanguage->text(), QString());
    EXPECT_EQ(form.lstCommands->item(1)->text(), "Note: 0 ms, ");
}

// --- the copy

TEST_F(EditorTest, CancelDiscardsAndOkKeepsTheEditedCopy) {
    for (bool accept : {false, true}) {
        TMasterEditForm form(example);
        select(form, {0, 1});
        form.btDelete->click();
        form.edtLanguage->setText("Italiano");
        form.btAddLanguage->click();
        QTimer::singleShot(0, accept ? form.btOK : form.btCancel, &QPushButton::click);
        EXPECT_EQ(form.exec(), accept ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(form.Edited().Count(), 2);
        EXPECT_EQ(form.Edited().LanguageCount(), 3);
        EXPECT_EQ(example.Count(), 4);
        EXPECT_EQ(example.LanguageCount(), 2);
        EXPECT_EQ(showItemLine(example, 0), exampleLines[0]);
    }
}
