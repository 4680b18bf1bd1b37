// The operations behind TWKDoImageOperation, one per source file.
#pragma once

#include "replay.h"
#include "tintworks.h"

#include <cstdint>
#include <memory>

namespace tintworks {

// Runs a freshly measured processing of operation `type`, as a repeat of it would, and on
// success keeps it in the repeat slot of `type`: so an operation and its repeats give the same
// pixels by construction.
int runAndKeep(std::int32_t type, std::unique_ptr<TRepeatBase> processing,
               const ReplayTarget& target);

// Operation 0: measures the references, builds the curves and corrects the whole image or
// the limiting region; keeps curves and gamma in repeat slot 0 on success.
int imageCorrection(const TCorrectionParams& params, TProgressProc progress);

// Operation 1: as operation 0, but only the pixels of the layer found from the samples
// change; keeps curves, gamma and layer boxes in repeat slot 1 on success.
int layerCorrection(const TCorrectionParams& params, TProgressProc progress);

// Operations 2, 3 and 4: colour replacement, filling or transfer of the layer found from the
// samples; keeps the colour and the layer boxes in the slot of `type` on success.
int layerTransformation(std::int32_t type, const TLayerParams& params, TProgressProc progress);

// Operation 5: greys the pixels whose colour fits one of the marked pixels, in the given number
// of passes (below 1: TWK_NO_MEMORY, nothing done); keeps passes and boxes in slot 5.
int colorFilter(const TLayerParams& params, TProgressProc progress);

// Operation 6: the light or dark sample of a rectangle, written to params.Color.
int colorSample(TColorSampleParams& params);

// The typical colour of a rectangle, written to params.Color.
int extractImageColor(TExtractColorParams& params);

} // namespace tintworks
