#include "panorama_build.h"

#include "dib_image.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// A checked picture with something to copy, where its frame lies on the plane.
struct Layer {
    const TImagePanoramaData* item;
    PanoramaRect placed;
};

// One stretch of a band of rows: the columns left..right (end-exclusive) on the plane, taken
// from layer `layer`, or white when it is -1.
struct Span {
    std::int32_t left;
    std::int32_t right;
    int layer;
};
constexpr int white = -1;

// The checked pictures with frames that are not empty, top of the stacking order first.
std::vector<Layer> layersOf(const std::vector<TImagePanoramaData>& items) {
    std::vector<Layer> layers;
    for (const TImagePanoramaData& item : items) {
        const PanoramaRect placed = item.PlacedFrame();
        if (item.Checked && !placed.IsEmpty()) {
            layers.push_back({&item, placed});
        }
    }
    return layers;
}

std::int64_t rowBytesOf(std::int64_t width) {
    return (width * 24 + 31) / 32 * 4;
}

BITMAPINFOHEADER resultHeader(const std::vector<TImagePanoramaData>& items,
                              const PanoramaRect& bounds) {
    BITMAPINFOHEADER header{};
    if (!items.empty() && items.front().Header != nullptr) {
        header = *items.front().Header;
    }
    header.biSize = sizeof header;
    header.biWidth = static_cast<std::int32_t>(bounds.Width());
    header.biHeight = static_cast<std::int32_t>(bounds.Height());
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = 0;
    header.biSizeImage = 0;
    header.biClrUsed = 0;
    header.biClrImportant = 0;
    return header;
}

// The rows at which some frame starts or ends: between two neighbours every layer covers
// either the whole band of rows or none of it.
std::vector<std::int32_t> bandEdgesOf(const std::vector<Layer>& layers) {
    std::vector<std::int32_t> edges;
    for (const Layer& layer : layers) {
        edges.push_back(layer.placed.Top);
        edges.push_back(layer.placed.Bottom);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    return edges;
}

// Who shows where in the band of rows top..bottom: going down the stacking order, each layer
// takes the columns that are still open; what stays open is white.
std::vector<Span> spansOfBand(const std::vector<Layer>& layers, const PanoramaRect& bounds,
                              std::int32_t top, std::int32_t bottom) {
    std::vector<Span> spans;
    std::vector<Span> open{{bounds.Left, bounds.Right, white}};
    for (int i = 0; i < static_cast<int>(layers.size()) && !open.empty(); ++i) {
        const PanoramaRect& placed = layers[i].placed;
        if (placed.Top > top || placed.Bottom < bottom) {
            continue;
        }
        std::vector<Span> stillOpen;
        for (const Span& gap : open) {
            const std::int32_t left = std::max(gap.left, placed.Left);
            const std::int32_t right = std::min(gap.right, placed.Right);
            if (left >= right) {
                stillOpen.push_back(gap);
                continue;
            }
            spans.push_back({left, right, i});
            if (gap.left < left) {
                stillOpen.push_back({gap.left, left, white});
            }
            if (right < gap.right) {
                stillOpen.push_back({right, gap.right, white});
            }
        }
        open = std::move(stillOpen);
    }
    spans.insert(spans.end(), open.begin(), open.end());
    return spans;
}

// Pixel (x, y), top row 0, of a bottom-up 24-bit picture.
template <typename Byte>
Byte* pixelAddress(Byte* bits, const BITMAPINFOHEADER& header, std::int32_t x, std::int32_t y) {
    return bits + static_cast<std::size_t>(header.biHeight - 1 - y) * rowStrideOf(header) +
           static_cast<std::size_t>(x) * 3;
}

// Copies with stores that bypass the caches: a large result would only push the pictures out of
// them, and the processor need not first read every line of the result that it overwrites
// (row-sized memcpys do, which makes them markedly slower than one memcpy of a whole picture).
void copyStreaming(std::uint8_t* to, const std::uint8_t* from, std::size_t bytes) {
#if defined(__SSE2__)
    constexpr std::size_t vector = sizeof(__m128i);
    const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(to) % vector;
    const std::size_t head = std::min(bytes, (vector - misalignment) % vector);
    std::memcpy(to, from, head);
    std::size_t done = head;
    for (; done + vector <= bytes; done += vector) {
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + done),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + done)));
    }
    std::memcpy(to + done, from + done, bytes - done);
#else
    std::memcpy(to, from, bytes);
#endif
}

// Writes the rows of one band in the order they lie in memory (bottom row first), each row in
// one pass from left to right: every byte of the result is written once, and both the result
// and the pictures are read and written as ascending streams.
void copyBand(const std::vector<Layer>& layers, const PanoramaRect& bounds, std::int32_t top,
              std::int32_t bottom, TDIBImage& result) {
    std::vector<Span> spans = spansOfBand(layers, bounds, top, bottom);
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.left < b.left; });
    const std::size_t used = static_cast<std::size_t>(result.Width()) * 3;
    const std::size_t padding = result.RowStride() - used;
    for (std::int32_t y = bottom - 1; y >= top; --y) {
        std::uint8_t* row = pixelAddress(result.Bits, *result.Header, 0, y - bounds.Top);
        for (const Span& span : spans) {
            std::uint8_t* to = row + static_cast<std::size_t>(span.left - bounds.Left) * 3;
            const std::size_t bytes = static_cast<std::size_t>(span.right - span.left) * 3;
            if (span.layer == white) {
                std::memset(to, 0xFF, bytes);
                continue;
            }
            const TImagePanoramaData& item = *layers[span.layer].item;
            copyStreaming(
                to, pixelAddress(item.Bits, *item.Header, span.left - item.Left, y - item.Top),
                bytes);
        }
        std::memset(row + used, 0, padding);
    }
}

} // namespace

PanoramaBuildResult BuildPanorama(const std::vector<TImagePanoramaData>& items, TDIBImage& result) {
    const PanoramaRect bounds = framesBoundsOf(items);
    if (bounds.IsEmpty()) {
        return PanoramaNothingToCopy;
    }
    // Measured in 64 bits before anything is allocated, so that no size can wrap.
    if (rowBytesOf(bounds.Width()) * bounds.Height() > maxPanoramaBytes) {
        return PanoramaNoMemory;
    }
    if (!result.CreateFromHeader(resultHeader(items, bounds))) {
        return PanoramaNoMemory;
    }
    const std::vector<Layer> layers = layersOf(items);
    const std::vector<std::int32_t> edges = bandEdgesOf(layers);
    // The bands from the bottom up, as the rows lie in memory.
    for (std::size_t i = edges.size(); i > 1; --i) {
        copyBand(layers, bounds, edges[i - 2], edges[i - 1], result);
    }
#if defined(__SSE2__)
    _mm_sfence(); // the streamed stores are visible before the result is handed on
#endif
    return PanoramaBuilt;
}
