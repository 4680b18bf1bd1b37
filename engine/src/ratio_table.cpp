#include "ratio_table.h"

#include <array>

namespace tintworks {

namespace {

// Round half to even of 100 a / b, in exact integer arithmetic.
constexpr std::uint16_t roundedRatio(int a, int b) {
    if (b == 0) {
        return static_cast<std::uint16_t>(100 * a);
    }
    const int numerator = 100 * a;
    int quotient = numerator / b;
    const int twiceRemainder = 2 * (numerator % b);
    if (twiceRemainder > b || (twiceRemainder == b && quotient % 2 != 0)) {
        ++quotient;
    }
    return static_cast<std::uint16_t>(quotient);
}

using RatioTable = std::array<std::array<std::uint16_t, 256>, 256>;

const RatioTable ratioTable = [] {
    RatioTable table{};
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            table[a][b] = roundedRatio(a, b);
        }
    }
    return table;
}();

} // namespace

std::uint16_t ratioHundredths(int a, int b) {
    return ratioTable[a][b];
}

} // namespace tintworks
