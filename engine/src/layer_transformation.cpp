#include "operations.h"

#include <algorithm>

namespace tintworks {

int layerTransformation(std::int32_t type, const TLayerParams& params, TProgressProc progress) {
    const std::optional<ImageView> image = viewOf(params.Image);
    if (!image || params.SampleCount == 0) {
        return TWK_INVALID_PARAMS;
    }
    auto processing = std::make_unique<TRepeatLayerTransformation>();
    std::copy(std::begin(params.Value.Color), std::end(params.Value.Color),
              processing->color.begin());
    const int built = buildLayerBounds(params.Samples, params.SampleCount, processing->bounds);
    if (built != TWK_OK) {
        return built;
    }
    return runAndKeep(type, std::move(processing), {*image, params.Dest, params.Region, progress});
}

} // namespace tintworks
