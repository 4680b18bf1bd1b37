// The straightforward layer test, box by box through the ratio table: the reference the fast
// searches are proven against.
#pragma once

#include "layer_bounds.h"
#include "ratio_table.h"

#include <algorithm>

inline bool inBox(const tintworks::LayerBounds& box, std::uint8_t blue, std::uint8_t green,
                  std::uint8_t red) {
    const std::uint16_t rg = tintworks::ratioHundredths(red, green);
    const std::uint16_t bg = tintworks::ratioHundredths(blue, green);
    const std::uint8_t v = std::max({blue, green, red});
    return box.loRG <= rg && rg <= box.hiRG && box.loBG <= bg && bg <= box.hiBG && box.loV <= v &&
           v <= box.hiV;
}
