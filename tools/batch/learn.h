// Making a processing file from reference rectangles on one picture, as the program's image
// correction would.
#pragma once

#include <array>
#include <optional>
#include <string>

using RectangleOption = std::array<int, 4>; // left, top, right, bottom

struct LearnRequest {
    std::string picture;
    std::optional<RectangleOption> white;
    std::optional<RectangleOption> black;
    std::optional<RectangleOption> grey;
    bool autoPoints = false;
    double gamma = 1.0;
    std::string output;
};

// Returns an empty string on success, else what went wrong.
std::string learnProcessing(const LearnRequest& request);
