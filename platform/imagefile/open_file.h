// A picture file opened for reading through a FileSource, with the checks every reader needs
// first: a regular file, and not larger than any picture within the pixel limit can be.
#pragma once

#include "source.h"

#include <optional>

namespace imagefile {

class OpenFile {
public:
    OpenFile() = default;
    ~OpenFile();
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    // IP_OK, or the IP_* code saying why the file cannot be read.
    int open(const char* name);
    // The file's bytes; only after open gave IP_OK.
    Source& source() { return *source_; }

private:
    int descriptor_ = -1;
    std::optional<FileSource> source_;
};

} // namespace imagefile
