#include "jpeg_image_handler.h"

#include "jpeg_codec.h"

#include <QImage>
#include <QVariant>

#include <cstring>
#include <memory>

std::function<void(JpegImageHandler::Stage, int, const QString&)>
    JpegImageHandler::progressObserver;

namespace {

void reportStage(JpegImageHandler::Stage stage, int percent, const char* text) {
    if (JpegImageHandler::progressObserver) {
        JpegImageHandler::progressObserver(stage, percent, QString::fromLatin1(text));
    }
}

// Hooks the codec's progress for one call: the previous handler still runs first.
class ProgressHook {
public:
    ProgressHook(TJPEGBase& codec, const char* text) : codec_(codec), previous_(codec.OnProgress) {
        codec.OnProgress = [this, text] {
            if (previous_) {
                previous_();
            }
            reportStage(JpegImageHandler::Stage::Running, codec_.PercentDone(), text);
        };
    }
    ~ProgressHook() { codec_.OnProgress = previous_; }
    ProgressHook(const ProgressHook&) = delete;
    ProgressHook& operator=(const ProgressHook&) = delete;

private:
    TJPEGBase& codec_;
    std::function<void()> previous_;
};

QImage imageOf(const PackedBitmap& bitmap) {
    const int width = bitmap.width();
    const int height = bitmap.height();
    const bool indexed = bitmap.bitCount() == 8;
    QImage image(width, height, indexed ? QImage::Format_Indexed8 : QImage::Format_BGR888);
    if (indexed) {
        QList<QRgb> table;
        for (std::uint32_t i = 0; i < bitmap.colorsUsed(); ++i) {
            const std::uint8_t* c = bitmap.colorTable() + i * 4;
            table.push_back(qRgb(c[2], c[1], c[0]));
        }
        image.setColorTable(table);
    }
    const int rowBytes = indexed ? width : width * 3;
    for (int y = 0; y < height; ++y) {
        std::memcpy(image.scanLine(y),
                    bitmap.rows() + std::size_t{bitmap.rowStride()} * (height - 1 - y),
                    static_cast<std::size_t>(rowBytes));
    }
    image.setText("Decoder", "Huemark");
    return image;
}

} // namespace

bool JpegImageHandler::canRead(QIODevice* device) {
    return device != nullptr && device->peek(2) == QByteArray("\xFF\xD8", 2);
}

bool JpegImageHandler::canRead() const {
    if (!canRead(device())) {
        return false;
    }
    setFormat("jpg");
    return true;
}

bool JpegImageHandler::read(QImage* image) {
    std::unique_ptr<TJPEGStreamDecompressor> own;
    TJPEGStreamDecompressor* codec = TJPEGStreamDecompressor::Shared();
    if (codec == nullptr) {
        own = std::make_unique<TJPEGStreamDecompressor>();
        codec = own.get();
    }
    reportStage(Stage::Starting, 0, "Opening JPEG Image");
    try {
        ProgressHook hook(*codec, "Decompressing Image");
        codec->Source = device();
        codec->ReadHeader();
        const auto mode = codec->IsGrayscale() || codec->GrayscaleOutput
                              ? TJPEGDecompressor::GreyLevels
                              : TJPEGDecompressor::TrueColour;
        *image = imageOf(codec->Decompress(mode));
    } catch (const JpegError&) {
        reportStage(Stage::Finished, 100, "Decompression completed");
        return false;
    }
    reportStage(Stage::Finished, 100, "Decompression completed");
    return true;
}

bool JpegImageHandler::write(const QImage& image) {
    std::unique_ptr<TJPEGStreamCompressor> own;
    TJPEGStreamCompressor* codec = TJPEGStreamCompressor::Shared();
    if (codec == nullptr) {
        own = std::make_unique<TJPEGStreamCompressor>();
        codec = own.get();
    }
    reportStage(Stage::Starting, 0, "Opening JPEG Image");
    bool written = true;
    try {
        ProgressHook hook(*codec, "Compressing Image");
        codec->Target = device();
        codec->SetQuality(quality_);
        codec->Compress(image);
    } catch (const JpegError&) {
        written = false;
    }
    reportStage(Stage::Finished, 100, "Decompression completed");
    return written;
}

bool JpegImageHandler::supportsOption(ImageOption option) const {
    return option == Quality;
}

QVariant JpegImageHandler::option(ImageOption option) const {
    return option == Quality ? QVariant(quality_) : QVariant();
}

void JpegImageHandler::setOption(ImageOption option, const QVariant& value) {
    if (option == Quality) {
        const int quality = value.toInt();
        quality_ = quality < 0 ? 75 : std::min(quality, 100);
    }
}
