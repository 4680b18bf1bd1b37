// How a picture file was written, as the export format bits that write a picture so again:
// saving a picture back to the file it came from keeps the file's format and options.
#pragma once

#include "platform/picture_format.h"

#include <cstdint>

namespace platform {

struct PictureWriting {
    // The format the file's content shows; Unknown when it cannot be read.
    PictureFormat format = PictureFormat::Unknown;
    // IP_EXPORT's format bits: a JPEG file's quality in percent (IP_JPEG_PERCENT_SHIFT), taken
    // from its luminance table, which a file written with libjpeg's standard tables gives back
    // exactly, and IP_JPEG_FULL_CHROMA when its colour is not subsampled; a TIFF file's
    // compression (Deflate as IP_TIFF_DEFLATE, any other as PackBits, the other compression
    // export writes); whether a PNG file is interlaced. 0 for BMP and PCX.
    std::uint32_t bits = 0;
};

IP_API PictureWriting pictureWritingOfFile(const char* fileName);

} // namespace platform
