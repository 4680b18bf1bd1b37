#include "repeat_objects.h"

#include "gamma.h"

#include <new>

namespace tintworks {

namespace {

void release(std::vector<LayerBounds>& bounds) {
    std::vector<LayerBounds>().swap(bounds);
}

// A count, then that many 12-byte boxes. The count is checked against the bytes that are
// left before anything is allocated, so a lying count cannot ask for more memory than the
// file could fill.
bool readBounds(ByteSource& source, std::vector<LayerBounds>& bounds) {
    std::int32_t count = 0;
    if (!source.readValue(count) || count < 0 ||
        static_cast<std::uint64_t>(count) * sizeof(LayerBounds) > source.remaining()) {
        return false;
    }
    try {
        bounds.resize(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return source.read(bounds.data(), bounds.size() * sizeof(LayerBounds));
}

bool writeBounds(ByteSink& sink, const std::vector<LayerBounds>& bounds) {
    const auto count = static_cast<std::int32_t>(bounds.size());
    return sink.writeValue(count) && sink.write(bounds.data(), bounds.size() * sizeof(LayerBounds));
}

// A gamma no program writes (not a number, infinite, zero or below) marks a damaged file.
bool readTables(ByteSource& source, CurveTables& tables, double& gamma) {
    return source.read(tables.data(), sizeof tables) && source.readValue(gamma) &&
           isUsableGamma(gamma);
}

bool writeTables(ByteSink& sink, const CurveTables& tables, double gamma) {
    return sink.write(tables.data(), sizeof tables) && sink.writeValue(gamma);
}

} // namespace

bool TRepeatColorCorrection::ReadData(ByteSource& source) {
    return readTables(source, tables, gamma);
}

bool TRepeatColorCorrection::WriteData(ByteSink& sink) const {
    return writeTables(sink, tables, gamma);
}

void TRepeatLayerCorrection::Clear() {
    TRepeatBase::Clear();
    release(bounds);
}

bool TRepeatLayerCorrection::ReadData(ByteSource& source) {
    return readTables(source, tables, gamma) && readBounds(source, bounds);
}

bool TRepeatLayerCorrection::WriteData(ByteSink& sink) const {
    return writeTables(sink, tables, gamma) && writeBounds(sink, bounds);
}

void TRepeatLayerTransformation::Clear() {
    TRepeatBase::Clear();
    release(bounds);
}

bool TRepeatLayerTransformation::ReadData(ByteSource& source) {
    return source.read(color.data(), color.size()) && readBounds(source, bounds);
}

bool TRepeatLayerTransformation::WriteData(ByteSink& sink) const {
    return sink.write(color.data(), color.size()) && writeBounds(sink, bounds);
}

void TRepeatLayerJpegFilter::Clear() {
    TRepeatBase::Clear();
    release(bounds);
}

// A pass count outside 0..TWK_MAX_FILE_PASSES (one flipped bit can make it 0x7FFFFFFF) marks
// a damaged file rather than a replay that runs for hours. No passes replays as nothing.
bool TRepeatLayerJpegFilter::ReadData(ByteSource& source) {
    return source.readValue(passes) && passes >= 0 && passes <= TWK_MAX_FILE_PASSES &&
           readBounds(source, bounds);
}

bool TRepeatLayerJpegFilter::WriteData(ByteSink& sink) const {
    return sink.writeValue(passes) && writeBounds(sink, bounds);
}

std::unique_ptr<TRepeatBase> newRepeatObject(std::int32_t type) {
    switch (type) {
    case TWK_OP_IMAGE_CORRECTION:
        return std::make_unique<TRepeatColorCorrection>();
    case TWK_OP_LAYER_CORRECTION:
        return std::make_unique<TRepeatLayerCorrection>();
    case TWK_OP_LAYER_REPLACE_COLOR:
    case TWK_OP_LAYER_FILL:
    case TWK_OP_LAYER_TRANSFER:
        return std::make_unique<TRepeatLayerTransformation>();
    case TWK_OP_COLOR_FILTER:
        return std::make_unique<TRepeatLayerJpegFilter>();
    default:
        return nullptr;
    }
}

} // namespace tintworks
