// Applying a stored processing to an image: what every operation does once it has measured
// its references or samples, and what repeats and presets do with a stored one.
#pragma once

#include "image_view.h"
#include "repeat_objects.h"

namespace tintworks {

struct ReplayTarget {
    ImageView image;            // the picture to read
    void* dest;                 // laid out as the picture; may be the picture itself
    const TImageRegion* region; // limits the work, or nil for the whole image
    TProgressProc progress;     // may be nil
};

// Runs `processing`, which must be of the class that operation `type` (0..5) stores:
//   0: the curves and gamma, inside the region;
//   1: the curves and gamma on the layer found with the stored boxes;
//   2, 3, 4: colour replacement, filling or transfer of that layer with the stored colour;
//   5: the stored number of passes of search, thinning and greying (0 passes: nothing is
//      written, result 0).
// Returns a TWK_* code; changes no slot.
int replayProcessing(std::int32_t type, const TRepeatBase& processing, const ReplayTarget& target);

} // namespace tintworks
