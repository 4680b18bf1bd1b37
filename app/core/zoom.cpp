#include "zoom.h"

#include <QString>

#include <algorithm>

namespace zoom {

int clamp(int z) {
    if (z == 0 || z == -1) {
        return 1;
    }
    return std::clamp(z, smallest, largest);
}

int stepIn(int z) {
    return clamp(z + 1);
}

int stepOut(int z) {
    return clamp(z == 1 ? -2 : z - 1);
}

QSize displaySize(QSize image, int z) {
    if (z >= 1) {
        return image * z;
    }
    return {image.width() / -z, image.height() / -z};
}

namespace {
// Integer division rounding towards minus infinity, so that client points left of or above
// the picture map to negative image points and never onto column or row 0.
int floorDiv(int a, int b) {
    const int q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int toImage(int client, int scroll, int z) {
    return z >= 1 ? floorDiv(client + scroll, z) : (client + scroll) * -z;
}

int toClient(int image, int scroll, int z) {
    return z >= 1 ? image * z - scroll : floorDiv(image, -z) - scroll;
}
} // namespace

QPoint clientToImage(QPoint client, QPoint scroll, int z) {
    return {toImage(client.x(), scroll.x(), z), toImage(client.y(), scroll.y(), z)};
}

QPoint imageToClient(QPoint image, QPoint scroll, int z) {
    return {toClient(image.x(), scroll.x(), z), toClient(image.y(), scroll.y(), z)};
}

QRect clientToImage(const QRect& client, QPoint scroll, int z) {
    const QPoint topLeft = clientToImage(client.topLeft(), scroll, z);
    const QPoint end = clientToImage(client.bottomRight() + QPoint(1, 1), scroll, z);
    return {topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y())};
}

QRect imageToClient(const QRect& image, QPoint scroll, int z) {
    const QPoint topLeft = imageToClient(image.topLeft(), scroll, z);
    const QPoint end = imageToClient(image.bottomRight() + QPoint(1, 1), scroll, z);
    return {topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y())};
}

QString captionSuffix(int z) {
    return z >= 1 ? QString(" (%1:1)").arg(z) : QString(" (1:%1)").arg(-z);
}

int fitImageToFrame(QSize image, QSize border, QSize frame) {
    int z = -1;
    QSize display = image;
    const auto fits = [&] {
        return display.width() + border.width() <= frame.width() &&
               display.height() + border.height() <= frame.height();
    };
    while (!fits() && z > smallest) {
        --z;
        // Rounded up: a 1001-pixel row at 1:2 needs 501 screen pixels to show its last pixel.
        display = {(image.width() + -z - 1) / -z, (image.height() + -z - 1) / -z};
    }
    return clamp(z);
}

int zoomForRect(const QRect& imageRect, QSize client, int z) {
    const QRect r = imageRect.normalized();
    const QSize clientInImage = z >= 1 ? client / z : client * -z;
    int f = std::min(clientInImage.width() / std::max(r.width(), 1),
                     clientInImage.height() / std::max(r.height(), 1));
    if (f == 0) {
        return z; // the rectangle is larger than the client area: nothing to zoom into
    }
    if (f == 1) {
        f = 2;
    }
    if (z >= 1) {
        return clamp(f * z);
    }
    return clamp(f >= -z ? f / -z : z / f);
}

} // namespace zoom
