// The brightness gamma step of the correction.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace tintworks {

// 256 factors F[m] such that a pixel whose largest channel is m gets each channel v scaled
// to v * F[m]. Gamma above 1 brightens along x^(1/g), gamma below 1 darkens along the
// point-mirrored curve 1 - (1 - x)^g (x = m / 255). F[0] = 0.
using GammaFactors = std::array<double, 256>;
GammaFactors buildGammaFactors(float gamma);

// G[m][v] = min(255, Round(v * F[m])): the new value of channel value v in a pixel whose
// largest channel is m.
using GammaTable = std::array<std::array<std::uint8_t, 256>, 256>;

// The 64 KiB table for `gamma`, or null when memory is short.
std::unique_ptr<GammaTable> buildGammaTable(float gamma);

// True for gamma values the engine accepts: finite, positive and representable as a
// 32-bit float.
bool isUsableGamma(double gamma);

} // namespace tintworks
