#include "program_fixture.h"

#include "dialog_filters.h"
#include "format_options.h"
#include "image_file_commands.h"
#include "picture_open_dialog.h"
#include "progress_form.h"
#include "recent_files.h"
#include "text_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstring>

namespace {
const QString sample = HUEMARK_DATA_DIR "/Images/still-life-small.bmp";

bool samePixels(const TDIBImage& a, const TDIBImage& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() && a.ImageSize() == b.ImageSize() &&
           std::memcmp(a.Bits, b.Bits, a.ImageSize()) == 0;
}
} // namespace

TEST_F(ProgramTest, OpensAPictureIntoASavedWindowAndReportsMissingFiles) {
    ASSERT_TRUE(OpenImageFile(*main, sample));
    TfrmMDIChild* window = main->activeImageWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->Saved);
    EXPECT_EQ(window->FileName(), sample);
    EXPECT_EQ(window->ImageWidth(), 600);
    EXPECT_TRUE(messages.empty());

    EXPECT_FALSE(OpenImageFile(*main, folder.filePath("missing.jpg")));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    EXPECT_EQ(messages[0].caption, "Error");
    EXPECT_EQ(messages[0].text,
              QString("The file %1 does not exist.").arg(folder.filePath("missing.jpg")));
}

TEST_F(ProgramTest, ExtensionsAreComparedInLowerCaseAndOnlyTheFiveAreKnown) {
    const QString upper = folder.filePath("PHOTO.JPG");
    ASSERT_TRUE(QFile::copy(HUEMARK_DATA_DIR "/Images/still-life-warm-cast.jpg", upper));
    EXPECT_TRUE(OpenImageFile(*main, upper));
    const QString jpeg = folder.filePath("photo.jpeg");
    ASSERT_TRUE(QFile::copy(upper, jpeg));
    EXPECT_FALSE(OpenImageFile(*main, jpeg));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, main->language().Text("INPUT_OUTPUT", 10));
    EXPECT_EQ(main->imageWindows().size(), 1);
}

TEST_F(ProgramTest, DamagedFilesGiveTheTextOfTheLibrarysCode) {
    const QString damaged = folder.filePath("damaged.png");
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG\r\n\x1a\n garbage that is no picture");
    file.close();
    EXPECT_FALSE(OpenImageFile(*main, damaged));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(messages[0].text.isEmpty());
    EXPECT_TRUE(main->imageWindows().isEmpty());
    EXPECT_EQ(resultCodeText(main->language(), 16), main->language().Text("INPUT_OUTPUT", 9));
    EXPECT_EQ(resultCodeText(main->language(), 10), "") << "unknown codes have no text";
}

TEST_F(ProgramTest, AnIncompletePictureOpensWithAWarning) {
    QFile whole(sample);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QString cut = folder.filePath("cut.bmp");
    QFile file(cut);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.left(bytes.size() * 3 / 5));
    file.close();

    ASSERT_TRUE(OpenImageFile(*main, cut));
    TfrmMDIChild* window = main->activeImageWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->ImageWidth(), 600);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages[0].text, main->language().Text("INPUT_OUTPUT", 18).replace("%s", cut));
}

TEST_F(ProgramTest, SavesInAllFiveFormatsAndReadsThemBack) {
    ASSERT_TRUE(OpenImageFile(*main, sample));
    TfrmMDIChild* window = main->activeImageWindow();
    main->settings().local.DisplayJPEGOptions = 0;
    main->settings().local.DisplayTIFFOptions = 0;
    main->settings().local.DisplayPNGOptions = 0;
    for (const char* extension : {"bmp", "pcx", "png", "tif", "jpg"}) {
        const QString target = folder.filePath(QString("copy.%1").arg(extension));
        window->Saved = false;
        ASSERT_TRUE(SaveImageFile(*main, *window, target)) << extension;
        EXPECT_TRUE(window->Saved);
        EXPECT_EQ(window->FileName(), target);
        EXPECT_EQ(window->windowTitle(), QString("copy.%1 (1:1)").arg(extension));
        EXPECT_EQ(main->settings().imageDirectory, QDir(folder.path()).absolutePath());
        TDIBImage reread;
        ASSERT_EQ(reread.LoadFromFile(QFile::encodeName(target).constData(), nullptr), 0);
        if (std::strcmp(extension, "jpg") != 0) {
            EXPECT_TRUE(samePixels(reread, window->Image())) << extension << " is lossless";
        } else {
            EXPECT_EQ(reread.Width(), window->ImageWidth());
        }
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(main->files().recentFiles().files().isEmpty()) << "saving adds nothing to the list";
}

TEST_F(ProgramTest, AFailedSaveWritesNothingAndKeepsTheWindowsState) {
    ASSERT_TRUE(OpenImageFile(*main, sample));
    TfrmMDIChild* window = main->activeImageWindow();
    window->Saved = false;
    EXPECT_FALSE(SaveImageFile(*main, *window, folder.filePath("copy.gif")));
    EXPECT_FALSE(QFile::exists(folder.filePath("copy.gif")));
    EXPECT_FALSE(SaveImageFile(*main, *window, folder.filePath("no/such/folder/copy.bmp")));
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_FALSE(window->Saved);
    EXPECT_EQ(window->FileName(), sample);
}

TEST_F(ProgramTest, FormatBitsAndTheJpegOptionsDialog) {
    TLocalSettings local = defaultLocalSettings();
    local.JpegQuality = 7;
    local.TiffCompression = 1;
    local.PngInterlaced = 1;
    EXPECT_EQ(formatBitsFor("a.JPG", local), 7u << 12);
    EXPECT_EQ(formatBitsFor("a.tif", local), 0xC0u);
    EXPECT_EQ(formatBitsFor("a.png", local), 0x10000u);
    EXPECT_EQ(formatBitsFor("a.bmp", local), 0u);
    local.TiffCompression = 0;
    EXPECT_EQ(formatBitsFor("a.tif", local), 0x20u);

    TJPEGOptions options(main->language(), local);
    EXPECT_EQ(options.cmbQuality->count(), 9);
    EXPECT_EQ(options.cmbQuality->currentText(), "70%");
    options.cmbQuality->setCurrentIndex(2);
    options.chbDisplay->setChecked(false);
    options.accept();
    EXPECT_EQ(local.JpegQuality, 3);
    EXPECT_EQ(local.DisplayJPEGOptions, 0);
    EXPECT_EQ(options.windowTitle(), "JPEG Options");
}

TEST_F(ProgramTest, CancellingTheOptionsDialogWritesNothing) {
    ASSERT_TRUE(OpenImageFile(*main, sample));
    main->settings().local.DisplayTIFFOptions = 1;
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TTIFFOptions*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->reject();
    });
    const QString target = folder.filePath("cancelled.tif");
    EXPECT_FALSE(SaveImageFile(*main, *main->activeImageWindow(), target));
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ProgramTest, OpeningSeveralFilesAddsOnlyThoseThatOpened) {
    main->files().OpenImageFiles(
        {sample, folder.filePath("gone.png"), HUEMARK_DATA_DIR "/Images/still-life-small.pcx"});
    EXPECT_EQ(main->imageWindows().size(), 2);
    EXPECT_EQ(main->files().recentFiles().files(),
              (QStringList{HUEMARK_DATA_DIR "/Images/still-life-small.pcx", sample}));
}

TEST_F(ProgramTest, PreviewOfEveryFormat) {
    for (const char* name :
         {"still-life-small.bmp", "still-life-small.pcx", "landscape-blue-cast.tif",
          "scanned-letter-yellowed.png", "still-life-warm-cast.jpg"}) {
        const QImage preview = TPictureOpenDialog::loadPreview(
            QString(HUEMARK_DATA_DIR "/Images/") + name, QSize(200, 200));
        ASSERT_FALSE(preview.isNull()) << name;
        EXPECT_TRUE(preview.width() == 200 || preview.height() == 200) << name;
        EXPECT_LE(preview.width(), 200);
        EXPECT_LE(preview.height(), 200);
    }
    EXPECT_TRUE(TPictureOpenDialog::loadPreview(folder.path(), QSize(200, 200)).isNull());
}

TEST(DialogFilters, WindowsFiltersBecomeQtFiltersWithUpperCasePatterns) {
    EXPECT_EQ(dialogFilters("All pictures|*.bmp;*.jpg|Bitmap (*.bmp)|*.bmp"),
              (QStringList{"All pictures (*.bmp *.BMP *.jpg *.JPG)", "Bitmap (*.bmp *.BMP)"}));
    EXPECT_EQ(dialogFilters("All files|*"), QStringList{"All files (*)"});
    EXPECT_TRUE(dialogFilters("").isEmpty());
}

TEST_F(ProgramTest, ProgressLabelsOfARun) {
    TProgressForm& progress = main->progressForm();
    qint64 now = 1000;
    progress.setClock([&now] { return now; });
    progress.Begin("Loading", true, 5);
    EXPECT_EQ(progress.lb_ElapsedTime->text(), "00:00:00");
    EXPECT_TRUE(progress.Progress(0.1)); // the run's first report starts its clock
    EXPECT_TRUE(progress.isHidden()) << "not before the show delay";
    now += 2000;
    EXPECT_TRUE(progress.Progress(0.25));
    EXPECT_EQ(progress.lb_ElapsedTime->text(), "00:00:02");
    EXPECT_EQ(progress.lb_EstimatedTime->text(), "00:00:08");
    EXPECT_EQ(progress.lb_Percent->text(), "25%");
    now += 3000;
    progress.Progress(0.5);
    EXPECT_TRUE(progress.isVisible()) << "after five seconds";
    progress.btCancel->click();
    EXPECT_FALSE(progress.Progress(0.6)) << "Cancel stops the run";
    EXPECT_TRUE(progress.isHidden());
    progress.End();
    progress.Begin("Saving", false, 0);
    EXPECT_FALSE(progress.btCancel->isEnabled());
    EXPECT_TRUE(progress.Progress(0.0));
    EXPECT_TRUE(progress.isVisible()) << "a delay of 0 shows the box at the first report";
    progress.End();
    EXPECT_EQ(TProgressForm::formatTime(3723000), "01:02:03");
}

namespace {
// Answers the next file dialog with `file`.
void answerFileDialog(const QString& file) {
    QTimer::singleShot(0, [file] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(file);
        static_cast<QDialog*>(dialog)->accept(); // as the dialog's own OK button
    });
}
} // namespace

TEST_F(ProgramTest, TheOpenCommandRemembersFolderAndFilter) {
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TPictureOpenDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
        dialog->selectNameFilter(dialog->nameFilters().at(5)); // PCX
        dialog->selectFile(HUEMARK_DATA_DIR "/Images/still-life-small.pcx");
        static_cast<QDialog*>(dialog)->accept(); // as the dialog's own OK button
    });
    main->files().OpenCommand();
    ASSERT_EQ(main->imageWindows().size(), 1);
    EXPECT_EQ(main->settings().imageDirectory, QString(HUEMARK_DATA_DIR "/Images"));
    EXPECT_EQ(main->settings().local.OpenFilterIndex, 6);
    EXPECT_EQ(main->files().recentFiles().files(),
              QStringList{HUEMARK_DATA_DIR "/Images/still-life-small.pcx"});
}

TEST_F(ProgramTest, YesInTheCloseQuestionSavesThePictureFirst) {
    main->settings().config.PromptToSave = 1;
    main->settings().local.DisplayPNGOptions = 0;
    TfrmMDIChild* window = main->NewImageWindow(pattern(30, 20), main->NextImageName());
    const QString target = folder.filePath("kept.png");
    answers = {MessageAnswer::Yes};
    answerFileDialog(target);
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(QFile::exists(target));
    EXPECT_EQ(main->settings().local.SaveFilterIndex, 1);
}

TEST_F(ProgramTest, SaveAsUsesTheChosenFormatsExtension) {
    main->settings().local.DisplayTIFFOptions = 0;
    TfrmMDIChild* window = main->NewImageWindow(pattern(30, 20), "scan");
    QTimer::singleShot(0, [this] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectNameFilter(dialog->nameFilters().at(3)); // TIFF
        dialog->selectFile(folder.filePath("scan.tif"));
        static_cast<QDialog*>(dialog)->accept(); // as the dialog's own OK button
    });
    main->files().SaveAs(*window);
    EXPECT_TRUE(QFile::exists(folder.filePath("scan.tif")));
    EXPECT_EQ(main->settings().local.SaveFilterIndex, 4);
    EXPECT_TRUE(window->Saved);
}
