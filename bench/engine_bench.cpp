// The correction operations on a 24-megapixel picture.
#include "bench_picture.h"
#include "layer_search.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

BenchPicture& picture() {
    static BenchPicture p(6000, 4000);
    return p;
}

std::vector<TRefArea> referenceAreas = {
    {100, 100, 160, 160, 0, TWK_REF_WHITE, 0},
    {3000, 3000, 3060, 3060, 0, TWK_REF_BLACK, 0},
};

TCorrectionParams correction(double gamma) {
    TCorrectionParams p{};
    p.Size = sizeof(p);
    p.Image = picture().desc();
    p.Dest = picture().destination();
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
    picture().copyLoop(state);
}

void BM_ImageCorrection(benchmark::State& state) {
    picture().operationLoop(state, TWK_OP_IMAGE_CORRECTION, correction(1.0));
}

void BM_ImageCorrectionGamma(benchmark::State& state) {
    picture().operationLoop(state, TWK_OP_IMAGE_CORRECTION, correction(1.8));
}

TLayerSample oneSample() {
    return TLayerSample{{1500, 1500, 1520, 1520, nullptr}, picture().desc(), 10};
}

void BM_LayerCorrectionOneSample(benchmark::State& state) {
    TLayerSample sample = oneSample();
    TCorrectionParams p = correction(1.0);
    p.Samples = &sample;
    p.SampleCount = 1;
    picture().operationLoop(state, TWK_OP_LAYER_CORRECTION, p);
}

void BM_LayerSearchOneBox(benchmark::State& state) {
    std::vector<tintworks::LayerBounds> boxes;
    const TLayerSample sample = oneSample();
    tintworks::buildLayerBounds(&sample, 1, boxes);
    picture().searchLoop(state, boxes);
}

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageCorrection)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageCorrectionGamma)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LayerSearchOneBox)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LayerCorrectionOneSample)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
