// Counting the sample still life's red apple on a screenshot: strongly red pixels, found nowhere
// else on an empty desktop, tell whether the program shows the picture.
#pragma once

#include <QImage>

inline int applePixels(const QImage& shot) {
    int count = 0;
    for (int y = 0; y < shot.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
        for (int x = 0; x < shot.width(); ++x) {
            count += qRed(line[x]) > qGreen(line[x]) + 100 && qRed(line[x]) > qBlue(line[x]) + 100;
        }
    }
    return count;
}
