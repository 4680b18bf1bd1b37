#include "locked_picture.h"

#include <cstring>

LockedPicture::LockedPicture(platform::MemHandle block)
    : block_(block), data_(static_cast<std::uint8_t*>(platform::memLock(block))) {
    std::memcpy(&width_, data_ + 4, 4);
    std::memcpy(&height_, data_ + 8, 4);
}

LockedPicture::~LockedPicture() {
    platform::memUnlock(block_);
}

TImageDesc LockedPicture::imageDesc(std::uint8_t* pixels) const {
    return TImageDesc{width_, height_, static_cast<std::int32_t>(stride()), TWK_ROWS_BOTTOM_UP,
                      3,      pixels};
}

const std::uint8_t* LockedPicture::pixel(int x, int y) const {
    return pixels() + static_cast<std::size_t>(height_ - 1 - y) * stride() +
           static_cast<std::size_t>(x) * 3;
}
