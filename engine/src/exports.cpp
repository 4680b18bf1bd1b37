// The exported C interface. Every entry point turns an exception (only a memory shortage
// can raise one) into a result code, so nothing is thrown across the boundary.
#include "operations.h"
#include "presets.h"
#include "processing_file.h"
#include "repeat_slots.h"
#include "replay.h"

#include <new>

namespace {

using namespace tintworks;

template <typename Operation> int32_t guarded(Operation&& operation) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return TWK_NO_MEMORY;
    } catch (...) {
        return TWK_INVALID_PARAMS;
    }
}

int32_t doOperation(int32_t type, void* params, TProgressProc progress) {
    switch (type) {
    case TWK_OP_IMAGE_CORRECTION:
        return imageCorrection(*static_cast<TCorrectionParams*>(params), progress);
    case TWK_OP_LAYER_CORRECTION:
        return layerCorrection(*static_cast<TCorrectionParams*>(params), progress);
    case TWK_OP_LAYER_REPLACE_COLOR:
    case TWK_OP_LAYER_FILL:
    case TWK_OP_LAYER_TRANSFER:
        return layerTransformation(type, *static_cast<TLayerParams*>(params), progress);
    case TWK_OP_COLOR_FILTER:
        return colorFilter(*static_cast<TLayerParams*>(params), progress);
    case TWK_OP_COLOR_SAMPLE:
        return colorSample(*static_cast<TColorSampleParams*>(params));
    default:
        return TWK_INVALID_PARAMS;
    }
}

int32_t doRepeatedOperation(int32_t type, const TRepeatParams* params, TProgressProc progress) {
    const TRepeatBase* processing = repeatSlots().slot(type);
    if (processing == nullptr) {
        return TWK_INVALID_PARAMS;
    }
    if (processing->available == twkFalse) {
        return TWK_NOT_AVAILABLE;
    }
    if (params == nullptr) {
        return TWK_INVALID_PARAMS;
    }
    const std::optional<ImageView> image = viewOf(params->Image);
    if (!image) {
        return TWK_INVALID_PARAMS;
    }
    return replayProcessing(type, *processing, {*image, params->Dest, params->Region, progress});
}

int32_t saveLastProcessing(const char* fileName, int32_t type) {
    const TRepeatBase* processing = repeatSlots().slot(type);
    if (processing == nullptr) {
        return TWK_INVALID_PARAMS;
    }
    if (processing->available == twkFalse) {
        return TWK_NOT_AVAILABLE;
    }
    return saveProcessingFile(fileName, type, *processing);
}

int32_t loadLastProcessing(const char* fileName, int32_t* type) {
    // The caller's value stays unless the file's type becomes known.
    int32_t loadedType = type != nullptr ? *type : 0;
    std::unique_ptr<TRepeatBase> loaded;
    const int result = loadProcessingFile(fileName, loadedType, loaded);
    if (type != nullptr) {
        *type = loadedType;
    }
    if (result == TWK_OK) {
        repeatSlots().replace(loadedType, std::move(loaded));
    }
    return result;
}

} // namespace

extern "C" {

TWK_EXPORT int32_t TWK_CALL TWKDoImageOperation(int32_t type, void* params,
                                                TProgressProc progress) {
    if (params == nullptr) {
        return TWK_INVALID_PARAMS;
    }
    return guarded([&] { return doOperation(type, params, progress); });
}

TWK_EXPORT int32_t TWK_CALL TWKDoRepeatedImageOperation(int32_t type, TRepeatParams* params,
                                                        TProgressProc progress) {
    return guarded([&] { return doRepeatedOperation(type, params, progress); });
}

TWK_EXPORT int32_t TWK_CALL TWKIsRepeatedOperationAvailable(int32_t type) {
    const TRepeatBase* slot = repeatSlots().slot(type);
    return slot != nullptr ? slot->available : twkFalse;
}

TWK_EXPORT int32_t TWK_CALL TWKExtractImageColor(TExtractColorParams* params) {
    if (params == nullptr) {
        return TWK_INVALID_PARAMS;
    }
    return guarded([&] { return extractImageColor(*params); });
}

TWK_EXPORT int32_t TWK_CALL TWKSaveLastProcessing(const char* fileName, int32_t type) {
    return guarded([&] { return saveLastProcessing(fileName, type); });
}

TWK_EXPORT int32_t TWK_CALL TWKLoadLastProcessing(const char* fileName, int32_t* type) {
    return guarded([&] { return loadLastProcessing(fileName, type); });
}

TWK_EXPORT int32_t TWK_CALL TWKSetPresetFile(const char* fileName) {
    return guarded([&] { return setPresetFile(fileName); });
}

TWK_EXPORT int32_t TWK_CALL TWKApplyPresetCorrection(TWKMemHandle bitmap) {
    return guarded([&] { return applyPreset(bitmap); });
}

} // extern "C"
