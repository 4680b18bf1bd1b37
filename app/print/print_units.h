// The units of the print layout's number fields, and the conversions between them and printer
// pixels, each axis with its own pixels per inch.
#pragma once

#include <cstdint>

enum class PrintUnit : std::uint8_t { Millimetres = 0, Inches = 1 };

constexpr long double millimetresPerInch = 25.4L;

// The length of `pixels` printer pixels in the unit: pixels × 25.4 / ppi, or pixels / ppi.
long double unitsOf(std::int32_t pixels, int ppi, PrintUnit unit);

// Whole printer pixels of a length: ppi × value × (1 / 25.4), or ppi × value, cut toward zero.
// A length converted from whole pixels comes back to the same pixels: the cut allows for the
// rounding of the division (a millionth of a pixel). Far beyond any sheet, the result stops at
// the limits of 32 bits.
std::int32_t pixelsOf(long double value, int ppi, PrintUnit unit);
