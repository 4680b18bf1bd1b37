#include "image_edits.h"

#include <array>
#include <cstddef>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// round(0.3 red + 0.59 green + 0.11 blue) is round(s / 100) with the integer
// s = 30 red + 59 green + 11 blue (0 to 25500), so it can be had exactly: each channel's share
// of s comes from a table of its weight times the value, and the grey of every s from one more
// table. Halves go to the even neighbour, as the program's other roundings do: pure red
// (s = 7650) gives 76.
constexpr int largestSum = 25500;

struct GreyTables {
    std::array<std::uint16_t, 256> blue;
    std::array<std::uint16_t, 256> green;
    std::array<std::uint16_t, 256> red;
    std::array<std::uint8_t, largestSum + 1> grey;
};

constexpr std::uint8_t roundedHundredth(int sum) {
    const int whole = sum / 100;
    const int rest = sum % 100;
    const bool up = rest > 50 || (rest == 50 && whole % 2 == 1);
    return static_cast<std::uint8_t>(up ? whole + 1 : whole);
}

constexpr GreyTables makeGreyTables() {
    GreyTables tables{};
    for (int value = 0; value < 256; ++value) {
        tables.blue[value] = static_cast<std::uint16_t>(11 * value);
        tables.green[value] = static_cast<std::uint16_t>(59 * value);
        tables.red[value] = static_cast<std::uint16_t>(30 * value);
    }
    for (int sum = 0; sum <= largestSum; ++sum) {
        tables.grey[sum] = roundedHundredth(sum);
    }
    return tables;
}

constexpr GreyTables greyTables = makeGreyTables();

std::uint8_t greyOf(const std::uint8_t* pixel) {
    return greyTables
        .grey[greyTables.blue[pixel[0]] + greyTables.green[pixel[1]] + greyTables.red[pixel[2]]];
}

void setGrey(std::uint8_t* to, std::uint8_t grey) {
    to[0] = grey;
    to[1] = grey;
    to[2] = grey;
}

// `from` and `to` may be the same row: each pixel is read whole before it is written.
void greyPixels(const std::uint8_t* from, std::uint8_t* to, std::int32_t width) {
    for (std::int32_t x = 0; x < width; ++x, from += 3, to += 3) {
        setGrey(to, greyOf(from));
    }
}

#if defined(__x86_64__)

bool hasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2") != 0;
    return has;
}

// The sums s of 8 pixels from 24 bytes at `from` (and 4 bytes beyond, unused): each 128-bit
// lane takes 4 pixels and orders them blue, green, blue, green... then red, 0, red, 0... so
// that one multiply-add of byte pairs gives 11 blue + 59 green and 30 red in 16-bit elements;
// the two halves added give s. Lane 0 holds pixels 0 to 3, lane 1 pixels 4 to 7.
[[gnu::target("avx2")]] __m256i sumsOfEight(const std::uint8_t* from) {
    const __m256i order = _mm256_broadcastsi128_si256(
        _mm_setr_epi8(0, 1, 3, 4, 6, 7, 9, 10, 2, -1, 5, -1, 8, -1, 11, -1));
    const __m256i weights = _mm256_broadcastsi128_si256(
        _mm_setr_epi8(11, 59, 11, 59, 11, 59, 11, 59, 30, 0, 30, 0, 30, 0, 30, 0));
    const __m256i pixels = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(from + 12),
                                               reinterpret_cast<const __m128i*>(from));
    return _mm256_maddubs_epi16(_mm256_shuffle_epi8(pixels, order), weights);
}

// round(s / 100) with halves to the even neighbour, for s up to 25500: q = s div 100 is the
// high half of s x 41944 (2^22 / 100 rounded up) shifted by 6, exact for every s up to 25500;
// the result is q + 1 when the remainder, plus 1 for an odd q, is over 50.
[[gnu::target("avx2")]] __m256i roundedHundredths(__m256i sums) {
    const __m256i quotient = _mm256_srli_epi16(
        _mm256_mulhi_epu16(sums, _mm256_set1_epi16(static_cast<std::int16_t>(41944))), 6);
    const __m256i rest =
        _mm256_sub_epi16(sums, _mm256_mullo_epi16(quotient, _mm256_set1_epi16(100)));
    const __m256i odd = _mm256_and_si256(quotient, _mm256_set1_epi16(1));
    const __m256i up = _mm256_cmpgt_epi16(_mm256_add_epi16(rest, odd), _mm256_set1_epi16(50));
    return _mm256_sub_epi16(quotient, up);
}

// Greys blocks 0 to blocks - 1 of 16 pixels, from the last block to the first. Each block's
// loads reach 4 bytes past it, which the caller keeps inside the row. Lane 0 of the two sums
// holds pixels 0-3 and 8-11, lane 1 pixels 4-7 and 12-15; their greys are put in order and
// each written three times.
[[gnu::target("avx2")]] void greySixteens(const std::uint8_t* from, std::uint8_t* to,
                                          std::int32_t blocks) {
    const __m128i triple[3] = {
        _mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5),
        _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10),
        _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15)};
    for (std::int32_t block = blocks - 1; block >= 0; --block) {
        const std::uint8_t* in = from + static_cast<std::size_t>(block) * 48;
        std::uint8_t* out = to + static_cast<std::size_t>(block) * 48;
        const __m256i a = sumsOfEight(in);
        const __m256i b = sumsOfEight(in + 24);
        const __m256i sums =
            _mm256_add_epi16(_mm256_unpacklo_epi64(a, b), _mm256_unpackhi_epi64(a, b));
        const __m256i rounded = roundedHundredths(sums);
        const __m256i bytes = _mm256_packus_epi16(rounded, rounded);
        const __m128i greys = _mm256_castsi256_si128(
            _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 0, 0, 0, 0)));
        for (int i = 0; i < 3; ++i) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * i),
                             _mm_shuffle_epi8(greys, triple[i]));
        }
    }
}

#endif

// The blocks of 16 pixels at the start of a row that the vector unit greys: as many as leave
// 4 bytes (2 pixels) of the row after them for the loads that reach past a block.
std::int32_t vectorBlocks(std::int32_t width) {
#if defined(__x86_64__)
    if (hasAvx2() && width >= 18) {
        return (width - 2) / 16;
    }
#endif
    return 0;
}

// Greys a row from its right end to its left. The rows go from the top of the picture down,
// which is downwards in memory, and walking each row downwards too keeps the whole conversion
// one descending stream that the processor's prefetchers follow; rows walked upwards, each
// after a step back to the row below, keep defeating them.
void greyRow(const std::uint8_t* from, std::uint8_t* to, std::int32_t width) {
    const std::int32_t blocks = vectorBlocks(width);
    const std::size_t done = static_cast<std::size_t>(blocks) * 48;
    greyPixels(from + done, to + done, width - blocks * 16);
#if defined(__x86_64__)
    if (blocks > 0) {
        greySixteens(from, to, blocks);
    }
#endif
}

bool insideMask(const std::uint8_t* maskRow, std::int32_t x) {
    return (maskRow[x >> 3] & (0x80u >> (x & 7))) != 0;
}

void greyMaskedRow(const std::uint8_t* from, std::uint8_t* to, std::int32_t width,
                   const std::uint8_t* maskRow) {
    for (std::int32_t x = 0; x < width; ++x, from += 3, to += 3) {
        if (insideMask(maskRow, x)) {
            setGrey(to, greyOf(from));
        } else {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
        }
    }
}

bool sameTwentyFourBitSize(const TDIBImage& source, const TDIBImage& dest) {
    return source.BitCount() == 24 && dest.BitCount() == 24 && source.Width() == dest.Width() &&
           source.Height() == dest.Height();
}

} // namespace

bool ConvertToGrey(const TDIBImage& source, TDIBImage& dest, const std::uint8_t* mask,
                   TProgressProc progress) {
    if (!sameTwentyFourBitSize(source, dest)) {
        return false;
    }
    const std::int32_t width = source.Width();
    const std::int32_t height = source.Height();
    // Mask rows are padded to whole bytes only: (width + 7) / 8 bytes each, not rounded up to
    // 2 or 4 bytes as bitmap rows are.
    const std::size_t maskStride = (static_cast<std::size_t>(width) + 7) / 8;
    for (std::int32_t y = 0; y < height; ++y) {
        const auto stored = static_cast<std::size_t>(height - 1 - y);
        const std::uint8_t* from = source.Bits + stored * source.RowStride();
        std::uint8_t* to = dest.Bits + stored * dest.RowStride();
        if (mask == nullptr) {
            greyRow(from, to, width);
        } else {
            greyMaskedRow(from, to, width, mask + static_cast<std::size_t>(y) * maskStride);
        }
        if (progress != nullptr && progress(static_cast<double>(y + 1) / height) == 0) {
            return false;
        }
    }
    return true;
}
