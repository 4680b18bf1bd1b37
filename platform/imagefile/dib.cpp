#include "dib.h"

#include "platform/image_file.h"

#include <cmath>
#include <cstring>

namespace imagefile {

DibBuffer::~DibBuffer() {
    if (handle_ != nullptr) {
        platform::memUnlock(handle_);
        platform::memFree(handle_);
    }
}

int checkPictureSize(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) {
        return IP_TOO_LARGE;
    }
    const std::uint64_t area =
        static_cast<std::uint64_t>(rowStride24(width)) * static_cast<std::uint64_t>(height);
    return area > maxPixelArea ? IP_TOO_LARGE : IP_OK;
}

int DibBuffer::create(std::int64_t width, std::int64_t height) {
    if (const int size = checkPictureSize(width, height); size != IP_OK) {
        return size;
    }
    const std::uint64_t area =
        static_cast<std::uint64_t>(rowStride24(width)) * static_cast<std::uint64_t>(height);
    handle_ = platform::memAlloc(infoHeaderSize + area, platform::MemZeroInit);
    if (handle_ == nullptr) {
        return IP_NO_MEMORY;
    }
    data_ = static_cast<std::uint8_t*>(platform::memLock(handle_));
    pixels_ = data_ + infoHeaderSize;
    BITMAPINFOHEADER h{};
    h.biSize = infoHeaderSize;
    h.biWidth = static_cast<std::int32_t>(width);
    h.biHeight = static_cast<std::int32_t>(height);
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biSizeImage = static_cast<std::uint32_t>(area);
    std::memcpy(data_, &h, sizeof h);
    return IP_OK;
}

void DibBuffer::setResolution(std::int32_t xPelsPerMeter, std::int32_t yPelsPerMeter) {
    header()->biXPelsPerMeter = xPelsPerMeter;
    header()->biYPelsPerMeter = yPelsPerMeter;
}

platform::MemHandle DibBuffer::release() {
    platform::memUnlock(handle_);
    platform::MemHandle handle = handle_;
    handle_ = nullptr;
    return handle;
}

DibView::DibView(platform::MemHandle handle) : handle_(handle) {
    data_ = static_cast<std::uint8_t*>(platform::memLock(handle));
    if (data_ == nullptr) {
        return;
    }
    const std::size_t size = platform::memSize(handle);
    if (size < infoHeaderSize) {
        return;
    }
    std::memcpy(&header_, data_, sizeof header_);
    const bool packed24 = header_.biBitCount == 24 && header_.biCompression == 0 &&
                          header_.biSize >= infoHeaderSize && header_.biWidth > 0 &&
                          header_.biHeight != 0 && header_.biHeight != INT32_MIN;
    if (!packed24) {
        return;
    }
    const std::uint64_t needed =
        std::uint64_t{header_.biSize} + 4ull * header_.biClrUsed +
        static_cast<std::uint64_t>(rowStride24(header_.biWidth)) * height();
    if (needed <= size) {
        rows_ = data_ + header_.biSize + 4ull * header_.biClrUsed;
    }
}

DibView::~DibView() {
    if (data_ != nullptr) {
        platform::memUnlock(handle_);
    }
}

namespace {
std::int32_t roundedPels(double value) {
    if (!(value > 0.0) || value > INT32_MAX) {
        return 0;
    }
    return static_cast<std::int32_t>(std::lround(value));
}
} // namespace

std::int32_t pelsPerMeterFromInch(double dotsPerInch) {
    return roundedPels(dotsPerInch / 0.0254);
}

std::int32_t pelsPerMeterFromCentimetre(double dotsPerCentimetre) {
    return roundedPels(dotsPerCentimetre * 100.0);
}

double dotsPerInch(std::int32_t pelsPerMeter) {
    return pelsPerMeter * 0.0254;
}

} // namespace imagefile
