// What the engine keeps of the last successful processing of each operation, so that it
// can be applied again to another image or written to a processing file.
#pragma once

#include "byte_stream.h"
#include "curves.h"
#include "image_view.h"
#include "layer_bounds.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tintworks {

constexpr TWKBool twkTrue = -1;
constexpr TWKBool twkFalse = 0;

class TRepeatBase {
public:
    TRepeatBase() = default;
    TRepeatBase(const TRepeatBase&) = delete;
    TRepeatBase& operator=(const TRepeatBase&) = delete;
    virtual ~TRepeatBase() = default;

    // Forgets the stored processing.
    virtual void Clear() { available = twkFalse; }
    // Reads the body of a processing file; false when it is truncated or inconsistent, in
    // which case the object must be discarded.
    virtual bool ReadData(ByteSource& source) = 0;
    // Writes the body of a processing file.
    virtual bool WriteData(ByteSink& sink) const = 0;

    TWKBool available = twkFalse;
};

// Operation 0: the channel curves and the gamma.
class TRepeatColorCorrection : public TRepeatBase {
public:
    bool ReadData(ByteSource& source) override;
    bool WriteData(ByteSink& sink) const override;

    CurveTables tables = identityTables();
    double gamma = 1.0;
};

// Operation 1: the curves, the gamma and the layer boxes.
class TRepeatLayerCorrection : public TRepeatBase {
public:
    void Clear() override;
    bool ReadData(ByteSource& source) override;
    bool WriteData(ByteSink& sink) const override;

    CurveTables tables = identityTables();
    double gamma = 1.0;
    std::vector<LayerBounds> bounds;
};

// Operations 2 to 4: the colour and the layer boxes.
class TRepeatLayerTransformation : public TRepeatBase {
public:
    void Clear() override;
    bool ReadData(ByteSource& source) override;
    bool WriteData(ByteSink& sink) const override;

    Color4 color{};
    std::vector<LayerBounds> bounds;
};

// Operation 5: the number of passes and the layer boxes.
class TRepeatLayerJpegFilter : public TRepeatBase {
public:
    void Clear() override;
    bool ReadData(ByteSource& source) override;
    bool WriteData(ByteSink& sink) const override;

    std::int32_t passes = 0;
    std::vector<LayerBounds> bounds;
};

// A new, empty repeat object of the class that holds operation `type` (0..5); null for
// another type.
std::unique_ptr<TRepeatBase> newRepeatObject(std::int32_t type);

} // namespace tintworks
