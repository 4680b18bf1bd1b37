#include "platform/picture_format.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {
constexpr std::size_t pcxHeaderSize = 128;
}

PictureFormat pictureFormatOfContent(std::span<const std::uint8_t> bytes) {
    auto starts = [&](std::initializer_list<std::uint8_t> magic) {
        return bytes.size() >= magic.size() &&
               std::equal(magic.begin(), magic.end(), bytes.begin());
    };
    if (starts({'B', 'M'})) {
        return PictureFormat::Bmp;
    }
    if (starts({0xFF, 0xD8, 0xFF})) {
        return PictureFormat::Jpeg;
    }
    if (starts({'I', 'I', 42, 0}) || starts({'M', 'M', 0, 42}) || starts({'I', 'I', 43, 0}) ||
        starts({'M', 'M', 0, 43})) {
        return PictureFormat::Tiff;
    }
    if (starts({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'})) {
        return PictureFormat::Png;
    }
    if (bytes.size() >= pcxHeaderSize && bytes[0] == 10 && bytes[1] <= 5 && bytes[2] <= 1) {
        return PictureFormat::Pcx;
    }
    return PictureFormat::Unknown;
}

PictureFormat pictureFormatOfFile(const char* fileName) {
    const int descriptor = ::open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return PictureFormat::Unknown;
    }
    std::array<std::uint8_t, pcxHeaderSize> first{};
    const ssize_t got = ::pread(descriptor, first.data(), first.size(), 0);
    ::close(descriptor);
    return got > 0 ? pictureFormatOfContent({first.data(), static_cast<std::size_t>(got)})
                   : PictureFormat::Unknown;
}

const char* pictureExtension(PictureFormat format) {
    switch (format) {
    case PictureFormat::Bmp:
        return "bmp";
    case PictureFormat::Jpeg:
        return "jpg";
    case PictureFormat::Tiff:
        return "tif";
    case PictureFormat::Png:
        return "png";
    case PictureFormat::Pcx:
        return "pcx";
    default:
        return "";
    }
}

} // namespace platform
