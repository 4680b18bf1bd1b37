// The program's windows: repainting a 1920 x 1080 view of a 50-megapixel picture at 1:16, 1:1
// and 4:1 (against a memcpy of the view's pixels, x_memcpy); opening a 24-megapixel JPEG given
// on the command line until its window is painted (against decoding it alone, x_decode: 1.0
// would cost nothing beyond the decoding); Start with Auto on a 24-megapixel picture into a new
// window until it is painted (records, engine, window and paint, against the engine call plus
// one allocation and copy of the picture, x_engine_copy); and starting the main window (against
// an empty main window with a workspace, x_empty).
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise (xcb under xvfb-run).
#include "bench_program.h"
#include "correction_commands.h"
#include "dib_pattern.h"
#include "image_file_commands.h"
#include "main_window.h"
#include "operation_panel.h"
#include "repaint_timing.h"
#include "settings_store.h"

#include <QApplication>
#include <QCheckBox>
#include <QMdiArea>
#include <QScrollBar>
#include <QTemporaryDir>

#include "bench_main.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <functional>

namespace {

using Program = BenchProgram;

void BM_Repaint(benchmark::State& state) {
    static Program program;
    static TfrmMDIChild* window =
        program.main.NewImageWindow(patternDib(8660, 5774), "50MP"); // 50 megapixels
    const int z = static_cast<int>(state.range(0));
    window->SetZoom(z);
    for (int attempt = 0; attempt < 3; ++attempt) { // the scroll bars change the view's size
        window->resize(window->size() + (QSize(1920, 1080) - window->View()->viewport()->size()));
        QApplication::processEvents();
    }
    QScrollBar* horizontal = window->View()->horizontalScrollBar();
    QScrollBar* vertical = window->View()->verticalScrollBar();
    horizontal->setValue(horizontal->maximum() / 2 + 1);
    vertical->setValue(vertical->maximum() / 2 + 1);
    QApplication::processEvents();
    timeRepaints(state, *window->View()->viewport());
}
BENCHMARK(BM_Repaint)->Arg(-16)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

QString benchJpeg() {
    static const QString name = [] {
        const QString file = BenchProgram::scratch().filePath("24mp.jpg");
        auto image = patternDib(6000, 4000);
        image->SaveToFile(QFile::encodeName(file).constData(), nullptr, 9u << 12);
        return file;
    }();
    return name;
}

// Paints every window that waits for it, as the event loop would before the user sees it.
void paintNow() {
    QApplication::processEvents();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible()) {
            top->repaint();
        }
    }
}

void BM_OpenJpegFromTheCommandLine(benchmark::State& state) {
    static Program program;
    const QString file = benchJpeg();
    const QByteArray encoded = QFile::encodeName(file);
    double bestOpen = 1e9;
    double bestDecode = 1e9;
    for (auto _ : state) {
        bestOpen = std::min(bestOpen, secondsOf([&] {
                                program.main.StartUp({file});
                                paintNow();
                            }));
        state.PauseTiming();
        program.main.CloseAll();
        QApplication::processEvents();
        bestDecode = std::min(bestDecode, secondsOf([&] {
                                  TDIBImage alone;
                                  alone.LoadFromFile(encoded.constData(), nullptr);
                              }));
        state.ResumeTiming();
    }
    state.counters["best_ms"] = bestOpen * 1e3;
    state.counters["x_decode"] = bestDecode / bestOpen;
}
BENCHMARK(BM_OpenJpegFromTheCommandLine)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

// The least a correction into a new picture costs: a new picture with every page touched (the
// copy) and the engine's pass over it.
double engineAndCopy(const TDIBImage& source, const CorrectionSettings& settings,
                     const TfrmMDIChild& window) {
    return secondsOf([&] {
        TDIBImage destination;
        destination.CreateLike(source);
        std::memcpy(destination.Bits, source.Bits, source.ImageSize());
        CorrectionRecords records;
        records.Fill(settings, source, destination.Bits, window.Regions, window.HatchAreas);
        TWKDoImageOperation(records.EngineType(), records.Record(), nullptr);
        benchmark::DoNotOptimize(destination.Bits);
    });
}

void BM_StartIntoANewWindow(benchmark::State& state) {
    static Program program;
    TfrmMDIParent& main = program.main;
    main.CloseAll();
    TfrmMDIChild* source = main.NewImageWindow(patternDib(6000, 4000), "24MP");
    main.settings().config.CreateNewWindow = 1;
    main.correction().ChooseOperation(0);
    main.correction().operationPanel()->chbAuto->setChecked(true);
    main.SetToolMode(0);
    paintNow();
    double bestStart = 1e9;
    double bestBaseline = 1e9;
    for (auto _ : state) {
        main.mdiArea()->setActiveSubWindow(source);
        bestStart = std::min(bestStart, secondsOf([&] {
                                 main.correction().Start();
                                 paintNow();
                             }));
        state.PauseTiming();
        if (main.activeImageWindow() != source) {
            main.activeImageWindow()->close();
        }
        QApplication::processEvents();
        bestBaseline =
            std::min(bestBaseline, engineAndCopy(source->Image(),
                                                 main.correction().correctionSettings(), *source));
        state.ResumeTiming();
    }
    state.counters["best_ms"] = bestStart * 1e3;
    state.counters["x_engine_copy"] = bestBaseline / bestStart;
    main.CloseAll();
}
BENCHMARK(BM_StartIntoANewWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_StartUp(benchmark::State& state) {
    double bestProgram = 1e9;
    double bestEmpty = 1e9;
    for (auto _ : state) {
        bestProgram = std::min(bestProgram, secondsOf([] {
                                   Program program;
                                   QApplication::processEvents();
                               }));
        state.PauseTiming();
        bestEmpty = std::min(bestEmpty, secondsOf([] {
                                 QMainWindow empty;
                                 empty.setCentralWidget(new QMdiArea);
                                 empty.resize(2100, 1400);
                                 empty.show();
                                 QApplication::processEvents();
                             }));
        state.ResumeTiming();
    }
    state.counters["best_ms"] = bestProgram * 1e3;
    state.counters["x_empty"] = bestEmpty / bestProgram;
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    return runWindowBenchmarks(argc, argv);
}
