#include "bench_picture.h"

#include "layer_search.h"

#include <algorithm>
#include <chrono>
#include <cstring>

// Smooth colour gradients with some grain, so that layer searches meet both long runs of
// similar colours and scattered ones.
BenchPicture::BenchPicture(int width, int height)
    : width_(width), height_(height), stride_((width * 3 + 3) / 4 * 4),
      pixels_(static_cast<std::size_t>(stride_) * height), destination_(pixels_.size()) {
    std::uint32_t grain = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            grain = grain * 1664525u + 1013904223u;
            const int noise = static_cast<int>(grain >> 28) - 8;
            std::uint8_t* px = pixels_.data() + static_cast<std::size_t>(y) * stride_ + x * 3;
            px[0] = static_cast<std::uint8_t>(std::clamp(40 + x * 180 / width + noise, 0, 255));
            px[1] = static_cast<std::uint8_t>(std::clamp(60 + y * 150 / height + noise, 0, 255));
            px[2] = static_cast<std::uint8_t>(
                std::clamp(200 - (x + y) * 160 / (width + height) + noise, 0, 255));
        }
    }
}

TImageDesc BenchPicture::desc() {
    return TImageDesc{width_, height_, stride_, TWK_ROWS_BOTTOM_UP, 3, pixels_.data()};
}

double BenchPicture::memcpySeconds() {
    if (memcpySeconds_ == 0.0) {
        double best = 1e9;
        for (int i = 0; i < 60; ++i) {
            const auto start = std::chrono::steady_clock::now();
            std::memcpy(destination_.data(), pixels_.data(), pixels_.size());
            benchmark::ClobberMemory();
            best = std::min(
                best,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        memcpySeconds_ = best;
    }
    return memcpySeconds_;
}

void BenchPicture::reportRates(benchmark::State& state) {
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["MPix/s"] =
        benchmark::Counter(iterations * width_ * height_ / 1e6, benchmark::Counter::kIsRate);
    state.counters["x_memcpy"] =
        benchmark::Counter(iterations * memcpySeconds(), benchmark::Counter::kIsRate);
}

void BenchPicture::copyLoop(benchmark::State& state) {
    for (auto _ : state) {
        std::memcpy(destination_.data(), pixels_.data(), pixels_.size());
        benchmark::ClobberMemory();
    }
    reportRates(state);
}

void BenchPicture::searchLoop(benchmark::State& state,
                              const std::vector<tintworks::LayerBounds>& boxes) {
    const tintworks::ImageView image = *tintworks::viewOf(desc());
    for (auto _ : state) {
        std::optional<tintworks::BitMask> mask;
        if (tintworks::searchLayer(image, nullptr, boxes, nullptr, mask) != TWK_OK) {
            state.SkipWithError("search failed");
            break;
        }
        benchmark::DoNotOptimize(mask);
    }
    reportRates(state);
}
