#include "picture_job.h"

#include "messages.h"

#include "platform/image_file.h"
#include "platform/memory_block.h"
#include "tintworks.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <filesystem>

namespace {

struct Block {
    platform::MemHandle handle = nullptr;
    ~Block() { platform::memFree(handle); }
};

volatile std::sig_atomic_t fileSizeLimitReached = 0;

extern "C" void noteFileSizeLimit(int) {
    fileSizeLimitReached = 1;
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

JobResult writePicture(const Block& picture, const PictureJob& job) {
    TImportExportParams write{};
    write.Size = sizeof write;
    write.Flags = IP_EXPORT | job.formatBits;
    write.FileName = job.output.c_str();
    write.Bitmap = picture.handle;
    const int exported = ipExportInd(&write);
    if (fileSizeLimitReached != 0) {
        return {JobStatus::Failed, "the file size limit (ulimit -f) was reached", SIGXFSZ};
    }
    if (exported != IP_OK) {
        return {JobStatus::Failed, imageFileMessage(exported)};
    }
    return {JobStatus::Corrected, {}};
}

} // namespace

std::uint32_t formatBitsFor(const std::string& output, int quality) {
    const std::string extension = lowerCase(std::filesystem::path(output).extension().string());
    return extension == ".jpg" || extension == ".jpeg"
               ? static_cast<std::uint32_t>(quality) << IP_JPEG_QUALITY_SHIFT
               : 0u;
}

void catchFileSizeLimit() {
    struct sigaction action {};
    action.sa_handler = noteFileSizeLimit;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGXFSZ, &action, nullptr);
}

JobResult applyLoadedPreset(const PictureJob& job) {
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
    const int corrected = TWKApplyPresetCorrection(picture.handle);
    if (corrected != TWK_OK) {
        return {JobStatus::Failed, engineMessage(corrected)};
    }
    JobResult written = writePicture(picture, job);
    if (written.status == JobStatus::Corrected && imported == IP_INCOMPLETE) {
        written = {JobStatus::CorrectedIncomplete, imageFileMessage(imported)};
    }
    return written;
}
