// Metadata as a camera writes it, put into picture files with exiv2 for the metadata tests and
// benchmark: EXIF with maker, model, capture date, orientation, the stored pixel sizes and a
// thumbnail; XMP with a title and the orientation; an ICC profile. And what a file holds, read
// back with exiv2. And a picture whose corners show where they went after any turn.
#pragma once

#include "dib_picture.h"

#include <exiv2/exiv2.hpp>

#include <array>
#include <cstdint>
#include <string>

namespace camera_metadata {

// The grey levels of the quadrants: top left, top right, bottom left, bottom right. Flat grey
// blocks at these levels come back from JPEG exactly at qualities 70 % to 90 %.
inline constexpr std::array<std::uint8_t, 4> quadrantGreys{8, 83, 173, 233};

// Four flat grey quadrants; sides multiples of 32, so that every JPEG block is flat.
inline Picture quadrantPicture(int width, int height) {
    Picture p{width, height, 0, 0,
              std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t grey =
                quadrantGreys[(y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1)];
            std::uint8_t* px = p.at(x, y);
            px[0] = px[1] = px[2] = grey;
        }
    }
    return p;
}

inline const std::string model = "Fieldcam R7";
inline const std::string captureDate = "2023:06:14 18:42:07";
inline const std::string title = "Dune at dusk";

inline void putBigEndian(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
    }
}

// A small display profile: the 128-byte header (size, version, class, colour space, signature),
// an empty tag table and bytes of its own after it, so that a lost or cut profile shows.
inline std::string iccProfile() {
    std::string profile(160, '\0');
    putBigEndian(profile, 0, static_cast<std::uint32_t>(profile.size()));
    putBigEndian(profile, 8, 0x02100000);
    profile.replace(12, 4, "mntr");
    profile.replace(16, 4, "RGB ");
    profile.replace(20, 4, "XYZ ");
    profile.replace(36, 4, "acsp");
    for (std::size_t i = 132; i < profile.size(); ++i) {
        profile[i] = static_cast<char>(i * 7);
    }
    return profile;
}

// Puts the camera's metadata into a JPEG, TIFF or PNG file whose pixels are `width` x `height`
// as stored.
inline void addTo(const std::string& path, int orientation, long width, long height) {
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    Exiv2::ExifData& exif = image->exifData();
    exif["Exif.Image.Make"] = std::string("Fieldcam");
    exif["Exif.Image.Model"] = model;
    exif["Exif.Image.Orientation"] = static_cast<std::uint16_t>(orientation);
    exif["Exif.Photo.DateTimeOriginal"] = captureDate;
    exif["Exif.Photo.PixelXDimension"] = static_cast<std::uint32_t>(width);
    exif["Exif.Photo.PixelYDimension"] = static_cast<std::uint32_t>(height);
    const Exiv2::byte thumbnail[] = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x02, 0xFF, 0xD9};
    Exiv2::ExifThumb(exif).setJpegThumbnail(thumbnail, sizeof thumbnail);
    Exiv2::XmpData& xmp = image->xmpData();
    xmp["Xmp.dc.title"] = title;
    xmp["Xmp.tiff.Orientation"] = std::to_string(orientation);
    const std::string profile = iccProfile();
    Exiv2::DataBuf buffer(reinterpret_cast<const Exiv2::byte*>(profile.data()),
                          static_cast<long>(profile.size()));
    image->setIccProfile(buffer);
    image->writeMetadata();
}

struct Found {
    std::string model;
    std::string captureDate;
    std::string title;
    long orientation = 0;    // 0: none
    long xmpOrientation = 0; // 0: none
    long pixelWidth = 0;     // Exif.Photo.PixelXDimension; 0: none
    long pixelHeight = 0;    // Exif.Photo.PixelYDimension; 0: none
    bool thumbnail = false;
    std::string icc;
};

inline long valueOf(const Exiv2::ExifData& exif, const char* key) {
    const auto found = exif.findKey(Exiv2::ExifKey(key));
    return found == exif.end() ? 0 : found->toLong();
}

inline std::string textOf(const Exiv2::ExifData& exif, const char* key) {
    const auto found = exif.findKey(Exiv2::ExifKey(key));
    return found == exif.end() ? std::string() : found->toString();
}

inline Found findIn(const Exiv2::ExifData& exif) {
    Found found;
    found.model = textOf(exif, "Exif.Image.Model");
    found.captureDate = textOf(exif, "Exif.Photo.DateTimeOriginal");
    found.orientation = valueOf(exif, "Exif.Image.Orientation");
    found.pixelWidth = valueOf(exif, "Exif.Photo.PixelXDimension");
    found.pixelHeight = valueOf(exif, "Exif.Photo.PixelYDimension");
    found.thumbnail = valueOf(exif, "Exif.Thumbnail.JPEGInterchangeFormat") != 0;
    return found;
}

// What a picture file holds, as exiv2 reads it.
inline Found readFrom(const std::string& path) {
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    Found found = findIn(image->exifData());
    const Exiv2::XmpData& xmp = image->xmpData();
    const auto title = xmp.findKey(Exiv2::XmpKey("Xmp.dc.title"));
    found.title = title == xmp.end() ? std::string() : title->toString(0);
    const auto orientation = xmp.findKey(Exiv2::XmpKey("Xmp.tiff.Orientation"));
    found.xmpOrientation = orientation == xmp.end() ? 0 : orientation->toLong();
    const Exiv2::DataBuf* icc = image->iccProfile();
    found.icc.assign(reinterpret_cast<const char*>(icc->pData_),
                     static_cast<std::size_t>(icc->size_));
    return found;
}

// What an EXIF block (a TIFF structure) holds.
inline Found readBlock(const std::string& block) {
    Exiv2::ExifData exif;
    Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(block.data()),
                              static_cast<std::uint32_t>(block.size()));
    return findIn(exif);
}

} // namespace camera_metadata
