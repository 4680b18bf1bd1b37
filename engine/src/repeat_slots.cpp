#include "repeat_slots.h"

namespace tintworks {

RepeatSlots::RepeatSlots() {
    for (int type = 0; type < repeatSlotCount; ++type) {
        slots_[type] = newRepeatObject(type);
    }
}

TRepeatBase* RepeatSlots::slot(std::int32_t type) {
    return type >= 0 && type < repeatSlotCount ? slots_[type].get() : nullptr;
}

void RepeatSlots::replace(std::int32_t type, std::unique_ptr<TRepeatBase> processing) {
    if (type >= 0 && type < repeatSlotCount) {
        slots_[type] = std::move(processing);
    }
}

RepeatSlots& repeatSlots() {
    static RepeatSlots slots;
    return slots;
}

} // namespace tintworks
