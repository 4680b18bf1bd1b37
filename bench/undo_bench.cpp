// Undoing a correction of a 24-megapixel picture in its window, as Ctrl+Z does it (the Undo
// command until the window's view of 1920 x 1080 at 1:1 is painted), against a memcpy of the
// picture's pixels measured in the same run: undo_per_copy is the ratio of their best times
// (0 would cost nothing; the aim is at most 1.2). command_ms and command_per_copy are the Undo
// command alone, the exchange of the window's states without the painting.
//
// Keeping the state before the correction, which makes the undo possible, is measured against
// the same copy (keep_per_copy); it takes a new block for the kept picture each time, as the
// program does.
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise (xcb under xvfb-run).
#include "bench_program.h"
#include "correction_commands.h"
#include "dib_pattern.h"
#include "image_commands.h"
#include "main_window.h"
#include "operation_panel.h"
#include "repaint_timing.h"
#include "settings_store.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMdiArea>
#include <QTemporaryDir>

#include "bench_main.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int width = 6000;
constexpr int height = 4000;

struct Program : BenchProgram {
    Program() {
        main.settings().config.CreateNewWindow = 0; // corrections go into the window
    }
};

Program& program() {
    static Program made;
    return made;
}

std::unique_ptr<TDIBImage> copyOf(const TDIBImage& image) {
    auto copy = std::make_unique<TDIBImage>();
    if (!copy->CreateLike(image)) {
        return nullptr;
    }
    std::memcpy(copy->Bits, image.Bits, image.ImageSize());
    return copy;
}

bool samePixels(const TDIBImage& a, const TDIBImage& b) {
    return a.ImageSize() == b.ImageSize() && std::memcmp(a.Bits, b.Bits, a.ImageSize()) == 0;
}

// A window on the picture with its view at 1920 x 1080 and 1:1, nothing marked.
TfrmMDIChild* openPicture() {
    TfrmMDIParent& main = program().main;
    main.CloseAll();
    TfrmMDIChild* window = main.NewImageWindow(patternDib(width, height), "24MP");
    window->SetZoom(1);
    for (int attempt = 0; attempt < 3; ++attempt) { // the scroll bars change the view's size
        window->resize(window->size() + (QSize(1920, 1080) - window->View()->viewport()->size()));
        QApplication::processEvents();
    }
    return window;
}

// Start with Auto into the window, as the user corrects a picture in place.
void correctInPlace(TfrmMDIChild* window) {
    TfrmMDIParent& main = program().main;
    main.mdiArea()->setActiveSubWindow(window);
    main.correction().ChooseOperation(0);
    main.correction().operationPanel()->chbAuto->setChecked(true);
    main.SetToolMode(0);
    main.correction().Start();
    QApplication::processEvents();
}

// The seconds a command from the Edit menu takes, and then the painting of the view.
struct EditTimes {
    double command = 0.0;
    double paint = 0.0;

    double total() const { return command + paint; }
};

// Runs a command from the Edit menu with its enabling brought up to date first, as the menu
// and the shortcut find it, then paints the view.
EditTimes runEditCommand(QAction* command, TfrmMDIChild* window) {
    EditTimes times;
    times.command = secondsOf([&] {
        program().main.EvaluateEnablingRules();
        command->trigger();
    });
    times.paint = secondsOf([&] {
        window->View()->viewport()->repaint();
        QApplication::processEvents();
    });
    return times;
}

// A block as big as the picture, every page written once, for the memcpy baseline.
std::vector<std::uint8_t>& copyDestination(std::size_t bytes) {
    static std::vector<std::uint8_t> destination;
    destination.assign(bytes, 1);
    return destination;
}

double copySeconds(const TDIBImage& image, std::vector<std::uint8_t>& destination) {
    return secondsOf([&] {
        std::memcpy(destination.data(), image.Bits, image.ImageSize());
        benchmark::DoNotOptimize(destination.data());
    });
}

void reportAgainstCopy(benchmark::State& state, const char* ratioName, double bestWork,
                       double bestCopy) {
    state.counters["best_ms"] = bestWork * 1e3;
    state.counters["copy_ms"] = bestCopy * 1e3;
    state.counters[ratioName] = bestWork / bestCopy;
}

// Each iteration undoes the correction (timed) and redoes it (not timed). Before the loop, one
// undo and redo check that they give back the exact pictures.
void BM_UndoCorrection(benchmark::State& state) {
    TfrmMDIChild* window = openPicture();
    const auto original = copyOf(window->Image());
    correctInPlace(window);
    const auto corrected = copyOf(window->Image());
    ImageCommands& images = program().main.images();
    runEditCommand(images.mnUndo, window);
    const bool undoneExactly = original != nullptr && samePixels(window->Image(), *original);
    runEditCommand(images.mnRedo, window);
    if (!undoneExactly || corrected == nullptr || samePixels(*corrected, *original) ||
        !samePixels(window->Image(), *corrected)) {
        state.SkipWithError("the correction was not made, undone and redone exactly");
        return;
    }
    auto& destination = copyDestination(window->Image().ImageSize());
    double bestUndo = 1e9;
    double bestCommand = 1e9;
    double bestCopy = 1e9;
    for (auto _ : state) {
        const EditTimes undo = runEditCommand(images.mnUndo, window);
        state.PauseTiming();
        bestUndo = std::min(bestUndo, undo.total());
        bestCommand = std::min(bestCommand, undo.command);
        runEditCommand(images.mnRedo, window);
        bestCopy = std::min(bestCopy, copySeconds(window->Image(), destination));
        state.ResumeTiming();
    }
    state.counters["view_w"] = window->View()->viewport()->width();
    state.counters["view_h"] = window->View()->viewport()->height();
    state.counters["command_ms"] = bestCommand * 1e3;
    state.counters["command_per_copy"] = bestCommand / bestCopy;
    reportAgainstCopy(state, "undo_per_copy", bestUndo, bestCopy);
    program().main.CloseAll();
}
BENCHMARK(BM_UndoCorrection)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// Each iteration keeps the state before a change (timed) and lets it go again as a failed
// change does (not timed).
void BM_KeepStateBeforeCorrection(benchmark::State& state) {
    TfrmMDIChild* window = openPicture();
    auto& destination = copyDestination(window->Image().ImageSize());
    double bestKeep = 1e9;
    double bestCopy = 1e9;
    for (auto _ : state) {
        bool kept = false;
        bestKeep = std::min(bestKeep, secondsOf([&] { kept = window->KeepStateBeforeChange(); }));
        state.PauseTiming();
        window->ChangeFailed();
        bestCopy = std::min(bestCopy, copySeconds(window->Image(), destination));
        state.ResumeTiming();
        if (!kept) {
            state.SkipWithError("no memory for the kept state");
            break;
        }
    }
    reportAgainstCopy(state, "keep_per_copy", bestKeep, bestCopy);
    program().main.CloseAll();
}
BENCHMARK(BM_KeepStateBeforeCorrection)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    return runWindowBenchmarks(argc, argv);
}
