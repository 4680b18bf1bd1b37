// Printing to a PDF file at 300 dpi on A4 with 5 mm margins, read back with poppler's
// pdftoppm (the page as pixels at the printer's resolution), pdftotext and pdfinfo.
#include "cancel_printing.h"
#include "print_images.h"
#include "print_layout.h"
#include "print_pictures.h"
#include "printer_sheet.h"

#include "language.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The smallest rectangle holding every pixel of `colour` (give or take a little, for the
// edges a renderer blends).
QRect extentOf(const QImage& page, QColor colour) {
    QRect extent;
    for (int y = 0; y < page.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            const QColor pixel(row[x]);
            if (std::abs(pixel.red() - colour.red()) < 8 &&
                std::abs(pixel.green() - colour.green()) < 8 &&
                std::abs(pixel.blue() - colour.blue()) < 8) {
                extent |= QRect(x, y, 1, 1);
            }
        }
    }
    return extent;
}

class PrintToPdf : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"pdftoppm", "pdftotext", "pdfinfo"}) {
            if (QStandardPaths::findExecutable(tool).isEmpty()) {
                GTEST_SKIP() << tool << " (poppler-utils) is not installed";
            }
        }
        ASSERT_TRUE(language.Load(HUEMARK_DATA_DIR "/Language/English.ini"));
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf());
        printer.setResolution(300);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
        useWholeSheet(printer);
        layout.SetMetrics(readPrinterMetrics(printer));
    }

    void add(std::unique_ptr<TDIBImage> picture, const QString& name) {
        pictures.push_back(std::move(picture));
        list.AddPicture(name, *pictures.back());
    }
    PrintOutcome print(int copies = 1) {
        PrintJob job;
        job.Title = "Huemark 4.04";
        job.Copies = copies;
        job.TitleFont = QFont("DejaVu Sans", 12);
        return PrintImages(nullptr, language, list, printer, job);
    }
    QString pdf() const { return folder.filePath("page.pdf"); }
    // The first page as pixels at 300 dpi.
    QImage firstPage() const {
        run("pdftoppm",
            {"-r", "300", "-f", "1", "-l", "1", "-singlefile", pdf(), folder.filePath("page")});
        return QImage(folder.filePath("page.ppm")).convertToFormat(QImage::Format_RGB32);
    }

    QTemporaryDir folder;
    TLanguage language;
    QPrinter printer{QPrinter::HighResolution};
    TPrintLayout layout;
    std::vector<std::unique_ptr<TDIBImage>> pictures;
    TPrintedImageList list;
};

TEST_F(PrintToPdf, ThePrinterSheetIsMeasuredInItsOwnPixels) {
    const PrinterMetrics& metrics = layout.Metrics();
    EXPECT_EQ(metrics.PpiX, 300);
    EXPECT_EQ(metrics.SheetWidth, 2480);
    EXPECT_EQ(metrics.SheetHeight, 3507);
    EXPECT_EQ(metrics.OffsetX, 59);
    EXPECT_EQ(metrics.PrintableWidth, 2362);
    EXPECT_EQ(metrics.PrintableHeight, 3389);
    EXPECT_EQ(metrics.PrinterName, "PDF");
}

TEST_F(PrintToPdf, PicturesLandWhereTheLayoutPutThemTheFirstOnTopWithTitles) {
    // Red above, green below: a picture printed upside down would show.
    add(twoColourPicture(120, 80, QColor(255, 0, 0), QColor(0, 255, 0), 40, ppmOf100Dpi),
        "first.bmp");
    add(solidPicture(60, 60, QColor(0, 0, 255)), "second.bmp");
    layout.SetImages(list);
    layout.MoveActiveTo(400, 500); // 360 x 240 printer pixels
    list[0]->Title = "Red over green";
    layout.Activate(1);
    layout.MoveActiveTo(700, 700); // 60 x 60, under the first picture's corner
    layout.Activate(1);
    ASSERT_EQ(list[0]->Name, "first.bmp");

    ASSERT_EQ(print(), PrintOutcome::Printed);
    const QImage page = firstPage();
    ASSERT_EQ(page.width(), 2480) << "A4 at 300 dpi";
    const QRect red = extentOf(page, QColor(255, 0, 0));
    EXPECT_NEAR(red.left(), 400, 1);
    EXPECT_NEAR(red.top(), 500, 1);
    EXPECT_NEAR(red.right() + 1, 760, 1);
    // Between the halves the enlarged picture is smoothed over a few pixels.
    const QRect green = extentOf(page, QColor(0, 255, 0));
    EXPECT_NEAR(red.bottom() + 1, 620, 6) << "the top half is red";
    EXPECT_NEAR(green.top(), 620, 6);
    EXPECT_LT(red.bottom(), green.top());
    EXPECT_NEAR(green.left(), 400, 1);
    EXPECT_NEAR(green.bottom() + 1, 740, 1);
    const QRect blue = extentOf(page, QColor(0, 0, 255));
    EXPECT_NEAR(blue.left(), 700, 1) << "the part of the second picture left uncovered";
    EXPECT_NEAR(blue.top(), 740, 1);
    EXPECT_NEAR(blue.bottom() + 1, 760, 1);

    const QString text = run("pdftotext", {pdf(), "-"}).simplified();
    EXPECT_TRUE(text.contains("Red over green")) << text.toStdString();
    EXPECT_TRUE(text.contains("second.bmp"));
    EXPECT_TRUE(run("pdfinfo", {pdf()}).contains("Huemark 4.04")) << "the job's title";
}

TEST_F(PrintToPdf, CopiesThePrinterCannotMakeAreFurtherSheets) {
    add(solidPicture(30, 30, QColor(0, 0, 255)), "a.bmp");
    layout.SetImages(list);
    ASSERT_EQ(print(3), PrintOutcome::Printed);
    EXPECT_TRUE(run("pdfinfo", {pdf()}).contains(QRegularExpression("Pages:\\s+3\\n")));
}

TEST_F(PrintToPdf, AFileThatCannotBeWrittenFailsTheJob) {
    add(solidPicture(30, 30, QColor(0, 0, 255)), "a.bmp");
    layout.SetImages(list);
    printer.setOutputFileName(folder.filePath("missing/page.pdf"));
    EXPECT_EQ(print(), PrintOutcome::Failed);
}

TEST_F(PrintToPdf, CancelStopsTheJobAndRemovesItsFile) {
    add(solidPicture(30, 30, QColor(0, 0, 255)), "a.bmp");
    add(solidPicture(30, 30, QColor(0, 0, 255)), "b.bmp");
    layout.SetImages(list);
    cancelPrintingWhenAsked();
    EXPECT_EQ(print(), PrintOutcome::Cancelled);
    EXPECT_FALSE(QFile::exists(pdf()));
}

} // namespace
