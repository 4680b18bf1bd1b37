// The colour of a reference area as the engine's correction measures it, and whether that
// measurement rests on clipped channel values, whose true values are not known.
#pragma once

#include "locked_picture.h"
#include "reference_choice.h"
#include "rgb.h"

#include <string>

// The engine's own measurement of the area: its point mode for white and black areas, the
// average of the pixels of the area's dominant channel order for neutral and grey ones.
Rgb measuredColor(const LockedPicture& picture, const ReferenceArea& area);

// An area measured by its average is clipped when at least 5 in 100 of its pixels have the
// same channel at 255, or at 0: that channel's average is then off by an amount that cannot be
// known. Scattered pixels at 0 or 255 (dust, hot pixels, impulse noise) do not reach that
// share in one channel. An area measured by a single pixel is clipped when that pixel has a
// channel at 0 or 255. Returns the warning for a clipped area, or an empty string.
std::string clippingWarning(const LockedPicture& picture, const ReferenceArea& area);
