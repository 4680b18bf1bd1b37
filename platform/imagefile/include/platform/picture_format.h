// The picture format a file's content shows, whatever the file is called: the image-file
// library reads by content, and the batch tool names its outputs by it when an input's name
// does not tell. And the format a file name's extension asks for, as export chooses it: the one
// list of extensions the library, the program and the batch tool know.
#pragma once

#include "platform/image_file.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace platform {

enum class PictureFormat { Bmp, Jpeg, Tiff, Png, Pcx, Unknown };

// From the file's first bytes (PCX needs its 128-byte header).
IP_API PictureFormat pictureFormatOfContent(std::span<const std::uint8_t> firstBytes);
// Reads the file's first bytes; Unknown when it cannot be read.
IP_API PictureFormat pictureFormatOfFile(const char* fileName);
// The usual extension without dot ("bmp", "jpg", "tif", "png", "pcx"); "" for Unknown.
IP_API const char* pictureExtension(PictureFormat format);
// Every extension without dot that names the format, the usual one first ("jpg", "jpeg",
// "jpe"); none for Unknown.
IP_API std::span<const std::string_view> pictureExtensions(PictureFormat format);
// The format an extension without dot names, in any case ("JPEG" is Jpeg); Unknown for others.
IP_API PictureFormat pictureFormatOfExtension(std::string_view extension);

} // namespace platform
