#include "picture_clipboard.h"

#include "dib_image.h"

#include <QImage>
#include <QMimeData>
#include <QPainter>

#include <cstring>

namespace picture_clipboard {
namespace {

const QString bmpFormat = "image/bmp";
constexpr int fileHeaderSize = 14;

QByteArray packedBitmapOf(const TDIBImage& image) {
    const qsizetype size = qsizetype(image.HeaderSize()) + qsizetype(image.ImageSize());
    QByteArray bytes;
    bytes.resize(size);
    std::memcpy(bytes.data(), image.Header, image.HeaderSize());
    std::memcpy(bytes.data() + image.HeaderSize(), image.Bits, image.ImageSize());
    return bytes;
}

void putLittleEndian(QByteArray& bytes, int offset, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[offset + i] = char((value >> (8 * i)) & 0xff);
    }
}

// A BMP file: "BM", the file size, two reserved words and where the rows start.
QByteArray bmpFileOf(const QByteArray& packed, std::uint32_t headerSize) {
    QByteArray file(fileHeaderSize, '\0');
    file[0] = 'B';
    file[1] = 'M';
    putLittleEndian(file, 2, std::uint32_t(fileHeaderSize + packed.size()), 4);
    putLittleEndian(file, 10, std::uint32_t(fileHeaderSize) + headerSize, 4);
    return file + packed;
}

QImage qtImageOf(const TDIBImage& image) {
    QImage stored(image.Bits, image.Width(), image.Height(), qsizetype(image.RowStride()),
                  QImage::Format_BGR888);
    QImage picture = stored.mirrored().convertToFormat(QImage::Format_RGB32);
    picture.setDotsPerMeterX(image.Header->biXPelsPerMeter);
    picture.setDotsPerMeterY(image.Header->biYPelsPerMeter);
    return picture;
}

// A packed bitmap checked whole: 24-bit pictures are taken, other depths refused.
Paste fromPackedBitmap(const QByteArray& bytes, std::unique_ptr<TDIBImage>& picture) {
    if (!platform::packedBitmapFits(bytes.constData(), std::size_t(bytes.size()))) {
        return Paste::NoPicture;
    }
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes.constData(), sizeof header);
    if (header.biBitCount != 24) {
        return Paste::NotTrueColour;
    }
    auto result = std::make_unique<TDIBImage>();
    if (!result->CreateFromHeader(header)) {
        return Paste::OutOfMemory;
    }
    std::memcpy(result->Header, bytes.constData(), result->HeaderSize());
    std::memcpy(result->Bits, bytes.constData() + result->HeaderSize(), result->ImageSize());
    picture = std::move(result);
    return Paste::Picture;
}

// Indexed, grey and one-bit pictures are not taken: the program works on true colour only.
bool trueColour(const QImage& image) {
    switch (image.format()) {
    case QImage::Format_Invalid:
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
    case QImage::Format_Alpha8:
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16:
        return false;
    default:
        return true;
    }
}

// Another program's picture: colour pictures over white as 24 bits, the resolution kept.
Paste fromImage(const QImage& image, std::unique_ptr<TDIBImage>& picture) {
    if (!trueColour(image)) {
        return image.isNull() ? Paste::NoPicture : Paste::NotTrueColour;
    }
    if (image.width() > 65535 || image.height() > 65535) {
        return Paste::OutOfMemory;
    }
    QImage flat(image.size(), QImage::Format_RGB888);
    if (flat.isNull()) {
        return Paste::OutOfMemory;
    }
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, image);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = image.width();
    header.biHeight = image.height();
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biXPelsPerMeter = image.dotsPerMeterX();
    header.biYPelsPerMeter = image.dotsPerMeterY();
    auto result = std::make_unique<TDIBImage>();
    if (!result->CreateFromHeader(header)) {
        return Paste::OutOfMemory;
    }
    for (int y = 0; y < flat.height(); ++y) {
        const std::uint8_t* in = flat.constScanLine(y);
        std::uint8_t* out = result->Bits + std::size_t(flat.height() - 1 - y) * result->RowStride();
        for (int x = 0; x < flat.width(); ++x) { // red, green, blue to blue, green, red
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    picture = std::move(result);
    return Paste::Picture;
}

} // namespace

std::unique_ptr<QMimeData> mimeDataOf(const TDIBImage& image) {
    auto data = std::make_unique<QMimeData>();
    const QByteArray packed = packedBitmapOf(image);
    data->setData(ownFormat, packed);
    data->setData(bmpFormat, bmpFileOf(packed, image.HeaderSize()));
    data->setImageData(qtImageOf(image));
    return data;
}

bool offersPicture(const QMimeData* data) {
    return data != nullptr &&
           (data->hasFormat(ownFormat) || data->hasFormat(bmpFormat) || data->hasImage());
}

Paste pictureOf(const QMimeData* data, std::unique_ptr<TDIBImage>& picture) {
    if (data == nullptr) {
        return Paste::NoPicture;
    }
    if (data->hasFormat(ownFormat)) {
        return fromPackedBitmap(data->data(ownFormat), picture);
    }
    if (data->hasFormat(bmpFormat)) {
        // A 24-bit BMP file is taken as it is; any other goes the way of other pictures.
        const QByteArray file = data->data(bmpFormat);
        if (file.size() > fileHeaderSize && file.startsWith("BM") &&
            fromPackedBitmap(file.mid(fileHeaderSize), picture) == Paste::Picture) {
            return Paste::Picture;
        }
    }
    return data->hasImage() ? fromImage(qvariant_cast<QImage>(data->imageData()), picture)
                            : Paste::NoPicture;
}

} // namespace picture_clipboard
