#include "operations.h"

namespace tintworks {

int colorFilter(const TLayerParams& params, TProgressProc progress) {
    const std::optional<ImageView> image = viewOf(params.Image);
    if (!image) {
        return TWK_INVALID_PARAMS;
    }
    auto processing = std::make_unique<TRepeatLayerJpegFilter>();
    processing->passes = params.Value.Passes;
    if (processing->passes < 1) {
        return TWK_NO_MEMORY;
    }
    const int built = buildPixelBounds(params.Samples, params.SampleCount, processing->bounds);
    if (built != TWK_OK) {
        return built;
    }
    return runAndKeep(TWK_OP_COLOR_FILTER, std::move(processing),
                      {*image, params.Dest, params.Region, progress});
}

} // namespace tintworks
