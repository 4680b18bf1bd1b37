// Colour differences as the eye judges them: CIEDE2000 (kL = kC = kH = 1) between CIELAB
// colours, and sRGB pixels to CIELAB through CIE XYZ with the D65 white of sRGB.
#pragma once

#include <cmath>
#include <numbers>

namespace colour_difference {

struct Lab {
    double L = 0;
    double a = 0;
    double b = 0;
};

// An sRGB channel value 0..255 in linear light 0..1.
inline double linearSrgb(double value) {
    const double v = value / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// CIELAB of an sRGB colour, channels 0..255 (a mean may lie between two values). The white
// point is the sRGB matrix applied to white, so that every grey r = g = b has a* = b* = 0 (to
// the last bits of a double).
inline Lab labOfSrgb(double red, double green, double blue) {
    const double r = linearSrgb(red);
    const double g = linearSrgb(green);
    const double b = linearSrgb(blue);
    const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / (0.4124 + 0.3576 + 0.1805);
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / (0.0193 + 0.1192 + 0.9505);
    const auto f = [](double t) {
        constexpr double delta = 6.0 / 29.0;
        return t > delta * delta * delta ? std::cbrt(t) : t / (3 * delta * delta) + 4.0 / 29.0;
    };
    return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

inline double chroma(const Lab& c) {
    return std::hypot(c.a, c.b);
}

inline double degrees(double radians) {
    return radians * 180 / std::numbers::pi;
}

inline double radians(double degrees) {
    return degrees * std::numbers::pi / 180;
}

// The hue angle in degrees 0..360 of a*', b; 0 for a neutral colour.
inline double hueAngle(double aPrime, double b) {
    if (aPrime == 0 && b == 0) {
        return 0;
    }
    const double h = degrees(std::atan2(b, aPrime));
    return h < 0 ? h + 360 : h;
}

// Sharma, Wu and Dalal (2005), equations 1 to 22.
inline double ciede2000(const Lab& one, const Lab& two) {
    const double meanChroma = (chroma(one) + chroma(two)) / 2;
    const double c7 = std::pow(meanChroma, 7);
    const double g = 0.5 * (1 - std::sqrt(c7 / (c7 + std::pow(25.0, 7))));
    const double a1 = (1 + g) * one.a;
    const double a2 = (1 + g) * two.a;
    const double c1 = std::hypot(a1, one.b);
    const double c2 = std::hypot(a2, two.b);
    const double h1 = hueAngle(a1, one.b);
    const double h2 = hueAngle(a2, two.b);

    const double deltaL = two.L - one.L;
    const double deltaC = c2 - c1;
    double deltaHue = 0;
    if (c1 * c2 != 0) {
        deltaHue = h2 - h1;
        if (deltaHue > 180) {
            deltaHue -= 360;
        } else if (deltaHue < -180) {
            deltaHue += 360;
        }
    }
    const double deltaH = 2 * std::sqrt(c1 * c2) * std::sin(radians(deltaHue / 2));

    const double meanL = (one.L + two.L) / 2;
    const double meanC = (c1 + c2) / 2;
    double meanH = h1 + h2;
    if (c1 * c2 != 0) {
        if (std::abs(h1 - h2) <= 180) {
            meanH /= 2;
        } else {
            meanH = meanH < 360 ? (meanH + 360) / 2 : (meanH - 360) / 2;
        }
    }
    const double t = 1 - 0.17 * std::cos(radians(meanH - 30)) +
                     0.24 * std::cos(radians(2 * meanH)) + 0.32 * std::cos(radians(3 * meanH + 6)) -
                     0.20 * std::cos(radians(4 * meanH - 63));
    const double deltaTheta = 30 * std::exp(-std::pow((meanH - 275) / 25, 2));
    const double meanC7 = std::pow(meanC, 7);
    const double rc = 2 * std::sqrt(meanC7 / (meanC7 + std::pow(25.0, 7)));
    const double l50 = (meanL - 50) * (meanL - 50);
    const double sl = 1 + 0.015 * l50 / std::sqrt(20 + l50);
    const double sc = 1 + 0.045 * meanC;
    const double sh = 1 + 0.015 * meanC * t;
    const double rt = -std::sin(radians(2 * deltaTheta)) * rc;
    const double l = deltaL / sl;
    const double c = deltaC / sc;
    const double h = deltaH / sh;
    return std::sqrt(l * l + c * c + h * h + rt * c * h);
}

} // namespace colour_difference
