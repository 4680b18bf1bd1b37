#include "repeat_objects.h"

namespace tintworks {

namespace {
void release(std::vector<LayerBounds>& bounds) {
    std::vector<LayerBounds>().swap(bounds);
}
} // namespace

void TRepeatLayerCorrection::Clear() {
    TRepeatBase::Clear();
    release(bounds);
}

void TRepeatLayerTransformation::Clear() {
    TRepeatBase::Clear();
    release(bounds);
}

void TRepeatLayerJpegFilter::Clear() {
    TRepeatBase::Clear();
    release(bounds);
}

} // namespace tintworks
