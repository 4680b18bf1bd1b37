#include "picture_job.h"

#include "messages.h"
#include "upright_picture.h"

#include "platform/image_file.h"
#include "platform/memory_block.h"
#include "platform/picture_format.h"
#include "platform/staged_picture_file.h"
#include "tintworks.h"

#include <csignal>
#include <filesystem>
#include <string_view>

namespace {

struct Block {
    platform::MemHandle handle = nullptr;
    ~Block() { platform::memFree(handle); }
};

volatile std::sig_atomic_t fileSizeLimitReached = 0;

extern "C" void noteFileSizeLimit(int) {
    fileSizeLimitReached = 1;
}

int exportPicture(const Block& picture, const std::string& name, std::uint32_t formatBits) {
    TImportExportParams write{};
    write.Size = sizeof write;
    write.Flags = IP_EXPORT | formatBits;
    write.FileName = name.c_str();
    write.Bitmap = picture.handle;
    return ipExportInd(&write);
}

JobResult resultOfExport(int exported) {
    if (exported != IP_OK) {
        return {JobStatus::Failed, imageFileMessage(exported)};
    }
    return {JobStatus::Corrected, {}};
}

// The metadata goes into a staging file after the pixels, and only a file complete in both
// replaces the output.
JobResult writeWithMetadata(const Block& picture, const PictureJob& job,
                            const platform::MetadataBlocks& metadata) {
    platform::StagedPictureFile staged(job.output);
    if (!staged.create()) {
        return resultOfExport(IP_CANNOT_OPEN);
    }
    if (const int exported = exportPicture(picture, staged.path(), job.formatBits);
        exported != IP_OK) {
        return resultOfExport(exported);
    }
    if (!platform::writePictureMetadata(staged.path(), metadata)) {
        return {JobStatus::Failed, "the metadata (EXIF, XMP, ICC profile) cannot be written"};
    }
    return resultOfExport(staged.commit() ? IP_OK : IP_CANNOT_OPEN);
}

JobResult writePicture(const Block& picture, const PictureJob& job,
                       const platform::MetadataBlocks& metadata) {
    const JobResult written =
        metadata.empty() || !platform::formatHoldsMetadata(job.output)
            ? resultOfExport(exportPicture(picture, job.output, job.formatBits))
            : writeWithMetadata(picture, job, metadata);
    if (fileSizeLimitReached != 0) {
        return {JobStatus::Failed, "the file size limit (ulimit -f) was reached", SIGXFSZ};
    }
    return written;
}

} // namespace

void catchFileSizeLimit() {
    struct sigaction action {};
    action.sa_handler = noteFileSizeLimit;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGXFSZ, &action, nullptr);
}

JobResult applyLoadedPreset(const PictureJob& job) {
    return correctPicture(job, [](platform::MemHandle picture) {
        const int corrected = TWKApplyPresetCorrection(picture);
        return corrected == TWK_OK ? std::string() : engineMessage(corrected);
    });
}

JobResult correctPicture(const PictureJob& job, const PictureCorrection& correction) {
    std::error_code error;
    if (std::filesystem::equivalent(job.input, job.output, error)) {
        return {JobStatus::Failed, "would overwrite the input"};
    }
    TImportExportParams read{};
    read.Size = sizeof read;
    read.Flags = IP_IMPORT;
    read.FileName = job.input.c_str();
    const int imported = ipImportInd(&read);
    if (imported != IP_OK && imported != IP_INCOMPLETE) {
        return {JobStatus::Failed, imageFileMessage(imported)};
    }
    Block picture{static_cast<platform::MemHandle>(read.Bitmap)};
    if (imported == IP_INCOMPLETE && !job.acceptIncomplete) {
        return {JobStatus::Failed, imageFileMessage(imported)};
    }
    const std::optional<platform::MetadataBlocks> metadata = turnUpright(picture.handle, job.input);
    if (!metadata) {
        return {JobStatus::Failed, imageFileMessage(IP_NO_MEMORY)};
    }
    if (std::string problem = correction(picture.handle); !problem.empty()) {
        return {JobStatus::Failed, std::move(problem)};
    }
    JobResult written = writePicture(picture, job, *metadata);
    if (written.status == JobStatus::Corrected && imported == IP_INCOMPLETE) {
        written = {JobStatus::CorrectedIncomplete, imageFileMessage(imported)};
    }
    return written;
}
