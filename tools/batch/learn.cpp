#include "learn.h"

#include "messages.h"
#include "upright_picture.h"

#include "platform/image_file.h"
#include "platform/memory_block.h"
#include "tintworks.h"

#include <cstring>
#include <vector>

namespace {

TRefArea areaOf(const RectangleOption& r, int refClass) {
    return TRefArea{r[0], r[1], r[2], r[3], 0, refClass, 0};
}

} // namespace

std::string learnProcessing(const LearnRequest& request) {
    TImportExportParams read{};
    read.Size = sizeof read;
    read.Flags = IP_IMPORT;
    read.FileName = request.picture.c_str();
    const int imported = ipImportInd(&read);
    if (imported == IP_INCOMPLETE) {
        // The reference areas may lie in the part that is missing: refused, and the part that
        // was read is ours to free.
        platform::memFree(static_cast<platform::MemHandle>(read.Bitmap));
    }
    if (imported != IP_OK) {
        return request.picture + ": " + imageFileMessage(imported);
    }
    auto block = static_cast<platform::MemHandle>(read.Bitmap);
    if (!turnUpright(block, request.picture)) {
        platform::memFree(block);
        return request.picture + ": " + imageFileMessage(IP_NO_MEMORY);
    }
    auto* data = static_cast<std::uint8_t*>(platform::memLock(block));
    std::int32_t width = 0, height = 0;
    std::memcpy(&width, data + 4, 4);
    std::memcpy(&height, data + 8, 4);

    // The records the program builds for an image correction: white and black point mode 2,
    // pure white and black targets.
    std::vector<TRefArea> areas;
    if (request.white) {
        areas.push_back(areaOf(*request.white, TWK_REF_WHITE));
    }
    if (request.black) {
        areas.push_back(areaOf(*request.black, TWK_REF_BLACK));
    }
    if (request.grey) {
        areas.push_back(areaOf(*request.grey, TWK_REF_GREY));
    }
    TCorrectionParams params{};
    params.Size = sizeof params;
    params.Image =
        TImageDesc{width, height, (width * 24 + 31) / 32 * 4, TWK_ROWS_BOTTOM_UP, 3, data + 40};
    params.Dest = data + 40;
    params.Auto = request.autoPoints ? -1 : 0;
    params.RefAreas = areas.empty() ? nullptr : areas.data();
    params.RefCount = static_cast<std::int32_t>(areas.size());
    params.WhiteMode = 2;
    params.BlackMode = 2;
    std::memset(params.LightLevel, 255, 4);
    params.WhiteTargetMode = 1;
    params.BlackTargetMode = 1;
    params.Gamma = request.gamma;
    const int corrected = TWKDoImageOperation(TWK_OP_IMAGE_CORRECTION, &params, nullptr);
    platform::memUnlock(block);
    platform::memFree(block);
    if (corrected != TWK_OK) {
        return request.picture + ": " + engineMessage(corrected);
    }
    const int saved = TWKSaveLastProcessing(request.output.c_str(), TWK_OP_IMAGE_CORRECTION);
    return saved == TWK_OK ? std::string() : request.output + ": " + engineMessage(saved);
}
