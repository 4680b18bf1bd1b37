// Save: back to the picture's own file in its format and options, the question before an
// original is replaced, the fall-back to Save As, and the question about every unsaved picture
// when the program closes.
#include "program_fixture.h"

#include "image_file_calls.h"

#include "platform/picture_writing.h"

#include <QFileDialog>
#include <QTimer>

#include <csignal>

#include <sys/resource.h>

namespace {

constexpr std::uint32_t percent(std::uint32_t quality) {
    return quality << IP_JPEG_PERCENT_SHIFT;
}

platform::PictureWriting writingOf(const QString& path) {
    return platform::pictureWritingOfFile(QFile::encodeName(path).constData());
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Changes one pixel of the window's picture, as a correction would.
void change(TfrmMDIChild& window) {
    window.KeepStateBeforeChange();
    window.Image().Bits[0] = std::uint8_t(window.Image().Bits[0] ^ 0xFF);
    window.SetSaved(false);
}

// Closes the next modal file dialog with Cancel; `seen` tells whether one came.
void cancelNextFileDialog(bool& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        seen = dialog != nullptr;
        if (dialog != nullptr) {
            dialog->reject();
        }
    });
}

class SaveTest : public ProgramTest {
protected:
    // A picture file written with `bits`, opened in a new window.
    TfrmMDIChild* openWritten(const QString& name, std::uint32_t bits) {
        const QString path = folder.filePath(name);
        EXPECT_EQ(exportPicture(patternPicture(48, 32), path.toStdString(), bits), IP_OK);
        EXPECT_TRUE(main->files().OpenImageFile(path));
        return main->activeImageWindow();
    }

    // Answers the replace question with `answer`, ticking "Do not ask again" when asked to;
    // every message still lands in `messages`.
    void answerReplaceQuestion(MessageAnswer answer, bool doNotAskAgain) {
        setMessageResponder([=, this](MessageKind kind, const MessageTexts& texts) {
            messages.push_back({kind, texts.caption, texts.text});
            if (texts.checked != nullptr) {
                EXPECT_EQ(texts.checkText, "Do not ask again");
                *texts.checked = doNotAskAgain;
            }
            return kind == MessageKind::Question ? answer : MessageAnswer::Ok;
        });
    }
};

TEST_F(SaveTest, SaveWritesTheOriginalBackInItsOwnFormatAndOptionsAfterAskingOnce) {
    TfrmMDIChild* window = openWritten("camera.JPEG", percent(95));
    ASSERT_NE(window, nullptr);
    main->settings().local.DisplayJPEGOptions = 1; // Save asks no options
    main->settings().local.JpegQuality = 3;
    const QString path = window->FileName();
    const QByteArray before = contentOf(path);
    change(*window);

    answerReplaceQuestion(MessageAnswer::No, false);
    EXPECT_FALSE(main->files().Save(*window));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Replace the original picture " + path + " with the changed one?");
    EXPECT_EQ(contentOf(path), before) << "No leaves the original alone";
    EXPECT_FALSE(window->Saved());

    answerReplaceQuestion(MessageAnswer::Yes, false);
    EXPECT_TRUE(main->files().Save(*window));
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_TRUE(window->Saved());
    EXPECT_NE(contentOf(path), before);
    EXPECT_EQ(writingOf(path).format, platform::PictureFormat::Jpeg);
    EXPECT_EQ(writingOf(path).bits, percent(95)) << "the camera's quality, not the setting's";
    EXPECT_TRUE(main->settings().askBeforeReplacingOriginals);

    change(*window);
    EXPECT_TRUE(main->files().Save(*window));
    EXPECT_EQ(messages.size(), 2u) << "the file is no longer the original: no question";
    EXPECT_TRUE(window->Saved());
}

TEST_F(SaveTest, DoNotAskAgainIsRememberedForEveryOriginal) {
    TfrmMDIChild* first = openWritten("first.bmp", 0);
    change(*first);
    answerReplaceQuestion(MessageAnswer::Yes, true);
    ASSERT_TRUE(main->files().Save(*first));
    EXPECT_FALSE(main->settings().askBeforeReplacingOriginals);

    TfrmMDIChild* second = openWritten("second.pcx", 0);
    change(*second);
    ASSERT_TRUE(main->files().Save(*second));
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(writingOf(second->FileName()).format, platform::PictureFormat::Pcx);

    main->settings().save(*store);
    PersistedSettings reread;
    reread.load(*store);
    EXPECT_FALSE(reread.askBeforeReplacingOriginals);
}

TEST_F(SaveTest, TiffCompressionAndPngInterlacingStayAsTheFileHadThem) {
    main->settings().askBeforeReplacingOriginals = false;
    main->settings().local.DisplayTIFFOptions = 1;
    main->settings().local.DisplayPNGOptions = 1;
    main->settings().local.TiffCompression = 0;
    main->settings().local.PngInterlaced = 0;
    TfrmMDIChild* tiff = openWritten("scan.tiff", IP_TIFF_PACKBITS);
    TfrmMDIChild* png = openWritten("drawing.png", IP_PNG_INTERLACED);
    for (TfrmMDIChild* window : {tiff, png}) {
        change(*window);
        ASSERT_TRUE(main->files().Save(*window)) << window->FileName().toStdString();
    }
    EXPECT_EQ(writingOf(tiff->FileName()).bits, std::uint32_t(IP_TIFF_PACKBITS));
    EXPECT_EQ(writingOf(png->FileName()).bits, std::uint32_t(IP_PNG_INTERLACED));
    const Picture written = importPicture(tiff->FileName().toStdString());
    ASSERT_EQ(written.width, 48);
    EXPECT_EQ(written.at(0, 31)[0], tiff->Image().Bits[0]) << "the changed pixel was written";
    EXPECT_TRUE(messages.empty());
}

TEST_F(SaveTest, AFileWhoseContentHasAnotherFormatIsWrittenWithTheSavingOptions) {
    main->settings().askBeforeReplacingOriginals = false;
    main->settings().local.DisplayPNGOptions = 0;
    main->settings().local.PngInterlaced = 1;
    const QString misnamed = folder.filePath("really-a-jpeg.png");
    ASSERT_EQ(exportPicture(patternPicture(48, 32), folder.filePath("a.jpg").toStdString(), 0),
              IP_OK);
    ASSERT_TRUE(QFile::copy(folder.filePath("a.jpg"), misnamed));
    ASSERT_TRUE(main->files().OpenImageFile(misnamed));
    TfrmMDIChild* window = main->activeImageWindow();
    change(*window);
    ASSERT_TRUE(main->files().Save(*window));
    EXPECT_EQ(writingOf(misnamed).format, platform::PictureFormat::Png);
    EXPECT_EQ(writingOf(misnamed).bits, std::uint32_t(IP_PNG_INTERLACED));
}

TEST_F(SaveTest, PicturesWithoutAFileOfTheirOwnGoToSaveAs) {
    TfrmMDIChild* result = main->NewImageWindow(pattern(40, 30), "dune (2)");
    bool dialogShown = false;
    cancelNextFileDialog(dialogShown);
    EXPECT_FALSE(main->files().Save(*result));
    EXPECT_TRUE(dialogShown);

    main->settings().askBeforeReplacingOriginals = false;
    TfrmMDIChild* window = openWritten("edited.bmp", 0);
    const QString path = window->FileName();
    window->ReplaceImage(pattern(20, 10), "Picture 4"); // as Resize does
    dialogShown = false;
    cancelNextFileDialog(dialogShown);
    EXPECT_FALSE(main->files().Save(*window));
    EXPECT_TRUE(dialogShown) << "a resized picture is a new picture";

    window->Undo();
    EXPECT_EQ(window->FileName(), path);
    change(*window);
    dialogShown = false;
    cancelNextFileDialog(dialogShown);
    EXPECT_TRUE(main->files().Save(*window));
    QApplication::processEvents();
    EXPECT_FALSE(dialogShown) << "undone, the picture has its file again";
}

// Files may grow to a few hundred bytes only while the object lives (a full disk, as far as
// the save can tell).
class FileSizeLimit {
public:
    FileSizeLimit() {
        ::getrlimit(RLIMIT_FSIZE, &before_);
        previousHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit small = before_;
        small.rlim_cur = 300;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &before_);
        ::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit before_{};
    sighandler_t previousHandler_ = nullptr;
};

TEST_F(SaveTest, AFailedSaveKeepsThePreviousFileAndTheUnsavedMark) {
    main->settings().askBeforeReplacingOriginals = false;
    TfrmMDIChild* window = openWritten("kept.bmp", 0);
    const QString path = window->FileName();
    const QByteArray before = contentOf(path);
    change(*window);
    messages.clear();
    {
        const FileSizeLimit diskFull;
        EXPECT_FALSE(main->files().Save(*window));
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    EXPECT_EQ(messages[0].text, "The file could not be written.");
    EXPECT_EQ(contentOf(path), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).filter("kept"), QStringList{"kept.bmp"});
    EXPECT_FALSE(window->Saved());
    EXPECT_TRUE(window->Caption().contains('*'));
}

TEST_F(SaveTest, CtrlSSavesTheActivePicture) {
    main->settings().askBeforeReplacingOriginals = false;
    TfrmMDIChild* window = openWritten("keys.png", 0);
    change(*window);
    QApplication::processEvents();
    ASSERT_TRUE(main->files().mnSave->isEnabled());
    EXPECT_EQ(main->files().mnSave->shortcut(), QKeySequence(QKeySequence::Save));
    EXPECT_EQ(main->files().mnSave->text(), "&Save");
    main->files().mnSave->trigger();
    EXPECT_TRUE(window->Saved());
}

TEST_F(SaveTest, AYesWhoseSaveAsIsCancelledKeepsTheWindowOpen) {
    main->settings().config.PromptToSave = 1;
    TfrmMDIChild* window = main->NewImageWindow(pattern(40, 30), "Picture 0");
    answers = {MessageAnswer::Yes};
    bool dialogShown = false;
    cancelNextFileDialog(dialogShown);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(main->imageWindows().size(), 1);
}

// The question at the end lists every unsaved picture once.
class UnsavedAtExitTest : public SaveTest {
protected:
    void SetUp() override {
        SaveTest::SetUp();
        main->settings().config.PromptToSave = 1;
        main->settings().askBeforeReplacingOriginals = false;
        first = openWritten("first.bmp", 0);
        second = openWritten("second.tif", IP_TIFF_UNCOMPRESSED);
        openWritten("untouched.bmp", 0);
        change(*first);
        change(*second);
        messages.clear();
    }

    TfrmMDIChild* first = nullptr;
    TfrmMDIChild* second = nullptr;
};

TEST_F(UnsavedAtExitTest, CancelKeepsTheProgramAndEveryPicture) {
    answers = {MessageAnswer::Cancel};
    EXPECT_FALSE(main->close());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::QuestionWithCancel);
    EXPECT_EQ(messages[0].text, "These pictures have changes that are not saved:\n\n" +
                                    first->FileName() + "\n" + second->FileName());
    EXPECT_EQ(main->imageWindows().size(), 3);
}

TEST_F(UnsavedAtExitTest, DiscardAllClosesWithoutAnotherQuestion) {
    const QByteArray before = contentOf(first->FileName());
    answers = {MessageAnswer::No};
    EXPECT_TRUE(main->close());
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(main->imageWindows().isEmpty());
    EXPECT_EQ(contentOf(folder.filePath("first.bmp")), before);
}

TEST_F(UnsavedAtExitTest, SaveAllWritesEachToItsFile) {
    const std::uint8_t changed = first->Image().Bits[0];
    answers = {MessageAnswer::Yes};
    EXPECT_TRUE(main->close());
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(importPicture(folder.filePath("first.bmp").toStdString()).at(0, 31)[0], changed);
    EXPECT_EQ(writingOf(folder.filePath("second.tif")).bits, std::uint32_t(IP_TIFF_UNCOMPRESSED));
}

TEST_F(UnsavedAtExitTest, ASaveThatDoesNotHappenKeepsTheProgramOpen) {
    first->ReplaceImage(pattern(20, 10), "Picture 3"); // no file: Save As, then cancelled
    answers = {MessageAnswer::Yes};
    bool dialogShown = false;
    cancelNextFileDialog(dialogShown);
    EXPECT_FALSE(main->close());
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(main->imageWindows().size(), 3);
}

TEST_F(UnsavedAtExitTest, OneUnsavedPictureAsksForItselfAsBefore) {
    second->SetSaved(true);
    answers = {MessageAnswer::No};
    EXPECT_TRUE(main->close());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Save the changes to " + first->FileName() + "?");
}

} // namespace
