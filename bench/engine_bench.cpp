// Engine throughput on a 24-megapixel picture. Every figure is printed in megapixels per
// second (MPix/s) and as a speed ratio to a plain memcpy of the same buffer (x_memcpy),
// measured in the same run: 1.0 would be as fast as copying the picture.
#include "layer_search.h"

#include "tintworks.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

constexpr int width = 6000;
constexpr int height = 4000;
constexpr int stride = (width * 3 + 3) / 4 * 4;

// A photo-like picture: smooth colour gradients with some grain, so that the layer search
// meets both long runs of similar colours and scattered ones.
const std::vector<std::uint8_t>& picture() {
    static const std::vector<std::uint8_t> pixels = [] {
        std::vector<std::uint8_t> p(static_cast<std::size_t>(stride) * height);
        std::uint32_t grain = 12345;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                grain = grain * 1664525u + 1013904223u;
                const int noise = static_cast<int>(grain >> 28) - 8;
                std::uint8_t* px = p.data() + static_cast<std::size_t>(y) * stride + x * 3;
                px[0] = static_cast<std::uint8_t>(std::clamp(40 + x * 180 / width + noise, 0, 255));
                px[1] =
                    static_cast<std::uint8_t>(std::clamp(60 + y * 150 / height + noise, 0, 255));
                px[2] = static_cast<std::uint8_t>(
                    std::clamp(200 - (x + y) * 160 / (width + height) + noise, 0, 255));
            }
        }
        return p;
    }();
    return pixels;
}

std::vector<std::uint8_t>& destination() {
    static std::vector<std::uint8_t> dest(picture().size());
    return dest;
}

// Seconds for one memcpy of the picture, the best of many (the first ones also warm up the
// processor), measured once per run.
double memcpySeconds() {
    static const double seconds = [] {
        const auto& src = picture();
        auto& dst = destination();
        double best = 1e9;
        for (int i = 0; i < 60; ++i) {
            const auto start = std::chrono::steady_clock::now();
            std::memcpy(dst.data(), src.data(), src.size());
            benchmark::ClobberMemory();
            best = std::min(
                best,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        return best;
    }();
    return seconds;
}

void reportRates(benchmark::State& state) {
    const double iterations = static_cast<double>(state.iterations());
    state.counters["MPix/s"] =
        benchmark::Counter(iterations * width * height / 1e6, benchmark::Counter::kIsRate);
    state.counters["x_memcpy"] =
        benchmark::Counter(iterations * memcpySeconds(), benchmark::Counter::kIsRate);
}

TImageDesc pictureDesc() {
    return TImageDesc{
        width, height, stride, TWK_ROWS_BOTTOM_UP, 3, const_cast<std::uint8_t*>(picture().data())};
}

std::vector<TRefArea> referenceAreas = {
    {100, 100, 160, 160, 0, TWK_REF_WHITE, 0},
    {3000, 3000, 3060, 3060, 0, TWK_REF_BLACK, 0},
};

TCorrectionParams correction(double gamma) {
    TCorrectionParams p{};
    p.Size = sizeof(p);
    p.Image = pictureDesc();
    p.Dest = destination().data();
    p.RefAreas = referenceAreas.data();
    p.RefCount = static_cast<int32_t>(referenceAreas.size());
    p.WhiteMode = 2;
    p.BlackMode = 2;
    std::fill_n(p.LightLevel, 4, 255);
    p.WhiteTargetMode = 1;
    p.BlackTargetMode = 1;
    p.Gamma = gamma;
    return p;
}

void BM_Memcpy(benchmark::State& state) {
    const auto& src = picture();
    auto& dst = destination();
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::ClobberMemory();
    }
    reportRates(state);
}

void runCorrection(benchmark::State& state, int type, TCorrectionParams params) {
    for (auto _ : state) {
        if (TWKDoImageOperation(type, &params, nullptr) != TWK_OK) {
            state.SkipWithError("operation failed");
            break;
        }
        benchmark::ClobberMemory();
    }
    reportRates(state);
}

void BM_ImageCorrection(benchmark::State& state) {
    runCorrection(state, TWK_OP_IMAGE_CORRECTION, correction(1.0));
}

void BM_ImageCorrectionGamma(benchmark::State& state) {
    runCorrection(state, TWK_OP_IMAGE_CORRECTION, correction(1.8));
}

TLayerSample oneSample() {
    return TLayerSample{{1500, 1500, 1520, 1520, nullptr}, pictureDesc(), 10};
}

void BM_LayerCorrectionOneSample(benchmark::State& state) {
    TLayerSample sample = oneSample();
    TCorrectionParams p = correction(1.0);
    p.Samples = &sample;
    p.SampleCount = 1;
    runCorrection(state, TWK_OP_LAYER_CORRECTION, p);
}

void BM_LayerSearchOneBox(benchmark::State& state) {
    std::vector<tintworks::LayerBounds> boxes;
    const TLayerSample sample = oneSample();
    tintworks::buildLayerBounds(&sample, 1, boxes);
    const tintworks::ImageView image = *tintworks::viewOf(pictureDesc());
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

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageCorrection)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageCorrectionGamma)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LayerSearchOneBox)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LayerCorrectionOneSample)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
