#include "platform/picture_metadata_file.h"

#include "picture_header.h"
#include "platform/picture_format.h"

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>

namespace platform {

namespace {

// The tags of the first IFD that say how a file stores its pixels (sizes, samples, strips and
// tiles, compression, colour tables, resolution) or that the other blocks carry (the XMP packet,
// the ICC profile). They belong to the file they were read from, not to the picture.
constexpr std::array<std::uint16_t, 36> storageTags{
    0x00fe, 0x00ff, 0x0100, 0x0101, 0x0102, 0x0103, 0x0106, 0x0107, 0x010a, 0x0111, 0x0115, 0x0116,
    0x0117, 0x0118, 0x0119, 0x011a, 0x011b, 0x011c, 0x0128, 0x013d, 0x0140, 0x0142, 0x0143, 0x0144,
    0x0145, 0x014a, 0x0152, 0x0153, 0x015b, 0x0201, 0x0202, 0x0211, 0x0212, 0x0213, 0x02bc, 0x8773};

constexpr std::uint16_t orientationTag = 0x0112;
const char* const orientationKey = "Exif.Image.Orientation";
const char* const xmpOrientationKey = "Xmp.tiff.Orientation";

// The XMP toolkit must be set up once before its first use, and exiv2's warnings go to the
// standard error stream unless muted: the callers report failures themselves.
void prepareExiv2() {
    static std::once_flag prepared;
    std::call_once(prepared, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
    });
}

// The groups of other images than the picture: the thumbnail (IFD1), the sub-images of TIFF
// and raw files, and the further IFDs some raw files have.
bool isOtherImagesGroup(const std::string& group) {
    return group == "Thumbnail" || group.starts_with("SubImage") || group.starts_with("SubThumb") ||
           group == "Image2" || group == "Image3";
}

bool isStorageTag(const Exiv2::Exifdatum& datum) {
    return datum.groupName() == "Image" &&
           std::find(storageTags.begin(), storageTags.end(), datum.tag()) != storageTags.end();
}

bool isOrientation(const Exiv2::Exifdatum& datum) {
    return datum.groupName() == "Image" && datum.tag() == orientationTag;
}

// Removes what belongs to the file or to other images than the picture, and the thumbnail.
void keepPictureTags(Exiv2::ExifData& exif) {
    for (auto datum = exif.begin(); datum != exif.end();) {
        if (isStorageTag(*datum) || isOtherImagesGroup(datum->groupName())) {
            datum = exif.erase(datum);
        } else {
            ++datum;
        }
    }
}

int orientationOf(const Exiv2::ExifData& exif) {
    const auto found = exif.findKey(Exiv2::ExifKey(orientationKey));
    if (found == exif.end() || found->count() == 0) {
        return 1;
    }
    const long value = found->toLong();
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
}

void setUpright(Exiv2::ExifData& exif) {
    exif[orientationKey] = std::uint16_t{1};
}

// A block that says nothing but that the picture stands upright is no block: the program's
// own TIFF files have just the orientation left once the storage tags are gone.
bool saysOnlyOrientation(const Exiv2::ExifData& exif) {
    return std::all_of(exif.begin(), exif.end(), isOrientation);
}

std::string bytesOf(const Exiv2::byte* data, long size) {
    return size > 0
               ? std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size))
               : std::string();
}

std::string exifBlockOf(Exiv2::Image& image) {
    Exiv2::ExifData exif = image.exifData();
    keepPictureTags(exif);
    if (exif.empty() || saysOnlyOrientation(exif)) {
        return {};
    }
    if (exif.findKey(Exiv2::ExifKey(orientationKey)) != exif.end()) {
        setUpright(exif);
    }
    const Exiv2::ByteOrder order =
        image.byteOrder() == Exiv2::invalidByteOrder ? Exiv2::littleEndian : image.byteOrder();
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, order, exif);
    return std::string(blob.begin(), blob.end());
}

// The XMP packet as the file has it, unless it states an orientation other than 1: then as
// re-encoded with orientation 1, as the pixels are turned upright.
std::string xmpPacketOf(Exiv2::Image& image) {
    Exiv2::XmpData& xmp = image.xmpData();
    const auto orientation = xmp.findKey(Exiv2::XmpKey(xmpOrientationKey));
    if (orientation == xmp.end() || orientation->toLong() == 1) {
        return image.xmpPacket();
    }
    orientation->setValue("1");
    std::string packet;
    if (Exiv2::XmpParser::encode(packet, xmp, Exiv2::XmpParser::useCompactFormat) != 0) {
        return image.xmpPacket();
    }
    return packet;
}

std::string iccProfileOf(Exiv2::Image& image) {
    const Exiv2::DataBuf* profile = image.iccProfile();
    return bytesOf(profile->pData_, profile->size_);
}

// Puts the tags of an EXIF block into the file's own (which for a TIFF file hold how it
// stores its pixels), upright, and with the file's pixel sizes where the block gives sizes.
bool putExif(Exiv2::Image& image, const std::string& block, bool keepFileByteOrder) {
    Exiv2::ExifData exif;
    const Exiv2::ByteOrder order =
        Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(block.data()),
                                  static_cast<uint32_t>(block.size()));
    if (order == Exiv2::invalidByteOrder) {
        return false;
    }
    keepPictureTags(exif);
    Exiv2::ExifData& target = image.exifData();
    for (const Exiv2::Exifdatum& datum : exif) {
        target[datum.key()].setValue(&datum.value());
    }
    setUpright(target);
    const auto width = target.findKey(Exiv2::ExifKey("Exif.Photo.PixelXDimension"));
    if (width != target.end()) {
        width->setValue(std::to_string(image.pixelWidth()));
    }
    const auto height = target.findKey(Exiv2::ExifKey("Exif.Photo.PixelYDimension"));
    if (height != target.end()) {
        height->setValue(std::to_string(image.pixelHeight()));
    }
    if (!keepFileByteOrder) {
        image.setByteOrder(order);
    }
    return true;
}

void putIcc(Exiv2::Image& image, const std::string& profile) {
    Exiv2::DataBuf buffer(reinterpret_cast<const Exiv2::byte*>(profile.data()),
                          static_cast<long>(profile.size()));
    // Carried as the file had it: a profile with a header the checks dislike is still the
    // user's profile.
    image.setIccProfile(buffer, false);
}

bool writeInto(Exiv2::Image& image, const MetadataBlocks& blocks, bool isTiff) {
    if (!blocks.exif.empty() && !putExif(image, blocks.exif, isTiff)) {
        return false;
    }
    if (!blocks.xmp.empty()) {
        image.setXmpPacket(blocks.xmp);
        image.writeXmpFromPacket(true);
    }
    if (!blocks.icc.empty()) {
        putIcc(image, blocks.icc);
    }
    image.writeMetadata();
    return true;
}

// Writes the blocks into the whole file through exiv2.
bool writeIntoFile(const std::string& path, const MetadataBlocks& blocks, bool isTiff) {
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    return writeInto(*image, blocks, isTiff);
}

// JPEG and PNG files: exiv2 rewrites just the header, in memory, which the file then gets in
// place of its own (see picture_header.h).
bool writeIntoHeader(const std::string& path, const MetadataBlocks& blocks,
                     const PictureHeader& header, PictureFormat format) {
    Exiv2::Image::AutoPtr image =
        Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(header.file.data()),
                                  static_cast<long>(header.file.size()));
    image->readMetadata();
    if (!writeInto(*image, blocks, false)) {
        return false;
    }
    Exiv2::BasicIo& written = image->io();
    if (written.open() != 0) {
        return false;
    }
    const Exiv2::DataBuf bytes = written.read(written.size());
    const std::optional<std::string> newHeader =
        headerOfFile(std::string(reinterpret_cast<const char*>(bytes.pData_),
                                 static_cast<std::size_t>(bytes.size_)),
                     format);
    return newHeader && replacePictureHeader(path, header.length, *newHeader);
}

// The extension of a file name without its dot; empty when the name has none.
std::string_view extensionOf(const std::string& path) {
    const std::size_t dot = path.find_last_of("./");
    if (dot == std::string::npos || path[dot] != '.') {
        return {};
    }
    return std::string_view(path).substr(dot + 1);
}

} // namespace

FileMetadata readPictureMetadata(const std::string& path) {
    prepareExiv2();
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
        image->readMetadata();
        FileMetadata metadata;
        metadata.orientation = orientationOf(image->exifData());
        metadata.decodedUpright = pictureFormatOfFile(path.c_str()) == PictureFormat::Tiff;
        metadata.blocks.exif = exifBlockOf(*image);
        metadata.blocks.xmp = xmpPacketOf(*image);
        metadata.blocks.icc = iccProfileOf(*image);
        return metadata;
    } catch (const std::exception&) {
        return {};
    }
}

bool writePictureMetadata(const std::string& path, const MetadataBlocks& blocks) {
    prepareExiv2();
    try {
        const PictureFormat format = pictureFormatOfFile(path.c_str());
        const std::optional<PictureHeader> header = readPictureHeader(path, format);
        return header ? writeIntoHeader(path, blocks, *header, format)
                      : writeIntoFile(path, blocks, format == PictureFormat::Tiff);
    } catch (const std::exception&) {
        return false;
    }
}

bool formatHoldsMetadata(const std::string& path) {
    const PictureFormat format = pictureFormatOfExtension(extensionOf(path));
    return format == PictureFormat::Jpeg || format == PictureFormat::Tiff ||
           format == PictureFormat::Png;
}

} // namespace platform
