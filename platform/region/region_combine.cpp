#include "region_data.h"

#include <algorithm>
#include <new>

namespace platform {

namespace {

bool keeps(CombineMode mode, bool inFirst, bool inSecond) {
    switch (mode) {
    case CombineMode::And:
        return inFirst && inSecond;
    case CombineMode::Or:
        return inFirst || inSecond;
    case CombineMode::Xor:
        return inFirst != inSecond;
    case CombineMode::Diff:
        return inFirst && !inSecond;
    case CombineMode::Copy:
        return inFirst;
    }
    return false;
}

// Combines two sorted run lists of one row: walks the edges of both lists left to right
// and emits the stretches where the mode keeps a pixel.
void combineRuns(std::span<const RegionSpan> a, std::span<const RegionSpan> b, CombineMode mode,
                 std::vector<RegionSpan>& out) {
    out.clear();
    std::size_t ia = 0;
    std::size_t ib = 0;
    bool inA = false;
    bool inB = false;
    std::int32_t runStart = 0;
    bool inRun = false;
    while (ia < a.size() || ib < b.size()) {
        const std::int32_t nextA = ia < a.size() ? (inA ? a[ia].right : a[ia].left) : INT32_MAX;
        const std::int32_t nextB = ib < b.size() ? (inB ? b[ib].right : b[ib].left) : INT32_MAX;
        const std::int32_t x = std::min(nextA, nextB);
        if (nextA == x) {
            if (inA) {
                ++ia;
            }
            inA = !inA;
        }
        if (nextB == x) {
            if (inB) {
                ++ib;
            }
            inB = !inB;
        }
        const bool kept = keeps(mode, inA, inB);
        if (kept && !inRun) {
            runStart = x;
        } else if (!kept && inRun) {
            appendJoined(out, {runStart, x});
        }
        inRun = kept;
    }
}

// The band of `data` that covers row y, starting the search at `index` (bands are visited
// in order, so the index only moves forward).
std::span<const RegionSpan> runsAt(const RegionData& data, std::size_t& index, std::int32_t y) {
    while (index < data.bands.size() && data.bands[index].bottom <= y) {
        ++index;
    }
    if (index < data.bands.size() && data.bands[index].top <= y) {
        return data.spansOf(data.bands[index]);
    }
    return {};
}

std::vector<std::int32_t> bandEdges(const RegionData& a, const RegionData& b) {
    std::vector<std::int32_t> edges;
    edges.reserve(2 * (a.bands.size() + b.bands.size()));
    for (const RegionData* data : {&a, &b}) {
        for (const RegionBand& band : data->bands) {
            edges.push_back(band.top);
            edges.push_back(band.bottom);
        }
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    return edges;
}

RegionData combineData(const RegionData& a, const RegionData& b, CombineMode mode) {
    if (mode == CombineMode::Copy) {
        return a;
    }
    RegionBuilder builder;
    std::vector<RegionSpan> runs;
    std::size_t bandA = 0;
    std::size_t bandB = 0;
    const std::vector<std::int32_t> edges = bandEdges(a, b);
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const std::int32_t top = edges[i];
        combineRuns(runsAt(a, bandA, top), runsAt(b, bandB, top), mode, runs);
        builder.addBand(top, edges[i + 1], runs);
    }
    return builder.take();
}

} // namespace

RegionKind combineRegion(RegionHandle dest, RegionHandle first, RegionHandle second,
                         CombineMode mode) {
    static const RegionData emptyData;
    const RegionData* a = regionDataOf(first);
    const RegionData* b = regionDataOf(second);
    if (regionDataOf(dest) == nullptr || a == nullptr ||
        (b == nullptr && mode != CombineMode::Copy)) {
        return RegionKind::Error;
    }
    try {
        RegionData combined = combineData(*a, b != nullptr ? *b : emptyData, mode);
        const RegionKind kind = kindOf(combined);
        replaceRegionData(dest, std::move(combined));
        return kind;
    } catch (const std::bad_alloc&) {
        return RegionKind::Error;
    }
}

} // namespace platform
