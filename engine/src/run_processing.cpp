#include "operations.h"
#include "repeat_slots.h"

namespace tintworks {

int runAndKeep(std::int32_t type, std::unique_ptr<TRepeatBase> processing,
               const ReplayTarget& target) {
    const int result = replayProcessing(type, *processing, target);
    if (result == TWK_OK) {
        processing->available = twkTrue;
        repeatSlots().replace(type, std::move(processing));
    }
    return result;
}

} // namespace tintworks
