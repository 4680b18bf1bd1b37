// The in-memory form of a region: horizontal bands of equal rows, top to bottom, each with
// its sorted pixel runs. Bands never overlap, have at least one run, and two touching bands
// never hold the same runs (they are merged), so equal pixel sets have equal data.
#pragma once

#include "platform/region.h"

#include <cstdint>
#include <span>
#include <vector>

namespace platform {

struct RegionBand {
    std::int32_t top;
    std::int32_t bottom;
    std::uint32_t firstSpan;
    std::uint32_t spanCount;
    bool operator==(const RegionBand&) const = default;
};

struct RegionData {
    std::vector<RegionBand> bands;
    std::vector<RegionSpan> spans;

    std::span<const RegionSpan> spansOf(const RegionBand& band) const {
        return {spans.data() + band.firstSpan, band.spanCount};
    }
    bool operator==(const RegionData&) const = default;
};

// Appends bands in top-to-bottom order and merges a band into the previous one when they
// touch and hold the same runs.
class RegionBuilder {
public:
    void addBand(std::int32_t top, std::int32_t bottom, std::span<const RegionSpan> spans);
    RegionData take() { return std::move(data_); }

private:
    RegionData data_;
};

// A row's runs from a list of runs that are sorted by left edge but may touch: touching
// runs are joined.
void appendJoined(std::vector<RegionSpan>& out, RegionSpan span);

// Replaces the data of a live region handle; false for an invalid handle.
bool replaceRegionData(RegionHandle region, RegionData&& data);

// The data of a live region handle, or null for an invalid one.
const RegionData* regionDataOf(RegionHandle region);

// A new region handle holding `data`, or null when memory is short.
RegionHandle makeRegion(RegionData&& data) noexcept;

RegionKind kindOf(const RegionData& data);

} // namespace platform
