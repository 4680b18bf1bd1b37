#include "picture_image.h"

#include "dib_image.h"

#include <QPainter>

namespace {
constexpr std::uint32_t infoHeaderSize = 40;

QList<QRgb> colourTable(const TDIBImage& picture) {
    const auto* table = reinterpret_cast<const std::uint8_t*>(picture.Header) + infoHeaderSize;
    QList<QRgb> colours((picture.HeaderSize() - infoHeaderSize) / 4);
    for (qsizetype i = 0; i < colours.size(); ++i) {
        colours[i] = qRgb(table[4 * i + 2], table[4 * i + 1], table[4 * i]);
    }
    return colours;
}

QImage sharedRows(const TDIBImage& picture, QImage::Format format) {
    return QImage(picture.Bits, picture.Width(), picture.Height(), qsizetype(picture.RowStride()),
                  format);
}

// Two pixels a byte, the high half first, as one index a byte.
QImage expandedNibbles(const TDIBImage& picture) {
    QImage rows(picture.Width(), picture.Height(), QImage::Format_Indexed8);
    if (rows.isNull()) {
        return rows;
    }
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* from = picture.Bits + std::size_t(y) * picture.RowStride();
        uchar* to = rows.scanLine(y);
        for (int x = 0; x < picture.Width(); ++x) {
            const std::uint8_t pair = from[x / 2];
            to[x] = x % 2 == 0 ? pair >> 4 : pair & 0x0F;
        }
    }
    return rows;
}
} // namespace

QImage storedRows(const TDIBImage& picture) {
    if (picture.Bits == nullptr || picture.Width() <= 0 || picture.Height() <= 0) {
        return {};
    }
    QImage rows;
    switch (picture.BitCount()) {
    case 1:
        rows = sharedRows(picture, QImage::Format_Mono);
        break;
    case 4:
        rows = expandedNibbles(picture);
        break;
    case 8:
        rows = sharedRows(picture, QImage::Format_Indexed8);
        break;
    case 24:
        return sharedRows(picture, QImage::Format_BGR888);
    case 32:
        return sharedRows(picture, QImage::Format_RGB32);
    default:
        return {};
    }
    // Qt pads a short table with black, so an index beyond it shows black.
    rows.setColorTable(colourTable(picture));
    return rows;
}

void drawPicture(QPainter& painter, const QRect& target, const TDIBImage& picture) {
    const QImage rows = storedRows(picture);
    if (rows.isNull() || target.isEmpty()) {
        return;
    }
    painter.save();
    painter.translate(target.left(), target.top() + target.height());
    painter.scale(1, -1);
    painter.drawImage(QRectF(0, 0, target.width(), target.height()), rows);
    painter.restore();
}
