// Channel ratios in hundredths, looked up instead of divided per pixel.
#pragma once

#include <cstdint>

namespace tintworks {

// Entry [a][b] = Round(100 * a / b) for b >= 1 and 100 * a for b = 0. Built once when the
// library loads; non-decreasing in a for every b.
std::uint16_t ratioHundredths(int a, int b);

} // namespace tintworks
