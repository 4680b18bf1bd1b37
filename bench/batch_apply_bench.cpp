// huemark-batch apply on a 24-megapixel JPEG with a camera's metadata, against reading and
// writing the same file with the same library calls and flags (ipImportInd, ipExportInd),
// measured in the same run. x_decode_encode is the ratio of the best wall-clock times, processor
// that of the processor times of this process and the tool's (1.0 would make the correction and
// the metadata cost nothing; the aim is at most 1.1). Apply runs twice over: in this process
// through the tool's own code (applyLoadedPreset: read upright, the processing file's
// correction, write with the metadata), and as a user runs the tool, a process with one worker,
// which adds starting it and loading the processing file. Each on a smooth and on a detailed
// picture (grain), whose files take the JPEG coder less and more time.
#include "best_times.h"
#include "image_file_calls.h"
#include "metadata_pictures.h"
#include "output_options.h"
#include "picture_job.h"

#include "platform/image_file.h"
#include "tintworks.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include <unistd.h>

namespace {

constexpr int width = 6000;
constexpr int height = 4000;
// The white card the processing file is learned from: left, top, right, bottom.
constexpr int card[4] = {200, 200, 500, 500};

// Gradients with grain of the given strength (the larger, the more detail for the JPEG coder
// and the larger the file), and a slightly tinted white card.
Picture photo(int grain) {
    Picture p{width, height, 11811, 11811,
              std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
    std::uint32_t random = 12345;
    const auto next = [&random] {
        random = random * 1664525u + 1013904223u;
        return random;
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool onCard = x >= card[0] && x < card[2] && y >= card[1] && y < card[3];
            const int base[3] = {onCard ? 215 : 40 + x * 150 / width,
                                 onCard ? 225 : 60 + y * 140 / height,
                                 onCard ? 205 : 190 - (x + y) * 150 / (width + height)};
            const int lightness = static_cast<int>(next() >> 24) % (2 * grain + 1) - grain;
            std::uint8_t* px = p.at(x, y);
            for (int c = 0; c < 3; ++c) {
                const int colour = (static_cast<int>(next() >> 28) - 8) * grain / 16;
                px[c] = static_cast<std::uint8_t>(std::clamp(base[c] + lightness + colour, 0, 255));
            }
        }
    }
    return p;
}

void runTool(const std::string& arguments) {
    const std::string command = std::string(HUEMARK_BATCH) + " " + arguments + " > /dev/null";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::abort();
    }
}

// The input with a camera's metadata (upright), the processing file learned from its card, and
// the tool's default flags for a JPEG result.
struct Shot {
    std::filesystem::path folder;
    std::string input;
    std::string preset;
    std::uint32_t formatBits;

    explicit Shot(int grain)
        : folder(std::filesystem::temp_directory_path() /
                 ("hm-apply-bench-" + std::to_string(::getpid()) + "-" + std::to_string(grain))),
          input((folder / "shot.jpg").string()), preset((folder / "studio.prs").string()),
          formatBits(formatBitsFor(input, OutputOptions{})) {
        std::filesystem::create_directories(folder / "tool");
        if (exportPicture(photo(grain), input, formatBits) != IP_OK) {
            std::abort();
        }
        camera_metadata::addTo(input, 1, width, height);
        runTool("learn " + input + " --white " + std::to_string(card[0]) + "," +
                std::to_string(card[1]) + "," + std::to_string(card[2]) + "," +
                std::to_string(card[3]) + " --auto -o " + preset);
        if (TWKSetPresetFile(preset.c_str()) != TWK_OK) {
            std::abort();
        }
    }
    ~Shot() { std::filesystem::remove_all(folder); }
    std::string file(const std::string& name) const { return (folder / name).string(); }
};

// One shot for each grain, made when first asked for.
const Shot& shot(int grain) {
    static std::map<int, std::unique_ptr<Shot>> made;
    std::unique_ptr<Shot>& slot = made[grain];
    if (!slot) {
        slot = std::make_unique<Shot>(grain);
    }
    return *slot;
}

// The processor time of this process and its finished children (which other processes on a
// busy machine do not inflate), in seconds.
double processorSeconds() {
    timespec own{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &own);
    rusage children{};
    ::getrusage(RUSAGE_CHILDREN, &children);
    return static_cast<double>(own.tv_sec) + static_cast<double>(own.tv_nsec) / 1e9 +
           static_cast<double>(children.ru_utime.tv_sec + children.ru_stime.tv_sec) +
           static_cast<double>(children.ru_utime.tv_usec + children.ru_stime.tv_usec) / 1e6;
}

Times timesOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    const double processorStart = processorSeconds();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            processorSeconds() - processorStart};
}

// The same file read and written with the same flags, and nothing else.
void decodeAndEncode(const Shot& s) {
    TImportExportParams read = importBlock(s.input);
    if (ipImportInd(&read) != IP_OK) {
        std::abort();
    }
    const std::string output = s.file("plain.jpg");
    TImportExportParams write{};
    write.Size = sizeof write;
    write.Flags = IP_EXPORT | s.formatBits;
    write.FileName = output.c_str();
    write.Bitmap = read.Bitmap;
    const int written = ipExportInd(&write);
    platform::memFree(static_cast<platform::MemHandle>(read.Bitmap));
    if (written != IP_OK) {
        std::abort();
    }
}

// Runs `apply` and the baseline alternately, once each per iteration, and reports the ratios of
// their best runs (noise only ever adds time; alternating keeps drift from favouring either).
void compareWithDecodeAndEncode(benchmark::State& state, const Shot& s,
                                const std::function<void()>& apply) {
    Times bestApply;
    Times bestBaseline;
    for (auto _ : state) {
        bestApply.keepBest(timesOf(apply));
        state.PauseTiming();
        bestBaseline.keepBest(timesOf([&] { decodeAndEncode(s); }));
        state.ResumeTiming();
    }
    state.counters["apply_ms"] = bestApply.real * 1e3;
    state.counters["decode_encode_ms"] = bestBaseline.real * 1e3;
    state.counters["x_decode_encode"] = bestApply.real / bestBaseline.real;
    state.counters["processor"] = bestApply.processor / bestBaseline.processor;
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(s.input)) / 1e6;
}

void BM_ApplyInProcess(benchmark::State& state) {
    const Shot& s = shot(static_cast<int>(state.range(0)));
    const PictureJob job{s.input, s.file("apply.jpg"), s.formatBits, false};
    compareWithDecodeAndEncode(state, s, [&] {
        if (applyLoadedPreset(job).status != JobStatus::Corrected) {
            std::abort();
        }
    });
}

void BM_ApplyToolProcess(benchmark::State& state) {
    const Shot& s = shot(static_cast<int>(state.range(0)));
    compareWithDecodeAndEncode(state, s, [&] {
        runTool("apply " + s.preset + " " + s.input + " --out " + s.file("tool"));
    });
}

} // namespace

// Grain 4: a smooth scene, a 2 MB file; grain 16: a detailed one, 5.5 MB, about what a camera
// writes at this quality.
BENCHMARK(BM_ApplyInProcess)
    ->ArgName("grain")
    ->Arg(4)
    ->Arg(16)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);
BENCHMARK(BM_ApplyToolProcess)
    ->ArgName("grain")
    ->Arg(4)
    ->Arg(16)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(6);

BENCHMARK_MAIN();
