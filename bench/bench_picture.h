// Photo-like pictures for the benchmarks, and the figures every benchmark prints: megapixels
// per second (MPix/s) and the speed ratio to a plain memcpy of the same picture (x_memcpy),
// measured in the same run (1.0 would be as fast as copying the picture).
#pragma once

#include "layer_bounds.h"
#include "tintworks.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

class BenchPicture {
public:
    BenchPicture(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    std::uint8_t* destination() { return destination_.data(); }
    // The picture as the engine's source (bottom-up, 3 bytes per pixel).
    TImageDesc desc();

    // Seconds for one memcpy of the picture, the best of many (the first ones also warm up the
    // processor), measured once per picture.
    double memcpySeconds();

    void reportRates(benchmark::State& state);

    // The baseline as a benchmark of its own: copies of the picture into the destination.
    void copyLoop(benchmark::State& state);

    // Searches the picture for the layer of `boxes` in the benchmark loop and reports the rates.
    void searchLoop(benchmark::State& state, const std::vector<tintworks::LayerBounds>& boxes);

    // Runs TWKDoImageOperation(type, params) in the benchmark loop and reports the rates.
    template <typename Params>
    void operationLoop(benchmark::State& state, int type, Params params) {
        for (auto _ : state) {
            if (TWKDoImageOperation(type, &params, nullptr) != TWK_OK) {
                state.SkipWithError("operation failed");
                break;
            }
            benchmark::ClobberMemory();
        }
        reportRates(state);
    }

private:
    int width_;
    int height_;
    int stride_;
    std::vector<std::uint8_t> pixels_;
    std::vector<std::uint8_t> destination_;
    double memcpySeconds_ = 0.0;
};
