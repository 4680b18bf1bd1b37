#include "apply_correction.h"

#include "gamma.h"

#include <cstring>

namespace tintworks {

namespace {

// The per-pixel work, specialised by pixel size and gamma so the inner loop has no branch.
// Pixels travel as words (channel 0 in the low byte), so a run of pixels costs few loads and
// stores besides the table look-ups.
template <int Channels, bool WithGamma>
struct PixelMapper {
    static constexpr int channels = Channels;
    const CurveTables& tables;
    const GammaTable* gamma;

    std::uint32_t mapWord(std::uint32_t pixel) const {
        std::uint32_t v[Channels];
        for (int c = 0; c < Channels; ++c) {
            v[c] = tables[c][(pixel >> (8 * c)) & 0xFF];
        }
        if constexpr (WithGamma) {
            std::uint32_t m = v[0];
            for (int c = 1; c < Channels; ++c) {
                m = v[c] > m ? v[c] : m;
            }
            const auto& scale = (*gamma)[m];
            for (int c = 0; c < Channels; ++c) {
                v[c] = scale[v[c]];
            }
        }
        std::uint32_t word = 0;
        for (int c = 0; c < Channels; ++c) {
            word |= v[c] << (8 * c);
        }
        return word;
    }

    void map(const std::uint8_t* src, std::uint8_t* dst) const {
        std::uint32_t pixel = 0;
        std::memcpy(&pixel, src, Channels);
        const std::uint32_t mapped = mapWord(pixel);
        std::memcpy(dst, &mapped, Channels);
    }

    // Four 3-byte pixels as one 8-byte and one 4-byte word, all read before any is written.
    void mapFour(const std::uint8_t* src, std::uint8_t* dst) const {
        std::uint64_t low;
        std::uint32_t high;
        std::memcpy(&low, src, 8);
        std::memcpy(&high, src + 8, 4);
        const std::uint64_t p0 = mapWord(static_cast<std::uint32_t>(low & 0xFFFFFF));
        const std::uint64_t p1 = mapWord(static_cast<std::uint32_t>((low >> 24) & 0xFFFFFF));
        const std::uint64_t p2 = mapWord(static_cast<std::uint32_t>((low >> 48) | (std::uint64_t{high} << 16)) & 0xFFFFFF);
        const std::uint32_t p3 = mapWord(high >> 8);
        const std::uint64_t outLow = p0 | (p1 << 24) | (p2 << 48);
        const std::uint32_t outHigh = static_cast<std::uint32_t>(p2 >> 16) | (p3 << 8);
        std::memcpy(dst, &outLow, 8);
        std::memcpy(dst + 8, &outHigh, 4);
    }

    void mapRun(const std::uint8_t* src, std::uint8_t* dst, std::int32_t count) const {
        std::int32_t i = 0;
        if constexpr (Channels == 3) {
            for (; i + 4 <= count; i += 4, src += 12, dst += 12) {
                mapFour(src, dst);
            }
        }
        for (; i < count; ++i, src += Channels, dst += Channels) {
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
