// The exported C interface. Every entry point turns an exception (only a memory shortage
// can raise one) into a result code, so nothing is thrown across the boundary.
#include "operations.h"
#include "repeat_slots.h"

#include <new>

namespace {

template <typename Operation> int32_t guarded(Operation&& operation) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return TWK_NO_MEMORY;
    } catch (...) {
        return TWK_INVALID_PARAMS;
    }
}

} // namespace

extern "C" {

TWK_EXPORT int32_t TWK_CALL TWKDoImageOperation(int32_t type, void* params,
                                                TProgressProc progress) {
    if (params == nullptr) {
        return TWK_INVALID_PARAMS;
    }
    return guarded([&]() -> int32_t {
        switch (type) {
        case TWK_OP_IMAGE_CORRECTION:
            return tintworks::imageCorrection(*static_cast<TCorrectionParams*>(params), progress);
        case TWK_OP_LAYER_CORRECTION:
            return tintworks::layerCorrection(*static_cast<TCorrectionParams*>(params), progress);
        case TWK_OP_COLOR_SAMPLE:
            return tintworks::colorSample(*static_cast<TColorSampleParams*>(params));
        default:
            return TWK_INVALID_PARAMS;
        }
    });
}

TWK_EXPORT int32_t TWK_CALL TWKIsRepeatedOperationAvailable(int32_t type) {
    const tintworks::TRepeatBase* slot = tintworks::repeatSlots().slot(type);
    return slot != nullptr ? slot->available : tintworks::twkFalse;
}

TWK_EXPORT int32_t TWK_CALL TWKExtractImageColor(TExtractColorParams* params) {
    if (params == nullptr) {
        return TWK_INVALID_PARAMS;
    }
    return guarded([&] { return tintworks::extractImageColor(*params); });
}

} // extern "C"
