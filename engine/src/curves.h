// Tone curves: 256-entry tables per channel that map old channel values to new ones.
#pragma once

#include <array>
#include <cstdint>

namespace tintworks {

using Curve = std::array<std::uint8_t, 256>;

// One curve per channel, channel 0 first (1024 bytes, stored as such in processing files).
using CurveTables = std::array<Curve, 4>;

Curve identityCurve();
CurveTables identityTables();

// The straight line through (x0, y0) and (x1, y1), all 0..255: slope (y1 - y0) / (x1 - x0)
// (255 when x1 = x0, a hard step at x0) and offset x0 * slope - y0, both held as 32-bit
// floats; entry i = Round(i * slope - offset) clamped to 0..255.
Curve buildLinearCurve(int x0, int y0, int x1, int y1);

// A smooth curve through (x0, y0), (x1, y1) and (x2, y2), requires x0 < x1 < x2: a cubic
// Bezier whose two inner control values are equal, sampled at t = 0, 0.001, ... in extended
// precision. Entries outside x0..x2 follow the straight line from (x0, y0) to (x2, y2).
Curve buildBezierCurve(int x0, int y0, int x1, int y1, int x2, int y2);

// The curve of one channel from the black point, a mid point and the white point: a Bezier
// curve when x and y both increase strictly through the three points, else the straight
// line from black to white (the mid point is then ignored).
Curve buildThreePointCurve(int black, int blackTarget, int mid, int midTarget, int white,
                           int whiteTarget);

} // namespace tintworks
