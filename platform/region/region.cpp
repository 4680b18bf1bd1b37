#include "region_data.h"

#include <algorithm>
#include <new>

namespace platform {

namespace {
constexpr std::uint32_t regionMagic = 0x4E474552; // "REGN"
}

struct RegionObject {
    std::uint32_t magic = regionMagic;
    RegionData data;
};

void RegionBuilder::addBand(std::int32_t top, std::int32_t bottom,
                            std::span<const RegionSpan> spans) {
    if (top >= bottom || spans.empty()) {
        return;
    }
    if (!data_.bands.empty()) {
        RegionBand& last = data_.bands.back();
        std::span<const RegionSpan> lastSpans = data_.spansOf(last);
        const bool sameRuns =
            std::equal(lastSpans.begin(), lastSpans.end(), spans.begin(), spans.end());
        if (last.bottom == top && sameRuns) {
            last.bottom = bottom;
            return;
        }
    }
    const auto first = static_cast<std::uint32_t>(data_.spans.size());
    data_.spans.insert(data_.spans.end(), spans.begin(), spans.end());
    data_.bands.push_back({top, bottom, first, static_cast<std::uint32_t>(spans.size())});
}

void appendJoined(std::vector<RegionSpan>& out, RegionSpan span) {
    if (span.left >= span.right) {
        return;
    }
    if (!out.empty() && out.back().right >= span.left) {
        out.back().right = std::max(out.back().right, span.right);
        return;
    }
    out.push_back(span);
}

const RegionData* regionDataOf(RegionHandle region) {
    if (region == nullptr || region->magic != regionMagic) {
        return nullptr;
    }
    return &region->data;
}

bool replaceRegionData(RegionHandle region, RegionData&& data) {
    if (regionDataOf(region) == nullptr) {
        return false;
    }
    region->data = std::move(data);
    return true;
}

RegionHandle makeRegion(RegionData&& data) noexcept {
    auto* region = new (std::nothrow) RegionObject;
    if (region != nullptr) {
        region->data = std::move(data);
    }
    return region;
}

RegionKind kindOf(const RegionData& data) {
    if (data.bands.empty()) {
        return RegionKind::Empty;
    }
    if (data.bands.size() == 1 && data.bands.front().spanCount == 1) {
        return RegionKind::Simple;
    }
    return RegionKind::Complex;
}

RegionHandle createRectRegion(std::int32_t left, std::int32_t top, std::int32_t right,
                              std::int32_t bottom) {
    try {
        RegionBuilder builder;
        const RegionSpan span{std::min(left, right), std::max(left, right)};
        if (span.left < span.right) {
            builder.addBand(std::min(top, bottom), std::max(top, bottom), {&span, 1});
        }
        return makeRegion(builder.take());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

namespace {
// Coordinates saturate instead of wrapping around at the ends of the 32-bit range.
std::int32_t moved(std::int32_t value, std::int32_t delta) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(std::int64_t{value} + delta, INT32_MIN, INT32_MAX));
}
} // namespace

RegionKind offsetRegion(RegionHandle region, std::int32_t dx, std::int32_t dy) {
    if (regionDataOf(region) == nullptr) {
        return RegionKind::Error;
    }
    try {
        RegionBuilder builder;
        std::vector<RegionSpan> runs;
        for (const RegionBand& band : region->data.bands) {
            runs.clear();
            for (const RegionSpan& span : region->data.spansOf(band)) {
                appendJoined(runs, {moved(span.left, dx), moved(span.right, dx)});
            }
            builder.addBand(moved(band.top, dy), moved(band.bottom, dy), runs);
        }
        region->data = builder.take();
        return kindOf(region->data);
    } catch (const std::bad_alloc&) {
        return RegionKind::Error;
    }
}

std::span<const RegionSpan> regionRowSpans(RegionHandle region, std::int32_t y) {
    const RegionData* data = regionDataOf(region);
    if (data == nullptr) {
        return {};
    }
    auto band =
        std::upper_bound(data->bands.begin(), data->bands.end(), y,
                         [](std::int32_t row, const RegionBand& b) { return row < b.bottom; });
    if (band == data->bands.end() || y < band->top) {
        return {};
    }
    return data->spansOf(*band);
}

bool regionContains(RegionHandle region, std::int32_t x, std::int32_t y) {
    std::span<const RegionSpan> spans = regionRowSpans(region, y);
    auto span =
        std::upper_bound(spans.begin(), spans.end(), x,
                         [](std::int32_t col, const RegionSpan& s) { return col < s.right; });
    return span != spans.end() && x >= span->left;
}

RegionKind regionBox(RegionHandle region, RegionRect& box) {
    box = RegionRect{0, 0, 0, 0};
    const RegionData* data = regionDataOf(region);
    if (data == nullptr) {
        return RegionKind::Error;
    }
    if (data->bands.empty()) {
        return RegionKind::Empty;
    }
    box = {data->spans.front().left, data->bands.front().top, data->spans.front().right,
           data->bands.back().bottom};
    for (const RegionBand& band : data->bands) {
        std::span<const RegionSpan> spans = data->spansOf(band);
        box.left = std::min(box.left, spans.front().left);
        box.right = std::max(box.right, spans.back().right);
    }
    return kindOf(*data);
}

RegionKind regionKind(RegionHandle region) {
    const RegionData* data = regionDataOf(region);
    return data == nullptr ? RegionKind::Error : kindOf(*data);
}

bool regionsEqual(RegionHandle first, RegionHandle second) {
    const RegionData* a = regionDataOf(first);
    const RegionData* b = regionDataOf(second);
    return a != nullptr && b != nullptr && *a == *b;
}

void deleteRegion(RegionHandle region) {
    if (regionDataOf(region) == nullptr) {
        return;
    }
    region->magic = 0;
    delete region;
}

} // namespace platform
