#include "correct.h"

#include "area_list.h"
#include "area_measurement.h"
#include "locked_picture.h"
#include "messages.h"
#include "reference_correction.h"

#include "tintworks.h"

#include <iostream>
#include <set>

namespace {

// The rectangle of every input, the inputs taken from the list when there is one; false when
// the list cannot be used.
bool collectRectangles(CorrectRequest& request, std::vector<ReferenceRectangle>& rectangles) {
    if (request.areaList.empty()) {
        rectangles.assign(request.series.inputs.size(), *request.neutral);
        return true;
    }
    std::string problem;
    const std::optional<std::vector<ListedPicture>> listed =
        readAreaList(request.areaList, problem);
    if (!listed) {
        std::cerr << "huemark-batch: " << problem << "\n";
        return false;
    }
    for (const ListedPicture& picture : *listed) {
        request.series.inputs.push_back(picture.picture);
        rectangles.push_back(picture.rectangle);
    }
    return true;
}

// Each problem once: --neutral gives every input the same rectangle.
bool reportUnusableRectangles(const std::vector<ReferenceRectangle>& rectangles) {
    std::set<std::string> problems;
    for (const ReferenceRectangle& rectangle : rectangles) {
        if (std::string problem = rectangleProblemOnAnyPicture(rectangle);
            !problem.empty() && problems.insert(problem).second) {
            std::cerr << "huemark-batch: " << problem << "\n";
        }
    }
    return !problems.empty();
}

std::string correctByNeutralArea(platform::MemHandle block, const ReferenceRectangle& rectangle,
                                 bool force) {
    const LockedPicture picture(block);
    ReferenceChoice choice;
    choice.neutral = rectangle;
    std::string problem;
    const std::vector<ReferenceArea> areas =
        placeAreas(choice, picture.width(), picture.height(), problem);
    if (!problem.empty()) {
        return problem;
    }
    if (const std::string clipped = clippingWarning(picture, areas.front());
        !clipped.empty() && !force) {
        return clipped + "; not corrected (--force corrects it anyway)";
    }
    const int corrected = runReferenceCorrection(choice, areas, picture, picture.pixels());
    return corrected == TWK_OK ? std::string() : engineMessage(corrected);
}

} // namespace

int runCorrect(CorrectRequest request) {
    std::vector<ReferenceRectangle> rectangles;
    if (!collectRectangles(request, rectangles) || reportUnusableRectangles(rectangles)) {
        return 2;
    }
    const SeriesWork work{
        .prepare = [] { return true; },
        .correct =
            [&](std::size_t i, const PictureJob& job) {
                return correctPicture(job, [&](platform::MemHandle picture) {
                    return correctByNeutralArea(picture, rectangles[i], request.force);
                });
            },
    };
    return runSeries(request.series, work);
}
