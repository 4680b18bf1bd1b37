#include "reference_correction.h"

#include "area_measurement.h"
#include "correction_probe.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

std::int32_t refClassOf(AreaRole role) {
    switch (role) {
    case AreaRole::Neutral:
    case AreaRole::White:
        return TWK_REF_WHITE;
    case AreaRole::Black:
        return TWK_REF_BLACK;
    case AreaRole::Grey:
        return TWK_REF_GREY;
    }
    return TWK_REF_GREY;
}

TRefArea refAreaOf(const ReferenceArea& area, std::int32_t refClass) {
    const PixelRectangle& r = area.pixels;
    return TRefArea{r.left, r.top, r.right, r.bottom, 0, refClass, 0};
}

// The engine's point mode for one end: its area's, or with --auto a searched point, or none.
std::int32_t pointMode(const ReferenceArea* area, const ReferenceChoice& choice) {
    if (area != nullptr) {
        return area->measureMode;
    }
    if (choice.autoPoints) {
        return static_cast<std::int32_t>(choice.measure.value_or(PointMeasure::Unclipped));
    }
    return 0;
}

// A correction record and the reference areas it points to.
struct CorrectionRecord {
    std::vector<TRefArea> refAreas;
    TCorrectionParams params{};
};

void setEndPoints(TCorrectionParams& params, const ReferenceChoice& choice,
                  const std::vector<ReferenceArea>& areas) {
    if (areaOfRole(areas, AreaRole::Neutral) != nullptr) {
        params.WhiteMode = 3;
        params.WhiteTargetMode = 0;
        std::memset(params.LightLevel, 255, 4);
        params.BlackMode = 0;
        return;
    }
    params.WhiteMode = pointMode(areaOfRole(areas, AreaRole::White), choice);
    params.WhiteTargetMode = 1;
    std::memset(params.LightLevel, choice.whiteLevel, 4);
    params.BlackMode = pointMode(areaOfRole(areas, AreaRole::Black), choice);
    params.BlackTargetMode = 1;
    std::memset(params.DarkLevel, choice.blackLevel, 4);
}

// The record for the choice without its grey area, which is added as the grey needs it.
CorrectionRecord endPointRecord(const ReferenceChoice& choice,
                                const std::vector<ReferenceArea>& areas,
                                const LockedPicture& picture, std::uint8_t* dest) {
    CorrectionRecord record;
    for (const ReferenceArea& area : areas) {
        if (area.role != AreaRole::Grey) {
            record.refAreas.push_back(refAreaOf(area, refClassOf(area.role)));
        }
    }
    TCorrectionParams& params = record.params;
    params.Size = sizeof params;
    params.Image = picture.imageDesc();
    params.Dest = dest;
    params.Auto = choice.autoPoints ? -1 : 0;
    setEndPoints(params, choice, areas);
    params.Gamma = choice.gamma;
    return record;
}

int run(CorrectionRecord& record) {
    record.params.RefAreas = record.refAreas.empty() ? nullptr : record.refAreas.data();
    record.params.RefCount = static_cast<std::int32_t>(record.refAreas.size());
    return TWKDoImageOperation(TWK_OP_IMAGE_CORRECTION, &record.params, nullptr);
}

double linearLight(std::uint8_t value) {
    const double v = value / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

std::uint8_t encodedLevel(double linear) {
    const double v =
        linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

// The neutral grey of the colour's luminance in sRGB, and so of its CIE lightness L*.
std::uint8_t sameLightnessGrey(const Rgb& color) {
    return encodedLevel(0.2126 * linearLight(color[0]) + 0.7152 * linearLight(color[1]) +
                        0.0722 * linearLight(color[2]));
}

// The grey area's colour after the white and black points' stretch alone: the end points are
// analysed in a run that writes no pixel (an empty region), and replayed on the grey.
int stretchGrey(CorrectionRecord record, const LockedPicture& picture, const ReferenceArea& grey,
                Rgb& stretched) {
    TImageRegion nowhere{0, 0, 0, 0, nullptr};
    record.params.Region = &nowhere;
    record.params.Gamma = 1.0;
    if (const int analysed = run(record); analysed != TWK_OK) {
        return analysed;
    }
    const std::vector<Rgb> replayed = correctedColors({measuredColor(picture, grey)});
    if (replayed.empty()) {
        return TWK_NO_MEMORY; // a replay on one pixel fails only for want of memory
    }
    stretched = replayed.front();
    return TWK_OK;
}

int runKeepingGreyLightness(CorrectionRecord record, const LockedPicture& picture,
                            const ReferenceArea& grey) {
    Rgb stretched{};
    if (const int analysed = stretchGrey(record, picture, grey, stretched); analysed != TWK_OK) {
        return analysed;
    }
    const std::uint8_t level = sameLightnessGrey(stretched);
    record.refAreas.push_back(refAreaOf(grey, TWK_REF_COLOR));
    std::memset(record.params.TargetColor, level, 3);
    record.params.ColorMode = TWK_COLOR_MODE_COLOR_BRIGHTNESS;
    return run(record);
}

} // namespace

int runReferenceCorrection(const ReferenceChoice& choice, const std::vector<ReferenceArea>& areas,
                           const LockedPicture& picture, std::uint8_t* dest) {
    CorrectionRecord record = endPointRecord(choice, areas, picture, dest);
    const ReferenceArea* grey = areaOfRole(areas, AreaRole::Grey);
    if (grey != nullptr && choice.keepBrightness) {
        return runKeepingGreyLightness(record, picture, *grey);
    }
    if (grey != nullptr) {
        record.refAreas.push_back(refAreaOf(*grey, TWK_REF_GREY));
    }
    return run(record);
}
