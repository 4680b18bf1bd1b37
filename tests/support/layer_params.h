// Layer operation records as the program fills them.
#pragma once

#include "correction_params.h"

inline TLayerParams layerParams(TestImage& source, void* dest, std::vector<TLayerSample>& samples,
                                TImageRegion* region = nullptr) {
    TLayerParams p{};
    p.Size = sizeof(TLayerParams);
    p.Image = source.desc();
    p.Dest = dest;
    p.Samples = samples.empty() ? nullptr : samples.data();
    p.SampleCount = static_cast<int32_t>(samples.size());
    p.Region = region;
    return p;
}

inline TLayerParams withColor(TLayerParams p, const Pixel& color) {
    for (int c = 0; c < 4; ++c) {
        p.Value.Color[c] = color[c];
    }
    return p;
}

inline TLayerParams withPasses(TLayerParams p, int passes) {
    p.Value.Passes = passes;
    return p;
}
