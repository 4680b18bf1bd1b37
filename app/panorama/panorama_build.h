// Joining the placed pictures into one new 24-bit picture: the framed part of every checked
// picture at its place, the one nearer the top of the stacking order covering the others.
#pragma once

#include "panorama_model.h"

#include <cstdint>
#include <vector>

class TDIBImage;

// The outcome of building.
enum PanoramaBuildResult : int {
    PanoramaBuilt = 0,
    PanoramaNoMemory = -1,      // the result could not be made (also when too large)
    PanoramaNothingToCopy = -2, // no checked picture with a frame that is not empty
};

// The largest result accepted: 1 GiB of rows, as for any picture the program makes.
constexpr std::int64_t maxPanoramaBytes = std::int64_t{1} << 30;

// Makes `result` a new picture of the size of the frames bounds, with the header (resolution
// included) of item 0, and copies each checked picture's frame into it. Every result pixel is
// written once: by the topmost frame that covers it, white where no frame does; the rows'
// padding bytes are zero.
PanoramaBuildResult BuildPanorama(const std::vector<TImagePanoramaData>& items, TDIBImage& result);
