#include "presets.h"

#include "processing_file.h"
#include "replay.h"

#include "platform/memory_block.h"
#include "platform/packed_bitmap.h"

#include <cstring>

namespace tintworks {

namespace {

struct Preset {
    std::unique_ptr<TRepeatBase> processing;
    std::int32_t type = 0;
};

Preset& preset() {
    static Preset slot;
    return slot;
}

constexpr std::uint32_t standardHeaderSize = 40;

// Keeps a block locked for the lifetime of the object.
class LockedBlock {
public:
    explicit LockedBlock(platform::MemHandle handle)
        : handle_(handle), data_(static_cast<std::uint8_t*>(platform::memLock(handle))) {}
    ~LockedBlock() {
        if (data_ != nullptr) {
            platform::memUnlock(handle_);
        }
    }
    LockedBlock(const LockedBlock&) = delete;
    LockedBlock& operator=(const LockedBlock&) = delete;

    std::uint8_t* data() const { return data_; }
    std::size_t size() const { return platform::memSize(handle_); }

private:
    platform::MemHandle handle_;
    std::uint8_t* data_;
};

int replayOnBitmap(const Preset& loaded, const LockedBlock& block) {
    BITMAPINFOHEADER header{};
    if (block.size() < standardHeaderSize) {
        return TWK_INVALID_PARAMS;
    }
    std::memcpy(&header, block.data(), sizeof header);
    if (header.biBitCount != 24 || header.biSize < standardHeaderSize) {
        return TWK_INVALID_PARAMS;
    }
    if (header.biHeight <= 0) {
        return TWK_OK; // a top-down or empty bitmap has no bottom-up rows to process
    }
    if (header.biWidth <= 0) {
        return TWK_INVALID_PARAMS;
    }
    const std::int64_t stride = (std::int64_t{header.biWidth} * 24 + 31) / 32 * 4;
    const std::uint64_t needed =
        std::uint64_t{header.biSize} +
        static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(header.biHeight);
    if (stride > INT32_MAX || needed > block.size()) {
        return TWK_INVALID_PARAMS;
    }
    std::uint8_t* rows = block.data() + header.biSize;
    const TImageDesc desc{header.biWidth,
                          header.biHeight,
                          static_cast<std::int32_t>(stride),
                          TWK_ROWS_BOTTOM_UP,
                          3,
                          rows};
    return replayProcessing(loaded.type, *loaded.processing,
                            {*viewOf(desc), rows, nullptr, nullptr});
}

} // namespace

int setPresetFile(const char* fileName) {
    Preset& slot = preset();
    slot = Preset{};
    std::int32_t type = 0;
    std::unique_ptr<TRepeatBase> loaded;
    const int result = loadProcessingFile(fileName, type, loaded);
    if (result == TWK_OK) {
        slot = Preset{std::move(loaded), type};
    }
    return result;
}

int applyPreset(TWKMemHandle bitmap) {
    const Preset& loaded = preset();
    if (!loaded.processing) {
        return TWK_NO_PRESET;
    }
    if (bitmap == nullptr) {
        return TWK_INVALID_PARAMS;
    }
    const LockedBlock block(static_cast<platform::MemHandle>(bitmap));
    if (block.data() == nullptr) {
        return TWK_INVALID_PARAMS;
    }
    return replayOnBitmap(loaded, block);
}

} // namespace tintworks
