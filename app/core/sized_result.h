// The result of an edit: made like the source, with the source header showing the new size
// for the while.
#pragma once

#include "dib_image.h"

// Creates `result` like `image` at width x height and runs `make` on it, which returns false
// when the progress callback asked to stop. Returns 0, -1 when memory is short, or -2 when
// stopped (the partial result is freed). The source header is restored in every case.
template <typename Make>
int createSized(TDIBImage& image, std::int32_t width, std::int32_t height, TDIBImage& result,
                Make&& make) {
    const std::int32_t oldWidth = image.Header->biWidth;
    const std::int32_t oldHeight = image.Header->biHeight;
    image.Header->biWidth = width;
    image.Header->biHeight = height;
    const bool created = result.CreateLike(image);
    image.Header->biWidth = oldWidth;
    image.Header->biHeight = oldHeight;
    if (!created) {
        return -1;
    }
    result.Header->biSizeImage = result.ImageSize();
    if (!make()) {
        result.Clear(true);
        return -2;
    }
    return 0;
}
