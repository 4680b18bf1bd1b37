#include "apply_correction.h"
#include "gamma.h"
#include "operations.h"
#include "reference_analysis.h"
#include "region_runs.h"
#include "repeat_slots.h"

namespace tintworks {

int imageCorrection(const TCorrectionParams& params, TProgressProc progress) {
    const std::optional<ImageView> image = viewOf(params.Image);
    if (!image || params.Dest == nullptr || !isUsableGamma(params.Gamma)) {
        return TWK_INVALID_PARAMS;
    }
    const CurveTables tables = analyseReferences(*image, params);
    std::optional<BitMask> mask;
    if (params.Region != nullptr) {
        mask = maskOfRegion(*params.Region, *image);
        if (!mask) {
            return TWK_NO_MEMORY;
        }
    }
    const int result = applyCorrection(*image, params.Dest, mask ? &*mask : nullptr, tables,
                                       params.Gamma, progress);
    if (result == TWK_OK) {
        TRepeatColorCorrection& slot = repeatSlots().colorCorrection();
        slot.Clear();
        slot.tables = tables;
        slot.gamma = params.Gamma;
        slot.available = twkTrue;
    }
    return result;
}

} // namespace tintworks
