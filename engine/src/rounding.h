// Rounding helpers: round half to even (the floating-point default rounding mode) and
// saturating conversions that stay defined for any input, NaN included.
#pragma once

#include <cmath>
#include <cstdint>

namespace tintworks {

inline double roundHalfEven(double x) {
    return std::nearbyint(x);
}

// Round(x) limited to lo..hi; NaN gives lo.
inline std::int64_t roundClamped(double x, std::int64_t lo, std::int64_t hi) {
    const double r = roundHalfEven(x);
    if (!(r >= static_cast<double>(lo))) {
        return lo;
    }
    if (r >= static_cast<double>(hi)) {
        return hi;
    }
    return static_cast<std::int64_t>(r);
}

inline std::uint8_t roundToByte(double x) {
    return static_cast<std::uint8_t>(roundClamped(x, 0, 255));
}

// Trunc(x) limited to lo..hi; NaN gives lo.
inline std::int64_t truncClamped(long double x, std::int64_t lo, std::int64_t hi) {
    if (!(x >= static_cast<long double>(lo))) {
        return lo;
    }
    if (x >= static_cast<long double>(hi)) {
        return hi;
    }
    return static_cast<std::int64_t>(x);
}

} // namespace tintworks
