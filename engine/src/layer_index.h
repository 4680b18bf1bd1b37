// The colours that lie in at least one layer box, decided once for all 2^24 colours.
#pragma once

#include "layer_bounds.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>

namespace tintworks {

// One bit per colour (2 MiB). Built by painting each distinct box into the bit cube rather
// than by testing colours, so its cost depends on the boxes, not on the picture: for every
// green value a box is a rectangle of red and blue values (ratios grow with the numerator),
// cut by the brightness bounds.
class LayerIndex {
public:
    // The index of `boxes`, or nothing when memory is short.
    static std::optional<LayerIndex> build(std::span<const LayerBounds> boxes);

    // Whether the colour lies in a box: the same answer as testing every box through the
    // ratio table.
    bool contains(std::uint8_t blue, std::uint8_t green, std::uint8_t red) const {
        const std::uint32_t colour = std::uint32_t{red} << 16 | std::uint32_t{green} << 8 | blue;
        return (bits_.get()[colour >> 6] >> (colour & 63)) & 1u;
    }

private:
    struct FreeBits {
        void operator()(std::uint64_t* p) const { std::free(p); }
    };
    explicit LayerIndex(std::uint64_t* bits) : bits_(bits) {}

    void paint(const LayerBounds& box);
    void setBlueRun(int red, int green, int blueLo, int blueHi);

    std::unique_ptr<std::uint64_t, FreeBits> bits_;
};

} // namespace tintworks
