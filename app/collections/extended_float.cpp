#include "extended_float.h"

#include <cmath>
#include <limits>

std::array<std::uint8_t, 10> toExtended(double value) {
    std::uint16_t signAndExponent = std::signbit(value) ? 0x8000 : 0;
    std::uint64_t mantissa = 0;
    if (std::isnan(value)) {
        signAndExponent |= 0x7fff;
        mantissa = 0xc000000000000000ull;
    } else if (std::isinf(value)) {
        signAndExponent |= 0x7fff;
        mantissa = 0x8000000000000000ull;
    } else if (value != 0) {
        int exponent = 0;
        const double fraction = std::frexp(std::fabs(value), &exponent); // 0.5 <= f < 1
        signAndExponent |= static_cast<std::uint16_t>(exponent - 1 + 16383);
        mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64)); // exact: 53 bits
    }
    std::array<std::uint8_t, 10> bytes{};
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
    }
    bytes[8] = static_cast<std::uint8_t>(signAndExponent);
    bytes[9] = static_cast<std::uint8_t>(signAndExponent >> 8);
    return bytes;
}

double fromExtended(const std::uint8_t* bytes) {
    std::uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i) {
        mantissa = (mantissa << 8) | bytes[i];
    }
    const int signAndExponent = bytes[8] | (bytes[9] << 8);
    const bool negative = (signAndExponent & 0x8000) != 0;
    const int exponent = signAndExponent & 0x7fff;
    double value = 0;
    if (exponent == 0x7fff) {
        value = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                     : std::numeric_limits<double>::quiet_NaN();
    } else {
        value = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    }
    return negative ? -value : value;
}
