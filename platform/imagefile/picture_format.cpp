#include "platform/picture_format.h"

#include <algorithm>
#include <array>
#include <cctype>
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

std::span<const std::string_view> pictureExtensions(PictureFormat format) {
    static constexpr std::string_view bmp[] = {"bmp"};
    static constexpr std::string_view jpeg[] = {"jpg", "jpeg", "jpe"};
    static constexpr std::string_view tiff[] = {"tif", "tiff"};
    static constexpr std::string_view png[] = {"png"};
    static constexpr std::string_view pcx[] = {"pcx"};
    switch (format) {
    case PictureFormat::Bmp:
        return bmp;
    case PictureFormat::Jpeg:
        return jpeg;
    case PictureFormat::Tiff:
        return tiff;
    case PictureFormat::Png:
        return png;
    case PictureFormat::Pcx:
        return pcx;
    default:
        return {};
    }
}

// The usual extensions are string literals, so their views end in a zero.
const char* pictureExtension(PictureFormat format) {
    const std::span<const std::string_view> extensions = pictureExtensions(format);
    return extensions.empty() ? "" : extensions.front().data();
}

PictureFormat pictureFormatOfExtension(std::string_view extension) {
    auto sameIgnoringCase = [&](std::string_view known) {
        return std::equal(
            extension.begin(), extension.end(), known.begin(), known.end(),
            [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    };
    for (const PictureFormat format : {PictureFormat::Bmp, PictureFormat::Jpeg, PictureFormat::Tiff,
                                       PictureFormat::Png, PictureFormat::Pcx}) {
        const std::span<const std::string_view> extensions = pictureExtensions(format);
        if (std::any_of(extensions.begin(), extensions.end(), sameIgnoringCase)) {
            return format;
        }
    }
    return PictureFormat::Unknown;
}

} // namespace platform
