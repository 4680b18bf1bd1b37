// Finding a colour layer: the pixels whose colour falls into at least one layer box.
#pragma once

#include "bit_mask.h"
#include "image_view.h"
#include "layer_bounds.h"
#include "layer_index.h"

#include <optional>
#include <span>

namespace tintworks {

// Sets the mask bit of every pixel of the region (nil = whole image) that lies in at least
// one box; bits outside the region stay clear. Calls `progress` after each row of the
// region's rectangle. Returns TWK_OK with `mask` filled, TWK_INVALID_PARAMS without boxes,
// TWK_NO_MEMORY or TWK_CANCELLED (no mask).
int searchLayer(const ImageView& image, const TImageRegion* region,
                std::span<const LayerBounds> boxes, TProgressProc progress,
                std::optional<BitMask>& mask);

// The same with the boxes already indexed, for searches repeated with the same boxes.
// Returns TWK_OK, TWK_NO_MEMORY or TWK_CANCELLED.
int searchLayer(const ImageView& image, const TImageRegion* region, const LayerIndex& colours,
                TProgressProc progress, std::optional<BitMask>& mask);

} // namespace tintworks
