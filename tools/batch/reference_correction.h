// The engine's image correction for a reference choice: which modes, targets and areas go into
// its record. The engine keeps the correction afterwards, to be saved or replayed.
#pragma once

#include "locked_picture.h"
#include "reference_choice.h"

#include <cstdint>
#include <vector>

// Corrects `picture` into `dest` (its own pixels or a buffer of the same layout) by the choice
// and its areas placed on the picture. Returns the engine's result code.
//
// --neutral: the area as the white area measured by its average (mode 3), white target mode 0
// (the light level brought to the measured brightness) and no black point, which scales each
// channel through black so that the average becomes neutral at its brightest channel.
// --white, --black: their point modes, the levels as they stand (target mode 1).
// --grey: the engine's grey area; with keepBrightness the area goes in as a colour area with
// colour mode 1 instead, its target the neutral grey of the same lightness as the grey after
// the white and black points' stretch.
int runReferenceCorrection(const ReferenceChoice& choice, const std::vector<ReferenceArea>& areas,
                           const LockedPicture& picture, std::uint8_t* dest);
