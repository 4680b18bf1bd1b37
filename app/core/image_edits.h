// The program's own pixel routines on TDIBImage. Crop, Rotate and Resize copy pixels of 8-bit
// and 24-bit pictures and return 0 on success, -1 when the result cannot be allocated, -2 when
// the progress callback asked to stop (the partial result is freed). Their result is made with
// CreateLike from the source's header with the new size put in for the while. The progress
// callback is called once per row with the fraction of rows done.
#pragma once

#include "dib_image.h"

// The rectangle (clipped to the picture) as a new picture.
int Crop(TDIBImage& image, const QRect& rect, TDIBImage& result, TProgressProc progress);

// Nearest neighbour: result column x takes source column round(x / sx) and result stored row r
// takes source stored row round(r / sy) (rows in stored order, bottom row first), with
// sx = new width / old width and sy = new height / old height as 32-bit floats, halves to the
// even neighbour, kept inside the picture.
int Resize(TDIBImage& image, std::int32_t newWidth, std::int32_t newHeight, TProgressProc progress,
           TDIBImage& result);

// Turns the picture clockwise on screen: angle code 0 by 90 degrees, 1 by 180, 2 by 270. For
// quarter turns the result has width and height, and the two resolutions, exchanged. The
// pixel at column c, stored row r of a W x H source goes to column r, stored row W - 1 - c
// (code 0); column W - 1 - c, stored row H - 1 - r (code 1); column H - 1 - r, stored row c
// (code 2). Another angle code gives -1.
int Rotate(const TDIBImage& image, int angleCode, TProgressProc progress, TDIBImage& result);

// Greys the pixels of a 24-bit picture: each pixel inside the mask becomes g, g, g with
// g = round(0.3 red + 0.59 green + 0.11 blue), computed exactly and halves rounded to the even
// neighbour; pixels outside it are copied unchanged. The mask holds one row of bits per picture
// row, top row first, one bit per pixel with the most significant bit of a byte first; each
// mask row starts on a new byte ((width + 7) / 8 bytes a row). Without a mask every pixel is
// greyed. `dest` has the size of `source` and may be the same picture. Rows go from the top
// row of the picture down. Returns false when the progress callback asked to stop, and also,
// writing nothing, when the two are not 24-bit pictures of one size.
bool ConvertToGrey(const TDIBImage& source, TDIBImage& dest, const std::uint8_t* mask,
                   TProgressProc progress);
