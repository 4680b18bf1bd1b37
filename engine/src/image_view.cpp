#include "image_view.h"

#include <algorithm>

namespace tintworks {

std::optional<ImageView> viewOf(const TImageDesc& desc) {
    const bool validPixelSize = desc.BytesPerPixel == 3 || desc.BytesPerPixel == 4;
    const bool validOrder =
        desc.RowOrder == TWK_ROWS_BOTTOM_UP || desc.RowOrder == TWK_ROWS_TOP_DOWN;
    if (desc.Pixels == nullptr || desc.Width <= 0 || desc.Height <= 0 || !validPixelSize ||
        !validOrder) {
        return std::nullopt;
    }
    const std::int64_t rowBytes = std::int64_t{desc.Width} * desc.BytesPerPixel;
    if (desc.Stride < rowBytes) {
        return std::nullopt;
    }
    return ImageView{desc.Width,
                     desc.Height,
                     desc.Stride,
                     desc.BytesPerPixel,
                     desc.RowOrder == TWK_ROWS_BOTTOM_UP,
                     static_cast<std::uint8_t*>(desc.Pixels)};
}

Rect clipped(Rect rect, const Rect& to) {
    rect.left = std::max(rect.left, to.left);
    rect.top = std::max(rect.top, to.top);
    rect.right = std::min(rect.right, to.right);
    rect.bottom = std::min(rect.bottom, to.bottom);
    if (rect.empty()) {
        return {};
    }
    return rect;
}

Rect regionRect(const TImageRegion* region, const ImageView& image) {
    if (region == nullptr) {
        return image.bounds();
    }
    return clipped({region->Left, region->Top, region->Right, region->Bottom}, image.bounds());
}

Rect areaRect(const TRefArea& area, const ImageView& image) {
    return clipped({area.Left, area.Top, area.Right, area.Bottom}, image.bounds());
}

std::uint8_t maxChannel(const Color4& c, std::int32_t bytesPerPixel) {
    return *std::max_element(c.begin(), c.begin() + bytesPerPixel);
}

std::uint8_t minChannel(const Color4& c, std::int32_t bytesPerPixel) {
    return *std::min_element(c.begin(), c.begin() + bytesPerPixel);
}

} // namespace tintworks
