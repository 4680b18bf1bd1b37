// The part of a JPEG or PNG file in front of its compressed pixels, where its metadata lives:
// a JPEG file's segments up to and including the start-of-scan header, a PNG file's chunks
// before its first IDAT chunk. Putting metadata into a large photo changes only these few
// hundred bytes; exiv2 rewrites them as a file of their own in memory, and the compressed
// pixels behind them move within the file by the difference in length, which costs a small
// part of what copying the whole file through exiv2's small buffers does.
#pragma once

#include "platform/picture_format.h"

#include <optional>
#include <string>

namespace platform {

struct PictureHeader {
    // The header as a picture file of its own, for exiv2 (a PNG header gets an end chunk).
    std::string file;
    // How many bytes of the picture file the header takes.
    std::size_t length = 0;
};

// The header of a JPEG or PNG file; nothing when the file cannot be read, is of another
// format, or its header does not lie within its first 64 KB (the image-file library writes
// less than 1 KB).
std::optional<PictureHeader> readPictureHeader(const std::string& path, PictureFormat format);

// The header that a header file exiv2 has written stands for; nothing when it is not one.
std::optional<std::string> headerOfFile(const std::string& file, PictureFormat format);

// Replaces the first `oldLength` bytes of the file (its header) by `header`, in place; false on
// failure, when the file may be half rewritten (it is a staging file, which only a complete save
// keeps).
bool replacePictureHeader(const std::string& path, std::size_t oldLength,
                          const std::string& header);

} // namespace platform
