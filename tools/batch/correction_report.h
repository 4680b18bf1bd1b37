// What learn --dry-run prints: the colours the correction measured and what its channel curves
// do, read from the correction the engine keeps.
#pragma once

#include "locked_picture.h"
#include "reference_choice.h"

#include <ostream>
#include <vector>

// The grey levels at which the curves are shown.
inline constexpr int curveKeyLevels[] = {0, 64, 128, 192, 255};

// Prints each area's measured colour (R,G,B) and what the kept correction makes of it, then
// what the kept correction makes of the grey levels curveKeyLevels, channel by channel.
void printCorrectionReport(std::ostream& out, const LockedPicture& picture,
                           const std::vector<ReferenceArea>& areas, bool autoPoints);
