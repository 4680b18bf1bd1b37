#include "image_edits.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// A quarter turn makes every source column a result row. Walking a column over the whole
// picture reads a new cache line for every pixel and writes runs of one pixel, so the
// picture is turned in tiles of side x side pixels instead: the tile's source rows are copied
// into a buffer, turned there, and the turned rows copied out to the result, which reads and
// writes both pictures in runs of whole tile rows.
constexpr std::int32_t side = 64;

// Source rows turned between two rounds of progress reports. A quarter turn takes the tiles
// of such a band column by column, 8 tiles down before the next column, so that every result
// row it touches gets 8 tile rows' worth of pixels one after another.
constexpr std::int32_t bandRows = 8 * side;

// A gathered tile: source row k of the tile is buffer row k.
template <int Bytes> std::uint8_t* tileAt(std::uint8_t* tile, std::int32_t k, std::int32_t j) {
    return tile + (static_cast<std::size_t>(k) * side + static_cast<std::size_t>(j)) * Bytes;
}

// A turned tile: source column j of the tile is buffer row j. Its rows keep 4 bytes of room
// after their pixels, as the vector turn writes 16 bytes for each 12 bytes of pixels.
constexpr std::size_t turnedRoom = 4;

template <int Bytes>
std::uint8_t* turnedAt(std::uint8_t* turned, std::int32_t j, std::int32_t place) {
    return turned + static_cast<std::size_t>(j) * (side * Bytes + turnedRoom) +
           static_cast<std::size_t>(place) * Bytes;
}

// Either buffer, with room for 16-byte loads that begin at the last pixels of the last row.
constexpr std::size_t bufferBytes = side * (side * 3 + turnedRoom) + 16;
using TileBuffer = std::array<std::uint8_t, bufferBytes>;

// The pixels of the source and of the result, with the source's size.
struct Planes {
    const std::uint8_t* from;
    std::size_t fromStride;
    std::uint8_t* to;
    std::size_t toStride;
    std::int32_t width;
    std::int32_t height;

    const std::uint8_t* sourceRow(std::int32_t r) const {
        return from + static_cast<std::size_t>(r) * fromStride;
    }
    std::uint8_t* resultRow(std::int32_t r) const {
        return to + static_cast<std::size_t>(r) * toStride;
    }
};

// A tile of the source: `rows` stored rows from `row` on, `columns` columns from `column` on.
struct Tile {
    std::int32_t column;
    std::int32_t row;
    std::int32_t columns;
    std::int32_t rows;
};

// The part of a gathered tile from tile row `first` to `last` - 1 and column `left` to
// `right` - 1.
struct Block {
    std::int32_t first;
    std::int32_t last;
    std::int32_t left;
    std::int32_t right;
};

// Copies a run of `pixels` pixels. A whole tile row has a size known to the compiler, which
// copies it with a few vector moves rather than a string instruction or a call.
template <int Bytes> void copyRun(std::uint8_t* to, const std::uint8_t* from, std::int32_t pixels) {
    if (pixels == side) {
        std::memcpy(to, from, side * Bytes);
    } else {
        std::memcpy(to, from, static_cast<std::size_t>(pixels) * Bytes);
    }
}

// The source pixels of tile row k.
template <int Bytes>
const std::uint8_t* sourceRun(const Planes& p, const Tile& tile, std::int32_t k) {
    return p.sourceRow(tile.row + k) + static_cast<std::size_t>(tile.column) * Bytes;
}

// Where turned row j goes: it holds source column tile.column + j. Turned clockwise (90
// degrees) it is result row width - 1 - column from result column tile.row on, the source
// rows in stored order; turned back (270 degrees) it is result row `column` from result column
// height - tile.row - tile.rows on, the source rows in reverse order.
template <int Bytes, bool Back>
std::uint8_t* resultRun(const Planes& p, const Tile& tile, std::int32_t j) {
    const std::int32_t column = tile.column + j;
    const std::int32_t resultColumn = Back ? p.height - tile.row - tile.rows : tile.row;
    return p.resultRow(Back ? column : p.width - 1 - column) +
           static_cast<std::size_t>(resultColumn) * Bytes;
}

template <int Bytes> void gatherTile(const Planes& p, const Tile& tile, std::uint8_t* buffer) {
    for (std::int32_t k = 0; k < tile.rows; ++k) {
        copyRun<Bytes>(tileAt<Bytes>(buffer, k, 0), sourceRun<Bytes>(p, tile, k), tile.columns);
    }
}

template <int Bytes, bool Back>
void scatterTile(const Planes& p, const Tile& tile, std::uint8_t* turned) {
    for (std::int32_t j = 0; j < tile.columns; ++j) {
        copyRun<Bytes>(resultRun<Bytes, Back>(p, tile, j), turnedAt<Bytes>(turned, j, 0),
                       tile.rows);
    }
}

// Asks for every cache line of `bytes` bytes from `run` (the last one too, which steps of 64
// from the start can miss). Always inlined, like prefetchTile: GCC takes a function that does
// nothing but prefetch for one without effect and drops its calls.
template <int Write>
[[gnu::always_inline]] inline void prefetchRun(const std::uint8_t* run, std::size_t bytes) {
    for (std::size_t at = 0; at < bytes; at += 64) {
        __builtin_prefetch(run + at, Write);
    }
    __builtin_prefetch(run + bytes - 1, Write);
}

// Asks for the cache lines of a tile's source and result runs ahead of their use. A tile's 64
// source rows and 64 result rows are runs far apart in memory, which the processor does not
// fetch ahead by itself; asked for while the tile before is turned, they arrive meanwhile.
template <int Bytes, bool Back>
[[gnu::always_inline]] inline void prefetchTile(const Planes& p, const Tile& tile) {
    for (std::int32_t k = 0; k < tile.rows; ++k) {
        prefetchRun<0>(sourceRun<Bytes>(p, tile, k),
                       static_cast<std::size_t>(tile.columns) * Bytes);
    }
    for (std::int32_t j = 0; j < tile.columns; ++j) {
        prefetchRun<1>(resultRun<Bytes, Back>(p, tile, j),
                       static_cast<std::size_t>(tile.rows) * Bytes);
    }
}

// Turns a block of a gathered tile of `rows` rows pixel by pixel: the pixel in row k,
// column j goes to turned row j, place k (place rows - 1 - k when turned back).
template <int Bytes, bool Back>
void turnBlockPixels(std::uint8_t* tile, std::uint8_t* turned, std::int32_t rows,
                     const Block& block) {
    for (std::int32_t j = block.left; j < block.right; ++j) {
        for (std::int32_t k = block.first; k < block.last; ++k) {
            std::memcpy(turnedAt<Bytes>(turned, j, Back ? rows - 1 - k : k),
                        tileAt<Bytes>(tile, k, j), Bytes);
        }
    }
}

#if defined(__x86_64__)

bool hasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2") != 0;
    return has;
}

// Turns the 4 rows x 8 columns of 24-bit pixels at tile row k, column j. Each 128-bit lane
// takes 4 pixels of a row, spread to one 32-bit element each; the four rows are transposed as
// 4 x 4 matrices of elements, and every element row is packed back to 12 bytes, in reverse
// order when turned back. Each turned row is stored with 16 bytes, 4 past its 4 pixels.
template <bool Back>
[[gnu::target("avx2")]] void turnOctet(std::uint8_t* tile, std::uint8_t* turned, std::int32_t rows,
                                       std::int32_t k, std::int32_t j) {
    const __m256i spread = _mm256_broadcastsi128_si256(
        _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1));
    const __m256i pack = _mm256_broadcastsi128_si256(
        Back ? _mm_setr_epi8(12, 13, 14, 8, 9, 10, 4, 5, 6, 0, 1, 2, -1, -1, -1, -1)
             : _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
    __m256i row[4];
    for (int i = 0; i < 4; ++i) {
        const auto* at = reinterpret_cast<const __m128i*>(tileAt<3>(tile, k + i, j));
        const auto* half = reinterpret_cast<const __m128i*>(tileAt<3>(tile, k + i, j + 4));
        row[i] = _mm256_shuffle_epi8(_mm256_loadu2_m128i(half, at), spread);
    }
    const __m256i low01 = _mm256_unpacklo_epi32(row[0], row[1]);
    const __m256i low23 = _mm256_unpacklo_epi32(row[2], row[3]);
    const __m256i high01 = _mm256_unpackhi_epi32(row[0], row[1]);
    const __m256i high23 = _mm256_unpackhi_epi32(row[2], row[3]);
    const __m256i column[4] = {
        _mm256_unpacklo_epi64(low01, low23), _mm256_unpackhi_epi64(low01, low23),
        _mm256_unpacklo_epi64(high01, high23), _mm256_unpackhi_epi64(high01, high23)};
    const std::int32_t place = Back ? rows - 4 - k : k;
    for (int i = 0; i < 4; ++i) {
        const __m256i packed = _mm256_shuffle_epi8(column[i], pack);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(turnedAt<3>(turned, j + i, place)),
                         _mm256_castsi256_si128(packed));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(turnedAt<3>(turned, j + 4 + i, place)),
                         _mm256_extracti128_si256(packed, 1));
    }
}

// Turns tile rows 0 to fourRows - 1, columns 0 to eightColumns - 1. The places of a turned
// row are filled upwards, so that the 4 bytes each store writes past its pixels land where
// the next store writes, or in the row's room.
template <bool Back>
[[gnu::target("avx2")]] void turnOctets(std::uint8_t* tile, std::uint8_t* turned, std::int32_t rows,
                                        std::int32_t fourRows, std::int32_t eightColumns) {
    for (std::int32_t j = 0; j < eightColumns; j += 8) {
        for (std::int32_t n = 0; n < fourRows; n += 4) {
            turnOctet<Back>(tile, turned, rows, Back ? fourRows - 4 - n : n, j);
        }
    }
}

// Picks the bytes of 16 reversed 24-bit pixels: result register `out` (0 to 2) takes from
// source register `in` the bytes named by mask out * 3 + in, -1 where another one gives them.
struct ReverseMasks {
    alignas(16) std::array<std::array<std::int8_t, 16>, 9> pick;
};

constexpr ReverseMasks makeReverseMasks() {
    ReverseMasks masks{};
    for (int out = 0; out < 48; ++out) {
        const int in = 3 * (15 - out / 3) + out % 3;
        for (int source = 0; source < 3; ++source) {
            masks.pick[(out / 16) * 3 + source][out % 16] =
                static_cast<std::int8_t>(in / 16 == source ? in % 16 : -1);
        }
    }
    return masks;
}

constexpr ReverseMasks reverseMasks = makeReverseMasks();

[[gnu::target("avx2")]] __m128i pick(__m128i source, int out, int in) {
    return _mm_shuffle_epi8(source, _mm_load_si128(reinterpret_cast<const __m128i*>(
                                        reverseMasks.pick[out * 3 + in].data())));
}

// Writes the 24-bit pixels of `from` to `to` in reverse order, 16 at a time; returns the
// pixels done.
[[gnu::target("avx2")]] std::int32_t reverseSixteens(const std::uint8_t* from, std::uint8_t* to,
                                                     std::int32_t width) {
    std::int32_t c = 0;
    for (; c + 16 <= width; c += 16) {
        const auto* in = reinterpret_cast<const __m128i*>(from + static_cast<std::size_t>(c) * 3);
        auto* out = reinterpret_cast<__m128i*>(to + static_cast<std::size_t>(width - 16 - c) * 3);
        const __m128i a = _mm_loadu_si128(in);
        const __m128i b = _mm_loadu_si128(in + 1);
        const __m128i d = _mm_loadu_si128(in + 2);
        _mm_storeu_si128(out, _mm_or_si128(pick(b, 0, 1), pick(d, 0, 2)));
        _mm_storeu_si128(out + 1,
                         _mm_or_si128(_mm_or_si128(pick(a, 1, 0), pick(b, 1, 1)), pick(d, 1, 2)));
        _mm_storeu_si128(out + 2, _mm_or_si128(pick(a, 2, 0), pick(b, 2, 1)));
    }
    return c;
}

#endif

// Turns a gathered tile of `rows` rows and `columns` columns into `turned`: with the vector
// unit in blocks of 4 rows by 8 columns, the rest pixel by pixel afterwards.
template <int Bytes, bool Back>
void turnTile(std::uint8_t* tile, std::uint8_t* turned, std::int32_t rows, std::int32_t columns) {
    std::int32_t fourRows = 0;
    std::int32_t eightColumns = 0;
#if defined(__x86_64__)
    if constexpr (Bytes == 3) {
        if (hasAvx2()) {
            fourRows = rows / 4 * 4;
            eightColumns = columns / 8 * 8;
            turnOctets<Back>(tile, turned, rows, fourRows, eightColumns);
        }
    }
#endif
    turnBlockPixels<Bytes, Back>(tile, turned, rows, {fourRows, rows, 0, columns});
    turnBlockPixels<Bytes, Back>(tile, turned, rows, {0, fourRows, eightColumns, columns});
}

// The tile of the band of source rows first to last - 1 that comes after `tile`: the one
// below it, or the top one of the next column; past the last tile its column is the width.
Tile nextTile(const Planes& p, const Tile& tile, std::int32_t first, std::int32_t last) {
    const bool below = tile.row + side < last;
    const std::int32_t column = below ? tile.column : tile.column + side;
    const std::int32_t row = below ? tile.row + side : first;
    return {column, row, std::min(side, p.width - column), std::min(side, last - row)};
}

// A quarter turn of source stored rows first to last - 1, clockwise or (Back) anticlockwise.
template <int Bytes, bool Back>
void quarterTurn(const Planes& p, std::int32_t first, std::int32_t last) {
    TileBuffer tile;
    TileBuffer turned;
    Tile next{0, first, std::min(side, p.width), std::min(side, last - first)};
    while (next.column < p.width) {
        const Tile t = next;
        next = nextTile(p, t, first, last);
        gatherTile<Bytes>(p, t, tile.data());
        if (next.column < p.width) {
            prefetchTile<Bytes, Back>(p, next);
        }
        turnTile<Bytes, Back>(tile.data(), turned.data(), t.rows, t.columns);
        scatterTile<Bytes, Back>(p, t, turned.data());
    }
}

// One source row in reverse order into `to`.
template <int Bytes>
void reverseRow(const std::uint8_t* from, std::uint8_t* to, std::int32_t width) {
    std::int32_t c = 0;
#if defined(__x86_64__)
    if constexpr (Bytes == 3) {
        if (hasAvx2()) {
            c = reverseSixteens(from, to, width);
        }
    }
#endif
    for (; c < width; ++c) {
        std::memcpy(to + static_cast<std::size_t>(width - 1 - c) * Bytes,
                    from + static_cast<std::size_t>(c) * Bytes, Bytes);
    }
}

// 180 degrees: column c, stored row r goes to column width - 1 - c, stored row height - 1 - r.
template <int Bytes> void halfTurn(const Planes& p, std::int32_t first, std::int32_t last) {
    for (std::int32_t r = first; r < last; ++r) {
        reverseRow<Bytes>(p.sourceRow(r), p.resultRow(p.height - 1 - r), p.width);
    }
}

// Turns source stored rows first to last - 1 into the result.
using TurnRows = void (*)(const Planes& planes, std::int32_t first, std::int32_t last);

template <int Bytes> TurnRows turnOf(int angleCode) {
    switch (angleCode) {
    case 0:
        return quarterTurn<Bytes, false>;
    case 1:
        return halfTurn<Bytes>;
    default:
        return quarterTurn<Bytes, true>;
    }
}

// Makes `result` like `image` at the turned size, for quarter turns with the two resolutions
// exchanged too; the turned values stand in the source header only while the result is made.
bool createTurned(const TDIBImage& image, bool quarter, TDIBImage& result) {
    BITMAPINFOHEADER& header = *image.Header;
    const BITMAPINFOHEADER own = header;
    if (quarter) {
        header.biWidth = own.biHeight;
        header.biHeight = own.biWidth;
        header.biXPelsPerMeter = own.biYPelsPerMeter;
        header.biYPelsPerMeter = own.biXPelsPerMeter;
    }
    const bool created = result.CreateLike(image);
    header = own;
    if (created) {
        result.Header->biSizeImage = result.ImageSize();
    }
    return created;
}

// Reports source rows first to last - 1 as done, one call a row; false as soon as the
// callback asks to stop.
bool reportRows(TProgressProc progress, std::int32_t first, std::int32_t last, std::int32_t rows) {
    for (std::int32_t r = first; progress != nullptr && r < last; ++r) {
        if (progress(static_cast<double>(r + 1) / rows) == 0) {
            return false;
        }
    }
    return true;
}

} // namespace

int Rotate(const TDIBImage& image, int angleCode, TProgressProc progress, TDIBImage& result) {
    const std::uint16_t bitCount = image.BitCount();
    if ((bitCount != 8 && bitCount != 24) || angleCode < 0 || angleCode > 2 || image.Width() <= 0 ||
        image.Height() <= 0) {
        return -1;
    }
    if (!createTurned(image, angleCode != 1, result)) {
        return -1;
    }
    const Planes planes{image.Bits,         image.RowStride(), result.Bits,
                        result.RowStride(), image.Width(),     image.Height()};
    const TurnRows turn = bitCount == 24 ? turnOf<3>(angleCode) : turnOf<1>(angleCode);
    for (std::int32_t first = 0; first < planes.height; first += bandRows) {
        const std::int32_t last = std::min(planes.height, first + bandRows);
        turn(planes, first, last);
        if (!reportRows(progress, first, last, planes.height)) {
            result.Clear(true);
            return -2;
        }
    }
    return 0;
}
