#include "window_placement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstring>

namespace {
struct PlacementRecord {
    std::int32_t length;
    std::int32_t flags;
    std::int32_t showCmd;
    std::int32_t minPosition[2];
    std::int32_t maxPosition[2];
    std::int32_t normal[4];
};
static_assert(sizeof(PlacementRecord) == sizeof(TConfigSettings::WindowPlacement));
constexpr std::int32_t showNormal = 1;
constexpr std::int32_t showMaximised = 3;
constexpr int smallestWidth = 200;
constexpr int smallestHeight = 150;

// Where a span of `length` (at most `available`) starting at `start` begins once it is moved
// inside [first, first + available).
std::int64_t startInside(std::int64_t start, std::int64_t length, std::int64_t first,
                         std::int64_t available) {
    return std::clamp(start, first, first + available - length);
}
} // namespace

TWindowPlacement readWindowPlacement(const TConfigSettings& config) {
    PlacementRecord record;
    std::memcpy(&record, config.WindowPlacement, sizeof record);
    TWindowPlacement placement;
    placement.Stored = record.length == std::int32_t(sizeof record);
    placement.Maximised = record.showCmd == showMaximised;
    placement.Normal = {record.normal[0], record.normal[1], record.normal[2], record.normal[3]};
    return placement;
}

void writeWindowPlacement(TConfigSettings& config, const QRect& normal, bool maximised) {
    PlacementRecord record{};
    record.length = sizeof record;
    record.showCmd = maximised ? showMaximised : showNormal;
    record.normal[0] = normal.left();
    record.normal[1] = normal.top();
    record.normal[2] = normal.left() + normal.width();
    record.normal[3] = normal.top() + normal.height();
    std::memcpy(config.WindowPlacement, &record, sizeof record);
}

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

bool placeWindow(QWidget& window, const TWindowPlacement& placement) {
    const TWindowEdges& normal = placement.Normal;
    if (!placement.Stored || std::int64_t(normal.Right) - normal.Left < smallestWidth ||
        std::int64_t(normal.Bottom) - normal.Top < smallestHeight) {
        return false;
    }
    const QScreen* screen = window.screen();
    window.setWindowState(window.windowState() & ~Qt::WindowMaximized);
    window.setGeometry(
        placementOnScreen(normal, screen != nullptr ? screen->availableGeometry() : QRect()));
    if (placement.Maximised) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    }
    return true;
}
