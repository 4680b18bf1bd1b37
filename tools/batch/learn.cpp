#include "learn.h"

#include "area_measurement.h"
#include "correction_report.h"
#include "locked_picture.h"
#include "messages.h"
#include "reference_correction.h"
#include "upright_picture.h"

#include "platform/image_file.h"
#include "platform/memory_block.h"
#include "tintworks.h"

#include <cstring>
#include <iostream>
#include <vector>

namespace {

struct OwnedBlock {
    platform::MemHandle handle = nullptr;
    ~OwnedBlock() { platform::memFree(handle); }
};

// The picture upright, as the program shows it; an empty string or what went wrong.
std::string readUpright(const std::string& name, OwnedBlock& picture) {
    TImportExportParams read{};
    read.Size = sizeof read;
    read.Flags = IP_IMPORT;
    read.FileName = name.c_str();
    const int imported = ipImportInd(&read);
    if (imported == IP_OK || imported == IP_INCOMPLETE) {
        picture.handle = static_cast<platform::MemHandle>(read.Bitmap);
    }
    // The reference areas may lie in the part of an incomplete file that is missing: refused.
    if (imported != IP_OK) {
        return imageFileMessage(imported);
    }
    return turnUpright(picture.handle, name) ? std::string() : imageFileMessage(IP_NO_MEMORY);
}

bool changesNoPixel(const LockedPicture& picture, const std::vector<std::uint8_t>& corrected) {
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width()) * 3;
    for (int row = 0; row < picture.height(); ++row) {
        const std::size_t at = static_cast<std::size_t>(row) * picture.stride();
        if (std::memcmp(picture.pixels() + at, corrected.data() + at, rowBytes) != 0) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> clippingWarnings(const LockedPicture& picture,
                                          const std::vector<ReferenceArea>& areas) {
    std::vector<std::string> warnings;
    for (const ReferenceArea& area : areas) {
        if (std::string warning = clippingWarning(picture, area); !warning.empty()) {
            warnings.push_back(std::move(warning));
        }
    }
    return warnings;
}

LearnStatus reportWarnings(const std::vector<std::string>& warnings, const LearnRequest& request) {
    for (const std::string& warning : warnings) {
        std::cerr << "huemark-batch: warning: " << warning << "\n";
    }
    if (warnings.empty() || request.force) {
        return LearnDone;
    }
    if (!request.dryRun) {
        std::cerr << "huemark-batch: nothing was written; choose other areas, or give --force to "
                     "write the processing file anyway\n";
    }
    return LearnWarned;
}

LearnStatus failed(const std::string& name, const std::string& problem) {
    std::cerr << "huemark-batch: " << name << ": " << problem << "\n";
    return LearnFailed;
}

} // namespace

LearnStatus runLearn(const LearnRequest& request) {
    OwnedBlock block;
    if (const std::string problem = readUpright(request.picture, block); !problem.empty()) {
        return failed(request.picture, problem);
    }
    const LockedPicture picture(block.handle);
    std::string problem;
    const std::vector<ReferenceArea> areas =
        placeAreas(request.choice, picture.width(), picture.height(), problem);
    if (!problem.empty()) {
        return failed(request.picture, problem);
    }
    std::vector<std::string> warnings = clippingWarnings(picture, areas);
    std::vector<std::uint8_t> corrected(picture.pixelBytes());
    const int result = runReferenceCorrection(request.choice, areas, picture, corrected.data());
    if (result != TWK_OK) {
        return failed(request.picture, engineMessage(result));
    }
    if (changesNoPixel(picture, corrected)) {
        warnings.push_back("the processing changes no pixel of " + request.picture);
    }
    if (request.dryRun) {
        std::cout << request.picture << ": " << picture.width() << " x " << picture.height()
                  << " pixels\n";
        printCorrectionReport(std::cout, picture, areas, request.choice.autoPoints);
        std::cout << "--dry-run: nothing was written\n";
    }
    const LearnStatus warned = reportWarnings(warnings, request);
    if (warned != LearnDone || request.dryRun) {
        return warned;
    }
    const int saved = TWKSaveLastProcessing(request.output.c_str(), TWK_OP_IMAGE_CORRECTION);
    return saved == TWK_OK ? LearnDone : failed(request.output, engineMessage(saved));
}
