// What happens to the pixels of a layer once it is found.
#pragma once

#include "bit_mask.h"
#include "image_view.h"

namespace tintworks {

enum class LayerOperation {
    ReplaceColor = 0, // layer pixels take the colour at their own brightness
    Fill = 1,         // layer pixels become the colour
    Transfer = 2,     // pixels outside the layer become the colour
    Grey = 3,         // layer pixels become a grey as bright as their largest channel
    None = -1,        // any other number: every pixel is copied
};

// Writes every pixel of the destination (laid out as `source`, possibly the same buffer),
// changing pixels by `operation` as the layer `mask` says and copying the others; a number
// outside 0..3 copies everything. Replacement scales the colour by m / cmax, m the pixel's
// largest channel and cmax the colour's (1 when that is 0), truncating. Calls `progress`
// after each image row. Returns TWK_OK, TWK_INVALID_PARAMS (nil destination) or TWK_CANCELLED.
int applyLayerOperation(const ImageView& source, void* destination, const BitMask& mask,
                        int operation, const Color4& color, TProgressProc progress);

} // namespace tintworks
