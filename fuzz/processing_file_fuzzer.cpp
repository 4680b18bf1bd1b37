// Feeds arbitrary bytes to the processing-file reader. Whatever it accepts must write back to
// the same body, and must replay on a small picture without harm.
#include "processing_file.h"
#include "replay.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class VectorSink : public tintworks::ByteSink {
public:
    bool write(const void* data, std::size_t size) override {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        out.insert(out.end(), bytes, bytes + size);
        return true;
    }
    std::vector<std::uint8_t> out;
};

// Small enough to keep every input fast: hostile files may ask for billions of passes.
bool cheapToReplay(std::int32_t type, const tintworks::TRepeatBase& processing) {
    if (type == TWK_OP_COLOR_FILTER) {
        const auto& filter = static_cast<const tintworks::TRepeatLayerJpegFilter&>(processing);
        return filter.passes <= 3 && filter.bounds.size() <= 8;
    }
    if (type == TWK_OP_LAYER_CORRECTION) {
        return static_cast<const tintworks::TRepeatLayerCorrection&>(processing).bounds.size() <= 8;
    }
    if (type != TWK_OP_IMAGE_CORRECTION) {
        return static_cast<const tintworks::TRepeatLayerTransformation&>(processing)
                   .bounds.size() <= 8;
    }
    return true;
}

void replayOnPicture(std::int32_t type, const tintworks::TRepeatBase& processing) {
    std::uint8_t pixels[4 * 12];
    for (std::size_t i = 0; i < sizeof pixels; ++i) {
        pixels[i] = static_cast<std::uint8_t>(i * 37);
    }
    const TImageDesc desc{4, 4, 12, TWK_ROWS_BOTTOM_UP, 3, pixels};
    tintworks::replayProcessing(type, processing,
                                {*tintworks::viewOf(desc), pixels, nullptr, nullptr});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tintworks::MemorySource source({data, size});
    std::int32_t type = -1;
    std::unique_ptr<tintworks::TRepeatBase> processing;
    if (tintworks::readProcessing(source, type, processing) != TWK_OK) {
        if (processing) {
            std::abort(); // a failed read must hand back nothing
        }
        return 0;
    }
    VectorSink sink;
    if (!tintworks::writeProcessing(sink, type, *processing)) {
        std::abort();
    }
    const std::size_t consumed = size - static_cast<std::size_t>(source.remaining());
    // The header's padding and version are not kept; everything else must come back as read.
    if (sink.out.size() != consumed || std::memcmp(sink.out.data(), data, 9) != 0 ||
        std::memcmp(sink.out.data() + 16, data + 16, consumed - 16) != 0) {
        std::abort();
    }
    if (cheapToReplay(type, *processing)) {
        replayOnPicture(type, *processing);
    }
    return 0;
}
