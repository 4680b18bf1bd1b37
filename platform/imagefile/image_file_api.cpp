// ipImportInd and ipExportInd: the parameter block, the file, the format, and the codecs.
#include "codecs.h"

#include "platform/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace imagefile {

namespace {

// Files larger than this are not read (no picture within the pixel limit needs
// that many bytes).
constexpr std::uint64_t maxFileSize = std::uint64_t{2} << 30;

enum class Format { Bmp, Jpeg, Tiff, Png, Pcx, Unknown };

Format formatOfContent(Bytes bytes) {
    auto starts = [&](std::initializer_list<std::uint8_t> magic) {
        return bytes.size() >= magic.size() &&
               std::equal(magic.begin(), magic.end(), bytes.begin());
    };
    if (starts({'B', 'M'})) {
        return Format::Bmp;
    }
    if (starts({0xFF, 0xD8, 0xFF})) {
        return Format::Jpeg;
    }
    if (starts({'I', 'I', 42, 0}) || starts({'M', 'M', 0, 42}) || starts({'I', 'I', 43, 0}) ||
        starts({'M', 'M', 0, 43})) {
        return Format::Tiff;
    }
    if (starts({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'})) {
        return Format::Png;
    }
    if (bytes.size() >= 128 && bytes[0] == 10 && bytes[1] <= 5 && bytes[2] <= 1) {
        return Format::Pcx;
    }
    return Format::Unknown;
}

Format formatOfName(const std::string& name) {
    const std::size_t dot = name.find_last_of("./");
    if (dot == std::string::npos || name[dot] != '.') {
        return Format::Unknown;
    }
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (extension == "bmp") {
        return Format::Bmp;
    }
    if (extension == "jpg" || extension == "jpeg") {
        return Format::Jpeg;
    }
    if (extension == "tif" || extension == "tiff") {
        return Format::Tiff;
    }
    if (extension == "png") {
        return Format::Png;
    }
    return extension == "pcx" ? Format::Pcx : Format::Unknown;
}

int openErrorCode(int error) {
    if (error == ENOENT || error == ENOTDIR) {
        return IP_FILE_NOT_FOUND;
    }
    return error == ENOMEM ? IP_NO_MEMORY : IP_CANNOT_OPEN;
}

// The file's bytes, mapped read-only into memory (as libtiff and most image libraries read
// files); unmapped when the object goes.
class FileBytes {
public:
    FileBytes() = default;
    ~FileBytes() {
        if (data_ != nullptr) {
            ::munmap(data_, size_);
        }
    }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    int open(const char* name) {
        const int descriptor = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (descriptor < 0) {
            return openErrorCode(errno);
        }
        struct stat status {};
        int result = IP_OK;
        if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
            result = IP_CANNOT_OPEN;
        } else if (static_cast<std::uint64_t>(status.st_size) > maxFileSize) {
            result = IP_TOO_LARGE;
        } else if (status.st_size > 0) {
            size_ = static_cast<std::size_t>(status.st_size);
            void* mapped =
                ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, descriptor, 0);
            if (mapped == MAP_FAILED) {
                result = errno == ENOMEM ? IP_NO_MEMORY : IP_CANNOT_OPEN;
                size_ = 0;
            } else {
                data_ = mapped;
            }
        }
        ::close(descriptor);
        return result;
    }
    Bytes bytes() const { return {static_cast<const std::uint8_t*>(data_), size_}; }

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
};

int decode(Format format, Bytes bytes, Progress& progress, DibBuffer& out) {
    switch (format) {
    case Format::Bmp:
        return readBmp(bytes, progress, out);
    case Format::Jpeg:
        return readJpeg(bytes, progress, out);
    case Format::Tiff:
        return readTiff(bytes, progress, out);
    case Format::Png:
        return readPng(bytes, progress, out);
    case Format::Pcx:
        return readPcx(bytes, progress, out);
    default:
        return IP_UNKNOWN_FORMAT;
    }
}

int jpegQuality(std::uint32_t flags) {
    const std::uint32_t step = (flags & IP_JPEG_QUALITY_MASK) >> IP_JPEG_QUALITY_SHIFT;
    return step == 0 ? 75 : static_cast<int>(std::min<std::uint32_t>(step, 10) * 10);
}

// Writes the picture to an open temporary file; closes the descriptor. Write errors, also those
// that only closing reports, fail the save before the file replaces anything; the data is not
// forced to disk (fsync) on every save, which would cost more than the encoding of a large
// TIFF.
int encodeInto(int descriptor, Format format, const DibView& picture, std::uint32_t flags,
               Progress& progress) {
    if (format == Format::Tiff) {
        const int result = writeTiff(picture, descriptor,
                                     (flags & IP_TIFF_PACKBITS) == IP_TIFF_PACKBITS, progress);
        return ::close(descriptor) != 0 && result == IP_OK ? IP_WRITE_FAILED : result;
    }
    std::FILE* file = ::fdopen(descriptor, "wb");
    if (file == nullptr) {
        ::close(descriptor);
        return IP_NO_MEMORY;
    }
    int result = IP_OK;
    switch (format) {
    case Format::Bmp:
        result = writeBmp(picture, file, progress);
        break;
    case Format::Jpeg:
        result = writeJpeg(picture, file, jpegQuality(flags), progress);
        break;
    case Format::Png:
        result = writePng(picture, file, (flags & IP_PNG_INTERLACED) != 0, progress);
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

constexpr std::uint32_t formatBits =
    IP_TIFF_UNCOMPRESSED | IP_TIFF_PACKBITS | IP_PNG_INTERLACED | IP_JPEG_QUALITY_MASK;

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
        FileBytes file;
        if (const int opened = file.open(params->FileName); opened != IP_OK) {
            return opened;
        }
        Progress progress(params->Progress);
        DibBuffer picture;
        const int result = decode(formatOfContent(file.bytes()), file.bytes(), progress, picture);
        if (result != IP_OK) {
            return result;
        }
        params->Bitmap = picture.release();
        return IP_OK;
    } catch (const std::bad_alloc&) {
        return IP_NO_MEMORY;
    }
}

extern "C" IP_API int32_t IP_CALL ipExportInd(TImportExportParams* params) {
    if (!validBlock(params, IP_EXPORT)) {
        return IP_BAD_PARAMETERS;
    }
    const Format format = formatOfName(params->FileName);
    if (format == Format::Unknown) {
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
