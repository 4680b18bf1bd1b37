#include "program_fixture.h"

#include "dialog_filters.h"
#include "format_options.h"
#include "image_file_commands.h"
#include "picture_open_dialog.h"
#include "progress_form.h"
#include "recent_files.h"
#include "text_table.h"

#include "platform/picture_format.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstring>

namespace {
const QString sample = HUEMARK_DATA_DIR "/Images/still-life-small.bmp";

const QString photo = HUEMARK_DATA_DIR "/Images/still-life-warm-cast.jpg";

bool samePixels(const TDIBImage& a, const TDIBImage& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() && a.ImageSize() == b.ImageSize() &&
           std::memcmp(a.Bits, b.Bits, a.ImageSize()) == 0;
}

// The format the file's content shows.
platform::PictureFormat formatOfFile(const QString& fileName) {
    return platform::pictureFormatOfFile(QFile::encodeName(fileName).constData());
}

// The class name of the next modal dialog, which is then closed with OK.
void acceptNextDialog(QString& shown) {
    QTimer::singleShot(0, [&shown] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        shown = dialog->metaObject()->className();
        static_cast<QDialog*>(dialog)->accept();
    });
}
} // namespace

TEST_F(ProgramTest, OpensAPictureIntoASavedWindowAndReportsMissingFiles) {
    ASSERT_TRUE(OpenImageFile(*main, sample));
    TfrmMDIChild* window = main->activeImageWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->Saved());
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

TEST_F(ProgramTest, EveryExtensionOfTheFiveFormatsOpensInAnyCase) {
    const QString hills = HUEMARK_DATA_DIR "/Images/landscape-blue-cast.tif";
    const std::pair<QString, QString> copies[] = {{photo, "PHOTO.JPG"},  {photo, "photo.jpeg"},
                                                  {photo, "photo.JPE"},  {photo, "photo.Jpeg"},
                                                  {hills, "hills.tiff"}, {hills, "hills.TIFF"}};
    for (const auto& [original, name] : copies) {
        const QString copy = folder.filePath(name);
        ASSERT_TRUE(QFile::copy(original, copy));
        EXPECT_TRUE(OpenImageFile(*main, copy)) << name.toStdString();
        EXPECT_EQ(main->activeImageWindow()->FileName(), copy);
    }
    EXPECT_EQ(main->imageWindows().size(), int(std::size(copies)));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ProgramTest, AnUnknownExtensionIsRefusedByAMessageNamingTheFile) {
    const QString jfif = folder.filePath("photo.jfif");
    ASSERT_TRUE(QFile::copy(photo, jfif));
    EXPECT_FALSE(OpenImageFile(*main, jfif));
    EXPECT_TRUE(main->imageWindows().isEmpty());
    ASSERT_TRUE(OpenImageFile(*main, sample));
    const QString gif = folder.filePath("copy.gif");
    EXPECT_FALSE(SaveImageFile(*main, *main->activeImageWindow(), gif));
    EXPECT_FALSE(QFile::exists(gif));
    ASSERT_EQ(messages.size(), 2u);
    const QString known = ": only .bmp, .jpg (.jpeg, .jpe), .tif (.tiff), .png and .pcx are known.";
    EXPECT_EQ(messages[0].text, "Unknown file extension of " + jfif + known);
    EXPECT_EQ(messages[1].text, "Unknown file extension of " + gif + known);
}

TEST_F(ProgramTest, SavesJpegAndTiffUnderEveryExtensionAfterTheirOptions) {
    ASSERT_TRUE(OpenImageFile(*main, sample));
    TfrmMDIChild* window = main->activeImageWindow();
    main->settings().local.DisplayJPEGOptions = 1;
    main->settings().local.DisplayTIFFOptions = 1;
    using platform::PictureFormat;
    const std::pair<QString, PictureFormat> targets[] = {{"copy.jpeg", PictureFormat::Jpeg},
                                                         {"copy.JPE", PictureFormat::Jpeg},
                                                         {"copy.tiff", PictureFormat::Tiff},
                                                         {"copy.TIFF", PictureFormat::Tiff}};
    for (const auto& [name, format] : targets) {
        SCOPED_TRACE(name.toStdString());
        const QString target = folder.filePath(name);
        QString shown;
        acceptNextDialog(shown);
        ASSERT_TRUE(SaveImageFile(*main, *window, target));
        EXPECT_EQ(shown, format == PictureFormat::Jpeg ? "TJPEGOptions" : "TTIFFOptions");
        EXPECT_EQ(formatOfFile(target), format);
        EXPECT_EQ(window->FileName(), target);
        TDIBImage reread;
        ASSERT_EQ(reread.LoadFromFile(QFile::encodeName(target).constData(), nullptr), 0);
        EXPECT_EQ(reread.Width(), window->ImageWidth());
        if (format == PictureFormat::Tiff) {
            EXPECT_TRUE(samePixels(reread, window->Image()));
        }
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(ProgramTest, ATruncatedJpegOpensWithAWarningInTheStatusBar) {
    QFile whole(photo);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QString cut = folder.filePath("cut.jpg");
    QFile file(cut);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.left(bytes.size() * 3 / 5));
    file.close();

    ASSERT_TRUE(OpenImageFile(*main, cut));
    QApplication::processEvents();
    ASSERT_NE(main->activeImageWindow(), nullptr);
    EXPECT_EQ(main->activeImageWindow()->ImageWidth(), 1200);
    auto* status = main->findChild<QLabel*>("StatusPanel0");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text(), "cut.jpg is incomplete: only part of the picture could be read.");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Warning) << "the warning box is shown as well";
}

TEST_F(ProgramTest, TheFastPngDefaultStaysWithinATenthOfTheSmallestFile) {
    ASSERT_TRUE(OpenImageFile(*main, photo));
    TfrmMDIChild* window = main->activeImageWindow();
    main->settings().local.DisplayPNGOptions = 0;
    for (const std::uint8_t interlaced : {0, 1}) {
        SCOPED_TRACE(interlaced);
        main->settings().local.PngInterlaced = interlaced;
        const QString fast = folder.filePath(QString("fast%1.png").arg(interlaced));
        const QString smallest = folder.filePath(QString("smallest%1.png").arg(interlaced));
        setPngSmallestFile(*store, false);
        ASSERT_TRUE(SaveImageFile(*main, *window, fast));
        setPngSmallestFile(*store, true);
        ASSERT_TRUE(SaveImageFile(*main, *window, smallest));
        const qint64 fastSize = QFileInfo(fast).size();
        const qint64 smallestSize = QFileInfo(smallest).size();
        EXPECT_LT(smallestSize, fastSize) << "the two settings compress differently";
        EXPECT_LE(fastSize * 10, smallestSize * 11);
        for (const QString& written : {fast, smallest}) {
            TDIBImage reread;
            ASSERT_EQ(reread.LoadFromFile(QFile::encodeName(written).constData(), nullptr), 0);
            EXPECT_TRUE(samePixels(reread, window->Image())) << written.toStdString();
        }
    }
}

TEST_F(ProgramTest, ThePngOptionsKeepTheSmallestFileChoice) {
    TLocalSettings& local = main->settings().local;
    {
        TPNGOptions options(main->language(), local, *store);
        EXPECT_EQ(options.chbSmallest->text(), "Smallest file (slower to save)");
        EXPECT_FALSE(options.chbSmallest->isChecked()) << "the fast compression at first";
        options.chbSmallest->setChecked(true);
        options.accept();
    }
    store->sync();
    EXPECT_TRUE(pngSmallestFile(SettingsStore(folder.filePath("settings.ini"))));
    TPNGOptions again(main->language(), local, *store);
    EXPECT_TRUE(again.chbSmallest->isChecked());
    again.chbSmallest->setChecked(false);
    again.reject();
    EXPECT_TRUE(pngSmallestFile(*store)) << "Cancel keeps the choice";
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
        window->SetSaved(false);
        ASSERT_TRUE(SaveImageFile(*main, *window, target)) << extension;
        EXPECT_TRUE(window->Saved());
        EXPECT_EQ(window->FileName(), target);
        EXPECT_EQ(window->Caption(), QString("copy.%1 (1:1)").arg(extension));
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
    window->SetSaved(false);
    EXPECT_FALSE(SaveImageFile(*main, *window, folder.filePath("copy.gif")));
    EXPECT_FALSE(QFile::exists(folder.filePath("copy.gif")));
    EXPECT_FALSE(SaveImageFile(*main, *window, folder.filePath("no/such/folder/copy.bmp")));
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_FALSE(window->Saved());
    EXPECT_EQ(window->FileName(), sample);
}

TEST_F(ProgramTest, FormatBitsAndTheJpegOptionsDialog) {
    TLocalSettings local = defaultLocalSettings();
    local.JpegQuality = 7;
    local.TiffCompression = 1;
    local.PngInterlaced = 1;
    EXPECT_EQ(formatBitsFor("a.JPG", local), 7u << 12);
    EXPECT_EQ(formatBitsFor("a.jpe", local), 7u << 12);
    EXPECT_EQ(formatBitsFor("a.JPEG", local), 7u << 12);
    EXPECT_EQ(formatBitsFor("a.tif", local), 0xC0u);
    EXPECT_EQ(formatBitsFor("a.TIFF", local), 0xC0u);
    EXPECT_EQ(formatBitsFor("a.png", local), 0x10000u);
    EXPECT_EQ(formatBitsFor("a.bmp", local), 0u);
    local.TiffCompression = 0;
    local.PngInterlaced = 0;
    EXPECT_EQ(formatBitsFor("a.tif", local), 0x20u);
    EXPECT_EQ(formatBitsFor("a.png", local), 0u);

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

TEST(DialogFilters, WindowsFiltersBecomeQtFiltersWithEverySpellingAndUpperCasePatterns) {
    EXPECT_EQ(dialogFilters("All pictures|*.bmp;*.jpg|Bitmap (*.bmp)|*.bmp"),
              (QStringList{"All pictures (*.bmp *.BMP *.jpg *.JPG *.jpeg *.JPEG *.jpe *.JPE)",
                           "Bitmap (*.bmp *.BMP)"}));
    EXPECT_EQ(dialogFilters("TIFF (*.tif)|*.tif"), QStringList{"TIFF (*.tif *.TIF *.tiff *.TIFF)"});
    EXPECT_EQ(dialogFilters("Pictures|*.jpeg;*.col;*."),
              QStringList{"Pictures (*.jpeg *.JPEG *.col *.COL *.)"})
        << "only the usual extension of a format brings the others";
    EXPECT_EQ(dialogFilters("All files|*"), QStringList{"All files (*)"});
    EXPECT_TRUE(dialogFilters("").isEmpty());
}

namespace {
// The files of `folder` a file dialog filter ("Name (*.a *.b)") lists.
QStringList listedBy(const QString& filter, const QString& folder) {
    const QString patterns = filter.section('(', -1).chopped(1);
    return QDir(folder).entryList(patterns.split(' '), QDir::Files, QDir::Name);
}
} // namespace

TEST_F(ProgramTest, TheOpenDialogListsEverySpellingOfJpegAndTiff) {
    for (const char* name : {"a.jpeg", "b.JPE", "c.jpg", "d.tiff", "e.TIF", "f.gif"}) {
        ASSERT_TRUE(QFile::copy(sample, folder.filePath(name)));
    }
    QStringList all, jpeg, tiff;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TPictureOpenDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        all = listedBy(dialog->nameFilters().at(0), folder.path());
        jpeg = listedBy(dialog->nameFilters().at(2), folder.path());
        tiff = listedBy(dialog->nameFilters().at(3), folder.path());
        dialog->selectFile(folder.filePath("b.JPE"));
        static_cast<QDialog*>(dialog)->accept(); // as the dialog's own OK button
    });
    main->files().OpenCommand();
    EXPECT_EQ(all, (QStringList{"a.jpeg", "b.JPE", "c.jpg", "d.tiff", "e.TIF"}));
    EXPECT_EQ(jpeg, (QStringList{"a.jpeg", "b.JPE", "c.jpg"}));
    EXPECT_EQ(tiff, (QStringList{"d.tiff", "e.TIF"}));
    ASSERT_EQ(main->imageWindows().size(), 1);
    EXPECT_EQ(main->activeImageWindow()->FileName(), folder.filePath("b.JPE"));
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
    EXPECT_TRUE(window->Saved());
}

TEST_F(ProgramTest, SaveAsWritesAJpegNamedJpegAfterItsOptions) {
    main->settings().local.DisplayJPEGOptions = 1;
    TfrmMDIChild* window = main->NewImageWindow(pattern(30, 20), "scan");
    const QString target = folder.filePath("scan.jpeg");
    QString options;
    QTimer::singleShot(0, [this, target, &options] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectNameFilter(dialog->nameFilters().at(2)); // JPEG
        dialog->selectFile(target);
        acceptNextDialog(options);
        static_cast<QDialog*>(dialog)->accept(); // as the dialog's own OK button
    });
    main->files().SaveAs(*window);
    EXPECT_EQ(options, "TJPEGOptions");
    EXPECT_EQ(formatOfFile(target), platform::PictureFormat::Jpeg);
    EXPECT_EQ(window->FileName(), target);
    EXPECT_EQ(main->settings().local.SaveFilterIndex, 3);
}
