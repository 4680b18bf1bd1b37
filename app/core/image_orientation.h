// Turning a picture upright as the EXIF orientation of its file says. The orientation tells
// how the stored picture lies: 1 upright, 2 mirrored left to right, 3 turned by 180 degrees,
// 4 mirrored top to bottom, 5 mirrored along the diagonal from the top left corner, 6 to be
// turned 90 degrees clockwise, 7 mirrored along the other diagonal, 8 to be turned 90 degrees
// anticlockwise. The routines take 8- and 24-bit pictures.
#pragma once

#include "dib_image.h"

// Left and right exchanged, in place.
void MirrorLeftRight(TDIBImage& image);
// Top and bottom exchanged, in place.
void MirrorTopBottom(TDIBImage& image);

// Turns the picture upright from orientation `orientation` (other values than 2 to 8 leave it
// as it is). Orientations 5 to 8 exchange width and height, and the two resolutions. Returns
// 0, or -1 (the picture unchanged) when the turned picture cannot be allocated or the picture
// is of another depth.
int TurnUpright(TDIBImage& image, int orientation);
