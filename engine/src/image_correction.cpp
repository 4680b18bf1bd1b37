#include "operations.h"
#include "reference_analysis.h"
#include "repeat_slots.h"
#include "replay.h"

namespace tintworks {

int imageCorrection(const TCorrectionParams& params, TProgressProc progress) {
    const std::optional<ImageView> image = viewOf(params.Image);
    if (!image) {
        return TWK_INVALID_PARAMS;
    }
    auto processing = std::make_unique<TRepeatColorCorrection>();
    processing->tables = analyseReferences(*image, params);
    processing->gamma = params.Gamma;
    const int result = replayProcessing(TWK_OP_IMAGE_CORRECTION, *processing,
                                        {*image, params.Dest, params.Region, progress});
    if (result == TWK_OK) {
        keepProcessing(TWK_OP_IMAGE_CORRECTION, std::move(processing));
    }
    return result;
}

} // namespace tintworks
