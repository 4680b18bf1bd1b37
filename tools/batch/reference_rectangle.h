// Reference rectangles as the user gives them: LEFT,TOP,RIGHT,BOTTOM with right and bottom
// exclusive, each edge in pixels ("120") or in percent of the picture's width or height
// ("12.5%"), so that one rectangle can fit pictures of different sizes; and their checks
// against a picture.
#pragma once

#include <array>
#include <optional>
#include <string>

struct RectangleEdge {
    double value = 0;
    bool percent = false;
};

struct ReferenceRectangle {
    std::string source; // where it was given, for messages: "--white", "areas.txt line 3"
    std::string text;   // as given
    std::array<RectangleEdge, 4> edges{}; // left, top, right, bottom
};

struct PixelRectangle {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const PixelRectangle&) const = default;
};

inline constexpr const char* rectangleSyntax =
    "expected LEFT,TOP,RIGHT,BOTTOM, each in pixels (120) or in percent of the picture (12.5%)";

// Reads "L,T,R,B"; nothing when the text is not four such edges.
std::optional<ReferenceRectangle> parseRectangle(const std::string& source,
                                                 const std::string& text);

// The rectangle on a picture of that size; a percentage becomes the nearest pixel edge.
PixelRectangle inPixels(const ReferenceRectangle& rectangle, int width, int height);

// Why the rectangle cannot be used on a picture of that size (it is empty, inverted or not
// inside the picture), or an empty string.
std::string rectangleProblem(const ReferenceRectangle& rectangle, int width, int height);

// Why the rectangle cannot be used on any picture at all, or an empty string: a check made
// before any picture is read.
std::string rectangleProblemOnAnyPicture(const ReferenceRectangle& rectangle);
