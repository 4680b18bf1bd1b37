#include "repeat_slots.h"

namespace tintworks {

RepeatSlots::RepeatSlots() {
    reset();
}

void RepeatSlots::reset() {
    slots_[0] = std::make_unique<TRepeatColorCorrection>();
    slots_[1] = std::make_unique<TRepeatLayerCorrection>();
    for (int layerOperation = 2; layerOperation <= 4; ++layerOperation) {
        slots_[layerOperation] = std::make_unique<TRepeatLayerTransformation>();
    }
    slots_[5] = std::make_unique<TRepeatLayerJpegFilter>();
}

TRepeatBase* RepeatSlots::slot(std::int32_t type) {
    return type >= 0 && type < repeatSlotCount ? slots_[type].get() : nullptr;
}

TRepeatColorCorrection& RepeatSlots::colorCorrection() {
    return static_cast<TRepeatColorCorrection&>(*slots_[TWK_OP_IMAGE_CORRECTION]);
}

TRepeatLayerCorrection& RepeatSlots::layerCorrection() {
    return static_cast<TRepeatLayerCorrection&>(*slots_[TWK_OP_LAYER_CORRECTION]);
}

RepeatSlots& repeatSlots() {
    static RepeatSlots slots;
    return slots;
}

} // namespace tintworks
