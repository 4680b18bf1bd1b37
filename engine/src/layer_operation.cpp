#include "layer_operation.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tintworks {

namespace {

// What each operation makes of one pixel: the per-pixel work is a table look-up or a choice
// between the pixel and the colour, fixed at compile time so the row loop has no switch.
template <int Channels> struct Recolouring {
    Color4 color;
    // Colour replacement by the pixel's largest channel m: Trunc(colour[c] * (m / cmax)).
    std::array<Color4, 256> replacement;

    Recolouring(const Color4& colour, int colorMax) : color(colour) {
        const double divisor = colorMax == 0 ? 1.0 : colorMax;
        for (int m = 0; m < 256; ++m) {
            const double scale = m / divisor;
            for (int c = 0; c < Channels; ++c) {
                replacement[m][c] = static_cast<std::uint8_t>(std::trunc(colour[c] * scale));
            }
        }
    }
};

template <int Channels> std::uint8_t largestChannel(const std::uint8_t* v) {
    std::uint8_t m = v[0];
    for (int c = 1; c < Channels; ++c) {
        m = std::max(m, v[c]);
    }
    return m;
}

template <int Channels, LayerOperation Operation>
void applyToPixel(const Recolouring<Channels>& rule, std::uint8_t* v, bool inLayer) {
    if constexpr (Operation == LayerOperation::ReplaceColor) {
        if (inLayer) {
            const Color4& out = rule.replacement[largestChannel<Channels>(v)];
            std::copy_n(out.begin(), Channels, v);
        }
    } else if constexpr (Operation == LayerOperation::Fill) {
        if (inLayer) {
            std::copy_n(rule.color.begin(), Channels, v);
        }
    } else if constexpr (Operation == LayerOperation::Transfer) {
        if (!inLayer) {
            std::copy_n(rule.color.begin(), Channels, v);
        }
    } else if constexpr (Operation == LayerOperation::Grey) {
        if (inLayer) {
            std::fill_n(v, Channels, largestChannel<Channels>(v));
        }
    }
}

template <int Channels, LayerOperation Operation>
int applyRows(const ImageView& source, const ImageView& dest, const BitMask& mask,
              const Recolouring<Channels>& rule, TProgressProc progress) {
    for (std::int32_t y = 0; y < source.height; ++y) {
        const std::uint8_t* src = source.row(y);
        std::uint8_t* dst = dest.row(y);
        const std::uint8_t* bits = mask.row(y);
        for (std::int32_t x = 0; x < source.width; ++x, src += Channels, dst += Channels) {
            std::uint8_t work[Channels];
            std::copy_n(src, Channels, work);
            applyToPixel<Channels, Operation>(rule, work, (bits[x >> 3] >> (7 - (x & 7))) & 1);
            std::copy_n(work, Channels, dst);
        }
        if (progress != nullptr && progress(static_cast<double>(y + 1) / source.height) == 0) {
            return TWK_CANCELLED;
        }
    }
    return TWK_OK;
}

template <int Channels>
int applyOperation(const ImageView& source, const ImageView& dest, const BitMask& mask,
                   int operation, const Color4& color, TProgressProc progress) {
    const Recolouring<Channels> rule(color, maxChannel(color, Channels));
    switch (operation) {
    case static_cast<int>(LayerOperation::ReplaceColor):
        return applyRows<Channels, LayerOperation::ReplaceColor>(source, dest, mask, rule,
                                                                 progress);
    case static_cast<int>(LayerOperation::Fill):
        return applyRows<Channels, LayerOperation::Fill>(source, dest, mask, rule, progress);
    case static_cast<int>(LayerOperation::Transfer):
        return applyRows<Channels, LayerOperation::Transfer>(source, dest, mask, rule, progress);
    case static_cast<int>(LayerOperation::Grey):
        return applyRows<Channels, LayerOperation::Grey>(source, dest, mask, rule, progress);
    default:
        return applyRows<Channels, LayerOperation::None>(source, dest, mask, rule, progress);
    }
}

} // namespace

int applyLayerOperation(const ImageView& source, void* destination, const BitMask& mask,
                        int operation, const Color4& color, TProgressProc progress) {
    if (destination == nullptr) {
        return TWK_INVALID_PARAMS;
    }
    const ImageView dest = source.withPixels(destination);
    if (source.bytesPerPixel == 4) {
        return applyOperation<4>(source, dest, mask, operation, color, progress);
    }
    return applyOperation<3>(source, dest, mask, operation, color, progress);
}

} // namespace tintworks
