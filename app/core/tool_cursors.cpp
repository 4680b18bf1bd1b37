#include "tool_cursors.h"

#include "draw_tools.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int side = 32;
constexpr QPoint centre(15, 15);

// Draws `shape` twice: a wide white halo, then the black line, so it shows on any picture.
void outlined(QPainter& painter, const std::function<void()>& shape, qreal width = 1.0) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, width + 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    shape();
    painter.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    shape();
}

void cross(QPainter& painter) {
    outlined(painter, [&] {
        painter.drawLine(centre.x(), 2, centre.x(), 12);
        painter.drawLine(centre.x(), 18, centre.x(), 28);
        painter.drawLine(2, centre.y(), 12, centre.y());
        painter.drawLine(18, centre.y(), 28, centre.y());
    });
}

void badge(QPainter& painter, const QString& letter) {
    QFont font = painter.font();
    font.setPixelSize(10);
    font.setBold(true);
    painter.setFont(font);
    const QRect box(19, 19, 12, 12);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.drawText(box, Qt::AlignCenter, letter);
}

void hatchedSquare(QPainter& painter, bool inner, bool polygon) {
    const QRect box(18, 18, 13, 13);
    QPainterPath shape;
    if (polygon) {
        shape.addPolygon(QPolygonF(
            {QPointF(19, 30), QPointF(22, 19), QPointF(30, 22), QPointF(27, 30), QPointF(19, 30)}));
    } else {
        shape.addRect(box.adjusted(1, 1, -1, -1));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    QPainterPath hatched;
    if (inner) {
        hatched = shape;
    } else {
        hatched.addRect(box);
        hatched = hatched.subtracted(shape);
    }
    painter.setBrush(QBrush(Qt::black, Qt::BDiagPattern));
    painter.drawPath(hatched);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
}

void magnifier(QPainter& painter, bool plus) {
    outlined(
        painter,
        [&] {
            painter.drawEllipse(QPoint(12, 12), 8, 8);
            painter.drawLine(18, 18, 28, 28);
            painter.drawLine(8, 12, 16, 12);
            if (plus) {
                painter.drawLine(12, 8, 12, 16);
            }
        },
        2);
}

void eyedropper(QPainter& painter) {
    outlined(
        painter,
        [&] {
            painter.drawLine(2, 29, 16, 15);
            painter.drawLine(13, 12, 19, 18);
            painter.drawEllipse(QPoint(22, 9), 5, 5);
        },
        2);
}

void cropMark(QPainter& painter) {
    outlined(
        painter,
        [&] {
            painter.drawLine(8, 2, 8, 24);
            painter.drawLine(8, 24, 30, 24);
            painter.drawLine(2, 8, 24, 8);
            painter.drawLine(24, 8, 24, 30);
        },
        2);
}

void scissorsMark(QPainter& painter) {
    outlined(
        painter,
        [&] {
            painter.drawEllipse(QPoint(7, 24), 4, 4);
            painter.drawEllipse(QPoint(24, 24), 4, 4);
            painter.drawLine(10, 21, 24, 3);
            painter.drawLine(21, 21, 7, 3);
        },
        2);
}

// An open hand: palm and four fingers, the thumb to the left.
void hand(QPainter& painter) {
    outlined(
        painter,
        [&] {
            painter.drawRoundedRect(QRect(9, 15, 14, 12), 4, 4);
            for (int finger = 0; finger < 4; ++finger) {
                const int x = 10 + finger * 4;
                painter.drawLine(x, 15, x, finger == 0 || finger == 3 ? 7 : 4);
            }
            painter.drawLine(9, 21, 4, 15);
        },
        2);
}

// A picture's frame: a rectangle with corner marks; `all` draws three pictures inside one
// frame (the frame of the whole panorama).
void frameMark(QPainter& painter, bool all) {
    outlined(
        painter,
        [&] {
            painter.drawLine(4, 2, 4, 28);
            painter.drawLine(2, 4, 28, 4);
            painter.drawLine(26, 2, 26, 28);
            painter.drawLine(2, 26, 28, 26);
            if (all) {
                painter.drawRect(QRect(8, 8, 8, 7));
                painter.drawRect(QRect(14, 13, 8, 7));
                painter.drawRect(QRect(9, 17, 7, 6));
            } else {
                painter.drawRect(QRect(10, 10, 10, 10));
            }
        },
        1.5);
}

struct Picture {
    QPixmap pixmap;
    QPoint hotSpot;
};

Picture drawPanoramaTool(int tool) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (tool) {
    case 3:
        hand(painter);
        return {pixmap, QPoint(14, 14)};
    case 4:
    case 5:
        frameMark(painter, tool == 5);
        return {pixmap, QPoint(4, 4)};
    default:
        magnifier(painter, tool == 1);
        return {pixmap, QPoint(12, 12)};
    }
}

Picture drawMode(int mode) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, mode == 1 || mode == 2 || mode == 11);
    QPoint hotSpot = centre;
    static const char* letters[] = {"", "", "", "W", "B", "G", "", "L", "D"};
    switch (mode) {
    case 1:
    case 2:
        magnifier(painter, mode == 1);
        hotSpot = QPoint(12, 12);
        break;
    case 3:
    case 4:
    case 5:
    case 7:
    case 8:
        cross(painter);
        badge(painter, letters[mode]);
        break;
    case 6:
        cross(painter);
        badge(painter, "C");
        break;
    case 9:
        cross(painter);
        painter.fillRect(QRect(20, 20, 10, 10), QColor(200, 60, 40));
        painter.setPen(Qt::black);
        painter.drawRect(QRect(20, 20, 10, 10));
        break;
    case 10:
        cropMark(painter);
        hotSpot = QPoint(8, 8);
        break;
    case 11:
        eyedropper(painter);
        hotSpot = QPoint(2, 29);
        break;
    case 12:
    case 13:
    case 14:
    case 15:
        cross(painter);
        hatchedSquare(painter, mode == 12 || mode == 14, mode >= 14);
        break;
    default:
        break;
    }
    return {pixmap, hotSpot};
}

// The drawing of tool `number` (1..last) as a cursor; the standard arrow for any other number.
QCursor cursorOf(int number, int last, Picture (*draw)(int)) {
    if (number <= 0 || number > last) {
        return QCursor(Qt::ArrowCursor);
    }
    const Picture picture = draw(number);
    return QCursor(picture.pixmap, picture.hotSpot.x(), picture.hotSpot.y());
}

} // namespace

QCursor toolCursor(int mode) {
    return cursorOf(mode, 15, drawMode);
}

QIcon toolIcon(int mode) {
    return QIcon(drawMode(mode).pixmap);
}

QCursor panoramaCursor(int tool) {
    return cursorOf(tool, 5, drawPanoramaTool);
}

QIcon panoramaIcon(int tool) {
    return QIcon(drawPanoramaTool(tool).pixmap);
}

QCursor cropCursor(int grabCode) {
    switch (grabCode) {
    case TCropRectTool::Inside: {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        scissorsMark(painter);
        return QCursor(pixmap, 15, 15);
    }
    case TCropRectTool::LeftEdge:
    case TCropRectTool::RightEdge:
        return QCursor(Qt::SizeHorCursor);
    case TCropRectTool::TopEdge:
    case TCropRectTool::BottomEdge:
        return QCursor(Qt::SizeVerCursor);
    case TCropRectTool::TopLeft:
    case TCropRectTool::BottomRight:
        return QCursor(Qt::SizeFDiagCursor);
    case TCropRectTool::TopRight:
    case TCropRectTool::BottomLeft:
        return QCursor(Qt::SizeBDiagCursor);
    default:
        return toolCursor(10);
    }
}
