#include "apply_correction.h"

#include "gamma.h"

#include <cstring>

namespace tintworks {

namespace {

// The per-pixel work, specialised by pixel size and gamma so the inner loop has no branch.
template <int Channels, bool WithGamma>
struct PixelMapper {
    static constexpr int channels = Channels;
    const CurveTables& tables;
    const GammaTable* gamma;

    void map(const std::uint8_t* src, std::uint8_t* dst) const {
        std::uint8_t v[Channels];
        for (int c = 0; c < Channels; ++c) {
            v[c] = tables[c][src[c]];
        }
        if constexpr (WithGamma) {
            std::uint8_t m = v[0];
            for (int c = 1; c < Channels; ++c) {
                m = v[c] > m ? v[c] : m;
            }
            const auto& scale = (*gamma)[m];
            for (int c = 0; c < Channels; ++c) {
                v[c] = scale[v[c]];
            }
        }
        for (int c = 0; c < Channels; ++c) {
            dst[c] = v[c];
        }
    }

    void mapRun(const std::uint8_t* src, std::uint8_t* dst, std::int32_t count) const {
        for (std::int32_t i = 0; i < count; ++i, src += Channels, dst += Channels) {
            map(src, dst);
        }
    }
};

void copyRun(const std::uint8_t* src, std::uint8_t* dst, std::size_t bytes) {
    if (src != dst) {
        std::memmove(dst, src, bytes);
    }
}

// One row under a mask: whole bytes of set or clear bits take the fast paths.
template <typename Mapper, int Channels = Mapper::channels>
void mapMaskedRow(const Mapper& mapper, const std::uint8_t* bits,
                  const std::uint8_t* src, std::uint8_t* dst, std::int32_t width) {
    for (std::int32_t x = 0; x < width; x += 8) {
        const std::int32_t count = width - x < 8 ? width - x : 8;
        const std::uint8_t byte = bits[x >> 3];
        const std::uint8_t* s = src + x * Channels;
        std::uint8_t* d = dst + x * Channels;
        if (byte == 0xFF && count == 8) {
            mapper.mapRun(s, d, 8);
        } else if (byte == 0) {
            copyRun(s, d, static_cast<std::size_t>(count) * Channels);
        } else {
            for (std::int32_t i = 0; i < count; ++i, s += Channels, d += Channels) {
                if ((byte & (0x80u >> i)) != 0) {
                    mapper.map(s, d);
                } else {
                    copyRun(s, d, Channels);
                }
            }
        }
    }
}

template <typename Mapper>
int applyRows(const ImageView& source, const ImageView& dest, const BitMask* mask,
              const Mapper& mapper, TProgressProc progress) {
    for (std::int32_t y = 0; y < source.height; ++y) {
        const std::uint8_t* src = source.row(y);
        std::uint8_t* dst = dest.row(y);
        if (mask == nullptr) {
            mapper.mapRun(src, dst, source.width);
        } else {
            mapMaskedRow(mapper, mask->row(y), src, dst, source.width);
        }
        if (progress != nullptr && progress(static_cast<double>(y + 1) / source.height) == 0) {
            return TWK_CANCELLED;
        }
    }
    return TWK_OK;
}

} // namespace

int applyCorrection(const ImageView& source, void* destination, const BitMask* mask,
                    const CurveTables& tables, double gamma, TProgressProc progress) {
    if (destination == nullptr || !isUsableGamma(gamma)) {
        return TWK_INVALID_PARAMS;
    }
    std::unique_ptr<GammaTable> gammaTable;
    if (gamma != 1.0) {
        gammaTable = buildGammaTable(static_cast<float>(gamma));
        if (!gammaTable) {
            return TWK_NO_MEMORY;
        }
    }
    const ImageView dest = source.withPixels(destination);
    const GammaTable* g = gammaTable.get();
    if (source.bytesPerPixel == 4) {
        return g != nullptr ? applyRows(source, dest, mask, PixelMapper<4, true>{tables, g}, progress)
                            : applyRows(source, dest, mask, PixelMapper<4, false>{tables, g}, progress);
    }
    return g != nullptr ? applyRows(source, dest, mask, PixelMapper<3, true>{tables, g}, progress)
                        : applyRows(source, dest, mask, PixelMapper<3, false>{tables, g}, progress);
}

} // namespace tintworks
