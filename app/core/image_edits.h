// The program's own pixel routines on TDIBImage, for 8-bit and 24-bit pictures. Each returns
// 0 on success, -1 when the result cannot be allocated, -2 when the progress callback asked
// to stop (the partial result is freed). The result is made with CreateLike from the source's
// header with the new size put in for the while.
#pragma once

#include "dib_image.h"

// The rectangle (clipped to the picture) as a new picture.
int Crop(TDIBImage& image, const QRect& rect, TDIBImage& result, TProgressProc progress);

// Nearest neighbour: result pixel (x, y) takes source pixel (round(x / sx), round(y / sy)),
// sx = new width / old width and sy = new height / old height as 32-bit floats, kept inside
// the picture.
int Resize(TDIBImage& image, std::int32_t newWidth, std::int32_t newHeight, TProgressProc progress,
           TDIBImage& result);
