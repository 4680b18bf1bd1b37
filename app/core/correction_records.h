// The engine record of one correction run, filled from an image window's regions and hatch
// areas and the operation panel's settings. It owns what the record points to (the reference
// area and layer sample arrays in movable memory, the limiting region) and frees it when it
// goes.
#pragma once

#include "dib_image.h"
#include "ref_regions.h"

#include "platform/memory_block.h"
#include "platform/region.h"

#include <array>
#include <cstdint>

// The settings of the operation panel a run reads.
struct CorrectionSettings {
    int operation = 0;                       // 0..5
    bool autoWhiteBlack = false;             // the Auto box as it is checked
    std::array<std::uint8_t, 3> reference{}; // red, green, blue
    int colourMode = 0;
    int layerRange = 5;
    int filterRange = 5;
    int filterPasses = 5;
    double gamma = 1.0;
    int lightLevel = 255; // the light point picker
    int darkLevel = 0;    // the dark point picker
};

class CorrectionRecords {
public:
    CorrectionRecords() = default;
    CorrectionRecords(const CorrectionRecords&) = delete;
    CorrectionRecords& operator=(const CorrectionRecords&) = delete;
    ~CorrectionRecords();

    // Fills the operation's record for `source` written to `dest`; false when memory for the
    // arrays is short.
    bool Fill(const CorrectionSettings& settings, const TDIBImage& source, void* dest,
              const TRefRegionList& regions, const THatchAreaList& areas);
    // The record of a repeated run.
    void FillRepeat(const TDIBImage& source, void* dest, const THatchAreaList& areas);

    // The record to hand to the engine, and its engine type.
    void* Record();
    int EngineType() const { return type_; }

    TCorrectionParams correction{};
    TLayerParams layer{};
    TRepeatParams repeat{};

private:
    template <typename Item> Item* allocate(int count, platform::MemHandle& handle);
    TImageRegion* limitingRegion(const TDIBImage& source, const THatchAreaList& areas);
    bool fillSamples(const TDIBImage& source, const TRefRegionList& regions, int range);

    int type_ = 0;
    bool repeated_ = false;
    platform::MemHandle areasHandle_ = nullptr;
    platform::MemHandle samplesHandle_ = nullptr;
    TLayerSample* samples_ = nullptr;
    int sampleCount_ = 0;
    TImageRegion region_{};
    platform::RegionHandle hatch_ = nullptr;
};
