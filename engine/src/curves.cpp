#include "curves.h"

#include "rounding.h"

#include <algorithm>
#include <cmath>

namespace tintworks {

Curve identityCurve() {
    Curve curve;
    for (int i = 0; i < 256; ++i) {
        curve[i] = static_cast<std::uint8_t>(i);
    }
    return curve;
}

CurveTables identityTables() {
    const Curve identity = identityCurve();
    return {identity, identity, identity, identity};
}

Curve buildLinearCurve(int x0, int y0, int x1, int y1) {
    const float slope =
        x1 == x0 ? 255.0f : static_cast<float>(y1 - y0) / static_cast<float>(x1 - x0);
    // x0 * slope - y0 is exact in double before its rounding to float.
    const auto offset = static_cast<float>(static_cast<double>(x0) * slope - y0);
    Curve curve;
    for (int i = 0; i < 256; ++i) {
        curve[i] = roundToByte(static_cast<double>(i) * slope - offset);
    }
    return curve;
}

namespace {

constexpr long double bezierStep = 0.001L;

// B(t) = (1 - t)^3 a + 3t(1 - t)^2 b + 3t^2(1 - t) b + t^3 c.
long double bezier(long double t, long double a, long double b, long double c) {
    const long double u = 1.0L - t;
    return std::pow(u, 3.0L) * a + 3.0L * t * std::pow(u, 2.0L) * b +
           3.0L * std::pow(t, 2.0L) * u * b + std::pow(t, 3.0L) * c;
}

// The first sampled t whose x trunc(X(t)) is x1; just above 1 when there is none.
long double parameterAt(int x0, int x1, int x2) {
    long double t = 0.0L;
    while (t <= 1.0L) {
        if (truncClamped(bezier(t, x0, x1, x2), INT32_MIN, INT32_MAX) == x1) {
            break;
        }
        t += bezierStep;
    }
    return t;
}

} // namespace

Curve buildBezierCurve(int x0, int y0, int x1, int y1, int x2, int y2) {
    Curve curve = buildLinearCurve(x0, y0, x2, y2);
    for (int i = x0 + 1; i < x2; ++i) {
        curve[i] = 0;
    }
    // The inner control value that makes the curve pass through (x1, y1).
    const long double t1 = parameterAt(x0, x1, x2);
    long double w = 3.0L * t1 * std::pow(1.0L - t1, 2.0L) + 3.0L * std::pow(t1, 2.0L) * (1.0L - t1);
    if (w == 0.0L) {
        w = 1e-9L;
    }
    const long double control = (y1 - std::pow(1.0L - t1, 3.0L) * y0 - std::pow(t1, 3.0L) * y2) / w;

    for (long double t = 0.0L; t <= 1.0L; t += bezierStep) {
        const long double x = bezier(t, x0, x1, x2);
        const long double y = std::clamp(bezier(t, y0, control, y2), 0.0L, 255.0L);
        const auto xi = static_cast<int>(truncClamped(x, INT32_MIN, INT32_MAX) % 256);
        if (x0 <= xi && xi <= x2) {
            curve[xi] = static_cast<std::uint8_t>(truncClamped(y, 0, 255));
        }
    }
    return curve;
}

Curve buildThreePointCurve(int black, int blackTarget, int mid, int midTarget, int white,
                           int whiteTarget) {
    const bool rising = black < mid && mid < white;
    const bool risingTargets = blackTarget < midTarget && midTarget < whiteTarget;
    if (rising && risingTargets) {
        return buildBezierCurve(black, blackTarget, mid, midTarget, white, whiteTarget);
    }
    return buildLinearCurve(black, blackTarget, white, whiteTarget);
}

} // namespace tintworks
