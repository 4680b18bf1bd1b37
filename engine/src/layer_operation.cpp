#include "layer_operation.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tintworks {

namespace {

// The new channels of one pixel; `inLayer` is its mask bit.
struct PixelRule {
    int operation;
    Color4 color;
    double colorMax;
    std::int32_t channels;

    void apply(std::uint8_t* px, bool inLayer) const {
        switch (operation) {
        case static_cast<int>(LayerOperation::ReplaceColor):
            if (inLayer) {
                const double scale = maxChannel(colorAt(px, channels), channels) / colorMax;
                for (std::int32_t c = 0; c < channels; ++c) {
                    px[c] = static_cast<std::uint8_t>(std::trunc(color[c] * scale));
                }
            }
            break;
        case static_cast<int>(LayerOperation::Fill):
            if (inLayer) {
                std::copy_n(color.begin(), channels, px);
            }
            break;
        case static_cast<int>(LayerOperation::Transfer):
            if (!inLayer) {
                std::copy_n(color.begin(), channels, px);
            }
            break;
        case static_cast<int>(LayerOperation::Grey):
            if (inLayer) {
                std::fill_n(px, channels, maxChannel(colorAt(px, channels), channels));
            }
            break;
        default:
            break;
        }
    }
};

} // namespace

int applyLayerOperation(const ImageView& source, void* destination, const BitMask& mask,
                        int operation, const Color4& color, TProgressProc progress) {
    if (destination == nullptr) {
        return TWK_INVALID_PARAMS;
    }
    const ImageView dest = source.withPixels(destination);
    const std::int32_t channels = source.bytesPerPixel;
    const int colorMax = maxChannel(color, channels);
    const PixelRule rule{operation, color, colorMax == 0 ? 1.0 : colorMax, channels};
    for (std::int32_t y = 0; y < source.height; ++y) {
        const std::uint8_t* src = source.row(y);
        std::uint8_t* dst = dest.row(y);
        for (std::int32_t x = 0; x < source.width; ++x, src += channels, dst += channels) {
            std::uint8_t work[4];
            std::memcpy(work, src, static_cast<std::size_t>(channels));
            rule.apply(work, mask.test(x, y));
            std::memcpy(dst, work, static_cast<std::size_t>(channels));
        }
        if (progress != nullptr && progress(static_cast<double>(y + 1) / source.height) == 0) {
            return TWK_CANCELLED;
        }
    }
    return TWK_OK;
}

} // namespace tintworks
