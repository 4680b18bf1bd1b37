#include "platform/picture_writing.h"

#include "codecs.h"
#include "open_file.h"

namespace imagefile {

namespace {

using platform::PictureFormat;

// A PNG file's interlace method is the last byte of its header chunk, which comes first.
constexpr std::uint64_t pngInterlaceOffset = 28;

std::uint32_t jpegBits(Source& file) {
    const std::optional<JpegWriting> writing = jpegWritingOf(file);
    if (!writing) {
        return 0;
    }
    const std::uint32_t quality = static_cast<std::uint32_t>(writing->quality)
                                  << IP_JPEG_PERCENT_SHIFT;
    return quality | (writing->fullChroma ? std::uint32_t{IP_JPEG_FULL_CHROMA} : 0u);
}

std::uint32_t tiffBits(Source& file) {
    const std::optional<TiffCompression> compression = tiffWritingOf(file);
    if (!compression) {
        return 0;
    }
    switch (*compression) {
    case TiffCompression::None:
        return IP_TIFF_UNCOMPRESSED;
    case TiffCompression::Deflate:
        return IP_TIFF_DEFLATE;
    default:
        return IP_TIFF_PACKBITS;
    }
}

std::uint32_t pngBits(Source& file) {
    const std::vector<std::uint8_t> method = file.bytesAt(pngInterlaceOffset, 1);
    return !method.empty() && method.front() == 1 ? IP_PNG_INTERLACED : 0;
}

std::uint32_t bitsOf(Source& file, PictureFormat format) {
    switch (format) {
    case PictureFormat::Jpeg:
        return jpegBits(file);
    case PictureFormat::Tiff:
        return tiffBits(file);
    case PictureFormat::Png:
        return pngBits(file);
    default:
        return 0;
    }
}

} // namespace

} // namespace imagefile

namespace platform {

PictureWriting pictureWritingOfFile(const char* fileName) {
    imagefile::OpenFile file;
    if (file.open(fileName) != IP_OK) {
        return {};
    }
    PictureWriting writing;
    writing.format = pictureFormatOfContent(file.source().bytesAt(0, 128));
    try {
        writing.bits = imagefile::bitsOf(file.source(), writing.format);
    } catch (const std::bad_alloc&) {
        writing.bits = 0;
    }
    return writing;
}

} // namespace platform
