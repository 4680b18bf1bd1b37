// A picture of the program (a packed bitmap, bottom row first) as Qt draws it.
#pragma once

#include <QImage>
#include <QRect>

class QPainter;
class TDIBImage;

// The stored rows as an image, bottom row first (upside down), sharing the picture's memory
// for 1-, 8-, 24- and 32-bit pictures and converted for 4-bit ones; null for other depths. The
// picture must outlive the image.
QImage storedRows(const TDIBImage& picture);

// Draws the whole picture stretched into `target`, the right way up, without copying it.
void drawPicture(QPainter& painter, const QRect& target, const TDIBImage& picture);
