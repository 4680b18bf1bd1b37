#include "picture_job.h"

#include "messages.h"

#include "platform/image_file.h"
#include "platform/memory_block.h"
#include "tintworks.h"

#include <filesystem>

namespace {

struct Block {
    platform::MemHandle handle = nullptr;
    ~Block() { platform::memFree(handle); }
};

} // namespace

std::string outputNameFor(const std::string& input, const std::string& folder,
                          const std::string& extension) {
    const std::filesystem::path in(input);
    std::filesystem::path name = in.stem();
    name += extension.empty() ? in.extension().string() : "." + extension;
    return (std::filesystem::path(folder) / name).string();
}

JobResult applyLoadedPreset(const std::string& input, const std::string& output,
                            std::uint32_t formatBits) {
    std::error_code error;
    if (std::filesystem::equivalent(input, output, error)) {
        return {false, "would overwrite the input"};
    }
    TImportExportParams read{};
    read.Size = sizeof read;
    read.Flags = IP_IMPORT;
    read.FileName = input.c_str();
    const int imported = ipImportInd(&read);
    if (imported != IP_OK) {
        return {false, imageFileMessage(imported)};
    }
    Block picture{static_cast<platform::MemHandle>(read.Bitmap)};
    const int corrected = TWKApplyPresetCorrection(picture.handle);
    if (corrected != TWK_OK) {
        return {false, engineMessage(corrected)};
    }
    TImportExportParams write{};
    write.Size = sizeof write;
    write.Flags = IP_EXPORT | formatBits;
    write.FileName = output.c_str();
    write.Bitmap = picture.handle;
    const int exported = ipExportInd(&write);
    if (exported != IP_OK) {
        return {false, imageFileMessage(exported)};
    }
    return {true, {}};
}
