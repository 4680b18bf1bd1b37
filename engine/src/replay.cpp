#include "replay.h"

#include "apply_correction.h"
#include "filter_thinning.h"
#include "layer_operation.h"
#include "layer_search.h"
#include "region_runs.h"

namespace tintworks {

namespace {

int replayCorrection(const TRepeatColorCorrection& processing, const ReplayTarget& target) {
    std::optional<BitMask> mask;
    if (target.region != nullptr) {
        mask = maskOfRegion(*target.region, target.image);
        if (!mask) {
            return TWK_NO_MEMORY;
        }
    }
    return applyCorrection(target.image, target.dest, mask ? &*mask : nullptr, processing.tables,
                           processing.gamma, target.progress);
}

int replayLayerCorrection(const TRepeatLayerCorrection& processing, const ReplayTarget& target) {
    std::optional<BitMask> layer;
    const int found = searchLayer(target.image, target.region, processing.bounds, nullptr, layer);
    if (found != TWK_OK) {
        return found;
    }
    return applyCorrection(target.image, target.dest, &*layer, processing.tables, processing.gamma,
                           target.progress);
}

int replayLayerOperation(int operation, const TRepeatLayerTransformation& processing,
                         const ReplayTarget& target) {
    std::optional<BitMask> layer;
    const int found = searchLayer(target.image, target.region, processing.bounds, nullptr, layer);
    if (found != TWK_OK) {
        return found;
    }
    return applyLayerOperation(target.image, target.dest, *layer, operation, processing.color,
                               target.progress);
}

// Every pass searches the picture, so with the destination in the picture's own buffer each
// pass works on the result of the one before.
int replayFilter(const TRepeatLayerJpegFilter& processing, const ReplayTarget& target) {
    if (processing.passes <= 0) {
        return TWK_OK;
    }
    if (processing.bounds.empty()) {
        return TWK_INVALID_PARAMS;
    }
    const std::optional<LayerIndex> colours = LayerIndex::build(processing.bounds);
    if (!colours) {
        return TWK_NO_MEMORY;
    }
    for (std::int32_t pass = 0; pass < processing.passes; ++pass) {
        std::optional<BitMask> layer;
        int result = searchLayer(target.image, target.region, *colours, nullptr, layer);
        if (result != TWK_OK) {
            return result;
        }
        thinFilterLayer(*layer, regionRect(target.region, target.image));
        result =
            applyLayerOperation(target.image, target.dest, *layer,
                                static_cast<int>(LayerOperation::Grey), Color4{}, target.progress);
        if (result != TWK_OK) {
            return result;
        }
    }
    return TWK_OK;
}

} // namespace

int replayProcessing(std::int32_t type, const TRepeatBase& processing, const ReplayTarget& target) {
    switch (type) {
    case TWK_OP_IMAGE_CORRECTION:
        return replayCorrection(static_cast<const TRepeatColorCorrection&>(processing), target);
    case TWK_OP_LAYER_CORRECTION:
        return replayLayerCorrection(static_cast<const TRepeatLayerCorrection&>(processing),
                                     target);
    case TWK_OP_LAYER_REPLACE_COLOR:
    case TWK_OP_LAYER_FILL:
    case TWK_OP_LAYER_TRANSFER:
        return replayLayerOperation(type - TWK_OP_LAYER_REPLACE_COLOR,
                                    static_cast<const TRepeatLayerTransformation&>(processing),
                                    target);
    case TWK_OP_COLOR_FILTER:
        return replayFilter(static_cast<const TRepeatLayerJpegFilter&>(processing), target);
    default:
        return TWK_INVALID_PARAMS;
    }
}

} // namespace tintworks
