// The thinning step of the colour filter, between the search and the greying.
#pragma once

#include "bit_mask.h"
#include "image_view.h"

namespace tintworks {

// Colour noise comes as specks of one or two pixels; a row of three or more pixels in a noise
// colour is more likely a real detail of that colour, which the filter should keep. So the
// step clears every horizontal run of three or more set bits, and only those.
//
// The window is the current pixel and the two after it on the same row. It walks each row of
// `area` (the limiting region's rectangle, clipped to the mask) from the left edge one pixel
// at a time, crossing mask bytes freely but never wrapping into the next row, and it always
// looks at the mask as the search left it: where all three bits were set, all three are
// cleared. A run of any length of at least three is therefore cleared whole, and runs of one
// or two stay set (and are greyed). Bits outside the region are never set by the search, so
// clearing stays inside the region.
void thinFilterLayer(BitMask& mask, const Rect& area);

} // namespace tintworks
