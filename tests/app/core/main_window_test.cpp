#include "program_fixture.h"

#include "help_system.h"
#include "menu_items.h"
#include "operation_panel.h"
#include "recent_files.h"
#include "tip_box.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QShortcut>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <map>

namespace {
const QString sample = HUEMARK_DATA_DIR "/Images/still-life-small.bmp";
const QString sample2 = HUEMARK_DATA_DIR "/Images/still-life-small.pcx";
} // namespace

TEST(MainWindowStart, WithoutItsLanguageFileTheProgramEnds) {
    QTemporaryDir folder;
    SettingsStore store(folder.filePath("settings.ini"));
    std::vector<QString> texts;
    setMessageResponder([&](MessageKind, const MessageTexts& shown) {
        texts.push_back(shown.text);
        return MessageAnswer::Ok;
    });
    TfrmMDIParent main(store, folder.path()); // a data folder without "Language"
    EXPECT_FALSE(main.Create());
    setMessageResponder({});
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].startsWith("Can't open file " + folder.path() + "/Language/"));
}

TEST(MainWindowStart, AnUnreadableLanguageFileEndsTheProgram) {
    QTemporaryDir folder;
    QDir(folder.path()).mkpath("Language/English.ini"); // there, but no file to read
    SettingsStore store(folder.filePath("settings.ini"));
    store.writeString("DirSection", "LanguageFileName", "English.ini");
    int boxes = 0;
    setMessageResponder([&](MessageKind, const MessageTexts&) {
        ++boxes;
        return MessageAnswer::Ok;
    });
    TfrmMDIParent main(store, folder.path());
    EXPECT_FALSE(main.Create());
    setMessageResponder({});
    EXPECT_EQ(boxes, 1);
}

// A stored language that is not installed (as on a French desktop before any translation
// ships) gives a working program in English, and the choice is kept.
class MissingLanguageTest : public ProgramTest {
    void configure() override {
        store->writeString("DirSection", "LanguageFileName", "Francais.ini");
    }
};

TEST_F(MissingLanguageTest, FallsBackToEnglishAndRemembersIt) {
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(main->mmnFile->title(), main->language().Text("Main Menu", 0));
    EXPECT_FALSE(main->mmnFile->title().isEmpty());
    EXPECT_EQ(main->settings().languageFileName, "English.ini");
    ASSERT_TRUE(main->close());
    QString stored;
    ASSERT_TRUE(store->readString("DirSection", "LanguageFileName", stored));
    EXPECT_EQ(stored, "English.ini");
}

TEST_F(ProgramTest, EachHelpItemOpensItsTopic) {
    SettingsCommands& help = main->settingsCommands();
    const std::pair<QAction*, int> items[] = {
        {help.mnHelpYourfirststep, 7},        {help.mnHelpContents, 0},
        {help.mnHelpOurDevelopments, 8},      {help.mnHelpOurDealers, 9},
        {help.mnHelpOrderingInformation, 10}, {help.mnHelpTechnicalSupport, 13}};
    for (const auto& [item, topic] : items) {
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(help.mmnHelp->actions().contains(item)) << item->objectName().toStdString();
        EXPECT_FALSE(item->text().isEmpty()) << item->objectName().toStdString();
        item->trigger();
        ASSERT_NE(help.helpWindow(), nullptr);
        EXPECT_EQ(help.helpWindow()->shownTopic(), topic) << item->objectName().toStdString();
    }
    EXPECT_TRUE(help.helpWindow()->isVisible());
    EXPECT_EQ(help.helpWindow()->btBack->text(), main->language().Text("Common", 83));
    EXPECT_EQ(help.helpWindow()->btContents->text(), main->language().Text("Common", 85));
    help.helpWindow()->btBack->click();
    EXPECT_EQ(help.helpWindow()->shownTopic(), 10) << "back to the topic before";
    ASSERT_TRUE(main->close());
    EXPECT_FALSE(help.helpWindow()->isVisible()) << "closing the program closes help";
}

TEST_F(ProgramTest, TheCommandLinesFilesOpenAtStartUp) {
    main->StartUp({sample, sample2});
    EXPECT_EQ(main->imageWindows().size(), 2);
    EXPECT_EQ(main->activeImageWindow()->FileName(), sample2);
    EXPECT_TRUE(main->files().recentFiles().files().isEmpty());
}

TEST_F(ProgramTest, WithoutFilesTheTipsBoxMayShow) {
    main->settings().local.DisplayTips = 1;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* tips = qobject_cast<TTipBox*>(QApplication::activeModalWidget());
        shown = tips != nullptr;
        if (tips != nullptr) {
            tips->reject();
        }
    });
    main->StartUp({});
    EXPECT_TRUE(shown);
    main->settings().local.DisplayTips = 0;
    main->StartUp({}); // would block on the box if it showed
    EXPECT_TRUE(main->imageWindows().isEmpty());
}

TEST_F(ProgramTest, DroppedFilesOpen) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(sample), QUrl::fromLocalFile(sample2),
                  QUrl("https://example.invalid/x.jpg")});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main.get(), &drop);
    EXPECT_EQ(main->imageWindows().size(), 2);
    EXPECT_TRUE(messages.empty()) << "addresses that are no local files are left out";
}

TEST_F(ProgramTest, ClosingWritesTheSettings) {
    main->files().recentFiles().Add(sample);
    main->settings().imageDirectory = "/pictures";
    main->settings().local.JpegQuality = 4;
    main->NewImageWindow(pattern(10, 10), "unsaved");
    main->settings().config.PromptToSave = 1;
    answers = {MessageAnswer::Cancel};
    EXPECT_FALSE(main->close()) << "Cancel in an image window keeps the program running";
    EXPECT_EQ(main->imageWindows().size(), 1);

    answers = {MessageAnswer::No};
    EXPECT_TRUE(main->close());
    PersistedSettings stored;
    stored.load(*store);
    EXPECT_EQ(stored.recentFiles, QStringList{sample});
    EXPECT_EQ(stored.imageDirectory, "/pictures");
    EXPECT_EQ(stored.local.JpegQuality, 4);
    EXPECT_EQ(stored.config.PromptToSave, 1);
    std::int32_t placementLength = 0;
    std::memcpy(&placementLength, stored.config.WindowPlacement, 4);
    EXPECT_EQ(placementLength, 44) << "the window's placement is kept";
}

TEST_F(ProgramTest, TheNextWindowButtonCyclesTheWindows) {
    TfrmMDIChild* a = main->NewImageWindow(pattern(10, 10), "a");
    TfrmMDIChild* b = main->NewImageWindow(pattern(10, 10), "b");
    EXPECT_EQ(main->activeImageWindow(), b);
    main->tbNextWindow->trigger();
    EXPECT_EQ(main->activeImageWindow(), a);
    main->tbZoom1to1->trigger();
    EXPECT_EQ(a->Zoom(), 1);
    a->SetZoom(4);
    main->tbZoom1to1->trigger();
    EXPECT_EQ(a->Zoom(), 1);
}

TEST_F(ProgramTest, TheWindowMenuListsEveryPictureWithTheActiveOneChecked) {
    TfrmMDIChild* first = main->NewImageWindow(pattern(40, 30), "first.png");
    first->SetSaved(true);
    TfrmMDIChild* second = main->NewImageWindow(pattern(40, 30), "r&ight");
    main->mdiArea()->setActiveSubWindow(second);
    emit main->mmnWindows->aboutToShow();
    QStringList listed;
    QAction* firstItem = nullptr;
    for (QAction* item : main->mmnWindows->actions()) {
        if (item->isCheckable()) {
            listed << item->text() + (item->isChecked() ? " (checked)" : "");
            firstItem = firstItem != nullptr ? firstItem : item;
        }
    }
    EXPECT_EQ(listed, (QStringList{"&1 first.png (1:1)", "&2 r&&ight* (1:1) (checked)"}));
    firstItem->trigger();
    EXPECT_EQ(main->activeImageWindow(), first);
    emit main->mmnWindows->aboutToShow(); // listed anew, not twice
    int items = 0;
    for (QAction* item : main->mmnWindows->actions()) {
        items += item->isCheckable() ? 1 : 0;
    }
    EXPECT_EQ(items, 2);
}

TEST_F(ProgramTest, ZoomKeysZoomTheActivePicture) {
    TfrmMDIChild* window = main->NewImageWindow(pattern(400, 300), "p");
    window->SetZoom(1);
    QTest::keyClick(main.get(), Qt::Key_Plus);
    EXPECT_EQ(window->Zoom(), 2);
    QTest::keyClick(main.get(), Qt::Key_1);
    EXPECT_EQ(window->Zoom(), 1);
    QTest::keyClick(main.get(), Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(window->Zoom(), -2);
}

TEST_F(ProgramTest, CloseClosesTheActivePictureWithTheUsualQuestion) {
    main->settings().config.PromptToSave = 1;
    main->NewImageWindow(pattern(40, 30), "kept")->SetSaved(true);
    main->NewImageWindow(pattern(40, 30), "new");
    main->EvaluateEnablingRules();
    ASSERT_TRUE(main->mnClose->isEnabled());
    answers = {MessageAnswer::Cancel};
    main->mnClose->trigger();
    EXPECT_EQ(main->imageWindows().size(), 2) << "the unsaved picture was kept";
    ASSERT_EQ(messages.size(), 1u);
    answers = {MessageAnswer::No};
    main->mnClose->trigger();
    ASSERT_EQ(main->imageWindows().size(), 1);
    main->activeImageWindow()->setFocus();
    QTest::keyClick(main->activeImageWindow(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(main->imageWindows().isEmpty()) << "a saved picture closes without asking";
    main->EvaluateEnablingRules();
    EXPECT_FALSE(main->mnClose->isEnabled());
}

// A key given to two commands (or twice to one) is ambiguous, and then neither runs.
TEST_F(ProgramTest, NoTwoCommandsShareAKey) {
    main->NewImageWindow(pattern(40, 30), "p");
    std::map<QString, QString> owners;
    const auto claim = [&owners](const QKeySequence& key, const QString& owner) {
        const QString text = key.toString(QKeySequence::PortableText);
        const auto [where, fresh] = owners.emplace(text, owner);
        EXPECT_TRUE(fresh) << text.toStdString() << " is held by " << where->second.toStdString()
                           << " and " << owner.toStdString();
    };
    for (const QAction* action : main->findChildren<QAction*>()) {
        for (const QKeySequence& key : action->shortcuts()) {
            claim(key, action->objectName() + " " + action->text());
        }
    }
    for (const QShortcut* shortcut : main->findChildren<QShortcut*>()) {
        for (const QKeySequence& key : shortcut->keys()) {
            claim(key, shortcut->objectName());
        }
    }
    EXPECT_TRUE(owners.contains("Ctrl+Shift+Z"));
}

TEST_F(ProgramTest, UndoAndRedoKeysReachTheActivePicture) {
    main->settings().config.CreateNewWindow = 0;
    TfrmMDIChild* window = main->NewImageWindow(pattern(40, 30), "p");
    window->SetSaved(true);
    ASSERT_TRUE(window->KeepStateBeforeChange());
    window->Image().Bits[0] ^= 0xFF;
    window->SetSaved(false);
    main->EvaluateEnablingRules();
    QTest::keyClick(main.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(window->Saved()) << "undone back to the saved state";
    main->EvaluateEnablingRules();
    QTest::keyClick(main.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(window->Saved()) << "redone";
}

TEST(MenuKeys, EachKeyIsGivenOnceInItsFirstPlace) {
    const QKeySequence redo(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    const QKeySequence y(Qt::CTRL | Qt::Key_Y);
    EXPECT_EQ(eachKeyOnce({redo, y, redo}), (QList<QKeySequence>{redo, y}));
    EXPECT_EQ(eachKeyOnce({}), QList<QKeySequence>{});
}

// A processing file, a colour collection or an example given to the program (by the file
// manager, the command line or a second start) opens as what it is, not as a picture.
TEST_F(ProgramTest, GivenFilesOpenByTheirKind) {
    main->settings().config.CreateNewWindow = 0;
    main->NewImageWindow(pattern(60, 40), "p");
    main->correction().operationPanel()->chbAuto->setChecked(true);
    main->correction().ChooseOperation(0);
    main->correction().Start();
    const QString processing = folder.filePath("studio.prs");
    main->correction().SaveProcessing(processing);
    ASSERT_TRUE(QFileInfo::exists(processing));
    main->correction().ChooseOperation(5);
    messages.clear();
    main->OpenHandedOverFile(processing);
    EXPECT_EQ(main->settings().config.Operation, 0) << "the processing's operation is chosen";

    const QString collection = folder.filePath("mine.COL");
    ASSERT_TRUE(QFile::copy(HUEMARK_DATA_DIR "/Collection/Standard.col", collection));
    main->StartUp({collection});
    EXPECT_EQ(main->settings().paletteFileName, collection);

    answers = {MessageAnswer::No}; // keep the pictures: the example does not start
    main->OpenHandedOverFile(HUEMARK_DATA_DIR "/Images/Example1.shw");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Question);
    EXPECT_EQ(main->imageWindows().size(), 1) << "no file was taken for a picture";
}
