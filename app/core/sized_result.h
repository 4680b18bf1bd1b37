// The result of an edit: made like the source, with the source header showing the new size
// for the while.
#pragma once

#include "dib_image.h"

// Creates `result` like `image` at width x height and runs `make` on it; false when memory is
// short. The source header is restored in every case.
template <typename Make>
bool createSized(TDIBImage& image, std::int32_t width, std::int32_t height, TDIBImage& result,
                 Make&& make) {
    const std::int32_t oldWidth = image.Header->biWidth;
    const std::int32_t oldHeight = image.Header->biHeight;
    image.Header->biWidth = width;
    image.Header->biHeight = height;
    const bool created = result.CreateLike(image);
    image.Header->biWidth = oldWidth;
    image.Header->biHeight = oldHeight;
    if (created) {
        result.Header->biSizeImage = result.ImageSize();
        make();
    }
    return created;
}
