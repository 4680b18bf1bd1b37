// Where the print dialog's preview shows the sheet, its printable area and what lies on it.
// The preview is a scaled picture of the physical sheet; the pictures, their titles and the
// printed areas are drawn on the printable area's own surface, whose corner is the printable
// area's corner (OffsetX, OffsetY) on the sheet.
#pragma once

#include "printed_image.h"
#include "printer_metrics.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <cstdint>

struct PreviewGeometry {
    QRect Sheet;     // in the preview panel
    QRect Printable; // in the preview panel
    // Preview pixels per printer pixel.
    double ScaleX = 0;
    double ScaleY = 0;
    std::int32_t OffsetX = 0;
    std::int32_t OffsetY = 0;

    // A picture's rectangle on the printable area's surface.
    QRect PictureRect(const TPrintedImage& image) const;
    // A sheet rectangle given by its edges (right and bottom exclusive) on that surface.
    QRect AreaRect(std::int32_t left, std::int32_t top, std::int32_t right,
                   std::int32_t bottom) const;
    // The sheet position (printer pixels from the sheet's corner) of a point of that surface.
    QPoint SheetPointOf(QPoint point) const;
    // A font's pixel height on the preview for its height on the printer.
    int PreviewFontHeight(int printerPixels) const;
};

// The sheet drawn at 1 preview pixel per millimetre when it fits the panel's client area of
// `client`, otherwise as large as fits; centred there.
PreviewGeometry previewGeometry(QSize client, const PrinterMetrics& metrics);
