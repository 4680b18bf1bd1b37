// Pictures through the desktop's clipboard. A copied picture is offered three ways: our own
// packed bitmap (read back first by a paste in any Huemark), a BMP file ("image/bmp": the same
// packed bitmap behind a 14-byte file header) and a plain image, so that every other program
// can paste it. A paste takes our own bytes first, then a BMP file, then what another program
// offered as an image; every packed bitmap is checked before a pixel of it is read.
#pragma once

#include <QString>

#include <memory>

class QMimeData;
class TDIBImage;

namespace picture_clipboard {

// Our own packed bitmap.
inline const QString ownFormat = "application/x-huemark-dib";

// The clipboard content for a copy of `image`; null when memory is short.
std::unique_ptr<QMimeData> mimeDataOf(const TDIBImage& image);

// Whether `data` offers a picture a paste can try.
bool offersPicture(const QMimeData* data);

enum class Paste { Picture, NoPicture, NotTrueColour, OutOfMemory };

// The picture on offer as a new 24-bit picture in `picture`. Indexed, grey and one-bit
// pictures are refused as NotTrueColour; RGB and ARGB pictures from other programs are put over
// white, keeping their resolution.
Paste pictureOf(const QMimeData* data, std::unique_ptr<TDIBImage>& picture);

} // namespace picture_clipboard
