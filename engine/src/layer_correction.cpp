#include "apply_correction.h"
#include "gamma.h"
#include "layer_search.h"
#include "operations.h"
#include "reference_analysis.h"
#include "repeat_slots.h"

namespace tintworks {

int layerCorrection(const TCorrectionParams& params, TProgressProc progress) {
    const std::optional<ImageView> image = viewOf(params.Image);
    if (!image || params.Dest == nullptr || !isUsableGamma(params.Gamma) ||
        params.SampleCount == 0) {
        return TWK_INVALID_PARAMS;
    }
    const CurveTables tables = analyseReferences(*image, params);
    std::vector<LayerBounds> bounds;
    int result = buildLayerBounds(params.Samples, params.SampleCount, bounds);
    if (result != TWK_OK) {
        return result;
    }
    std::optional<BitMask> layer;
    result = searchLayer(*image, params.Region, bounds, nullptr, layer);
    if (result != TWK_OK) {
        return result;
    }
    result = applyCorrection(*image, params.Dest, &*layer, tables, params.Gamma, progress);
    if (result == TWK_OK) {
        TRepeatLayerCorrection& slot = repeatSlots().layerCorrection();
        slot.Clear();
        slot.tables = tables;
        slot.gamma = params.Gamma;
        slot.bounds = std::move(bounds);
        slot.available = twkTrue;
    }
    return result;
}

} // namespace tintworks
