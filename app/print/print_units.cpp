#include "print_units.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr long double roundingAllowance = 1e-6L;

long double unitsPerInch(PrintUnit unit) {
    return unit == PrintUnit::Millimetres ? millimetresPerInch : 1.0L;
}
} // namespace

long double unitsOf(std::int32_t pixels, int ppi, PrintUnit unit) {
    return ppi > 0 ? pixels * unitsPerInch(unit) / ppi : 0.0L;
}

std::int32_t pixelsOf(long double value, int ppi, PrintUnit unit) {
    const long double exact = ppi * value * (1.0L / unitsPerInch(unit));
    if (!std::isfinite(exact)) {
        return 0;
    }
    const long double cut =
        std::trunc(exact + (exact < 0 ? -roundingAllowance : roundingAllowance));
    constexpr long double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr long double highest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(cut, lowest, highest));
}
