#include "entry_picture.h"

#include "platform/packed_bitmap.h"

#include <cstring>

namespace {
BITMAPINFOHEADER headerOf(const QByteArray& bytes) {
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes.constData(), sizeof header);
    return header;
}
} // namespace

bool packedBitmapFits(const QByteArray& bytes) {
    return platform::packedBitmapFits(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QSize pictureSize(const QByteArray& bytes) {
    if (!packedBitmapFits(bytes)) {
        return {0, 0};
    }
    const BITMAPINFOHEADER header = headerOf(bytes);
    return {header.biWidth, header.biHeight};
}

QImage pictureTopLeft(const QByteArray& bytes, int w, int h) {
    if (!packedBitmapFits(bytes)) {
        return {};
    }
    const BITMAPINFOHEADER header = headerOf(bytes);
    w = std::clamp(w, 0, int(header.biWidth));
    h = std::clamp(h, 0, int(header.biHeight));
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const std::uint8_t* table = data + 40;
    const std::int64_t entries = platform::colourTableEntries(header);
    const std::uint8_t* bits = table + 4 * entries;
    const std::int64_t stride = platform::packedRowStride(header);
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = bits + (header.biHeight - 1 - y) * stride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            if (header.biBitCount >= 24) {
                const std::uint8_t* p = row + (header.biBitCount / 8) * x;
                out[x] = qRgb(p[2], p[1], p[0]);
                continue;
            }
            std::uint32_t index = 0;
            if (header.biBitCount == 8) {
                index = row[x];
            } else if (header.biBitCount == 4) {
                index = x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0f;
            } else {
                index = (row[x / 8] >> (7 - x % 8)) & 1;
            }
            const std::uint8_t* c = table + 4 * index;
            out[x] = index < entries ? qRgb(c[2], c[1], c[0]) : qRgb(0, 0, 0);
        }
    }
    return image;
}
