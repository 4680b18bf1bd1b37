// The panorama window: repainting a 1920 x 1080 drawing surface at 1:8 that shows four
// 24-megapixel pictures overlapping as 2 x 2, against a memcpy of the surface's pixels
// (x_memcpy) and against the 16 ms of one frame at 60 Hz (x_frame: 1.0 or more keeps up).
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "dib_pattern.h"
#include "language.h"
#include "panorama_canvas.h"
#include "panorama_form.h"
#include "repaint_timing.h"

#include <QApplication>

#include "bench_main.h"

#include <benchmark/benchmark.h>

namespace {

void BM_RepaintPanorama(benchmark::State& state) {
    TLanguage language;
    language.Load(HUEMARK_DATA_DIR "/Language/English.ini");
    std::vector<std::unique_ptr<TDIBImage>> pictures;
    std::vector<PanoramaSource> sources;
    for (int i = 0; i < 4; ++i) {
        pictures.push_back(patternDib(6000, 4000));
        sources.push_back({QString("p%1").arg(i), pictures.back()->Header, pictures.back()->Bits});
    }
    TPanoramaForm form(language);
    form.LoadImages(sources);
    form.show();
    QApplication::processEvents();
    auto* canvas = form.findChild<PanoramaCanvas*>();
    for (int attempt = 0; attempt < 3; ++attempt) {
        form.resize(form.size() + (QSize(1920, 1080) - canvas->viewport()->size()));
        QApplication::processEvents();
    }
    form.SetZoom(-8);
    QApplication::processEvents();
    state.counters["x_frame"] = 0.016 / timeRepaints(state, *canvas->viewport());
}
BENCHMARK(BM_RepaintPanorama)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return runWindowBenchmarks(argc, argv);
}
