// Pixel buffers for engine tests: pictures in either row order, with optional row padding
// filled with a marker byte so that writes past a row's pixels show up.
#pragma once

#include "tintworks.h"

#include <array>
#include <cstdint>
#include <random>
#include <vector>

using Pixel = std::array<std::uint8_t, 4>; // channel 0 (blue), 1 (green), 2 (red), 3

inline Pixel bgr(int b, int g, int r) {
    return {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
            static_cast<std::uint8_t>(r), 0};
}

constexpr std::uint8_t paddingMarker = 0xA5;

class TestImage {
public:
    TestImage(int width, int height, int bytesPerPixel = 3, int rowOrder = TWK_ROWS_BOTTOM_UP,
              int extraStride = 0)
        : width_(width), height_(height), bpp_(bytesPerPixel), rowOrder_(rowOrder),
          stride_((width * bytesPerPixel + 3) / 4 * 4 + extraStride),
          bytes_(static_cast<std::size_t>(stride_) * height, paddingMarker) {
        fill(bgr(0, 0, 0));
    }

    int width() const { return width_; }
    int height() const { return height_; }
    int stride() const { return stride_; }
    std::uint8_t* data() { return bytes_.data(); }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

    std::uint8_t* at(int x, int y) {
        const int row = rowOrder_ == TWK_ROWS_BOTTOM_UP ? height_ - 1 - y : y;
        return bytes_.data() + static_cast<std::size_t>(row) * stride_ + x * bpp_;
    }
    const std::uint8_t* at(int x, int y) const { return const_cast<TestImage*>(this)->at(x, y); }

    void set(int x, int y, const Pixel& p) {
        for (int c = 0; c < bpp_; ++c) {
            at(x, y)[c] = p[c];
        }
    }
    Pixel get(int x, int y) const {
        Pixel p{};
        for (int c = 0; c < bpp_; ++c) {
            p[c] = at(x, y)[c];
        }
        return p;
    }
    void fillRect(int left, int top, int right, int bottom, const Pixel& p) {
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                set(x, y, p);
            }
        }
    }
    void fill(const Pixel& p) { fillRect(0, 0, width_, height_, p); }

    // Random pixels, every channel uniform in lo..hi.
    void randomize(std::uint32_t seed, int lo = 0, int hi = 255) {
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> value(lo, hi);
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                for (int c = 0; c < bpp_; ++c) {
                    at(x, y)[c] = static_cast<std::uint8_t>(value(random));
                }
            }
        }
    }

    // The same picture in another layout.
    TestImage relaid(int rowOrder, int extraStride = 0) const {
        TestImage copy(width_, height_, bpp_, rowOrder, extraStride);
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                copy.set(x, y, get(x, y));
            }
        }
        return copy;
    }

    // The picture's pixels, top row first, without padding.
    std::vector<std::uint8_t> picture() const {
        std::vector<std::uint8_t> out;
        for (int y = 0; y < height_; ++y) {
            out.insert(out.end(), at(0, y), at(0, y) + width_ * bpp_);
        }
        return out;
    }

    // True when every padding byte still holds the marker.
    bool paddingIntact() const {
        for (int row = 0; row < height_; ++row) {
            for (int i = width_ * bpp_; i < stride_; ++i) {
                if (bytes_[static_cast<std::size_t>(row) * stride_ + i] != paddingMarker) {
                    return false;
                }
            }
        }
        return true;
    }

    TImageDesc desc() {
        return TImageDesc{width_, height_, stride_, rowOrder_, bpp_, bytes_.data()};
    }

private:
    int width_;
    int height_;
    int bpp_;
    int rowOrder_;
    int stride_;
    std::vector<std::uint8_t> bytes_;
};
