// What a picture file holds beside its pixels and a correction must not lose: the EXIF and XMP
// blocks and the ICC colour profile, kept as the raw bytes the file had. An image window keeps
// the metadata of the file it was opened from, results made from it inherit it, and saving
// writes it into the formats that can hold it.
#pragma once

#include <QByteArray>

struct PictureMetadata {
    QByteArray Exif; // the EXIF block as a TIFF structure ("II*\0" or "MM\0*" first)
    QByteArray Xmp;  // the XMP packet, UTF-8
    QByteArray Icc;  // the ICC profile

    bool IsEmpty() const { return Exif.isEmpty() && Xmp.isEmpty() && Icc.isEmpty(); }
    bool operator==(const PictureMetadata&) const = default;
};
