// Layer operations, the colour filter and the replays on a 12-megapixel picture.
#include "bench_picture.h"
#include "layer_search.h"

#include <chrono>
#include <cstring>
#include <vector>

namespace {

BenchPicture& picture() {
    static BenchPicture p(4000, 3000);
    return p;
}

constexpr int filterSide = 100; // a 100 x 100 filter area: 10,000 boxes

TLayerSample sampleArea(int side, int range) {
    return TLayerSample{{2000, 1500, 2000 + side, 1500 + side, nullptr}, picture().desc(), range};
}

TLayerParams layerParams(TLayerSample& sample) {
    TLayerParams p{};
    p.Size = sizeof(p);
    p.Image = picture().desc();
    p.Dest = picture().destination();
    p.Samples = &sample;
    p.SampleCount = 1;
    return p;
}

void BM_Memcpy(benchmark::State& state) {
    picture().copyLoop(state);
}

void BM_LayerOperation(benchmark::State& state) {
    TLayerSample sample = sampleArea(20, 10);
    TLayerParams p = layerParams(sample);
    const int type = static_cast<int>(state.range(0));
    if (type == TWK_OP_LAYER_TRANSFER) {
        std::memset(p.Value.Color, 255, 4);
    } else {
        p.Value.Color[2] = 200;
    }
    picture().operationLoop(state, type, p);
}

void BM_ColorFilter100x100OnePass(benchmark::State& state) {
    TLayerSample sample = sampleArea(filterSide, 5);
    TLayerParams p = layerParams(sample);
    p.Value.Passes = 1;
    picture().operationLoop(state, TWK_OP_COLOR_FILTER, p);
}

// Layer searches with the boxes of one sample and of a 100 x 100 filter area; the second also
// prints its speed relative to the first (x_one_box), measured in the same run.
std::vector<tintworks::LayerBounds> boxesOf(int side, bool perPixel) {
    std::vector<tintworks::LayerBounds> boxes;
    const TLayerSample sample = sampleArea(side, 5);
    if (perPixel) {
        tintworks::buildPixelBounds(&sample, 1, boxes);
    } else {
        tintworks::buildLayerBounds(&sample, 1, boxes);
    }
    return boxes;
}

double searchSeconds(const std::vector<tintworks::LayerBounds>& boxes) {
    const tintworks::ImageView image = *tintworks::viewOf(picture().desc());
    std::optional<tintworks::BitMask> mask;
    const auto start = std::chrono::steady_clock::now();
    tintworks::searchLayer(image, nullptr, boxes, nullptr, mask);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double oneBoxSearchSeconds() {
    static const double seconds = [] {
        const auto boxes = boxesOf(20, false);
        double best = 1e9;
        for (int i = 0; i < 5; ++i) {
            best = std::min(best, searchSeconds(boxes));
        }
        return best;
    }();
    return seconds;
}

void runSearch(benchmark::State& state, const std::vector<tintworks::LayerBounds>& boxes) {
    picture().searchLoop(state, boxes);
    state.counters["boxes"] = static_cast<double>(boxes.size());
    state.counters["x_one_box"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * oneBoxSearchSeconds(),
                           benchmark::Counter::kIsRate);
}

void BM_SearchOneBox(benchmark::State& state) {
    runSearch(state, boxesOf(20, false));
}

void BM_Search10000Boxes(benchmark::State& state) {
    runSearch(state, boxesOf(filterSide, true));
}

// Each replay after one run of its operation has filled the slot.
void BM_Replay(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    TLayerSample sample = sampleArea(type == TWK_OP_COLOR_FILTER ? filterSide : 20, 5);
    int result = TWK_OK;
    if (type <= TWK_OP_LAYER_CORRECTION) {
        TCorrectionParams p{};
        p.Size = sizeof(p);
        p.Image = picture().desc();
        p.Dest = picture().destination();
        p.Auto = -1;
        p.WhiteMode = 2;
        p.BlackMode = 2;
        std::memset(p.LightLevel, 255, 4);
        p.WhiteTargetMode = 1;
        p.BlackTargetMode = 1;
        p.Samples = &sample;
        p.SampleCount = 1;
        p.Gamma = 1.0;
        result = TWKDoImageOperation(type, &p, nullptr);
    } else {
        TLayerParams p = layerParams(sample);
        p.Value.Passes = 1;
        if (type != TWK_OP_COLOR_FILTER) {
            std::memset(p.Value.Color, 200, 4);
        }
        result = TWKDoImageOperation(type, &p, nullptr);
    }
    TRepeatParams repeat{sizeof(TRepeatParams), picture().desc(), picture().destination(), nullptr};
    for (auto _ : state) {
        if (result != TWK_OK || TWKDoRepeatedImageOperation(type, &repeat, nullptr) != TWK_OK) {
            state.SkipWithError("replay failed");
            break;
        }
        benchmark::ClobberMemory();
    }
    picture().reportRates(state);
}

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LayerOperation)->DenseRange(2, 4)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ColorFilter100x100OnePass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchOneBox)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Search10000Boxes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Replay)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
