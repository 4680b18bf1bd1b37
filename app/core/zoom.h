// The scales of an image window: Zoom n >= 1 shows one image pixel as n x n screen pixels,
// Zoom n <= -2 shows one screen pixel for every -n image pixels. 0 and -1 are never used.
// Every function here is pure, so the image window and its tests share one set of rules.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace zoom {

constexpr int largest = 16;
constexpr int smallest = -16;

// 0 and -1 become 1; the rest is clamped to -16..16.
int clamp(int z);
// One step larger: 1:2 -> 1:1 -> 2:1.
int stepIn(int z);
// One step smaller: 2:1 -> 1:1 -> 1:2.
int stepOut(int z);

// The picture's size on screen: size * z, or size div -z (truncating).
QSize displaySize(QSize image, int z);

// Client point -> image point, with the scroll positions `scroll`.
QPoint clientToImage(QPoint client, QPoint scroll, int z);
// Image point -> client point.
QPoint imageToClient(QPoint image, QPoint scroll, int z);
// Rectangles map corner by corner (right and bottom exclusive).
QRect clientToImage(const QRect& client, QPoint scroll, int z);
QRect imageToClient(const QRect& image, QPoint scroll, int z);

// " (z:1)" or " (1:-z)", appended to the file name in a window caption.
QString captionSuffix(int z);

// The zoom at which the whole picture plus `border` fits into `frame`: from 1:1 down to 1:16
// (never magnifying); 1:16 when even that does not fit.
int fitImageToFrame(QSize image, QSize border, QSize frame);

// Zooming so that an image rectangle fills the client area: the new zoom (at least one step
// larger; unchanged when the rectangle is larger than the client area).
int zoomForRect(const QRect& imageRect, QSize client, int z);

} // namespace zoom
