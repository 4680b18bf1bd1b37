// The print dialog offscreen, driven through its controls: texts, units, options, dragging in
// the preview, the sheet tabs with their printed areas, and the settings Start keeps; then
// the print commands of the main window, printing to PDF files.
#include "cancel_printing.h"
#include "print_commands.h"
#include "print_form.h"
#include "print_pictures.h"
#include "print_preview.h"
#include "printer_sheet.h"
#include "program_fixture.h"

#include "language.h"
#include "numeric_edit.h"
#include "settings_records.h"
#include "text_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <cstring>

namespace {

// The areas of the printed-area file as (left, top, right, bottom, sheet).
std::vector<std::array<int, 5>> areasIn(const QString& path) {
    TPageFilling filling;
    filling.LoadFile(path);
    std::vector<std::array<int, 5>> areas;
    for (int i = 0; i < filling.Count(); ++i) {
        const TPrintedArea& a = *filling[i];
        areas.push_back({a.Left, a.Top, a.Right, a.Bottom, a.Sheet});
    }
    return areas;
}

void setUpA4At300Dpi(QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(300);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
    useWholeSheet(printer);
}

class PrintDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(language.Load(HUEMARK_DATA_DIR "/Language/English.ini"));
        setUpA4At300Dpi(printer);
        settings = defaultLocalSettings();
    }

    void open() {
        form = std::make_unique<TPrintForm>(language, settings, printer, areaFile());
        form->SetImages(list);
        form->show();
        QApplication::processEvents();
    }
    void add(std::unique_ptr<TDIBImage> picture, const QString& name) {
        pictures.push_back(std::move(picture));
        list.AddPicture(name, *pictures.back());
    }
    QString areaFile() const { return folder.filePath("Huemark.prn"); }
    template <typename T> T* control(const char* name) const {
        T* found = form->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char* label) const { return control<QLabel>(label)->text(); }
    const TPrintedImage& active() const { return *form->Layout().Active(); }
    // Types into a number field and presses Return.
    void type(const char* field, const QString& value) {
        QLineEdit* line = control<TNumericEditBase>(field)->Field();
        line->selectAll();
        QTest::keyClicks(line, value);
        QTest::keyClick(line, Qt::Key_Return);
    }
    QWidget* surface() const { return form->Preview().PrintableArea(); }

    QTemporaryDir folder;
    TLanguage language;
    QPrinter printer{QPrinter::HighResolution};
    TLocalSettings settings{};
    std::vector<std::unique_ptr<TDIBImage>> pictures;
    TPrintedImageList list;
    std::unique_ptr<TPrintForm> form;
};

TEST_F(PrintDialog, OpensWithThePrinterTheSheetAndTheCascadedPictures) {
    add(solidPicture(40, 30, Qt::red), "first.bmp");
    add(solidPicture(20, 10, Qt::blue, ppmOf100Dpi), "second.bmp");
    open();
    EXPECT_EQ(form->windowTitle(), "Print");
    EXPECT_EQ(text("lbCurrentPrinter"), "PDF");
    EXPECT_EQ(text("lb_PrinterResolution"), "300 x 300 dpi");
    EXPECT_EQ(text("lb_PageSize"), "210 x 297 mm");
    EXPECT_EQ(text("lb_ImageSize"), "40 x 30 pixels");
    EXPECT_EQ(text("lb_ImageResolution"), "300 x 300 dpi");
    auto* tabs = control<QTabBar>("PageControl");
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(2), "Page 3");
    auto* images = control<QComboBox>("cmb_Images");
    ASSERT_EQ(images->count(), 2);
    EXPECT_EQ(images->itemText(1), "second.bmp");
    EXPECT_TRUE(control<QToolButton>("btImageDelete")->isEnabled());
    EXPECT_EQ(control<TRealEdit>("edtLeft")->Field()->text(), "5.00") << "59 pixels, 4.995 mm";
    EXPECT_EQ(control<QLineEdit>("edtTitle")->text(), "first.bmp");
    EXPECT_EQ(control<TIntEdit>("edtCopies")->Value(), 1);
    EXPECT_EQ(text("lbFont"), "Times New Roman, 8");

    images->setCurrentIndex(1);
    emit images->activated(1);
    EXPECT_EQ(active().Name, "second.bmp");
    EXPECT_EQ(images->itemText(0), "second.bmp") << "the chosen picture comes first";
    EXPECT_EQ(text("lb_ImageResolution"), "100 x 100 dpi");
    EXPECT_EQ(control<TRealEdit>("edtLeft")->Value(),
              form->Layout().FieldValue(TPrintLayout::LeftField));
    control<QToolButton>("btImageDelete")->click();
    EXPECT_EQ(images->count(), 1);
    EXPECT_FALSE(control<QToolButton>("btImageDelete")->isEnabled());
}

TEST_F(PrintDialog, TypedValuesAndTheUnitButtonsShowOnePlace) {
    add(solidPicture(40, 30, Qt::red), "a.bmp");
    open();
    type("edtLeft", "12.5"); // 147.6 pixels
    EXPECT_EQ(active().Left, 147);
    EXPECT_EQ(control<TRealEdit>("edtLeft")->Field()->text(), "12.50");

    control<QRadioButton>("rbInch")->click();
    EXPECT_EQ(text("lb_PageSize"), "8.3 x 11.7 '' ");
    EXPECT_EQ(control<TRealEdit>("edtLeft")->Field()->text(), "0.490");
    // Entering the shown inches again keeps the place within one printer pixel.
    type("edtLeft", "0.490");
    EXPECT_NEAR(active().Left, 147, 1);
    control<QRadioButton>("rbMm")->click();
    EXPECT_NEAR(double(control<TRealEdit>("edtLeft")->Value()), 12.5, 25.4 / 300);
    EXPECT_EQ(control<TRealEdit>("edtWidth")->Increment(), 1);
}

TEST_F(PrintDialog, TheCheckBoxesFollowTheOptionRules) {
    add(solidPicture(400, 100, Qt::red), "wide.bmp");
    open();
    control<QCheckBox>("chbKeepAspectRatio")->click();
    control<QCheckBox>("chbFitToPage")->click();
    EXPECT_EQ(active().Width, 2362);
    EXPECT_FALSE(control<TRealEdit>("edtWidth")->isEnabled());
    EXPECT_FALSE(control<TRealEdit>("edtHeight")->isEnabled());

    control<QCheckBox>("chb1to1")->click();
    EXPECT_FALSE(control<QCheckBox>("chbKeepAspectRatio")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("chbFitToPage")->isChecked());
    EXPECT_EQ(active().Width, 400);

    control<QCheckBox>("chbCenterHorizontally")->click();
    EXPECT_FALSE(control<TRealEdit>("edtLeft")->isEnabled());
    EXPECT_EQ(active().Left, (2480 - 400) / 2);
    EXPECT_TRUE(control<TRealEdit>("edtTop")->isEnabled());
}

TEST_F(PrintDialog, DraggingAPictureMovesItAndEndsItsCentring) {
    add(solidPicture(600, 300, Qt::red), "top.bmp");
    add(solidPicture(600, 300, Qt::blue), "below.bmp");
    open();
    control<QCheckBox>("chbCenterVertically")->click();
    const PreviewGeometry& geometry = form->Preview().Geometry();
    const QRect shown = geometry.PictureRect(active());
    const QPoint from = shown.center();
    const QPoint to = from + QPoint(30, 12);
    QTest::mousePress(surface(), Qt::LeftButton, {}, from);
    QTest::mouseMove(surface(), to);
    QTest::mouseRelease(surface(), Qt::LeftButton, {}, to);
    EXPECT_EQ(active().Name, "top.bmp");
    EXPECT_EQ(QPoint(active().Left, active().Top),
              geometry.SheetPointOf(shown.topLeft() + QPoint(30, 12)));
    EXPECT_FALSE(active().CenterVertically);
    EXPECT_FALSE(control<QCheckBox>("chbCenterVertically")->isChecked());
    EXPECT_NEAR(double(control<TRealEdit>("edtLeft")->Value()), active().Left * 25.4 / 300, 1e-9);

    // The second picture shows below the first where they do not overlap: a press there
    // chooses it.
    const QRect second = geometry.PictureRect(*list[1]);
    const QPoint onSecond = second.topLeft() + QPoint(2, 2);
    ASSERT_FALSE(geometry.PictureRect(active()).contains(onSecond));
    QTest::mouseClick(surface(), Qt::LeftButton, {}, onSecond);
    EXPECT_EQ(active().Name, "below.bmp");
    EXPECT_EQ(control<QComboBox>("cmb_Images")->itemText(0), "below.bmp");
}

TEST_F(PrintDialog, ADragStopsAtThePrintableArea) {
    add(solidPicture(600, 300, Qt::red), "a.bmp");
    open();
    const QPoint from = form->Preview().Geometry().PictureRect(active()).center();
    QTest::mousePress(surface(), Qt::LeftButton, {}, from);
    QTest::mouseMove(surface(), QPoint(surface()->width() + 500, -300));
    QTest::mouseRelease(surface(), Qt::LeftButton, {}, QPoint(surface()->width() + 500, -300));
    const TPrintLayout::Range left = form->Layout().FieldRange(TPrintLayout::LeftField);
    EXPECT_LE(control<TRealEdit>("edtLeft")->Value(), left.Max);
    EXPECT_EQ(active().Top, 59) << "the pointer was held at the top edge";
    EXPECT_LE(active().Left, 59 + 2362);
}

// Pixels of the preview as drawn on screen.
class PreviewPicture : public PrintDialog {};

TEST_F(PreviewPicture, ShowsTheHatchedMarginThePicturesAndThePrintedAreasOfTheChosenSheet) {
    TPageFilling earlier;
    earlier.AddArea({600, 1200, 1800, 2400, 1}); // on the second sheet
    ASSERT_TRUE(earlier.SaveFile(areaFile()));
    add(solidPicture(900, 600, QColor(200, 0, 0)), "red.bmp");
    open();
    const PreviewGeometry& geometry = form->Preview().Geometry();
    const QImage page = form->Preview().grab().toImage();
    const QRect sheet = geometry.Sheet;
    const QRect printable = geometry.Printable;
    int grey = 0;
    for (int x = sheet.left(); x < printable.left(); ++x) {
        for (int y = sheet.top(); y <= sheet.bottom(); ++y) {
            const QRgb pixel = page.pixel(x, y);
            EXPECT_TRUE(pixel == qRgb(255, 255, 255) || pixel == qRgb(0x80, 0x80, 0x80));
            grey += pixel == qRgb(0x80, 0x80, 0x80) ? 1 : 0;
        }
    }
    EXPECT_GT(grey, 0) << "the margin is hatched";
    const QRect picture = geometry.PictureRect(active()).translated(printable.topLeft());
    EXPECT_EQ(page.pixel(picture.center()), qRgb(200, 0, 0));
    int white = 0;
    int black = 0;
    for (int x = picture.left(); x <= picture.right(); ++x) {
        white += page.pixel(x, picture.top()) == qRgb(255, 255, 255) ? 1 : 0;
        black += page.pixel(x, picture.top()) == qRgb(0, 0, 0) ? 1 : 0;
    }
    EXPECT_GT(white, picture.width() / 4) << "the active picture's white dotted frame";
    EXPECT_EQ(white + black, picture.width());
    EXPECT_EQ(page.pixel(printable.bottomRight() - QPoint(3, 3)), qRgb(255, 255, 255));

    const QRect area = geometry.AreaRect(600, 1200, 1800, 2400).translated(printable.topLeft());
    const auto blackOnTopEdge = [&](const QImage& image) {
        int black = 0;
        for (int x = area.left(); x < area.right(); ++x) {
            black += image.pixel(x, area.top()) == qRgb(0, 0, 0) ? 1 : 0;
        }
        return black;
    };
    EXPECT_EQ(blackOnTopEdge(page), 0) << "the first sheet has no printed areas";
    control<QTabBar>("PageControl")->setCurrentIndex(1);
    EXPECT_GT(blackOnTopEdge(form->Preview().grab().toImage()), area.width() / 4);
}

TEST_F(PrintDialog, StartKeepsFontCopiesAndUnitInTheSettings) {
    add(solidPicture(40, 30, Qt::red), "a.bmp");
    open();
    QFont font("DejaVu Sans");
    font.setPointSize(12);
    font.setBold(true);
    font.setItalic(true);
    form->SetTitleFont(font);
    EXPECT_EQ(text("lbFont"), "DejaVu Sans, 12");
    EXPECT_EQ(form->Preview().PreviewFont().pixelSize(), 4) << "50 printer pixels, scaled";
    type("edtCopies", "3");
    control<QRadioButton>("rbInch")->click();
    control<QPushButton>("btStart")->click();
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(settings.Copies, 3);
    EXPECT_EQ(settings.PrintUnit, 1);
    EXPECT_EQ(settings.PrintFontSize, 12);
    EXPECT_EQ(settings.PrintFontStyle, 1 | 2) << "bold and italic";
    ASSERT_EQ(std::size_t(settings.PrintFontName[0]), std::strlen("DejaVu Sans"));
    EXPECT_EQ(0, std::memcmp(settings.PrintFontName + 1, "DejaVu Sans", 11));
    EXPECT_EQ(settings.PrintFontColor, 0x80000008u) << "the colour stays";

    // The next dialog opens with them.
    open();
    EXPECT_TRUE(control<QRadioButton>("rbInch")->isChecked());
    EXPECT_EQ(control<TIntEdit>("edtCopies")->Value(), 3);
    EXPECT_EQ(text("lbFont"), "DejaVu Sans, 12");
    EXPECT_TRUE(form->Title().Font.bold());
}

TEST_F(PrintDialog, StartOnTheThirdSheetAddsItsAreasAndClearRemovesOnlyThose) {
    TPageFilling earlier;
    earlier.AddArea({1, 2, 3, 4, 0});
    earlier.AddArea({5, 6, 7, 8, 2});
    ASSERT_TRUE(earlier.SaveFile(areaFile()));
    add(solidPicture(40, 30, Qt::red), "a.bmp");
    add(solidPicture(20, 10, Qt::blue), "b.bmp");
    open();
    control<QTabBar>("PageControl")->setCurrentIndex(2);
    control<QPushButton>("btStart")->click();
    ASSERT_TRUE(form->RecordJob(true));
    using Areas = std::vector<std::array<int, 5>>;
    EXPECT_EQ(areasIn(areaFile()),
              (Areas{{1, 2, 3, 4, 0}, {5, 6, 7, 8, 2}, {59, 59, 99, 89, 2}, {79, 79, 99, 89, 2}}));

    open();
    control<QTabBar>("PageControl")->setCurrentIndex(2);
    control<QPushButton>("btClear")->click();
    EXPECT_EQ(form->PageFilling().CountOnSheet(2), 0);
    control<QPushButton>("btStart")->click();
    ASSERT_TRUE(form->RecordJob(false)) << "a job that did not print adds nothing";
    EXPECT_EQ(areasIn(areaFile()), (Areas{{1, 2, 3, 4, 0}}));
}

TEST_F(PrintDialog, HelpOpensThePrintingTopic) {
    add(solidPicture(40, 30, Qt::red), "a.bmp");
    open();
    int shown = -1;
    form->showHelp = [&](int topic) { shown = topic; };
    control<QPushButton>("btHelp")->click();
    EXPECT_EQ(shown, 1);
    control<QPushButton>("btCancel")->click();
    EXPECT_EQ(form->result(), QDialog::Rejected);
}

TEST_F(PrintDialog, ASetUpPrinterChangesTheSheetAndKeepsThePicturesPlace) {
    add(solidPicture(40, 30, Qt::red), "a.bmp");
    open();
    type("edtLeft", "50");
    form->setUpPrinter = [](QPrinter& chosen) {
        chosen.setResolution(600);
        chosen.setPageOrientation(QPageLayout::Landscape);
        return true;
    };
    control<QPushButton>("btPrinterSetup")->click();
    EXPECT_EQ(text("lb_PrinterResolution"), "600 x 600 dpi");
    EXPECT_EQ(text("lb_PageSize"), "297 x 210 mm");
    EXPECT_NEAR(double(control<TRealEdit>("edtLeft")->Value()), 50, 25.4 / 300);
    EXPECT_EQ(form->Preview().Geometry().Sheet.size(), QSize(297, 210));
}

// The commands of the main window, printing to PDF files (no printer is installed here).
class PrintCommandTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        PrintCommands& commands = main->printing();
        setUpA4At300Dpi(commands.printer());
        commands.setPrintedAreaFile(folder.filePath("Huemark.prn"));
        commands.choosePdfFile = [this](const QString& proposal) {
            proposed = proposal;
            return pdfFile;
        };
    }
    void startOnSheet(int sheet) {
        main->printing().windowReady = [sheet](TPrintForm& form) {
            QTimer::singleShot(0, &form, [&form, sheet] {
                form.findChild<QTabBar*>("PageControl")->setCurrentIndex(sheet);
                form.findChild<QPushButton*>("btStart")->click();
            });
        };
    }
    QString areaFile() const { return folder.filePath("Huemark.prn"); }

    QString pdfFile;
    QString proposed;
};

TEST_F(PrintCommandTest, PrintIsInTheFileMenuAndOnTheToolBarAndFollowsTheOpenWindows) {
    PrintCommands& commands = main->printing();
    const QList<QAction*> file = main->mmnFile->actions();
    EXPECT_LT(file.indexOf(commands.mnPrint), file.indexOf(main->mnExit));
    EXPECT_EQ(file.indexOf(commands.mnPrintAll), file.indexOf(commands.mnPrint) + 1);
    EXPECT_EQ(commands.mnPrint->text(), "&Print...");
    const QList<QAction*> tools = main->findChild<QToolBar*>("ToolBar")->actions();
    EXPECT_EQ(tools.indexOf(commands.tbPrint), tools.indexOf(main->files().tbSaveAs) + 1);
    EXPECT_EQ(tools.indexOf(commands.tbPrintAll), tools.indexOf(commands.tbPrint) + 1);
    EXPECT_EQ(commands.tbPrintAll->toolTip(), "Print all open pictures");

    main->EvaluateEnablingRules();
    EXPECT_FALSE(commands.mnPrint->isEnabled());
    EXPECT_FALSE(commands.tbPrintAll->isEnabled());
    main->NewImageWindow(pattern(30, 20), "one.bmp");
    main->EvaluateEnablingRules();
    EXPECT_TRUE(commands.mnPrint->isEnabled());
    EXPECT_TRUE(commands.tbPrint->isEnabled());
    EXPECT_FALSE(commands.mnPrintAll->isEnabled()) << "print all needs two windows";
    main->NewImageWindow(pattern(30, 20), "two.bmp");
    main->EvaluateEnablingRules();
    EXPECT_TRUE(commands.mnPrintAll->isEnabled());
    EXPECT_TRUE(commands.tbPrintAll->isEnabled());
}

TEST_F(PrintCommandTest, PrintAllSendsEveryWindowToTheNamedPdfAndRecordsTheSheet) {
    main->NewImageWindow(pattern(30, 20), "/pictures/one.bmp");
    main->NewImageWindow(pattern(40, 10), "/pictures/two.bmp");
    pdfFile = folder.filePath("all.pdf");
    startOnSheet(2);
    main->printing().mnPrintAll->trigger();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(QFileInfo(pdfFile).size() > 0);
    EXPECT_TRUE(proposed.endsWith("/one.pdf")) << proposed.toStdString();
    using Areas = std::vector<std::array<int, 5>>;
    EXPECT_EQ(areasIn(areaFile()), (Areas{{59, 59, 89, 79, 2}, {79, 79, 119, 89, 2}}))
        << "the windows in the workspace's order, the second cascaded";
}

TEST_F(PrintCommandTest, ACancelledJobMarksNoPaperAndLeavesNoFile) {
    main->NewImageWindow(pattern(30, 20), "one.bmp");
    main->NewImageWindow(pattern(30, 20), "two.bmp");
    pdfFile = folder.filePath("cancelled.pdf");
    startOnSheet(0);
    main->printing().choosePdfFile = [this](const QString&) {
        cancelPrintingWhenAsked();
        return pdfFile;
    };
    main->printing().mnPrintAll->trigger();
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(QFileInfo::exists(pdfFile));
    EXPECT_TRUE(QFileInfo::exists(areaFile())) << "written, with nothing added";
    EXPECT_TRUE(areasIn(areaFile()).empty());
}

TEST_F(PrintCommandTest, AFailedJobSaysSoAndMarksNoPaper) {
    main->NewImageWindow(pattern(30, 20), "one.bmp");
    pdfFile = folder.filePath("missing/folder/x.pdf");
    startOnSheet(1);
    main->printing().mnPrint->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    EXPECT_EQ(messages[0].text, main->language().Text("Common", common_text::PrintFailed));
    EXPECT_TRUE(areasIn(areaFile()).empty());
}

TEST_F(PrintCommandTest, NoFileNamedPrintsNothing) {
    main->NewImageWindow(pattern(30, 20), "one.bmp");
    startOnSheet(0);
    main->printing().mnPrint->trigger();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(areasIn(areaFile()).empty());
    EXPECT_TRUE(QDir(folder.path()).entryList({"*.pdf"}).isEmpty());
}

} // namespace
