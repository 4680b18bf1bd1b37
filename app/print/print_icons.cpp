#include "print_icons.h"

#include <QPainter>
#include <QPixmap>

namespace {
constexpr int side = 32;

void sheet(QPainter& painter, const QRect& rect) {
    painter.setBrush(Qt::white);
    painter.drawRect(rect);
}

QPixmap drawnPrinter(bool allPictures) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(Qt::black, 1));
    if (allPictures) {
        sheet(painter, QRect(12, 1, 14, 12));
    }
    sheet(painter, QRect(8, 4, 14, 12));
    painter.setBrush(QColor(0x80, 0x80, 0x80));
    painter.drawRoundedRect(QRect(2, 13, 27, 11), 2, 2);
    sheet(painter, QRect(8, 20, 15, 10));
    painter.setBrush(Qt::green);
    painter.drawRect(QRect(24, 16, 2, 2));
    return pixmap;
}
} // namespace

QIcon printIcon(bool allPictures) {
    return QIcon(drawnPrinter(allPictures));
}
