// huemark-batch with two worker processes against one, on 20 pictures of 6 megapixels
// (x_one_job: the speed-up, measured in the same run).
#include "dib_picture.h"

#include "platform/image_file.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

constexpr int pictures = 20;

struct Series {
    std::filesystem::path folder;
    std::string inputs;
    std::string preset;

    Series() {
        folder = std::filesystem::temp_directory_path() /
                 ("hm-batch-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        const Picture picture = patternPicture(3000, 2000);
        platform::MemHandle block = blockOf(picture);
        for (int i = 0; i < pictures; ++i) {
            const std::string name = (folder / ("shot" + std::to_string(i) + ".jpg")).string();
            TImportExportParams p{};
            p.Size = sizeof p;
            p.Flags = IP_EXPORT | (8u << IP_JPEG_QUALITY_SHIFT);
            p.FileName = name.c_str();
            p.Bitmap = block;
            ipExportInd(&p);
            inputs += " " + name;
        }
        platform::memFree(block);
        preset = (folder / "series.prs").string();
        run("learn " + (folder / "shot0.jpg").string() + " --white 10,10,40,40 --auto --force -o " +
            preset);
    }
    ~Series() { std::filesystem::remove_all(folder); }

    static void run(const std::string& arguments) {
        const std::string command =
            std::string(HUEMARK_BATCH) + " " + arguments + " > /dev/null 2>&1";
        if (std::system(command.c_str()) != 0) {
            std::abort();
        }
    }
    double apply(int jobs) const {
        const auto start = std::chrono::steady_clock::now();
        run("apply " + preset + inputs + " --out " + (folder / "out").string() + " --jobs " +
            std::to_string(jobs));
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
};

Series& series() {
    static Series s;
    return s;
}

void BM_BatchTwoJobs(benchmark::State& state) {
    const double oneJob = series().apply(1);
    for (auto _ : state) {
        series().apply(2);
    }
    state.counters["pictures/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * pictures, benchmark::Counter::kIsRate);
    state.counters["x_one_job"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * oneJob, benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_BatchTwoJobs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

BENCHMARK_MAIN();
