// Regions: sets of pixels built from rectangles and polygons and combined with set
// operations. The program builds its limiting areas with them and the engine rasterises
// them row by row.
//
// Coordinates are integer pixel positions. A rectangle includes its left and top edges and
// excludes its right and bottom edges. A polygon contains pixel (x, y) when the pixel's
// centre (x + 0.5, y + 0.5) lies inside it under the fill rule; a centre exactly on an
// edge belongs to the pixel run on that edge's right.
//
// A handle is a pointer-sized opaque value, null meaning "no region". Every function
// accepts a null handle and treats it as an error or as the empty region.
#pragma once

#include <cstdint>
#include <span>

namespace platform {

struct RegionObject;
using RegionHandle = RegionObject*;

struct RegionPoint {
    std::int32_t x;
    std::int32_t y;
};

struct RegionRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

// A run of pixels of one row, left inclusive, right exclusive.
struct RegionSpan {
    std::int32_t left;
    std::int32_t right;
    bool operator==(const RegionSpan&) const = default;
};

enum class FillMode {
    Alternate = 1, // even-odd: inside where a ray crosses an odd number of edges
    Winding = 2,   // non-zero: inside where the edges wind around the point
};

enum class CombineMode {
    And = 1,  // intersection
    Or = 2,   // union
    Xor = 3,  // in exactly one of the two
    Diff = 4, // in the first but not the second
    Copy = 5, // the first; the second is ignored
};

enum class RegionKind {
    Error = 0,   // invalid handle or memory shortage
    Empty = 1,   // no pixel
    Simple = 2,  // exactly one rectangle
    Complex = 3, // anything else
};

// A rectangle region; swapped edges are put in order, a rectangle without area is empty.
// Null when memory is short.
RegionHandle createRectRegion(std::int32_t left, std::int32_t top, std::int32_t right,
                              std::int32_t bottom);

// A polygon region from its corner points (closed implicitly: the last point joins the
// first). Fewer than three points give an empty region. Null when memory is short.
RegionHandle createPolygonRegion(std::span<const RegionPoint> points, FillMode mode);

// Replaces the content of `dest` by `first` combined with `second` (`second` may be null
// for Copy). `dest` may be one of the sources. Returns the kind of the new content, or
// Error with `dest` unchanged when a handle is invalid or memory is short.
RegionKind combineRegion(RegionHandle dest, RegionHandle first, RegionHandle second,
                         CombineMode mode);

// Moves the region by (dx, dy); coordinates saturate at the ends of the 32-bit range.
// Returns its kind, or Error (region unchanged) for a null handle or a memory shortage.
RegionKind offsetRegion(RegionHandle region, std::int32_t dx, std::int32_t dy);

bool regionContains(RegionHandle region, std::int32_t x, std::int32_t y);

// The smallest rectangle holding every pixel of the region; all zero when it is empty.
RegionKind regionBox(RegionHandle region, RegionRect& box);

RegionKind regionKind(RegionHandle region);

// True when both regions hold the same pixels.
bool regionsEqual(RegionHandle first, RegionHandle second);

// The pixel runs of row y, left to right, disjoint and not touching. The view stays valid
// until the region is changed or deleted; it is empty for rows outside the region.
std::span<const RegionSpan> regionRowSpans(RegionHandle region, std::int32_t y);

// Frees the region; null is ignored.
void deleteRegion(RegionHandle region);

} // namespace platform
