// The hatch areas of an image window as the region the engine processes, and as the hatched
// shape drawn over the picture (its complement, in display coordinates).
#pragma once

#include "ref_regions.h"

#include "platform/region.h"

#include <QPainterPath>

#include <functional>

// The processed part of a width x height picture: none (null) without areas; else, in list
// order, inner areas taken away from and outer areas added to the whole picture (or to
// nothing when any area is outer). Each polygon is filled by the winding rule. The caller
// deletes the region.
platform::RegionHandle BuildHatchRegion(const THatchAreaList& areas, int width, int height);

// The hatched shape over the display rectangle: image points are mapped by `toDisplay`.
QPainterPath HatchOverlayPath(const THatchAreaList& areas, const QRect& display,
                              const std::function<QPoint(QPoint)>& toDisplay);
