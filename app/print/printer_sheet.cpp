#include "printer_sheet.h"

#include "print_units.h"

#include <QPrinter>

void useWholeSheet(QPrinter& printer) {
    printer.setFullPage(true);
}

PrinterMetrics readPrinterMetrics(const QPrinter& printer) {
    constexpr PrintUnit mm = PrintUnit::Millimetres;
    const QPageLayout page = printer.pageLayout();
    const QRectF sheet = page.fullRect(QPageLayout::Millimeter);
    const QMarginsF margins = page.margins(QPageLayout::Millimeter);
    PrinterMetrics metrics;
    metrics.PrinterName = printerDisplayName(printer);
    metrics.PpiX = printer.logicalDpiX();
    metrics.PpiY = printer.logicalDpiY();
    metrics.SheetWidth = pixelsOf(sheet.width(), metrics.PpiX, mm);
    metrics.SheetHeight = pixelsOf(sheet.height(), metrics.PpiY, mm);
    metrics.OffsetX = pixelsOf(margins.left(), metrics.PpiX, mm);
    metrics.OffsetY = pixelsOf(margins.top(), metrics.PpiY, mm);
    metrics.PrintableWidth =
        pixelsOf(sheet.width() - margins.left() - margins.right(), metrics.PpiX, mm);
    metrics.PrintableHeight =
        pixelsOf(sheet.height() - margins.top() - margins.bottom(), metrics.PpiY, mm);
    return metrics;
}

QString printerDisplayName(const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::PdfFormat ? QStringLiteral("PDF")
                                                         : printer.printerName();
}
