// 80-bit extended-precision floats (sign, 15-bit exponent biased by 16383, 64-bit mantissa
// with an explicit integer bit), little-endian, as the gamma store keeps its values.
#pragma once

#include <array>
#include <cstdint>

std::array<std::uint8_t, 10> toExtended(double value);
// Infinities and not-a-numbers read as such; zero and denormals as their value.
double fromExtended(const std::uint8_t* bytes);
