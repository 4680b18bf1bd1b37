// Turning a scanned page into the program's packed bitmap: the frame of a 600 dpi A4 colour
// page from SANE's test backend (its "Color pattern", 4960 x 7016 pixels, 104 MB) fed to the
// frame assembler in the pieces the scanner calls read, against a memcpy of the same bytes into
// a new block measured in the same run (x_memcpy: 1.0 would be as fast as that copy).
//
// Freed blocks stay in the heap for the next page, so that the assembler and the copy both
// write into pages the process has touched before.
#include "platform/memory_block.h"
#include "platform/scan_frames.h"

#include "bench_main.h"

#include <benchmark/benchmark.h>
#include <sane/sane.h>
#include <sane/saneopts.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

namespace {
constexpr std::size_t readSize = 256 * 1024; // as the scanner calls read

struct Page {
    SANE_Parameters parameters{};
    std::vector<SANE_Byte> bytes;
    double memcpySeconds = 0.0;
};

// A configuration folder with only the test backend, its page allowed up to 300 mm.
std::filesystem::path testBackendConfiguration() {
    char pattern[] = "/tmp/huemark-scanner-bench-XXXXXX";
    const std::filesystem::path folder = mkdtemp(pattern);
    std::ofstream(folder / "dll.conf") << "test\n";
    std::ofstream(folder / "test.conf")
        << "number_of_devices 1\nresolution_min 1.0\nresolution_max 1200.0\n"
           "resolution_quant 1.0\nresolution 50.0\ngeometry_min 0.0\ngeometry_max 300.0\n"
           "geometry_quant 0.0\ntl_x 0.0\ntl_y 0.0\nbr_x 80.0\nbr_y 100.0\n"
           "read-limit-size 1\nread-delay-duration 1000\n";
    return folder;
}

bool setOption(SANE_Handle handle, std::string_view name, void* value) {
    for (SANE_Int index = 1;; ++index) {
        const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle, index);
        if (option == nullptr) {
            return false;
        }
        if (option->name != nullptr && name == option->name) {
            return sane_control_option(handle, index, SANE_ACTION_SET_VALUE, value, nullptr) ==
                   SANE_STATUS_GOOD;
        }
    }
}

// The bytes of one A4 page at 600 dpi in colour, as the test backend sends them.
bool scanA4(Page& page) {
    const std::filesystem::path folder = testBackendConfiguration();
    setenv("SANE_CONFIG_DIR", folder.c_str(), 1);
    SANE_Int version = 0;
    SANE_Handle handle = nullptr;
    bool scanned = false;
    if (sane_init(&version, nullptr) == SANE_STATUS_GOOD &&
        sane_open("test:0", &handle) == SANE_STATUS_GOOD) {
        char mode[] = SANE_VALUE_SCAN_MODE_COLOR;
        char picture[] = "Color pattern";
        SANE_Word resolution = SANE_FIX(600.0);
        SANE_Word width = SANE_FIX(210.0);
        SANE_Word height = SANE_FIX(297.0);
        scanned = setOption(handle, SANE_NAME_SCAN_MODE, mode) &&
                  setOption(handle, "test-picture", picture) &&
                  setOption(handle, SANE_NAME_SCAN_RESOLUTION, &resolution) &&
                  setOption(handle, SANE_NAME_SCAN_BR_X, &width) &&
                  setOption(handle, SANE_NAME_SCAN_BR_Y, &height) &&
                  sane_start(handle) == SANE_STATUS_GOOD &&
                  sane_get_parameters(handle, &page.parameters) == SANE_STATUS_GOOD;
        std::vector<SANE_Byte> buffer(readSize);
        SANE_Int length = 0;
        SANE_Status status = SANE_STATUS_GOOD;
        while (scanned &&
               (status = sane_read(handle, buffer.data(), readSize, &length)) == SANE_STATUS_GOOD) {
            page.bytes.insert(page.bytes.end(), buffer.begin(), buffer.begin() + length);
        }
        scanned = scanned && status == SANE_STATUS_EOF;
        sane_cancel(handle);
        sane_close(handle);
    }
    sane_exit();
    std::filesystem::remove_all(folder);
    return scanned && !page.bytes.empty();
}

// A memcpy of the page's bytes into a new block, as a first copy of a scan would be.
void copyIntoNewBlock(const Page& page) {
    platform::MemHandle block = platform::memAlloc(page.bytes.size());
    std::memcpy(platform::memLock(block), page.bytes.data(), page.bytes.size());
    benchmark::ClobberMemory();
    platform::memFree(block);
}

// The best of many copies (the first ones also warm up the processor and the heap).
double memcpySecondsFor(const Page& page) {
    double best = 1e9;
    for (int i = 0; i < 10; ++i) {
        const auto start = std::chrono::steady_clock::now();
        copyIntoNewBlock(page);
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

Page* readyPage(benchmark::State& state) {
    static Page page;
    static const bool scanned = scanA4(page);
    if (!scanned) {
        state.SkipWithError("SANE's test backend gave no page");
        return nullptr;
    }
    if (page.memcpySeconds == 0.0) {
        page.memcpySeconds = memcpySecondsFor(page);
    }
    return &page;
}

void reportRates(benchmark::State& state, const Page& page) {
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["MB/s"] = benchmark::Counter(
        iterations * static_cast<double>(page.bytes.size()) / 1e6, benchmark::Counter::kIsRate);
    state.counters["x_memcpy"] =
        benchmark::Counter(iterations * page.memcpySeconds, benchmark::Counter::kIsRate);
}

void BM_MemcpyOfThePage(benchmark::State& state) {
    Page* page = readyPage(state);
    if (page == nullptr) {
        return;
    }
    for (auto _ : state) {
        copyIntoNewBlock(*page);
    }
    reportRates(state, *page);
}

// The frame's bytes in the pieces a read gives, to the finished bitmap.
void BM_AssembleA4ColourAt600Dpi(benchmark::State& state) {
    Page* page = readyPage(state);
    if (page == nullptr) {
        return;
    }
    for (auto _ : state) {
        scanner::FrameAssembler assembler;
        bool assembled = assembler.beginFrame(page->parameters) == scanner::FrameCheck::Usable;
        for (std::size_t at = 0; assembled && at < page->bytes.size(); at += readSize) {
            assembled =
                assembler.add(page->bytes.data() + at, std::min(readSize, page->bytes.size() - at));
        }
        platform::MemHandle bitmap =
            assembled && assembler.endFrame() ? assembler.finish(600, 600) : nullptr;
        if (bitmap == nullptr) {
            state.SkipWithError("the page did not assemble");
            break;
        }
        benchmark::ClobberMemory();
        platform::memFree(bitmap);
    }
    reportRates(state, *page);
}

} // namespace

BENCHMARK(BM_MemcpyOfThePage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AssembleA4ColourAt600Dpi)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    return runBenchmarksKeepingTheHeap(argc, argv);
}
