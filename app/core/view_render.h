// Drawing an image window's picture: only the exposed part, straight from the packed bitmap,
// each screen pixel taking the image pixel the zoom maps it to (nearest neighbour, so image
// pixels start on the zoom's pixel grid however the exposed rectangle is placed).
#pragma once

#include "dib_image.h"

#include <QImage>
#include <QPoint>
#include <QRect>

#include <optional>

// The exposed client rectangle `clip` of a window showing `image` at zoom `z`, scrolled by
// `scroll`: an RGB32 picture of clip's size, black where no image pixel lies.
QImage renderView(const TDIBImage& image, int z, QPoint scroll, const QRect& clip);

// The colour of image pixel (x, y) (top row 0) as red, green, blue: the three bytes of a 24-bit
// pixel, or the colour table entry of an 8-, 4- or 1-bit one; none outside the picture.
std::optional<QRgb> pixelColour(const TDIBImage& image, int x, int y);
