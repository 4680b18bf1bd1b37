#include "gamma.h"

#include "rounding.h"

#include <cfloat>
#include <cmath>
#include <new>

namespace tintworks {

GammaFactors buildGammaFactors(float gamma) {
    const double g = gamma;
    const double e = g > 1.0 ? 1.0 / g : g;
    GammaFactors factors{};
    for (int i = 0; i < 256; ++i) {
        if (g >= 1.0) {
            factors[i] = 255.0 * std::pow(i / 255.0, e);
        } else {
            factors[i] = 255.0 - 255.0 * std::pow(1.0 - i / 255.0, e);
        }
    }
    for (int i = 1; i < 256; ++i) {
        factors[i] = factors[i] / i;
    }
    return factors;
}

std::unique_ptr<GammaTable> buildGammaTable(float gamma) {
    std::unique_ptr<GammaTable> table(new (std::nothrow) GammaTable);
    if (!table) {
        return table;
    }
    const GammaFactors factors = buildGammaFactors(gamma);
    for (int m = 0; m < 256; ++m) {
        for (int v = 0; v < 256; ++v) {
            (*table)[m][v] = roundToByte(v * factors[m]);
        }
    }
    return table;
}

bool isUsableGamma(double gamma) {
    return std::isfinite(gamma) && gamma > 0.0 && gamma <= FLT_MAX;
}

} // namespace tintworks
