#include "preview_pictures.h"

#include "picture_image.h"

#include "dib_image.h"

namespace {
QSize boundedBy(QSize size, int side) {
    return size.width() <= side && size.height() <= side
               ? size
               : size.scaled(side, side, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}
} // namespace

// Sampling first to twice the reduction's size keeps the cost to the pixels sampled rather
// than to the whole picture; the smooth step after it averages what the sampling skipped.
QImage TPreviewPictures::reduce(const TDIBImage& picture) {
    const QImage rows = storedRows(picture);
    if (rows.isNull()) {
        return {};
    }
    const QSize sampled = boundedBy(rows.size(), 2 * ReducedSide);
    const QImage sample = sampled == rows.size()
                              ? rows
                              : rows.scaled(sampled, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return sample
        .scaled(boundedBy(sample.size(), ReducedSide), Qt::IgnoreAspectRatio,
                Qt::SmoothTransformation)
        .mirrored()
        .convertToFormat(QImage::Format_RGB32);
}

const QImage& TPreviewPictures::At(const TDIBImage& picture, QSize size) {
    static const QImage none;
    if (size.isEmpty()) {
        return none;
    }
    Copies& copies = copies_[&picture];
    if (copies.reduced.isNull()) {
        copies.reduced = reduce(picture);
    }
    if (copies.shown.size() != size && !copies.reduced.isNull()) {
        copies.shown = copies.reduced.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return copies.shown;
}
