// The library's repeat slots: one stored processing per operation type 0 to 5.
#pragma once

#include "repeat_objects.h"

#include <memory>

namespace tintworks {

constexpr int repeatSlotCount = 6;

class RepeatSlots {
public:
    RepeatSlots();

    // The slot of `type`, or null outside 0..5.
    TRepeatBase* slot(std::int32_t type);

    // Puts `processing` (of the class that `type` takes) into slot `type` in place of its
    // previous object.
    void replace(std::int32_t type, std::unique_ptr<TRepeatBase> processing);

private:
    std::unique_ptr<TRepeatBase> slots_[repeatSlotCount];
};

// The process-wide slots, created empty when the library loads.
RepeatSlots& repeatSlots();

} // namespace tintworks
