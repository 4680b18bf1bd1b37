#include "operations.h"
#include "reference_analysis.h"

namespace tintworks {

int imageCorrection(const TCorrectionParams& params, TProgressProc progress) {
    const std::optional<ImageView> image = viewOf(params.Image);
    if (!image) {
        return TWK_INVALID_PARAMS;
    }
    auto processing = std::make_unique<TRepeatColorCorrection>();
    processing->tables = analyseReferences(*image, params);
    processing->gamma = params.Gamma;
    return runAndKeep(TWK_OP_IMAGE_CORRECTION, std::move(processing),
                      {*image, params.Dest, params.Region, progress});
}

} // namespace tintworks
