// learn and apply in one step, for a series in which the grey card or white paper moves: each
// picture is made neutral by its own reference rectangle, measured as learn --neutral measures
// it, and written as apply writes its results.
#pragma once

#include "reference_rectangle.h"
#include "series_run.h"

#include <optional>
#include <string>

struct CorrectRequest {
    SeriesOptions series;
    std::optional<ReferenceRectangle> neutral; // one rectangle for every picture
    std::string areaList;                      // or a list of rectangles and pictures
    bool force = false;                        // correct pictures whose area is clipped too
};

// The exit status as apply's; 2 too for a list that cannot be read and for a rectangle that
// fits no picture. A picture whose rectangle does not lie inside it, or whose area is clipped
// (unless force), fails and is not written.
int runCorrect(CorrectRequest request);
