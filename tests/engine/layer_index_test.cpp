#include "layer_index.h"
#include "layer_search.h"
#include "reference_search.h"

#include <gtest/gtest.h>

#include <random>

using namespace tintworks;

namespace {

// Compares the index with the box-by-box ratio test for every one of the 2^24 colours.
void expectSameAsBoxTests(const std::vector<LayerBounds>& boxes) {
    const std::optional<LayerIndex> index = LayerIndex::build(boxes);
    ASSERT_TRUE(index.has_value());
    int admitted = 0;
    for (int red = 0; red < 256; ++red) {
        for (int green = 0; green < 256; ++green) {
            for (int blue = 0; blue < 256; ++blue) {
                bool expected = false;
                for (const LayerBounds& box : boxes) {
                    if (inBox(box, blue, green, red)) {
                        expected = true;
                        break;
                    }
                }
                admitted += expected;
                ASSERT_EQ(index->contains(blue, green, red), expected)
                    << "colour " << blue << "," << green << "," << red;
            }
        }
    }
    EXPECT_GT(admitted, 0) << "the boxes admit some colours";
}

LayerBounds boxOfPixel(int blue, int green, int red, int range) {
    return boundsOf(pixelStatistics(blue, green, red), range);
}

} // namespace

TEST(LayerIndex, AgreesWithTheBoxTestsForEveryColour) {
    std::mt19937 random(77);
    std::uniform_int_distribution<int> channel(0, 255);
    std::uniform_int_distribution<int> range(-99, 100);
    // Boxes of pixel samples with green 0, channels at 255 and negative ranges among them.
    std::vector<LayerBounds> boxes = {boxOfPixel(50, 60, 70, 0),    boxOfPixel(30, 0, 40, 5),
                                      boxOfPixel(255, 255, 255, 5), boxOfPixel(255, 1, 0, -40),
                                      boxOfPixel(0, 0, 0, 100),     boxOfPixel(200, 100, 50, -99)};
    for (int i = 0; i < 6; ++i) {
        boxes.push_back(
            boxOfPixel(channel(random), channel(random), channel(random), range(random)));
    }
    expectSameAsBoxTests(boxes);
}

TEST(LayerIndex, AgreesForRawBoundsAsAFileMayHoldThem) {
    // Bounds read from a processing file need not be ordered or within the usual ranges.
    std::mt19937 random(9);
    std::uniform_int_distribution<int> any(0, 65535);
    std::uniform_int_distribution<int> small(0, 400);
    std::vector<LayerBounds> boxes;
    for (int i = 0; i < 5; ++i) {
        boxes.push_back(
            {static_cast<std::uint16_t>(small(random)), static_cast<std::uint16_t>(small(random)),
             static_cast<std::uint16_t>(small(random)), static_cast<std::uint16_t>(small(random)),
             static_cast<std::uint16_t>(small(random) % 256),
             static_cast<std::uint16_t>(small(random))});
    }
    boxes.push_back({0, 65535, 0, 65535, 0, 65535});
    boxes.push_back({static_cast<std::uint16_t>(any(random)), 65535, 300, 200, 10, 5});
    expectSameAsBoxTests(boxes);
}
