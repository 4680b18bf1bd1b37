// What the image correction the engine keeps from its last run does to single colours: the
// correction replayed on a row of pixels of those colours.
#pragma once

#include "rgb.h"

#include <vector>

// The colours as the kept correction turns them; empty when the engine keeps none.
std::vector<Rgb> correctedColors(const std::vector<Rgb>& colors);

// Every grey level 0 to 255 as the kept correction turns it: the three channel curves.
std::vector<Rgb> correctionCurves();
