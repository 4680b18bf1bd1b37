#include "reference_analysis.h"

#include "pixel_statistics.h"
#include "rounding.h"

#include <algorithm>

namespace tintworks {

std::span<const TRefArea> refAreasOf(const TCorrectionParams& params) {
    if (params.RefAreas == nullptr || params.RefCount <= 0) {
        return {};
    }
    return {params.RefAreas, static_cast<std::size_t>(params.RefCount)};
}

namespace {

const TRefArea* firstOfClass(std::span<const TRefArea> areas, std::int32_t refClass) {
    auto it = std::find_if(areas.begin(), areas.end(),
                           [&](const TRefArea& a) { return a.RefClass == refClass; });
    return it == areas.end() ? nullptr : &*it;
}

Color4 fromLevelBytes(const std::uint8_t (&bytes)[4]) {
    return {bytes[0], bytes[1], bytes[2], bytes[3]};
}

// Round(color[c] * factor) limited to 255, for the image's channels; the others unchanged.
Color4 scaled(Color4 color, double factor, std::int32_t bytesPerPixel) {
    for (std::int32_t c = 0; c < bytesPerPixel; ++c) {
        color[c] = roundToByte(color[c] * factor);
    }
    return color;
}

// factor = numerator / denominator, or 255 when the denominator is 0.
double scaleFactor(int numerator, int denominator) {
    return denominator == 0 ? 255.0 : static_cast<double>(numerator) / denominator;
}

float scaleFactor32(int numerator, int denominator) {
    return denominator == 0 ? 255.0f
                            : static_cast<float>(numerator) / static_cast<float>(denominator);
}

struct EndPoints {
    Color4 white = whiteColor;
    Color4 black = blackColor;
};

EndPoints measuredEndPoints(const ImageView& image, std::span<const TRefArea> areas,
                            const TCorrectionParams& params) {
    const bool useWhite = params.WhiteMode != 0;
    const bool useBlack = params.BlackMode != 0;
    const TRefArea* whiteArea = firstOfClass(areas, TWK_REF_WHITE);
    const TRefArea* blackArea = firstOfClass(areas, TWK_REF_BLACK);
    const bool needAuto = params.Auto != 0 && ((useWhite && whiteArea == nullptr) ||
                                               (useBlack && blackArea == nullptr));
    EndPoints points;
    if (needAuto) {
        const ExtremeSearch search{pointCountOfMode(params.WhiteMode),
                                   pointCountOfMode(params.BlackMode), true, true};
        ExtremePixels found{points.white, points.black};
        findExtremePixels(image, image.bounds(), search, found);
        points = {found.light, found.dark};
    }
    if (useWhite && whiteArea != nullptr) {
        points.white = areaWhitePoint(image, areaRect(*whiteArea, image), params.WhiteMode);
    }
    if (useBlack && blackArea != nullptr) {
        points.black = areaBlackPoint(image, areaRect(*blackArea, image), params.BlackMode);
    }
    return points;
}

CurveTables linearTables(const EndPoints& from, const EndPoints& to, std::int32_t bytesPerPixel) {
    CurveTables tables = identityTables();
    for (std::int32_t c = 0; c < bytesPerPixel; ++c) {
        tables[c] = buildLinearCurve(from.black[c], to.black[c], from.white[c], to.white[c]);
    }
    return tables;
}

CurveTables threePointTables(const EndPoints& from, const EndPoints& to, const Color4& mid,
                             const Color4& midTarget, std::int32_t bytesPerPixel) {
    CurveTables tables = identityTables();
    for (std::int32_t c = 0; c < bytesPerPixel; ++c) {
        tables[c] = buildThreePointCurve(from.black[c], to.black[c], mid[c], midTarget[c],
                                         from.white[c], to.white[c]);
    }
    return tables;
}

// A neutral grey as bright as the brightest channel of the grey area's colour after the
// plain end-point stretch.
Color4 greyTarget(const Color4& grey, const EndPoints& from, const EndPoints& to,
                  std::int32_t bytesPerPixel) {
    const CurveTables stretch = linearTables(from, to, bytesPerPixel);
    std::uint8_t brightest = 0;
    for (std::int32_t c = 0; c < bytesPerPixel; ++c) {
        brightest = std::max(brightest, stretch[c][grey[c]]);
    }
    return {brightest, brightest, brightest, brightest};
}

} // namespace

Color4 areaWhitePoint(const ImageView& image, const Rect& area, std::int32_t mode) {
    switch (mode) {
    case 1:
        return lightestPixel(image, area, false, blackColor);
    case 2: {
        const Color4 unclipped = lightestPixel(image, area, true, blackColor);
        if (maxChannel(unclipped, image.bytesPerPixel) != 0) {
            return unclipped;
        }
        return lightestPixel(image, area, false, blackColor);
    }
    case 3:
        return dominantAverageColor(image, area);
    case 4:
        return darkestPixel(image, area, true, whiteColor);
    default:
        return whiteColor;
    }
}

Color4 areaBlackPoint(const ImageView& image, const Rect& area, std::int32_t mode) {
    switch (mode) {
    case 1:
        return darkestPixel(image, area, false, whiteColor);
    case 2: {
        const Color4 unclipped = darkestPixel(image, area, true, whiteColor);
        if (minChannel(unclipped, image.bytesPerPixel) != 255) {
            return unclipped;
        }
        return darkestPixel(image, area, false, whiteColor);
    }
    case 3:
        return dominantAverageColor(image, area);
    case 4:
        return lightestPixel(image, area, true, blackColor);
    default:
        return blackColor;
    }
}

Color4 endTarget(const Color4& measured, const Color4& level, std::int32_t mode,
                 std::int32_t bytesPerPixel) {
    const int maxMeasured = maxChannel(measured, bytesPerPixel);
    const int maxLevel = maxChannel(level, bytesPerPixel);
    switch (mode) {
    case 0:
        return scaled(level, scaleFactor(maxMeasured, maxLevel), bytesPerPixel);
    case 1:
        return level;
    case 2:
        return scaled(measured, scaleFactor(maxLevel, maxMeasured), bytesPerPixel);
    default:
        return measured;
    }
}

Color4 colorTarget(const Color4& measured, const Color4& target, std::int32_t mode,
                   std::int32_t bytesPerPixel) {
    const int maxMeasured = maxChannel(measured, bytesPerPixel);
    const int maxTarget = maxChannel(target, bytesPerPixel);
    switch (mode) {
    case TWK_COLOR_MODE_COLOR:
        return scaled(target, scaleFactor32(maxMeasured, maxTarget), bytesPerPixel);
    case TWK_COLOR_MODE_COLOR_BRIGHTNESS:
        return target;
    case TWK_COLOR_MODE_BRIGHTNESS:
        return scaled(measured, scaleFactor32(maxTarget, maxMeasured), bytesPerPixel);
    default:
        return measured;
    }
}

Color4 colorAreasMean(const ImageView& image, std::span<const TRefArea> areas) {
    ChannelHistogram histogram;
    for (const TRefArea& area : areas) {
        if (area.RefClass != TWK_REF_COLOR) {
            continue;
        }
        const Rect rect = areaRect(area, image);
        if (!rect.empty()) {
            addClassPixels(image, rect, dominantClass(image, rect), histogram);
        }
    }
    return histogramMean(histogram, image.bytesPerPixel);
}

CurveTables analyseReferences(const ImageView& image, const TCorrectionParams& params) {
    const std::int32_t bpp = image.bytesPerPixel;
    const std::span<const TRefArea> areas = refAreasOf(params);
    const EndPoints measured = measuredEndPoints(image, areas, params);
    EndPoints targets = measured;
    if (params.WhiteMode != 0) {
        targets.white = endTarget(measured.white, fromLevelBytes(params.LightLevel),
                                  params.WhiteTargetMode, bpp);
    }
    if (params.BlackMode != 0) {
        targets.black = endTarget(measured.black, fromLevelBytes(params.DarkLevel),
                                  params.BlackTargetMode, bpp);
    }

    if (const TRefArea* greyArea = firstOfClass(areas, TWK_REF_GREY)) {
        const Color4 grey = dominantAverageColor(image, areaRect(*greyArea, image));
        return threePointTables(measured, targets, grey, greyTarget(grey, measured, targets, bpp),
                                bpp);
    }
    if (firstOfClass(areas, TWK_REF_COLOR) != nullptr) {
        const Color4 mean = colorAreasMean(image, areas);
        const Color4 target =
            colorTarget(mean, fromLevelBytes(params.TargetColor), params.ColorMode, bpp);
        return threePointTables(measured, targets, mean, target, bpp);
    }
    return linearTables(measured, targets, bpp);
}

} // namespace tintworks
