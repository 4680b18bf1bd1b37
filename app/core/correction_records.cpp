#include "correction_records.h"

#include "hatch_region.h"

namespace {
// The engine's reference class of each region kind: Light measures as white, Dark as black.
int refClassOf(RegionKind kind) {
    switch (kind) {
    case RegionKind::White:
    case RegionKind::Light:
        return TWK_REF_WHITE;
    case RegionKind::Black:
    case RegionKind::Dark:
        return TWK_REF_BLACK;
    case RegionKind::Grey:
        return TWK_REF_GREY;
    case RegionKind::Colour:
        return TWK_REF_COLOR;
    }
    return TWK_REF_WHITE;
}

TImageRegion areaOf(const QRect& rect) {
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height(),
            nullptr};
}

void setLevel(std::uint8_t (&level)[4], int value) {
    for (std::uint8_t& byte : level) {
        byte = static_cast<std::uint8_t>(value);
    }
}
} // namespace

CorrectionRecords::~CorrectionRecords() {
    for (platform::MemHandle handle : {areasHandle_, samplesHandle_}) {
        if (handle != nullptr) {
            platform::memUnlock(handle);
            platform::memFree(handle);
        }
    }
    platform::deleteRegion(hatch_);
}

template <typename Item> Item* CorrectionRecords::allocate(int count, platform::MemHandle& handle) {
    handle = platform::memAlloc(sizeof(Item) * count, platform::MemMovable | platform::MemZeroInit);
    return handle != nullptr ? static_cast<Item*>(platform::memLock(handle)) : nullptr;
}

TImageRegion* CorrectionRecords::limitingRegion(const TDIBImage& source,
                                                const THatchAreaList& areas) {
    if (areas.Count() == 0) {
        return nullptr;
    }
    hatch_ = BuildHatchRegion(areas, source.Width(), source.Height());
    region_ = {0, 0, source.Width(), source.Height(), hatch_};
    return &region_;
}

bool CorrectionRecords::fillSamples(const TDIBImage& source, const TRefRegionList& regions,
                                    int range) {
    int count = 0;
    for (int i = 0; i < regions.Count(); ++i) {
        count += regions[i]->Kind == RegionKind::Colour;
    }
    if (count == 0) {
        return true;
    }
    samples_ = allocate<TLayerSample>(count, samplesHandle_);
    if (samples_ == nullptr) {
        return false;
    }
    for (int i = 0; i < regions.Count(); ++i) {
        if (regions[i]->Kind == RegionKind::Colour) {
            samples_[sampleCount_++] = {areaOf(regions[i]->Rect), source.Describe(), range};
        }
    }
    return true;
}

bool CorrectionRecords::Fill(const CorrectionSettings& s, const TDIBImage& source, void* dest,
                             const TRefRegionList& regions, const THatchAreaList& areas) {
    type_ = s.operation;
    const std::uint8_t blue = s.reference[2];
    const std::uint8_t green = s.reference[1];
    const std::uint8_t red = s.reference[0];
    if (type_ <= TWK_OP_LAYER_CORRECTION) {
        TCorrectionParams& p = correction;
        p.Size = sizeof p;
        p.Image = source.Describe();
        p.Dest = dest;
        p.Auto = !source.Corrected && s.autoWhiteBlack ? -1 : 0;
        if (regions.Count() > 0) {
            TRefArea* refAreas = allocate<TRefArea>(regions.Count(), areasHandle_);
            if (refAreas == nullptr) {
                return false;
            }
            for (int i = 0; i < regions.Count(); ++i) {
                const TImageRegion area = areaOf(regions[i]->Rect);
                refAreas[i] = {
                    area.Left, area.Top, area.Right, area.Bottom, 0, refClassOf(regions[i]->Kind),
                    0};
            }
            p.RefAreas = refAreas;
            p.RefCount = regions.Count();
        }
        p.WhiteMode = 2;
        p.BlackMode = 2;
        const bool light = regions.FindFirst(RegionKind::Light) != nullptr;
        const bool dark = regions.FindFirst(RegionKind::Dark) != nullptr;
        setLevel(p.LightLevel, light ? s.lightLevel : 255);
        p.WhiteTargetMode = light ? 2 : 1;
        setLevel(p.DarkLevel, dark ? s.darkLevel : 0);
        p.BlackTargetMode = dark ? 2 : 1;
        p.TargetColor[0] = blue;
        p.TargetColor[1] = green;
        p.TargetColor[2] = red;
        p.ColorMode = s.colourMode;
        if (type_ == TWK_OP_LAYER_CORRECTION) {
            if (!fillSamples(source, regions, s.layerRange)) {
                return false;
            }
            p.Samples = samples_;
            p.SampleCount = sampleCount_;
        }
        p.Region = limitingRegion(source, areas);
        p.Gamma = s.gamma;
        return true;
    }
    TLayerParams& p = layer;
    p.Size = sizeof p;
    p.Image = source.Describe();
    p.Dest = dest;
    if (!fillSamples(source, regions,
                     type_ == TWK_OP_COLOR_FILTER ? s.filterRange : s.layerRange)) {
        return false;
    }
    p.Samples = samples_;
    p.SampleCount = sampleCount_;
    p.Region = limitingRegion(source, areas);
    if (type_ == TWK_OP_COLOR_FILTER) {
        p.Value.Passes = s.filterPasses;
    } else if (type_ == TWK_OP_LAYER_TRANSFER) {
        setLevel(p.Value.Color, 255);
    } else {
        p.Value.Color[0] = blue;
        p.Value.Color[1] = green;
        p.Value.Color[2] = red;
    }
    return true;
}

void CorrectionRecords::FillRepeat(const TDIBImage& source, void* dest,
                                   const THatchAreaList& areas) {
    repeated_ = true;
    repeat.Size = sizeof repeat;
    repeat.Image = source.Describe();
    repeat.Dest = dest;
    repeat.Region = limitingRegion(source, areas);
}

void* CorrectionRecords::Record() {
    if (repeated_) {
        return &repeat;
    }
    return type_ <= TWK_OP_LAYER_CORRECTION ? static_cast<void*>(&correction)
                                            : static_cast<void*>(&layer);
}
