// Correction records as the program fills them: white and black point modes 2, levels 255
// and 0 with target mode 1, no gamma.
#pragma once

#include "test_image.h"

#include "tintworks.h"

#include <vector>

inline TRefArea refArea(int left, int top, int right, int bottom, int refClass) {
    return TRefArea{left, top, right, bottom, 0, refClass, 0};
}

inline TCorrectionParams correctionParams(TestImage& source, void* dest,
                                          std::vector<TRefArea>& areas) {
    TCorrectionParams p{};
    p.Size = sizeof(TCorrectionParams);
    p.Image = source.desc();
    p.Dest = dest;
    p.Auto = 0;
    p.RefAreas = areas.empty() ? nullptr : areas.data();
    p.RefCount = static_cast<int32_t>(areas.size());
    p.WhiteMode = 2;
    p.BlackMode = 2;
    for (int i = 0; i < 4; ++i) {
        p.LightLevel[i] = 255;
        p.DarkLevel[i] = 0;
    }
    p.WhiteTargetMode = 1;
    p.BlackTargetMode = 1;
    p.ColorMode = TWK_COLOR_MODE_COLOR;
    p.Gamma = 1.0;
    return p;
}

inline TLayerSample layerSample(TestImage& image, int left, int top, int right, int bottom,
                                int range, TWKRegionHandle region = nullptr) {
    return TLayerSample{TImageRegion{left, top, right, bottom, region}, image.desc(), range};
}
