#include "apply_correction.h"

#include "gamma.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace tintworks {

namespace {

// The look-up tables of the pass as plain pointers, copied into registers by the loops: the
// pixel stores are byte stores that may alias any memory, so tables reached through a member
// would be reloaded after every store.
struct Lookup {
    const std::uint8_t* curve[4];
    const std::uint8_t* gamma; // 256 rows of 256 bytes, row m for pixels whose largest channel is m
};

// Maps pixels one at a time: all channels of a pixel are read before any is written, so the
// source and the destination may be the same buffer.
template <int Channels, bool WithGamma> struct PixelMapper {
    static constexpr int channels = Channels;
    Lookup lut;

    static void mapWith(const Lookup& l, const std::uint8_t* src, std::uint8_t* dst) {
        std::uint32_t v[Channels];
#pragma GCC unroll 4
        for (int c = 0; c < Channels; ++c) {
            v[c] = l.curve[c][src[c]];
        }
        if constexpr (WithGamma) {
            std::uint32_t m = v[0];
#pragma GCC unroll 4
            for (int c = 1; c < Channels; ++c) {
                m = std::max(m, v[c]);
            }
            const std::uint8_t* scale = l.gamma + (m << 8);
#pragma GCC unroll 4
            for (int c = 0; c < Channels; ++c) {
                v[c] = scale[v[c]];
            }
        }
#pragma GCC unroll 4
        for (int c = 0; c < Channels; ++c) {
            dst[c] = static_cast<std::uint8_t>(v[c]);
        }
    }

    void map(const std::uint8_t* src, std::uint8_t* dst) const {
        mapWith(lut, src, dst);
    }

    void mapRun(const std::uint8_t* src, std::uint8_t* dst, std::int32_t count) const {
        const Lookup l = lut;
        for (std::int32_t i = 0; i < count; ++i, src += Channels, dst += Channels) {
            mapWith(l, src, dst);
        }
    }
};

// For 3-byte pixels without gamma on large pictures: the curves of two neighbouring bytes
// combined into one table of 65536 entries, so four pixels (twelve bytes) cost six look-ups.
// The bytes run blue, green, red, blue, ..., which gives three kinds of pairs.
class PairTables {
public:
    static constexpr std::size_t entries = 65536;

    bool build(const Lookup& lut) {
        table_.reset(new (std::nothrow) std::uint16_t[3 * entries]);
        if (!table_) {
            return false;
        }
        fill(table_.get(), lut.curve[0], lut.curve[1]);
        fill(table_.get() + entries, lut.curve[2], lut.curve[0]);
        fill(table_.get() + 2 * entries, lut.curve[1], lut.curve[2]);
        return true;
    }
    const std::uint16_t* blueGreen() const { return table_.get(); }
    const std::uint16_t* redBlue() const { return table_.get() + entries; }
    const std::uint16_t* greenRed() const { return table_.get() + 2 * entries; }

private:
    static void fill(std::uint16_t* out, const std::uint8_t* lowCurve,
                     const std::uint8_t* highCurve) {
        for (std::size_t high = 0; high < 256; ++high) {
            for (std::size_t low = 0; low < 256; ++low) {
                out[high << 8 | low] =
                    static_cast<std::uint16_t>(lowCurve[low] | highCurve[high] << 8);
            }
        }
    }

    std::unique_ptr<std::uint16_t[]> table_;
};

struct PairMapper {
    static constexpr int channels = 3;
    PixelMapper<3, false> single;
    const std::uint16_t* bg;
    const std::uint16_t* rb;
    const std::uint16_t* gr;

    void map(const std::uint8_t* src, std::uint8_t* dst) const { single.map(src, dst); }

    void mapRun(const std::uint8_t* src, std::uint8_t* dst, std::int32_t count) const {
        std::int32_t i = 0;
        for (; i + 4 <= count; i += 4, src += 12, dst += 12) {
            std::uint64_t low;
            std::uint32_t high;
            std::memcpy(&low, src, 8);
            std::memcpy(&high, src + 8, 4);
            const std::uint64_t outLow =
                std::uint64_t{bg[low & 0xFFFF]} | std::uint64_t{rb[(low >> 16) & 0xFFFF]} << 16 |
                std::uint64_t{gr[(low >> 32) & 0xFFFF]} << 32 | std::uint64_t{bg[low >> 48]} << 48;
            const std::uint32_t outHigh =
                std::uint32_t{rb[high & 0xFFFF]} | std::uint32_t{gr[high >> 16]} << 16;
            std::memcpy(dst, &outLow, 8);
            std::memcpy(dst + 8, &outHigh, 4);
        }
        single.mapRun(src, dst, count - i);
    }
};

// Pictures smaller than this are not worth building the pair tables for.
constexpr std::int64_t pairTablesFromPixels = 1 << 18;

void copyRun(const std::uint8_t* src, std::uint8_t* dst, std::size_t bytes) {
    if (src != dst) {
        std::memmove(dst, src, bytes);
    }
}

// One row under a mask: whole bytes of set or clear bits take the fast paths.
template <typename Mapper, int Channels = Mapper::channels>
void mapMaskedRow(const Mapper& mapper, const std::uint8_t* bits, const std::uint8_t* src,
                  std::uint8_t* dst, std::int32_t width) {
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
void mapRow(const ImageView& source, const ImageView& dest, const BitMask* mask,
            const Mapper& mapper, std::int32_t y) {
    const std::uint8_t* src = source.row(y);
    std::uint8_t* dst = dest.row(y);
    if (mask == nullptr) {
        mapper.mapRun(src, dst, source.width);
    } else {
        mapMaskedRow(mapper, mask->row(y), src, dst, source.width);
    }
}

// Pictures of at least this many pixels are mapped by several threads when nobody follows the
// progress: each row depends on nothing but itself, so bands of rows give the same bytes in
// any order.
constexpr std::int64_t bandsFromPixels = std::int64_t{1} << 18;
constexpr unsigned maxBands = 4;

unsigned bandCount(const ImageView& source, TProgressProc progress) {
    if (progress != nullptr || std::int64_t{source.width} * source.height < bandsFromPixels) {
        return 1;
    }
    return std::clamp(std::thread::hardware_concurrency(), 1u,
                      std::min(maxBands, static_cast<unsigned>(source.height)));
}

// The rows in `bands` bands, all but the first on threads of their own; a thread that cannot
// be started leaves its band to this one.
template <typename Mapper>
void mapInBands(const ImageView& source, const ImageView& dest, const BitMask* mask,
                const Mapper& mapper, unsigned bands) {
    const auto mapBand = [&](unsigned band) {
        const std::int32_t first =
            static_cast<std::int32_t>(std::int64_t{source.height} * band / bands);
        const std::int32_t end =
            static_cast<std::int32_t>(std::int64_t{source.height} * (band + 1) / bands);
        for (std::int32_t y = first; y < end; ++y) {
            mapRow(source, dest, mask, mapper, y);
        }
    };
    std::vector<std::jthread> helpers;
    std::vector<unsigned> leftOver;
    for (unsigned band = 1; band < bands; ++band) {
        try {
            helpers.emplace_back(mapBand, band);
        } catch (const std::system_error&) {
            leftOver.push_back(band);
        }
    }
    mapBand(0);
    for (unsigned band : leftOver) {
        mapBand(band);
    }
}

template <typename Mapper>
int applyRows(const ImageView& source, const ImageView& dest, const BitMask* mask,
              const Mapper& mapper, TProgressProc progress) {
    if (const unsigned bands = bandCount(source, progress); bands > 1) {
        mapInBands(source, dest, mask, mapper, bands);
        return TWK_OK;
    }
    for (std::int32_t y = 0; y < source.height; ++y) {
        mapRow(source, dest, mask, mapper, y);
        if (progress != nullptr && progress(static_cast<double>(y + 1) / source.height) == 0) {
            return TWK_CANCELLED;
        }
    }
    return TWK_OK;
}

int applyWithoutGamma(const ImageView& source, const ImageView& dest, const BitMask* mask,
                      const Lookup& lut, TProgressProc progress) {
    if (source.bytesPerPixel == 4) {
        return applyRows(source, dest, mask, PixelMapper<4, false>{lut}, progress);
    }
    const PixelMapper<3, false> single{lut};
    if (std::int64_t{source.width} * source.height < pairTablesFromPixels) {
        return applyRows(source, dest, mask, single, progress);
    }
    PairTables pairs;
    if (!pairs.build(lut)) {
        return TWK_NO_MEMORY;
    }
    return applyRows(source, dest, mask,
                     PairMapper{single, pairs.blueGreen(), pairs.redBlue(), pairs.greenRed()},
                     progress);
}

} // namespace

int applyCorrection(const ImageView& source, void* destination, const BitMask* mask,
                    const CurveTables& tables, double gamma, TProgressProc progress) {
    if (destination == nullptr || !isUsableGamma(gamma)) {
        return TWK_INVALID_PARAMS;
    }
    const ImageView dest = source.withPixels(destination);
    Lookup lut{{tables[0].data(), tables[1].data(), tables[2].data(), tables[3].data()}, nullptr};
    if (gamma == 1.0) {
        return applyWithoutGamma(source, dest, mask, lut, progress);
    }
    const std::unique_ptr<GammaTable> gammaTable = buildGammaTable(static_cast<float>(gamma));
    if (!gammaTable) {
        return TWK_NO_MEMORY;
    }
    lut.gamma = gammaTable->front().data();
    if (source.bytesPerPixel == 4) {
        return applyRows(source, dest, mask, PixelMapper<4, true>{lut}, progress);
    }
    return applyRows(source, dest, mask, PixelMapper<3, true>{lut}, progress);
}

} // namespace tintworks
