#include "show_placement.h"

#include <algorithm>

namespace {
// Where a span of `length` (at most `available`) starting at `start` begins once it is moved
// inside [first, first + available).
std::int64_t startInside(std::int64_t start, std::int64_t length, std::int64_t first,
                         std::int64_t available) {
    return std::clamp(start, first, first + available - length);
}
} // namespace

QRect placementOnScreen(const TWindowEdges& placement, const QRect& screen) {
    if (screen.isEmpty()) {
        return screen;
    }
    // In 64 bits: the edges of a damaged placement may lie at both ends of the 32-bit range.
    const std::int64_t width = std::int64_t(placement.Right) - placement.Left;
    const std::int64_t height = std::int64_t(placement.Bottom) - placement.Top;
    if (width <= 0 || height <= 0) {
        return screen;
    }
    const std::int64_t fittedWidth = std::min<std::int64_t>(width, screen.width());
    const std::int64_t fittedHeight = std::min<std::int64_t>(height, screen.height());
    const std::int64_t left =
        startInside(placement.Left, fittedWidth, screen.left(), screen.width());
    const std::int64_t top =
        startInside(placement.Top, fittedHeight, screen.top(), screen.height());
    return QRect(int(left), int(top), int(fittedWidth), int(fittedHeight));
}
