// Saving a 24-megapixel JPEG as the program does, with a camera's metadata (EXIF, XMP and a
// 64 KB ICC profile) and without any: with_metadata is the ratio of the wall-clock times,
// processor that of this thread's processor times (1.0 would cost nothing; the aim is at most
// 1.05). The picture carries fine noise over a gradient, so that it compresses about as a photo
// does and the compressed data copied behind the new header has a photo's size.
#include "best_times.h"
#include "dib_pattern.h"
#include "metadata_pictures.h"
#include "picture_file_metadata.h"

#include "platform/image_file.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>

#include <time.h>
#include <unistd.h>

namespace {

constexpr int width = 6000;
constexpr int height = 4000;
constexpr std::uint32_t quality = 8u << IP_JPEG_QUALITY_SHIFT;
constexpr std::size_t profileBytes = 64 * 1024;

const TDIBImage& photo() {
    static const std::unique_ptr<TDIBImage> image = [] {
        std::unique_ptr<TDIBImage> made = patternDib(width, height);
        std::mt19937 noise(7);
        for (std::uint32_t i = 0; i < made->ImageSize(); ++i) {
            made->Bits[i] = static_cast<std::uint8_t>(made->Bits[i] + noise() % 24);
        }
        return made;
    }();
    return *image;
}

std::string benchFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("hm-bench-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

// A camera's metadata as the program keeps it for a window: read from a file that has it.
PictureMetadata cameraMetadata() {
    const std::string source = benchFile("camera.jpg");
    const auto small = patternDib(64, 32);
    if (small->SaveToFile(source.c_str(), nullptr, quality) != 0) {
        std::abort();
    }
    camera_metadata::addTo(source, 6, 64, 32);
    TDIBImage read;
    PictureMetadata metadata;
    if (read.LoadFromFile(source.c_str(), nullptr) != 0 ||
        LoadMetadataUpright(source.c_str(), read, metadata) != 0) {
        std::abort();
    }
    std::filesystem::remove(source);
    std::string profile = camera_metadata::iccProfile();
    profile.resize(profileBytes, '\x5a');
    camera_metadata::putBigEndian(profile, 0, static_cast<std::uint32_t>(profile.size()));
    metadata.Icc = QByteArray(profile.data(), static_cast<qsizetype>(profile.size()));
    return metadata;
}

// The processor time of this thread (which other processes on a busy machine do not inflate),
// in seconds.
double threadSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

Times timesOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    const double processorStart = threadSeconds();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            threadSeconds() - processorStart};
}

void save(const std::string& name, const PictureMetadata& metadata) {
    if (SaveImageWithMetadata(photo(), name.c_str(), nullptr, quality, metadata) != 0) {
        std::abort();
    }
}

// Saves with and without metadata alternately, once each per iteration, and reports the ratios
// of their best runs in wall-clock and in processor time (noise only ever adds time;
// alternating keeps drift from favouring either).
void BM_SaveJpegWithMetadata(benchmark::State& state) {
    const PictureMetadata metadata = cameraMetadata();
    const std::string with = benchFile("with.jpg");
    const std::string without = benchFile("without.jpg");
    Times bestWith;
    Times bestWithout;
    for (auto _ : state) {
        bestWith.keepBest(timesOf([&] { save(with, metadata); }));
        state.PauseTiming();
        bestWithout.keepBest(timesOf([&] { save(without, {}); }));
        state.ResumeTiming();
    }
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(with)) / 1e6;
    state.counters["with_metadata"] = bestWith.real / bestWithout.real;
    state.counters["processor"] = bestWith.processor / bestWithout.processor;
    std::filesystem::remove(with);
    std::filesystem::remove(without);
}

} // namespace

BENCHMARK(BM_SaveJpegWithMetadata)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(15);

BENCHMARK_MAIN();
