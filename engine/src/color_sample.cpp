#include "operations.h"
#include "pixel_statistics.h"
#include "reference_analysis.h"

#include <algorithm>

namespace tintworks {

namespace {
void writeColor(const Color4& color, std::uint8_t (&out)[4]) {
    std::copy(color.begin(), color.end(), out);
}
} // namespace

int colorSample(TColorSampleParams& params) {
    const std::optional<ImageView> image = viewOf(params.Image);
    if (!image) {
        return TWK_INVALID_PARAMS;
    }
    const Rect rect = regionRect(params.Area, *image);
    const Color4 color = params.Light != 0 ? areaWhitePoint(*image, rect, params.SampleMode)
                                           : areaBlackPoint(*image, rect, params.SampleMode);
    writeColor(color, params.Color);
    return TWK_OK;
}

int extractImageColor(TExtractColorParams& params) {
    const std::optional<ImageView> image = viewOf(params.Image);
    if (!image) {
        return TWK_INVALID_PARAMS;
    }
    writeColor(dominantAverageColor(*image, regionRect(params.Area, *image)), params.Color);
    return TWK_OK;
}

} // namespace tintworks
