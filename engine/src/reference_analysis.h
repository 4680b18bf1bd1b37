// Measuring the reference areas of a correction and building its channel curves.
#pragma once

#include "curves.h"
#include "image_view.h"

#include <span>

namespace tintworks {

// The reference areas of a correction record; empty for a nil array or a count <= 0.
std::span<const TRefArea> refAreasOf(const TCorrectionParams& params);

// The white point of a reference area measured with white-point `mode` (1..4; any other
// mode gives 255,255,255,255), and likewise the black point (0,0,0,0 for other modes).
Color4 areaWhitePoint(const ImageView& image, const Rect& area, std::int32_t mode);
Color4 areaBlackPoint(const ImageView& image, const Rect& area, std::int32_t mode);

// What a measured end point X becomes with level L under target `mode`: 0 = L brought to
// X's brightness, 1 = L, 2 = X brought to L's brightness, other = X.
Color4 endTarget(const Color4& measured, const Color4& level, std::int32_t mode,
                 std::int32_t bytesPerPixel);

// What the mean colour C of the colour areas becomes for target colour T under colour
// `mode`: 0 = T at C's brightness, 1 = T, 2 = C at T's brightness, other = C.
Color4 colorTarget(const Color4& measured, const Color4& target, std::int32_t mode,
                   std::int32_t bytesPerPixel);

// The mean colour of all colour (class 3) areas: the pixels of each area that share that
// area's dominant channel order, pooled in one histogram. 0,0,0,0 without such pixels.
Color4 colorAreasMean(const ImageView& image, std::span<const TRefArea> areas);

// The channel curves of a correction: end points from the white and black areas or the
// automatic search, their targets, and a mid point from the first grey area or else the
// colour areas. The image must be valid.
CurveTables analyseReferences(const ImageView& image, const TCorrectionParams& params);

} // namespace tintworks
