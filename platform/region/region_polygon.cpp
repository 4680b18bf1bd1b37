#include "region_data.h"

#include <algorithm>
#include <new>

namespace platform {

namespace {

using Wide = __int128;

// A polygon edge oriented downwards (top < bottom), with the winding direction it had.
struct Edge {
    std::int64_t xTop;
    std::int64_t yTop;
    std::int64_t xBottom;
    std::int64_t yBottom;
    int direction;
};

// Where an edge crosses the centre line y + 0.5 of row y, as the exact fraction
// numerator / denominator (denominator > 0).
struct Crossing {
    Wide numerator;
    Wide denominator;
    int direction;
};

std::vector<Edge> edgesOf(std::span<const RegionPoint> points) {
    std::vector<Edge> edges;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const RegionPoint p = points[i];
        const RegionPoint q = points[(i + 1) % points.size()];
        if (p.y == q.y) {
            continue; // a horizontal edge never crosses a pixel centre line
        }
        if (p.y < q.y) {
            edges.push_back({p.x, p.y, q.x, q.y, 1});
        } else {
            edges.push_back({q.x, q.y, p.x, p.y, -1});
        }
    }
    return edges;
}

// Centre line y + 0.5 meets the edge at x = xTop + (y + 0.5 - yTop) * dx / dy.
Crossing crossingAt(const Edge& e, std::int64_t y) {
    const Wide dy = e.yBottom - e.yTop;
    const Wide numerator =
        Wide{2} * e.xTop * dy + Wide{2 * (y - e.yTop) + 1} * (e.xBottom - e.xTop);
    return {numerator, 2 * dy, e.direction};
}

Wide ceilDiv(Wide a, Wide b) { // b > 0
    const Wide q = a / b;
    return (a % b != 0 && a > 0) ? q + 1 : q;
}

// The first pixel whose centre lies at or right of the crossing: x + 0.5 >= n / d.
std::int32_t firstPixelFrom(const Crossing& c) {
    const Wide x = ceilDiv(2 * c.numerator - c.denominator, 2 * c.denominator);
    return static_cast<std::int32_t>(std::clamp<Wide>(x, INT32_MIN, INT32_MAX));
}

bool crossesLeftOf(const Crossing& a, const Crossing& b) {
    return a.numerator * b.denominator < b.numerator * a.denominator;
}

void rowRuns(std::vector<Crossing>& crossings, FillMode mode, std::vector<RegionSpan>& runs) {
    runs.clear();
    std::sort(crossings.begin(), crossings.end(), crossesLeftOf);
    int winding = 0;
    for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
        winding += mode == FillMode::Winding ? crossings[i].direction : 1;
        const bool inside = mode == FillMode::Winding ? winding != 0 : (winding % 2) != 0;
        if (inside) {
            appendJoined(runs, {firstPixelFrom(crossings[i]), firstPixelFrom(crossings[i + 1])});
        }
    }
}

RegionData rasterise(std::span<const RegionPoint> points, FillMode mode) {
    RegionBuilder builder;
    if (points.size() < 3) {
        return builder.take();
    }
    const std::vector<Edge> edges = edgesOf(points);
    const auto [lowest, highest] = std::minmax_element(
        points.begin(), points.end(), [](RegionPoint a, RegionPoint b) { return a.y < b.y; });
    std::vector<Crossing> crossings;
    std::vector<RegionSpan> runs;
    for (std::int64_t y = lowest->y; y < highest->y; ++y) {
        crossings.clear();
        for (const Edge& e : edges) {
            if (e.yTop <= y && y < e.yBottom) {
                crossings.push_back(crossingAt(e, y));
            }
        }
        rowRuns(crossings, mode, runs);
        builder.addBand(static_cast<std::int32_t>(y), static_cast<std::int32_t>(y + 1), runs);
    }
    return builder.take();
}

} // namespace

RegionHandle createPolygonRegion(std::span<const RegionPoint> points, FillMode mode) {
    try {
        return makeRegion(rasterise(points, mode));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace platform
