// huemark-batch apply over 200 small pictures split by GNU parallel into 4 local shards of
// --jobs 1, against one run with --jobs 4 over the same list, each measured in the same
// iteration (x_one_run: the shards' time over the one run's; the aim is at most 1.1, splitting
// a list costing nothing). Both keep the output tree below the same --tree-root. parallel_ms is
// what GNU parallel itself takes to hand the same list to 4 cats, a fixed cost that weighs more
// the less time the pictures take (so pictures of 0.75 and of 3 megapixels);
// x_one_run_beyond_parallel leaves it out, what the shards cost the tool itself. Without GNU
// parallel the benchmark says so and measures nothing.
#include "bench_main.h"
#include "dib_picture.h"

#include "platform/image_file.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int pictures = 200;
constexpr int shards = 4;
constexpr int folders = 4;

// GNU parallel, not the program of the same name in moreutils, which has no --pipe.
bool gnuParallelInstalled() {
    std::FILE* version = ::popen("parallel --version 2>/dev/null", "r");
    if (version == nullptr) {
        return false;
    }
    char line[256] = {};
    const bool gnu = std::fgets(line, sizeof line, version) != nullptr &&
                     std::string(line).starts_with("GNU parallel");
    ::pclose(version);
    return gnu;
}

void exportJpeg(const Picture& picture, const std::string& name) {
    platform::MemHandle block = blockOf(picture);
    TImportExportParams p{};
    p.Size = sizeof p;
    p.Flags = IP_EXPORT | (85u << IP_JPEG_PERCENT_SHIFT);
    p.FileName = name.c_str();
    p.Bitmap = block;
    const int written = ipExportInd(&p);
    platform::memFree(block);
    if (written != IP_OK) {
        std::abort();
    }
}

void run(const std::string& command) {
    if (std::system((command + " > /dev/null 2>&1").c_str()) != 0) {
        std::cerr << "batch_shards_bench: failed: " << command << "\n";
        std::abort();
    }
}

double secondsOf(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    run(command);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// 200 JPEG pictures in four folders, their list, and a processing file.
struct Archive {
    fs::path folder = fs::temp_directory_path() / ("hm-shards-bench-" + std::to_string(::getpid()));
    std::string root = (folder / "archive").string();
    std::string list = (folder / "pictures.txt").string();
    std::string preset = (folder / "archive.prs").string();
    std::string out = (folder / "corrected").string();

    Archive(int width, int height) {
        fs::create_directories(folder);
        std::ofstream names(list);
        Picture picture = patternPicture(width, height);
        for (int i = 0; i < pictures; ++i) {
            picture.bgr[static_cast<std::size_t>(i) * 3] ^= 0xFF; // no two alike
            const fs::path subfolder = fs::path(root) / ("roll" + std::to_string(i % folders));
            fs::create_directories(subfolder);
            const std::string name = (subfolder / ("shot" + std::to_string(i) + ".jpg")).string();
            exportJpeg(picture, name);
            names << name << "\n";
        }
        names.close();
        run(tool() + " learn " + root + "/roll0/shot0.jpg --white 10,10,40,40 --auto --force -o " +
            preset);
    }
    ~Archive() { fs::remove_all(folder); }

    static std::string tool() { return HUEMARK_BATCH; }
    std::string applyOptions() const {
        return " apply " + preset + " --out " + out + " --tree-root " + root;
    }

    // Every picture corrected into the tree, which is then cleared for the next run.
    void checkAndClear() const {
        std::size_t written = 0;
        for (const auto& entry : fs::recursive_directory_iterator(out)) {
            written += entry.is_regular_file() ? 1 : 0;
        }
        if (written != pictures) {
            std::cerr << "batch_shards_bench: " << written << " of " << pictures
                      << " pictures written\n";
            std::abort();
        }
        fs::remove_all(out);
    }

    double oneRun() const {
        const double seconds = secondsOf(tool() + applyOptions() + " --files-from " + list +
                                         " --jobs " + std::to_string(shards));
        checkAndClear();
        return seconds;
    }

    double parallelShards() const {
        const double seconds =
            secondsOf("parallel --will-cite --pipe -N " + std::to_string(pictures / shards) +
                      " -j " + std::to_string(shards) + " " + tool() + applyOptions() +
                      " --files-from - --jobs 1 < " + list);
        checkAndClear();
        return seconds;
    }

    double parallelAlone() const {
        return secondsOf("parallel --will-cite --pipe -N " + std::to_string(pictures / shards) +
                         " -j " + std::to_string(shards) + " cat < " + list);
    }
};

void BM_ParallelShardsAgainstOneRun(benchmark::State& state) {
    const Archive archive(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    double oneRunSeconds = 0;
    double shardSeconds = 0;
    double parallelSeconds = 0;
    for (auto _ : state) {
        const double one = archive.oneRun();
        const double split = archive.parallelShards();
        state.SetIterationTime(split);
        oneRunSeconds += one;
        shardSeconds += split;
        parallelSeconds += archive.parallelAlone();
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["pictures/s"] =
        benchmark::Counter(iterations * pictures, benchmark::Counter::kIsRate);
    state.counters["one_run_ms"] = oneRunSeconds / iterations * 1000;
    state.counters["parallel_ms"] = parallelSeconds / iterations * 1000;
    state.counters["x_one_run"] = shardSeconds / oneRunSeconds;
    state.counters["x_one_run_beyond_parallel"] = (shardSeconds - parallelSeconds) / oneRunSeconds;
}

BENCHMARK(BM_ParallelShardsAgainstOneRun)
    ->ArgNames({"width", "height"})
    ->Args({1000, 750})
    ->Args({2000, 1500})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    if (!gnuParallelInstalled()) {
        std::cout << "batch_shards_bench: skipped, GNU parallel is not installed "
                     "(apt-get install parallel)\n";
        return 0;
    }
    return runBenchmarks(argc, argv);
}
