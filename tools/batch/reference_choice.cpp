#include "reference_choice.h"

#include <algorithm>

namespace {

std::int32_t measureModeOf(AreaRole role, const ReferenceChoice& choice) {
    const bool point = role == AreaRole::White || role == AreaRole::Black;
    return static_cast<std::int32_t>(point ? choice.measure.value_or(PointMeasure::Average)
                                           : PointMeasure::Average);
}

} // namespace

bool hasReferenceArea(const ReferenceChoice& choice) {
    return choice.neutral || choice.white || choice.black || choice.grey;
}

std::vector<ReferenceArea> placeAreas(const ReferenceChoice& choice, int width, int height,
                                      std::string& problem) {
    const std::pair<AreaRole, const std::optional<ReferenceRectangle>*> given[] = {
        {AreaRole::Neutral, &choice.neutral},
        {AreaRole::White, &choice.white},
        {AreaRole::Black, &choice.black},
        {AreaRole::Grey, &choice.grey},
    };
    std::vector<ReferenceArea> areas;
    for (const auto& [role, rectangle] : given) {
        if (!rectangle->has_value()) {
            continue;
        }
        const ReferenceRectangle& r = **rectangle;
        problem = rectangleProblem(r, width, height);
        if (!problem.empty()) {
            return {};
        }
        areas.push_back({role, r.source + " " + r.text, inPixels(r, width, height),
                         measureModeOf(role, choice)});
    }
    return areas;
}

const ReferenceArea* areaOfRole(const std::vector<ReferenceArea>& areas, AreaRole role) {
    const auto found = std::find_if(areas.begin(), areas.end(),
                                    [&](const ReferenceArea& a) { return a.role == role; });
    return found == areas.end() ? nullptr : &*found;
}
