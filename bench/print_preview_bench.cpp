// The print dialog's preview: repainting it with two 24-megapixel pictures on the sheet once
// the first paint has made their preview-sized copies, against a memcpy of a 1920 x 1080 frame
// (x_memcpy) and against the 10 ms a repaint may take (x_budget: 1.0 or more keeps within it).
// first_ms is showing the dialog, whose first paint reduces both pictures. Runs on the offscreen
// platform unless QT_QPA_PLATFORM says otherwise.
#include "dib_pattern.h"
#include "language.h"
#include "print_form.h"
#include "print_preview.h"
#include "printer_sheet.h"
#include "repaint_timing.h"
#include "settings_records.h"

#include <QApplication>
#include <QPrinter>
#include <QTemporaryDir>

#include "bench_main.h"

#include <benchmark/benchmark.h>

namespace {

void BM_RepaintPrintPreview(benchmark::State& state) {
    TLanguage language;
    language.Load(HUEMARK_DATA_DIR "/Language/English.ini");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    useWholeSheet(printer);
    TLocalSettings settings = defaultLocalSettings();
    const QTemporaryDir folder;
    const auto first = patternDib(6000, 4000);
    const auto second = patternDib(6000, 4000);
    TPrintedImageList list;
    list.AddPicture("first.bmp", *first);
    list.AddPicture("second.bmp", *second);
    TPrintForm form(language, settings, printer, folder.filePath("Huemark.prn"));
    form.SetImages(list);
    state.counters["first_ms"] = 1e3 * secondsOf([&] {
                                     form.show();
                                     QApplication::processEvents();
                                 });
    QWidget& preview = form.Preview();
    state.counters["x_budget"] = 0.010 / timeRepaints(state, preview);
}
BENCHMARK(BM_RepaintPrintPreview)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return runWindowBenchmarks(argc, argv);
}
