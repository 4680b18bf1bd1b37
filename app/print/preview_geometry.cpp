#include "preview_geometry.h"

#include "print_units.h"

#include <algorithm>
#include <cmath>

namespace {
int cut(double value) {
    return static_cast<int>(std::trunc(value));
}

int rounded(long double value) {
    return static_cast<int>(std::lround(value));
}
} // namespace

QRect PreviewGeometry::PictureRect(const TPrintedImage& image) const {
    return QRect(cut((image.Left - OffsetX) * ScaleX), cut((image.Top - OffsetY) * ScaleY),
                 cut(image.Width * ScaleX), cut(image.Height * ScaleY));
}

QRect PreviewGeometry::AreaRect(std::int32_t left, std::int32_t top, std::int32_t right,
                                std::int32_t bottom) const {
    const QPoint from(cut((left - OffsetX) * ScaleX), cut((top - OffsetY) * ScaleY));
    const QPoint to(cut((right - OffsetX) * ScaleX), cut((bottom - OffsetY) * ScaleY));
    return QRect(from, QSize(to.x() - from.x(), to.y() - from.y()));
}

QPoint PreviewGeometry::SheetPointOf(QPoint point) const {
    if (ScaleX <= 0 || ScaleY <= 0) {
        return QPoint(OffsetX, OffsetY);
    }
    return QPoint(cut(point.x() / ScaleX) + OffsetX, cut(point.y() / ScaleY) + OffsetY);
}

int PreviewGeometry::PreviewFontHeight(int printerPixels) const {
    return std::max(1, static_cast<int>(std::lround(printerPixels * ScaleY)));
}

PreviewGeometry previewGeometry(QSize client, const PrinterMetrics& metrics) {
    constexpr PrintUnit mm = PrintUnit::Millimetres;
    const long double sheetWidth = unitsOf(metrics.SheetWidth, metrics.PpiX, mm);
    const long double sheetHeight = unitsOf(metrics.SheetHeight, metrics.PpiY, mm);
    long double scale = 1;
    if (sheetWidth > client.width() || sheetHeight > client.height()) {
        scale = std::min(sheetWidth > 0 ? client.width() / sheetWidth : 1.0L,
                         sheetHeight > 0 ? client.height() / sheetHeight : 1.0L);
    }
    PreviewGeometry geometry;
    const QSize sheet(rounded(sheetWidth * scale), rounded(sheetHeight * scale));
    geometry.Sheet =
        QRect(QPoint((client.width() - sheet.width()) / 2, (client.height() - sheet.height()) / 2),
              sheet);
    const QPoint offset(cut(double(unitsOf(metrics.OffsetX, metrics.PpiX, mm) * scale)),
                        cut(double(unitsOf(metrics.OffsetY, metrics.PpiY, mm) * scale)));
    const QSize printable(rounded(unitsOf(metrics.PrintableWidth, metrics.PpiX, mm) * scale),
                          rounded(unitsOf(metrics.PrintableHeight, metrics.PpiY, mm) * scale));
    geometry.Printable = QRect(geometry.Sheet.topLeft() + offset, printable);
    geometry.ScaleX = metrics.SheetWidth > 0 ? double(sheet.width()) / metrics.SheetWidth : 0;
    geometry.ScaleY = metrics.SheetHeight > 0 ? double(sheet.height()) / metrics.SheetHeight : 0;
    geometry.OffsetX = metrics.OffsetX;
    geometry.OffsetY = metrics.OffsetY;
    return geometry;
}
