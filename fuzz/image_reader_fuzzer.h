// The shared body of the image-reader fuzz targets: any bytes, no crash, and whatever a
// reader delivers (complete or not) is a whole picture of its stated size.
#pragma once

#include "codecs.h"

#include <cstdlib>

template <int (*Read)(imagefile::Source&, imagefile::Progress&, imagefile::DibBuffer&)>
int fuzzReader(const std::uint8_t* data, std::size_t size) {
    imagefile::Progress progress(nullptr);
    imagefile::DibBuffer picture;
    imagefile::MemorySource source({data, size});
    if (imagefile::deliversPicture(Read(source, progress, picture))) {
        platform::MemHandle block = picture.release();
        if (platform::memSize(block) < imagefile::infoHeaderSize) {
            std::abort();
        }
        platform::memFree(block);
    }
    return 0;
}
