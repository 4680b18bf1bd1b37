#include "jpeg_image_plugin.h"

#include "jpeg_image_handler.h"

QImageIOPlugin::Capabilities JpegImagePlugin::capabilities(QIODevice* device,
                                                           const QByteArray& format) const {
    if (format == "jpg" || format == "jpeg") {
        return CanRead | CanWrite;
    }
    if (!format.isEmpty() || device == nullptr || !device->isOpen()) {
        return {};
    }
    Capabilities capabilities;
    if (device->isReadable() && JpegImageHandler::canRead(device)) {
        capabilities |= CanRead;
    }
    return capabilities;
}

QImageIOHandler* JpegImagePlugin::create(QIODevice* device, const QByteArray& format) const {
    auto* handler = new JpegImageHandler;
    handler->setDevice(device);
    handler->setFormat(format);
    return handler;
}
