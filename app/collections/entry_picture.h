// The small pictures of collection entries: packed bitmaps (40-byte header, colour table, rows
// bottom-up) that come from files and so are checked before a pixel is read.
#pragma once

#include <QByteArray>
#include <QImage>

// Whether `bytes` hold a packed bitmap that can be drawn safely: a 40-byte header of a known
// depth without compression, a sensible size, and its colour table and rows inside the bytes.
bool packedBitmapFits(const QByteArray& bytes);

// The picture's width and height (0 x 0 when it does not fit).
QSize pictureSize(const QByteArray& bytes);

// The top-left w x h pixels (each at most the picture's own size) of a picture that fits.
QImage pictureTopLeft(const QByteArray& bytes, int w, int h);
