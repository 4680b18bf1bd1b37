// The apply pass of the correction: every pixel through the channel curves, then the gamma
// step, one row at a time.
#pragma once

#include "bit_mask.h"
#include "curves.h"
#include "image_view.h"

namespace tintworks {

// Writes every pixel of the destination (laid out as `source`, possibly the same buffer):
// pixels whose mask bit is set (all, without a mask) are mapped through `tables` and, when
// gamma is not 1.0, through the gamma table of their largest channel; the others are copied.
// Calls `progress` after each image row with (rows done) / height.
// Returns TWK_OK, TWK_INVALID_PARAMS (nil destination, unusable gamma), TWK_NO_MEMORY or
// TWK_CANCELLED (rows already done stay written).
int applyCorrection(const ImageView& source, void* destination, const BitMask* mask,
                    const CurveTables& tables, double gamma, TProgressProc progress);

} // namespace tintworks
