// Sample pictures with a known colour cast, so that a correction can be measured against the
// picture without it: the mean CIEDE2000 over all pixels, and the chroma of a reference patch.
#pragma once

#include "ciede2000.h"
#include "dib_picture.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace cast_pictures {

// A cast as a camera's wrong white balance makes it, each channel scaled, and optionally a
// gamma change of all channels after it.
struct Cast {
    const char* name;
    std::array<double, 3> gains; // red, green, blue
    double gamma;
};

inline const Cast casts[] = {
    {"warm", {1.0, 0.88, 0.70}, 1.0},
    {"cool", {0.72, 0.86, 1.0}, 1.0},
    {"green with gamma 0.8", {0.80, 1.0, 0.78}, 0.8},
};

inline Picture withCast(Picture picture, const Cast& cast) {
    for (std::size_t i = 0; i < picture.bgr.size(); ++i) {
        const double gain = cast.gains[2 - i % 3];
        const double value = 255 * std::pow(picture.bgr[i] * gain / 255, cast.gamma);
        picture.bgr[i] = static_cast<std::uint8_t>(std::lround(value));
    }
    return picture;
}

inline std::vector<colour_difference::Lab> labsOf(const Picture& picture) {
    std::vector<colour_difference::Lab> labs;
    for (std::size_t i = 0; i < picture.bgr.size(); i += 3) {
        labs.push_back(
            colour_difference::labOfSrgb(picture.bgr[i + 2], picture.bgr[i + 1], picture.bgr[i]));
    }
    return labs;
}

inline double meanCiede2000(const std::vector<colour_difference::Lab>& truth,
                            const Picture& picture) {
    const std::vector<colour_difference::Lab> labs = labsOf(picture);
    double sum = 0;
    for (std::size_t k = 0; k < labs.size() && k < truth.size(); ++k) {
        sum += colour_difference::ciede2000(truth[k], labs[k]);
    }
    return labs.size() == truth.size() ? sum / static_cast<double>(labs.size()) : 1e9;
}

struct Patch {
    const char* name;
    int left, top, right, bottom;
    std::string rectangle() const {
        return std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(right) +
               "," + std::to_string(bottom);
    }
};

// The CIELAB colour of the patch's mean sRGB colour.
inline colour_difference::Lab patchLab(const Picture& picture, const Patch& patch) {
    std::array<double, 3> sum{};
    for (int y = patch.top; y < patch.bottom; ++y) {
        for (int x = patch.left; x < patch.right; ++x) {
            for (int c = 0; c < 3; ++c) {
                sum[c] += picture.at(x, y)[c];
            }
        }
    }
    const double count = static_cast<double>(patch.right - patch.left) * (patch.bottom - patch.top);
    return colour_difference::labOfSrgb(sum[2] / count, sum[1] / count, sum[0] / count);
}

} // namespace cast_pictures
