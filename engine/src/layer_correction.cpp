#include "operations.h"
#include "reference_analysis.h"

namespace tintworks {

int layerCorrection(const TCorrectionParams& params, TProgressProc progress) {
    const std::optional<ImageView> image = viewOf(params.Image);
    if (!image || params.SampleCount == 0) {
        return TWK_INVALID_PARAMS;
    }
    auto processing = std::make_unique<TRepeatLayerCorrection>();
    processing->tables = analyseReferences(*image, params);
    processing->gamma = params.Gamma;
    const int built = buildLayerBounds(params.Samples, params.SampleCount, processing->bounds);
    if (built != TWK_OK) {
        return built;
    }
    return runAndKeep(TWK_OP_LAYER_CORRECTION, std::move(processing),
                      {*image, params.Dest, params.Region, progress});
}

} // namespace tintworks
