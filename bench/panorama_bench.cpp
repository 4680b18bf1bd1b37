// Building a panorama from four 24-megapixel pictures that overlap as 2 x 2 (1000 columns and
// rows in common), against a memcpy of the result's bytes measured in the same run
// (x_memcpy: 1.0 would be as fast as copying the result once).
//
// As in the image edits' benchmark, freed blocks stay in the heap for the next result, so that
// the build and the memcpy both write into pages the process has touched before.
#include "dib_image.h"
#include "panorama_build.h"
#include "panorama_model.h"

#include "bench_main.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int pictureWidth = 6000;
constexpr int pictureHeight = 4000;
constexpr int overlap = 1000;

std::unique_ptr<TDIBImage> benchPicture(std::uint8_t shade) {
    auto image = std::make_unique<TDIBImage>();
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = pictureWidth;
    header.biHeight = pictureHeight;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biXPelsPerMeter = 11811;
    header.biYPelsPerMeter = 11811;
    if (!image->CreateFromHeader(header)) {
        return nullptr;
    }
    const std::uint32_t bytes = image->ImageSize();
    for (std::uint32_t i = 0; i < bytes; ++i) {
        image->Bits[i] = static_cast<std::uint8_t>(shade + i % 251);
    }
    return image;
}

struct Assembly {
    std::vector<std::unique_ptr<TDIBImage>> pictures;
    PanoramaModel model;
    std::size_t resultBytes = 0;
    double memcpySeconds = 0.0;
};

// The best of many memcpys of the result's bytes (the first ones also warm up the processor).
double memcpySecondsFor(std::size_t bytes) {
    std::vector<std::uint8_t> from(bytes, 0x5A);
    std::vector<std::uint8_t> to(bytes, 0);
    double best = 1e9;
    for (int i = 0; i < 20; ++i) {
        const auto start = std::chrono::steady_clock::now();
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

Assembly& assembly() {
    static Assembly a = [] {
        Assembly made;
        std::vector<PanoramaSource> sources;
        for (std::uint8_t i = 0; i < 4; ++i) {
            made.pictures.push_back(benchPicture(static_cast<std::uint8_t>(60 * i)));
            if (made.pictures.back() == nullptr) {
                return made;
            }
            sources.push_back({"bench", made.pictures.back()->Header, made.pictures.back()->Bits});
        }
        made.model.LoadImages(sources);
        const std::array<QPoint, 4> places{QPoint(0, 0), QPoint(pictureWidth - overlap, 0),
                                           QPoint(0, pictureHeight - overlap),
                                           QPoint(pictureWidth - overlap, pictureHeight - overlap)};
        for (int i = 0; i < 4; ++i) {
            const TImagePanoramaData& item = made.model.Items()[i];
            made.model.MoveBy(i, places[i] - QPoint(item.Left, item.Top));
        }
        TDIBImage first;
        if (BuildPanorama(made.model.Items(), first) == PanoramaBuilt) {
            made.resultBytes = first.ImageSize();
        }
        return made;
    }();
    return a;
}

void reportRates(benchmark::State& state, double memcpySeconds, std::size_t bytes) {
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["MPix/s"] = benchmark::Counter(iterations * static_cast<double>(bytes) / 3 / 1e6,
                                                  benchmark::Counter::kIsRate);
    state.counters["x_memcpy"] =
        benchmark::Counter(iterations * memcpySeconds, benchmark::Counter::kIsRate);
}

Assembly* readyAssembly(benchmark::State& state) {
    Assembly& a = assembly();
    if (a.resultBytes == 0) {
        state.SkipWithError("no memory for the pictures");
        return nullptr;
    }
    if (a.memcpySeconds == 0.0) {
        a.memcpySeconds = memcpySecondsFor(a.resultBytes);
    }
    return &a;
}

void BM_MemcpyOfTheResult(benchmark::State& state) {
    Assembly* a = readyAssembly(state);
    if (a == nullptr) {
        return;
    }
    std::vector<std::uint8_t> from(a->resultBytes, 0x5A);
    std::vector<std::uint8_t> to(a->resultBytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), a->resultBytes);
        benchmark::ClobberMemory();
    }
    reportRates(state, a->memcpySeconds, a->resultBytes);
}

// The whole build, allocation of the result included.
void BM_BuildFourPictures2x2(benchmark::State& state) {
    Assembly* a = readyAssembly(state);
    if (a == nullptr) {
        return;
    }
    for (auto _ : state) {
        TDIBImage result;
        if (BuildPanorama(a->model.Items(), result) != PanoramaBuilt) {
            state.SkipWithError("building failed");
            break;
        }
        benchmark::ClobberMemory();
    }
    reportRates(state, a->memcpySeconds, a->resultBytes);
}

} // namespace

BENCHMARK(BM_MemcpyOfTheResult)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BuildFourPictures2x2)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    return runBenchmarksKeepingTheHeap(argc, argv);
}
