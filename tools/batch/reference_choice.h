// What learn and correct correct by: the reference rectangles, how the white and black areas
// are measured and what they become, and those rectangles placed on one picture.
#pragma once

#include "reference_rectangle.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How a white or black area is measured: the engine's point modes 1 to 4. For a black area
// each mode measures the mirror image (the darkest pixel, the darkest unclipped pixel, the
// average, the lightest unclipped pixel).
enum class PointMeasure : std::int32_t {
    Lightest = 1,
    Unclipped = 2,
    Average = 3,
    DarkestUnclipped = 4,
};

struct ReferenceChoice {
    // The area's average made neutral at its own brightness by a per-channel scale through
    // black; excludes the other areas and options below but gamma.
    std::optional<ReferenceRectangle> neutral;
    std::optional<ReferenceRectangle> white;
    std::optional<ReferenceRectangle> black;
    std::optional<ReferenceRectangle> grey;
    std::optional<PointMeasure> measure; // default: the average for areas, Unclipped for --auto
    int whiteLevel = 255;
    int blackLevel = 0;
    bool keepBrightness = false; // the grey keeps its lightness instead of its brightest channel
    bool autoPoints = false;     // white and black points without an area are searched
    double gamma = 1.0;
};

enum class AreaRole : std::uint8_t { Neutral, White, Black, Grey };

// A reference rectangle placed on a picture.
struct ReferenceArea {
    AreaRole role = AreaRole::Neutral;
    std::string name; // "--white 10,10,50,50", for messages
    PixelRectangle pixels;
    std::int32_t measureMode = 3; // the engine's point mode; the area average for neutral, grey
};

bool hasReferenceArea(const ReferenceChoice& choice);

// The choice's rectangles on a picture of that size, in the order neutral, white, black, grey;
// `problem` says why one cannot be used (and the list is then empty).
std::vector<ReferenceArea> placeAreas(const ReferenceChoice& choice, int width, int height,
                                      std::string& problem);

const ReferenceArea* areaOfRole(const std::vector<ReferenceArea>& areas, AreaRole role);
