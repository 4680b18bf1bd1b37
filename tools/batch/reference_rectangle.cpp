#include "reference_rectangle.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

namespace {

std::optional<RectangleEdge> parseEdge(std::string_view text) {
    RectangleEdge edge;
    edge.percent = text.ends_with('%');
    if (edge.percent) {
        text.remove_suffix(1);
    }
    const char* end = text.data() + text.size();
    std::from_chars_result read{};
    if (edge.percent) {
        read = std::from_chars(text.data(), end, edge.value, std::chars_format::fixed);
    } else {
        int pixels = 0;
        read = std::from_chars(text.data(), end, pixels);
        edge.value = pixels;
    }
    if (text.empty() || read.ec != std::errc() || read.ptr != end || !std::isfinite(edge.value)) {
        return std::nullopt;
    }
    return edge;
}

std::vector<std::string_view> splitAtCommas(std::string_view text) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string_view::npos) {
            return parts;
        }
        start = comma + 1;
    }
}

// Percentages far outside 0..100 stay far outside the picture without overflowing an int.
int edgeInPixels(const RectangleEdge& edge, int size) {
    if (!edge.percent) {
        return static_cast<int>(edge.value);
    }
    return static_cast<int>(std::lround(std::clamp(edge.value * size / 100.0, -1e9, 1e9)));
}

bool hasPercentEdge(const ReferenceRectangle& rectangle) {
    for (const RectangleEdge& edge : rectangle.edges) {
        if (edge.percent) {
            return true;
        }
    }
    return false;
}

// "5%,5%,10%,10% (30,20,60,40 in pixels)" for rectangles given in percent.
std::string describedOn(const ReferenceRectangle& rectangle, const PixelRectangle& pixels) {
    std::string text = rectangle.text;
    if (hasPercentEdge(rectangle)) {
        text += " (" + std::to_string(pixels.left) + "," + std::to_string(pixels.top) + "," +
                std::to_string(pixels.right) + "," + std::to_string(pixels.bottom) + " in pixels)";
    }
    return text;
}

std::string emptyMessage(const ReferenceRectangle& rectangle, const std::string& shown) {
    return rectangle.source + ": the rectangle " + shown +
           " is empty: right must be greater than left and bottom greater than top";
}

// Edges of the same kind, both pixels or both percent, compare without knowing the picture.
bool surelyEmpty(const RectangleEdge& low, const RectangleEdge& high) {
    return low.percent == high.percent && high.value <= low.value;
}

bool surelyOutside(const RectangleEdge& edge) {
    return edge.value < 0 || (edge.percent && edge.value > 100);
}

} // namespace

std::optional<ReferenceRectangle> parseRectangle(const std::string& source,
                                                 const std::string& text) {
    const std::vector<std::string_view> parts = splitAtCommas(text);
    if (parts.size() != 4) {
        return std::nullopt;
    }
    ReferenceRectangle rectangle{source, text, {}};
    for (std::size_t k = 0; k < 4; ++k) {
        const std::optional<RectangleEdge> edge = parseEdge(parts[k]);
        if (!edge) {
            return std::nullopt;
        }
        rectangle.edges[k] = *edge;
    }
    return rectangle;
}

PixelRectangle inPixels(const ReferenceRectangle& rectangle, int width, int height) {
    const auto& e = rectangle.edges;
    return {edgeInPixels(e[0], width), edgeInPixels(e[1], height), edgeInPixels(e[2], width),
            edgeInPixels(e[3], height)};
}

std::string rectangleProblem(const ReferenceRectangle& rectangle, int width, int height) {
    const PixelRectangle r = inPixels(rectangle, width, height);
    const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
    if (r.right <= r.left || r.bottom <= r.top) {
        return emptyMessage(rectangle, describedOn(rectangle, r)) + " (the picture is " + size +
               ")";
    }
    if (r.left < 0 || r.top < 0 || r.right > width || r.bottom > height) {
        return rectangle.source + ": the rectangle " + describedOn(rectangle, r) +
               " does not lie inside the picture, which is " + size + " (left and right 0 to " +
               std::to_string(width) + ", top and bottom 0 to " + std::to_string(height) + ")";
    }
    return {};
}

std::string rectangleProblemOnAnyPicture(const ReferenceRectangle& rectangle) {
    const auto& e = rectangle.edges;
    if (surelyEmpty(e[0], e[2]) || surelyEmpty(e[1], e[3])) {
        return emptyMessage(rectangle, rectangle.text);
    }
    for (const RectangleEdge& edge : e) {
        if (surelyOutside(edge)) {
            return rectangle.source + ": the rectangle " + rectangle.text +
                   " does not lie inside any picture: edges are 0 or more, and percentages at "
                   "most 100%";
        }
    }
    return {};
}
