// The sheet of a printer as the print layout measures it. Pictures are printed on a page that
// covers the whole physical sheet (QPrinter::setFullPage), so the printer's drawing surface
// and the layout share one frame: printer pixels from the sheet's corner. The page margins
// (the printer's own unless the user set wider ones) bound the printable area.
#pragma once

#include "printer_metrics.h"

class QPrinter;

// Puts the printer's drawing surface on the whole sheet.
void useWholeSheet(QPrinter& printer);
PrinterMetrics readPrinterMetrics(const QPrinter& printer);
// The printer's name, or "PDF" when it writes a file.
QString printerDisplayName(const QPrinter& printer);
