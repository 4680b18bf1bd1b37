#include "view_render.h"

#include "zoom.h"

#include <cstring>
#include <vector>

namespace {

constexpr QRgb black = 0xff000000u;

// For each destination column (or row) of the clip rectangle, the image column it shows, or -1.
std::vector<int> sourceIndices(int clipStart, int count, int scroll, int z, int imageExtent) {
    std::vector<int> indices(count);
    for (int i = 0; i < count; ++i) {
        const int source = zoom::clientToImage(QPoint(clipStart + i + scroll, 0), {}, z).x();
        indices[i] = source >= 0 && source < imageExtent ? source : -1;
    }
    return indices;
}

const std::uint8_t* storedRow(const TDIBImage& image, int y) {
    return image.Bits + std::size_t(image.Height() - 1 - y) * image.RowStride();
}

QRgb tableColour(const TDIBImage& image, unsigned index) {
    const auto* table = reinterpret_cast<const std::uint8_t*>(image.Header) + 40;
    const unsigned entries = (image.HeaderSize() - 40) / 4;
    if (index >= entries) {
        return black;
    }
    return qRgb(table[4 * index + 2], table[4 * index + 1], table[4 * index]);
}

void renderRow24(const std::uint8_t* row, const std::vector<int>& columns, QRgb* out) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int x = columns[i];
        if (x < 0) {
            out[i] = black;
            continue;
        }
        const std::uint8_t* p = row + 3 * x;
        out[i] = 0xff000000u | (unsigned(p[2]) << 16) | (unsigned(p[1]) << 8) | p[0];
    }
}

void renderRowIndexed(const TDIBImage& image, int y, const std::vector<int>& columns, QRgb* out) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        out[i] = columns[i] < 0 ? black : pixelColour(image, columns[i], y).value_or(black);
    }
}

} // namespace

std::optional<QRgb> pixelColour(const TDIBImage& image, int x, int y) {
    if (image.Bits == nullptr || x < 0 || y < 0 || x >= image.Width() || y >= image.Height()) {
        return std::nullopt;
    }
    const std::uint8_t* row = storedRow(image, y);
    switch (image.BitCount()) {
    case 24:
        return qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case 8:
        return tableColour(image, row[x]);
    case 4: // the high nybble is the even pixel
        return tableColour(image, x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0f);
    case 1:
        return tableColour(image, (row[x / 8] >> (7 - x % 8)) & 1);
    default:
        return std::nullopt;
    }
}

QImage renderView(const TDIBImage& image, int z, QPoint scroll, const QRect& clip) {
    QImage view(clip.size(), QImage::Format_RGB32);
    if (view.isNull()) {
        return view;
    }
    const std::vector<int> columns =
        sourceIndices(clip.left(), clip.width(), scroll.x(), z, image.Width());
    const std::vector<int> rows =
        sourceIndices(clip.top(), clip.height(), scroll.y(), z, image.Height());
    const bool trueColour = image.BitCount() == 24;
    for (int i = 0; i < clip.height(); ++i) {
        auto* out = reinterpret_cast<QRgb*>(view.scanLine(i));
        if (rows[i] < 0 || image.Bits == nullptr) {
            std::fill(out, out + clip.width(), black);
        } else if (i > 0 && rows[i] == rows[i - 1]) {
            std::memcpy(out, view.constScanLine(i - 1), clip.width() * sizeof(QRgb));
        } else if (trueColour) {
            renderRow24(storedRow(image, rows[i]), columns, out);
        } else {
            renderRowIndexed(image, rows[i], columns, out);
        }
    }
    return view;
}
