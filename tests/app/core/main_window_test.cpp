#include "program_fixture.h"

#include "recent_files.h"
#include "tip_box.h"

#include <QDropEvent>
#include <QMdiArea>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

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

TEST_F(ProgramTest, TheCommandLinesFilesOpenAtStartUp) {
    main->StartUp({sample, sample2});
    EXPECT_EQ(main->imageWindows().size(), 2);
    EXPECT_EQ(main->activeImageWindow()->FileName(), sample2);
    EXPECT_TRUE(main->recentFiles().files().isEmpty());
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
    main->recentFiles().Add(sample);
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
