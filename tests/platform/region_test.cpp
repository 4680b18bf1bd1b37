#include "platform/region.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <vector>

using namespace platform;

namespace {

struct RegionDeleter {
    void operator()(RegionObject* r) const { deleteRegion(r); }
};
using Region = std::unique_ptr<RegionObject, RegionDeleter>;

Region rect(int l, int t, int r, int b) {
    return Region(createRectRegion(l, t, r, b));
}
Region polygon(std::vector<RegionPoint> points, FillMode mode) {
    return Region(createPolygonRegion(points, mode));
}

// Whether the point (px, py) lies inside the polygon, by a ray towards +x: the winding
// number or crossing count of the edges the ray meets strictly right of the point. Pixel
// centres and integer corners keep every quantity exact in double.
bool insidePolygon(const std::vector<RegionPoint>& pts, double px, double py, FillMode mode) {
    int winding = 0;
    int crossings = 0;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        const RegionPoint a = pts[i];
        const RegionPoint b = pts[(i + 1) % pts.size()];
        if ((a.y > py) == (b.y > py)) {
            continue;
        }
        const double x = a.x + (py - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y);
        if (x > px) {
            ++crossings;
            winding += a.y < b.y ? 1 : -1;
        }
    }
    return mode == FillMode::Winding ? winding != 0 : (crossings % 2) == 1;
}

using PixelTest = std::function<bool(int, int)>;

// A 40 x 40 square with a 20 x 20 square inside, traced in the same or the other direction.
const std::vector<RegionPoint> squareWithHoleSameWay = {
    {0, 0}, {40, 0}, {40, 40}, {0, 40}, {0, 0}, {10, 10}, {30, 10}, {30, 30}, {10, 30}, {10, 10}};
const std::vector<RegionPoint> squareWithHoleOtherWay = {
    {0, 0}, {40, 0}, {40, 40}, {0, 40}, {0, 0}, {10, 10}, {10, 30}, {30, 30}, {30, 10}, {10, 10}};
// A self-intersecting five-pointed star.
const std::vector<RegionPoint> star = {{20, 0}, {26, 38}, {2, 12}, {38, 12}, {14, 38}};

// Compares the region with a pixel predicate over a window, through the point test and
// the row spans both.
void expectPixels(RegionHandle region, const PixelTest& expected, int lo = -5, int hi = 45) {
    for (int y = lo; y < hi; ++y) {
        std::vector<bool> fromSpans(hi - lo, false);
        int previousRight = INT32_MIN;
        for (const RegionSpan& s : regionRowSpans(region, y)) {
            ASSERT_LT(s.left, s.right);
            ASSERT_GT(s.left, previousRight) << "runs are sorted, disjoint and not touching";
            previousRight = s.right;
            for (int x = std::max(s.left, lo); x < std::min(s.right, hi); ++x) {
                fromSpans[x - lo] = true;
            }
        }
        for (int x = lo; x < hi; ++x) {
            ASSERT_EQ(regionContains(region, x, y), expected(x, y)) << "pixel " << x << "," << y;
            ASSERT_EQ(fromSpans[x - lo], expected(x, y)) << "span pixel " << x << "," << y;
        }
    }
}

} // namespace

TEST(Region, RectangleIncludesLeftTopAndExcludesRightBottom) {
    Region r = rect(2, 3, 6, 8);
    expectPixels(r.get(), [](int x, int y) { return x >= 2 && x < 6 && y >= 3 && y < 8; });
    RegionRect box;
    EXPECT_EQ(regionBox(r.get(), box), RegionKind::Simple);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.top, 3);
    EXPECT_EQ(box.right, 6);
    EXPECT_EQ(box.bottom, 8);
}

TEST(Region, RectangleEdgesAreOrderedAndEmptyRectanglesAreEmpty) {
    Region swapped = rect(6, 8, 2, 3);
    Region ordered = rect(2, 3, 6, 8);
    EXPECT_TRUE(regionsEqual(swapped.get(), ordered.get()));
    Region flat = rect(2, 3, 2, 8);
    EXPECT_EQ(regionKind(flat.get()), RegionKind::Empty);
    RegionRect box{1, 1, 1, 1};
    EXPECT_EQ(regionBox(flat.get(), box), RegionKind::Empty);
    EXPECT_EQ(box.right, 0);
}

TEST(Region, SquarePolygonEqualsItsRectangle) {
    for (FillMode mode : {FillMode::Alternate, FillMode::Winding}) {
        Region square = polygon({{1, 1}, {11, 1}, {11, 9}, {1, 9}}, mode);
        Region r = rect(1, 1, 11, 9);
        EXPECT_TRUE(regionsEqual(square.get(), r.get()));
        EXPECT_EQ(regionKind(square.get()), RegionKind::Simple);
    }
}

TEST(Region, PolygonsFollowPixelCentresUnderBothFillRules) {
    const std::vector<std::vector<RegionPoint>> shapes = {
        {{0, 0}, {30, 5}, {7, 33}}, // slanted triangle
        star,
        squareWithHoleSameWay,
        squareWithHoleOtherWay,
        {{3, 3}, {3, 3}, {20, 3}}, // degenerate: no area
        {{5, 1}, {9, 20}, {5, 39}, {1, 20}, {5, 1}, {35, 1}, {31, 20}, {35, 39}, {39, 20}},
    };
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        for (FillMode mode : {FillMode::Alternate, FillMode::Winding}) {
            SCOPED_TRACE(testing::Message() << "shape " << i << " mode " << static_cast<int>(mode));
            Region r = polygon(shapes[i], mode);
            expectPixels(r.get(), [&](int x, int y) {
                return insidePolygon(shapes[i], x + 0.5, y + 0.5, mode);
            });
        }
    }
}

TEST(Region, HoleDependsOnFillRuleAndDirection) {
    Region same = polygon(squareWithHoleSameWay, FillMode::Winding);
    EXPECT_TRUE(regionContains(same.get(), 20, 20)) << "winding fills a hole traced the same way";
    Region sameAlternate = polygon(squareWithHoleSameWay, FillMode::Alternate);
    EXPECT_FALSE(regionContains(sameAlternate.get(), 20, 20));
    Region opposite = polygon(squareWithHoleOtherWay, FillMode::Winding);
    EXPECT_FALSE(regionContains(opposite.get(), 20, 20)) << "a hole traced the other way stays";
    EXPECT_TRUE(regionContains(opposite.get(), 5, 20));
}

TEST(Region, StarCentreIsFilledOnlyUnderWinding) {
    Region winding = polygon(star, FillMode::Winding);
    Region alternate = polygon(star, FillMode::Alternate);
    EXPECT_TRUE(regionContains(winding.get(), 20, 20));
    EXPECT_FALSE(regionContains(alternate.get(), 20, 20));
    EXPECT_TRUE(regionContains(alternate.get(), 20, 5)) << "a point of the star";
}

TEST(Region, CombineMatchesPixelLogicForEveryMode) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> coord(0, 40);
    const std::vector<std::pair<CombineMode, std::function<bool(bool, bool)>>> modes = {
        {CombineMode::And, [](bool a, bool b) { return a && b; }},
        {CombineMode::Or, [](bool a, bool b) { return a || b; }},
        {CombineMode::Xor, [](bool a, bool b) { return a != b; }},
        {CombineMode::Diff, [](bool a, bool b) { return a && !b; }},
        {CombineMode::Copy, [](bool a, bool) { return a; }},
    };
    for (int round = 0; round < 40; ++round) {
        std::vector<RegionPoint> pa, pb;
        for (int i = 0; i < 5; ++i) {
            pa.push_back({coord(random), coord(random)});
            pb.push_back({coord(random), coord(random)});
        }
        const FillMode ma = round % 2 ? FillMode::Winding : FillMode::Alternate;
        const FillMode mb = round % 3 ? FillMode::Alternate : FillMode::Winding;
        Region a = polygon(pa, ma);
        Region b = polygon(pb, mb);
        for (const auto& [mode, logic] : modes) {
            SCOPED_TRACE(testing::Message()
                         << "round " << round << " mode " << static_cast<int>(mode));
            Region dest = rect(0, 0, 1, 1);
            ASSERT_NE(combineRegion(dest.get(), a.get(), b.get(), mode), RegionKind::Error);
            expectPixels(dest.get(), [&](int x, int y) {
                return logic(insidePolygon(pa, x + 0.5, y + 0.5, ma),
                             insidePolygon(pb, x + 0.5, y + 0.5, mb));
            });
        }
    }
}

TEST(Region, CombineIntoOneOfItsSources) {
    Region a = rect(0, 0, 10, 10);
    Region b = rect(5, 5, 15, 15);
    EXPECT_EQ(combineRegion(a.get(), a.get(), b.get(), CombineMode::Or), RegionKind::Complex);
    expectPixels(a.get(), [](int x, int y) {
        return (x < 10 && y < 10 && x >= 0 && y >= 0) || (x >= 5 && x < 15 && y >= 5 && y < 15);
    });
    EXPECT_EQ(combineRegion(a.get(), a.get(), a.get(), CombineMode::Diff), RegionKind::Empty);
}

TEST(Region, UnionOfTouchingRectanglesIsOneRectangle) {
    Region left = rect(0, 0, 5, 10);
    Region right = rect(5, 0, 9, 10);
    Region below = rect(0, 10, 9, 12);
    ASSERT_EQ(combineRegion(left.get(), left.get(), right.get(), CombineMode::Or),
              RegionKind::Simple);
    ASSERT_EQ(combineRegion(left.get(), left.get(), below.get(), CombineMode::Or),
              RegionKind::Simple);
    Region whole = rect(0, 0, 9, 12);
    EXPECT_TRUE(regionsEqual(left.get(), whole.get()));
}

TEST(Region, OffsetMovesEveryPixel) {
    Region r = polygon({{0, 0}, {10, 2}, {4, 9}}, FillMode::Alternate);
    Region moved = polygon({{0, 0}, {10, 2}, {4, 9}}, FillMode::Alternate);
    offsetRegion(moved.get(), 7, -3);
    expectPixels(
        moved.get(), [&](int x, int y) { return regionContains(r.get(), x - 7, y + 3); }, -10, 30);
}

TEST(Region, NullHandlesAreErrorsOrEmpty) {
    Region a = rect(0, 0, 4, 4);
    RegionRect box;
    EXPECT_EQ(regionBox(nullptr, box), RegionKind::Error);
    EXPECT_EQ(regionKind(nullptr), RegionKind::Error);
    EXPECT_FALSE(regionContains(nullptr, 0, 0));
    EXPECT_TRUE(regionRowSpans(nullptr, 0).empty());
    EXPECT_EQ(combineRegion(nullptr, a.get(), a.get(), CombineMode::Or), RegionKind::Error);
    EXPECT_EQ(combineRegion(a.get(), a.get(), nullptr, CombineMode::And), RegionKind::Error);
    EXPECT_EQ(combineRegion(a.get(), a.get(), nullptr, CombineMode::Copy), RegionKind::Simple);
    EXPECT_FALSE(regionsEqual(nullptr, nullptr));
    deleteRegion(nullptr);
    Region few = polygon({{0, 0}, {5, 5}}, FillMode::Winding);
    EXPECT_EQ(regionKind(few.get()), RegionKind::Empty);
}

TEST(Region, ExtremeCoordinatesDoNotOverflow) {
    Region wide = polygon({{INT32_MIN, 0}, {INT32_MAX, 0}, {INT32_MAX, 3}, {INT32_MIN, 3}},
                          FillMode::Winding);
    EXPECT_TRUE(regionContains(wide.get(), 0, 1));
    EXPECT_TRUE(regionContains(wide.get(), INT32_MIN, 2));
    EXPECT_FALSE(regionContains(wide.get(), 0, 3));
    Region slanted = polygon({{INT32_MIN, 0}, {INT32_MAX, 1}, {INT32_MIN, 2}}, FillMode::Alternate);
    EXPECT_TRUE(regionContains(slanted.get(), -5, 1));
    EXPECT_EQ(offsetRegion(wide.get(), 10, INT32_MAX - 10), RegionKind::Simple);
    RegionRect box;
    regionBox(wide.get(), box);
    EXPECT_EQ(box.left, INT32_MIN + 10);
    EXPECT_EQ(box.right, INT32_MAX) << "coordinates saturate";
    EXPECT_EQ(box.top, INT32_MAX - 10);
    EXPECT_EQ(box.bottom, INT32_MAX - 7);
    EXPECT_EQ(offsetRegion(wide.get(), 0, 100), RegionKind::Empty) << "squeezed against the edge";
}
