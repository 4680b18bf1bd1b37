// ipImportInd and ipExportInd: the parameter block, the file, the format, and the codecs.
#include "codecs.h"
#include "open_file.h"

#include "platform/atomic_file.h"
#include "platform/picture_format.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace imagefile {

namespace {

using platform::PictureFormat;

PictureFormat formatOfName(const std::string& name) {
    const std::size_t dot = name.find_last_of("./");
    if (dot == std::string::npos || name[dot] != '.') {
        return PictureFormat::Unknown;
    }
    return platform::pictureFormatOfExtension(std::string_view(name).substr(dot + 1));
}

int decode(Source& file, Progress& progress, DibBuffer& out) {
    const std::vector<std::uint8_t> first = file.bytesAt(0, 128);
    switch (platform::pictureFormatOfContent(first)) {
    case PictureFormat::Bmp:
        return readBmp(file, progress, out);
    case PictureFormat::Jpeg:
        return readJpeg(file, progress, out);
    case PictureFormat::Tiff:
        return readTiff(file, progress, out);
    case PictureFormat::Png:
        return readPng(file, progress, out);
    case PictureFormat::Pcx:
        return readPcx(file, progress, out);
    default:
        return IP_UNKNOWN_FORMAT;
    }
}

int jpegQuality(std::uint32_t flags) {
    if (const std::uint32_t percent = (flags & IP_JPEG_PERCENT_MASK) >> IP_JPEG_PERCENT_SHIFT;
        percent != 0) {
        return static_cast<int>(std::min<std::uint32_t>(percent, 100));
    }
    const std::uint32_t step = (flags & IP_JPEG_QUALITY_MASK) >> IP_JPEG_QUALITY_SHIFT;
    return step == 0 ? 75 : static_cast<int>(std::min<std::uint32_t>(step, 10) * 10);
}

JpegWriting jpegWriting(std::uint32_t flags) {
    return {jpegQuality(flags), (flags & IP_JPEG_FULL_CHROMA) != 0};
}

TiffCompression tiffCompression(std::uint32_t flags) {
    if ((flags & IP_TIFF_DEFLATE) != 0) {
        return TiffCompression::Deflate;
    }
    return (flags & IP_TIFF_PACKBITS) == IP_TIFF_PACKBITS ? TiffCompression::PackBits
                                                          : TiffCompression::None;
}

// The encoders hand their output over a few kilobytes at a time; gathered here, it reaches the
// file in a few large writes instead of one system call per piece (some 1,500 for a 24 MP JPEG).
constexpr std::size_t writeBufferBytes = std::size_t{1} << 20;

// Writes the picture to an open temporary file; closes the descriptor. Write errors, also those
// that only closing reports, fail the save before the file replaces anything; the data is not
// forced to disk (fsync) on every save, which would cost more than the encoding of a large
// TIFF.
int encodeInto(int descriptor, PictureFormat format, const DibView& picture, std::uint32_t flags,
               Progress& progress) {
    if (format == PictureFormat::Tiff) {
        const int result = writeTiff(picture, descriptor, tiffCompression(flags), progress);
        return ::close(descriptor) != 0 && result == IP_OK ? IP_WRITE_FAILED : result;
    }
    std::FILE* file = ::fdopen(descriptor, "wb");
    if (file == nullptr) {
        ::close(descriptor);
        return IP_NO_MEMORY;
    }
    // Without the memory for it the file keeps its standard buffer.
    const std::unique_ptr<char[]> buffer(new (std::nothrow) char[writeBufferBytes]);
    if (buffer != nullptr) {
        std::setvbuf(file, buffer.get(), _IOFBF, writeBufferBytes);
    }
    int result = IP_OK;
    switch (format) {
    case PictureFormat::Bmp:
        result = writeBmp(picture, file, progress);
        break;
    case PictureFormat::Jpeg:
        result = writeJpeg(picture, file, jpegWriting(flags), progress);
        break;
    case PictureFormat::Png:
        result =
            writePng(picture, file,
                     {(flags & IP_PNG_INTERLACED) != 0, (flags & IP_PNG_SMALLEST) != 0}, progress);
        break;
    default:
        result = writePcx(picture, file, progress);
        break;
    }
    if (result == IP_OK && std::fflush(file) != 0) {
        result = IP_WRITE_FAILED;
    }
    return std::fclose(file) != 0 && result == IP_OK ? IP_WRITE_FAILED : result;
}

constexpr std::uint32_t formatBits = IP_TIFF_UNCOMPRESSED | IP_TIFF_PACKBITS | IP_TIFF_DEFLATE |
                                     IP_PNG_INTERLACED | IP_PNG_SMALLEST | IP_JPEG_QUALITY_MASK |
                                     IP_JPEG_PERCENT_MASK | IP_JPEG_FULL_CHROMA;

bool validBlock(const TImportExportParams* params, std::uint32_t direction) {
    return params != nullptr && params->Size == sizeof(TImportExportParams) &&
           (params->Flags & ~formatBits) == direction && params->FileName != nullptr &&
           params->FileName[0] != '\0';
}

} // namespace

} // namespace imagefile

using namespace imagefile;

extern "C" IP_API int32_t IP_CALL ipImportInd(TImportExportParams* params) {
    if (!validBlock(params, IP_IMPORT)) {
        return IP_BAD_PARAMETERS;
    }
    try {
        OpenFile file;
        if (const int opened = file.open(params->FileName); opened != IP_OK) {
            return opened;
        }
        Progress progress(params->Progress);
        DibBuffer picture;
        const int result = decode(file.source(), progress, picture);
        if (deliversPicture(result)) {
            params->Bitmap = picture.release();
        }
        return result;
    } catch (const std::bad_alloc&) {
        return IP_NO_MEMORY;
    }
}

extern "C" IP_API int32_t IP_CALL ipExportInd(TImportExportParams* params) {
    if (!validBlock(params, IP_EXPORT)) {
        return IP_BAD_PARAMETERS;
    }
    const PictureFormat format = formatOfName(params->FileName);
    if (format == PictureFormat::Unknown) {
        return IP_UNKNOWN_FORMAT;
    }
    try {
        const DibView picture(static_cast<platform::MemHandle>(params->Bitmap));
        if (!picture.valid()) {
            return IP_BAD_BITMAP;
        }
        platform::AtomicFile target(params->FileName);
        const int descriptor = target.open();
        if (descriptor < 0) {
            return errno == ENOMEM ? IP_NO_MEMORY : IP_CANNOT_OPEN;
        }
        Progress progress(params->Progress);
        int result = encodeInto(target.release(), format, picture, params->Flags, progress);
        if (result == IP_OK && !target.commit()) {
            result = IP_CANNOT_OPEN;
        }
        return result;
    } catch (const std::bad_alloc&) {
        return IP_NO_MEMORY;
    }
}
