// JPEG pictures for Qt's picture framework through the codec family: the program's handler for
// "jpg" and "jpeg", so that every picture Qt loads by extension (the open dialog's preview
// above all) decodes through libjpeg here.
#pragma once

#include <QImageIOHandler>

#include <functional>

class Q_DECL_EXPORT JpegImageHandler : public QImageIOHandler {
public:
    enum class Stage { Starting, Running, Finished };
    // Where loading and saving report their stages ("Opening JPEG Image", "Decompressing
    // Image" or "Compressing Image" with a percentage, "Decompression completed").
    static std::function<void(Stage, int percent, const QString& text)> progressObserver;

    bool canRead() const override;
    bool read(QImage* image) override;
    bool write(const QImage& image) override;
    bool supportsOption(ImageOption option) const override;
    QVariant option(ImageOption option) const override;
    void setOption(ImageOption option, const QVariant& value) override;

    static bool canRead(QIODevice* device);

private:
    int quality_ = 75;
};
