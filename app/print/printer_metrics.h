// What the print layout needs to know of the printer, in printer pixels. Every position of the
// layout (pictures, titles, printed areas) is measured from the corner of the physical sheet,
// and pictures are printed on a page that covers the whole sheet, so one frame serves the
// preview, the printing and the printed areas alike.
#pragma once

#include <QString>

#include <cstdint>

struct PrinterMetrics {
    QString PrinterName;
    int PpiX = 300; // pixels per inch across
    int PpiY = 300; // and down
    std::int32_t SheetWidth = 0;
    std::int32_t SheetHeight = 0;
    // The printable area: its corner from the sheet's corner, and its size.
    std::int32_t OffsetX = 0;
    std::int32_t OffsetY = 0;
    std::int32_t PrintableWidth = 0;
    std::int32_t PrintableHeight = 0;
};
