#include "image_edits.h"
#include "sized_result.h"

#include <cstring>

int Crop(TDIBImage& image, const QRect& rect, TDIBImage& result, TProgressProc progress) {
    const int bytesPerPixel = image.BitCount() / 8;
    const QRect area = rect.intersected(QRect(0, 0, image.Width(), image.Height()));
    if ((bytesPerPixel != 1 && bytesPerPixel != 3) || area.isEmpty()) {
        return -1;
    }
    return createSized(image, area.width(), area.height(), result, [&] {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            const std::uint8_t* src =
                image.Bits + static_cast<std::size_t>(image.Height() - 1 - y) * image.RowStride() +
                static_cast<std::size_t>(area.left()) * bytesPerPixel;
            std::uint8_t* dst =
                result.Bits +
                static_cast<std::size_t>(area.height() - 1 - (y - area.top())) * result.RowStride();
            std::memcpy(dst, src, static_cast<std::size_t>(area.width()) * bytesPerPixel);
            if (progress != nullptr &&
                progress(static_cast<double>(y - area.top() + 1) / area.height()) == 0) {
                return false;
            }
        }
        return true;
    });
}
