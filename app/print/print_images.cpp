#include "print_images.h"

#include "abort_print_form.h"
#include "picture_image.h"
#include "printed_image.h"
#include "printer_sheet.h"
#include "title_font.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace {

void drawTitle(QPainter& painter, const TPrintedImage& image) {
    if (image.Title.isEmpty()) {
        return;
    }
    const QFontMetrics metrics = painter.fontMetrics();
    const int width = metrics.horizontalAdvance(image.Title);
    const QRect extent(image.Left + (image.Width - width) / 2, image.Top + image.Height, width,
                       metrics.height());
    painter.drawText(extent, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, image.Title);
}

bool stopped(const TAbortPrintForm& box, const QPrinter& printer) {
    return box.Cancelled() || printer.printerState() == QPrinter::Aborted ||
           printer.printerState() == QPrinter::Error;
}

// Sends the entries from the last to the first, the first on top; false when stopped.
bool sendSheet(QPainter& painter, const TPrintedImageList& list, const QPrinter& printer,
               TAbortPrintForm& box) {
    for (int i = list.Count() - 1; i >= 0; --i) {
        QApplication::processEvents();
        if (stopped(box, printer)) {
            return false;
        }
        const TPrintedImage& image = *list[i];
        box.ShowPicture(image.Name);
        drawPicture(painter, QRect(image.Left, image.Top, image.Width, image.Height), *image.Image);
        drawTitle(painter, image);
    }
    return true;
}

void discardOutputFile(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        QFile::remove(printer.outputFileName());
    }
}

} // namespace

PrintOutcome PrintImages(QWidget* owner, const TLanguage& language, const TPrintedImageList& list,
                         QPrinter& printer, const PrintJob& job) {
    // Copies the printer cannot make itself are printed as further sheets.
    const bool printerCopies = printer.supportsMultipleCopies();
    printer.setCopyCount(printerCopies ? job.Copies : 1);
    const int sheets = printerCopies ? 1 : std::max(1, job.Copies);
    printer.setDocName(job.Title);
    useWholeSheet(printer);

    TAbortPrintForm box(language, owner);
    QPainter painter;
    if (!painter.begin(&printer)) {
        return printer.printerState() == QPrinter::Aborted ? PrintOutcome::Cancelled
                                                           : PrintOutcome::Failed;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QFont font = job.TitleFont;
    font.setPixelSize(titleFontPixels(job.TitleFont, printer.logicalDpiY()));
    painter.setFont(font);
    painter.setPen(job.TitleColour);
    box.ShowPrinter(printerDisplayName(printer));
    box.show();

    bool complete = true;
    for (int sheet = 0; sheet < sheets && complete; ++sheet) {
        complete = (sheet == 0 || printer.newPage()) && sendSheet(painter, list, printer, box);
    }
    box.hide();
    if (box.Cancelled() || printer.printerState() == QPrinter::Aborted) {
        if (!printer.abort()) {
            painter.end();
            discardOutputFile(printer);
        }
        return PrintOutcome::Cancelled;
    }
    const bool ended = painter.end();
    return complete && ended && printer.printerState() != QPrinter::Error ? PrintOutcome::Printed
                                                                          : PrintOutcome::Failed;
}
