#include "operations.h"
#include "reference_analysis.h"
#include "repeat_slots.h"
#include "replay.h"

namespace tintworks {

int layerCorrection(const TCorrectionParams& params, TProgressProc progress) {
    const std::optional<ImageView> image = viewOf(params.Image);
    if (!image || params.SampleCount == 0) {
        return TWK_INVALID_PARAMS;
    }
    auto processing = std::make_unique<TRepeatLayerCorrection>();
    processing->tables = analyseReferences(*image, params);
    processing->gamma = params.Gamma;
    int result = buildLayerBounds(params.Samples, params.SampleCount, processing->bounds);
    if (result != TWK_OK) {
        return result;
    }
    result = replayProcessing(TWK_OP_LAYER_CORRECTION, *processing,
                              {*image, params.Dest, params.Region, progress});
    if (result == TWK_OK) {
        keepProcessing(TWK_OP_LAYER_CORRECTION, std::move(processing));
    }
    return result;
}

} // namespace tintworks
