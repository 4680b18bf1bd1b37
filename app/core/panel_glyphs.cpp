#include "panel_glyphs.h"

#include <QPainter>
#include <QPixmap>

namespace {

constexpr int side = 32;
const QColor swatchColours[] = {QColor(200, 60, 40), QColor(70, 150, 60), QColor(50, 90, 190)};

// The marking cross of the region tools, in black on a white halo.
void cross(QPainter& painter) {
    for (const auto& [colour, width] : {std::pair{QColor(Qt::white), 3}, {QColor(Qt::black), 1}}) {
        painter.setPen(QPen(colour, width));
        painter.drawLine(11, 2, 11, 8);
        painter.drawLine(11, 14, 11, 20);
        painter.drawLine(2, 11, 8, 11);
        painter.drawLine(14, 11, 20, 11);
    }
}

// A square of the three swatch colours side by side: a colour from the collection.
void colourSwatch(QPainter& painter, const QRect& box) {
    const int third = box.width() / 3;
    for (int i = 0; i < 3; ++i) {
        const int right = i == 2 ? box.right() : box.left() + (i + 1) * third - 1;
        painter.fillRect(
            QRect(QPoint(box.left() + i * third, box.top()), QPoint(right, box.bottom())),
            swatchColours[i]);
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
}

// Layers lying one over another, each a slanted sheet of one colour.
void layers(QPainter& painter, const QRect& box, int count) {
    const int step = box.height() / (count + 1);
    for (int i = count - 1; i >= 0; --i) {
        const int top = box.top() + i * step;
        const QPolygon sheet({QPoint(box.left() + 4, top), QPoint(box.right(), top),
                              QPoint(box.right() - 4, top + 2 * step),
                              QPoint(box.left(), top + 2 * step)});
        painter.setPen(Qt::black);
        painter.setBrush(swatchColours[i % 3]);
        painter.drawPolygon(sheet);
    }
}

// A framed landscape: sky, sun and a hill.
void picture(QPainter& painter) {
    const QRect frame(3, 6, 26, 20);
    painter.fillRect(frame, QColor(150, 200, 240));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 210, 60));
    painter.drawEllipse(QPoint(22, 12), 3, 3);
    painter.setBrush(QColor(70, 150, 60));
    painter.drawPolygon(
        QPolygon({QPoint(3, 25), QPoint(12, 15), QPoint(20, 22), QPoint(28, 18), QPoint(28, 25)}));
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
}

// Cells of plain colours, as the collection shows them without pictures.
void colourCells(QPainter& painter) {
    const QColor cells[] = {swatchColours[0], swatchColours[1], swatchColours[2],
                            QColor(240, 230, 200)};
    for (int i = 0; i < 4; ++i) {
        const QRect cell(3 + (i % 2) * 14, 5 + (i / 2) * 12, 12, 10);
        painter.fillRect(cell, cells[i]);
        painter.setPen(Qt::black);
        painter.drawRect(cell);
    }
}

} // namespace

QImage panelGlyphImage(PanelGlyph glyph) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    switch (glyph) {
    case PanelGlyph::RefColour:
        cross(painter);
        colourSwatch(painter, QRect(17, 17, 14, 14));
        break;
    case PanelGlyph::RefColourLayer:
        cross(painter);
        layers(painter, QRect(16, 16, 15, 15), 2);
        break;
    case PanelGlyph::Layer:
        layers(painter, QRect(3, 4, 26, 24), 3);
        break;
    case PanelGlyph::ShowPictures:
        picture(painter);
        break;
    case PanelGlyph::HidePictures:
        colourCells(painter);
        break;
    }
    return image;
}

QIcon panelGlyph(PanelGlyph glyph) {
    return QIcon(QPixmap::fromImage(panelGlyphImage(glyph)));
}
