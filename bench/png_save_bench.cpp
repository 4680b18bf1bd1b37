// Saving a 24-megapixel photo-like picture as PNG through ipExportInd, at the fast default
// compression and at the smallest-file setting, against a memcpy of the same pixels measured
// in the same run (x_memcpy: the speed ratio, 1.0 would be as fast as copying; memcpy_times:
// how many copies one save takes), with the size of the file each writes (file_MB).
#include "bench_main.h"
#include "bench_picture.h"

#include "platform/image_file.h"
#include "platform/memory_block.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

constexpr std::uint32_t infoHeaderSize = 40;

BenchPicture& picture() {
    static BenchPicture p(6000, 4000);
    return p;
}

// The bench picture in a movable block as the library takes it: a 40-byte header, then the
// rows bottom-up, each padded to four bytes.
platform::MemHandle pictureBlock() {
    BenchPicture& p = picture();
    const TImageDesc desc = p.desc();
    const std::size_t pixelBytes = static_cast<std::size_t>(desc.Stride) * desc.Height;
    platform::MemHandle block =
        platform::memAlloc(infoHeaderSize + pixelBytes, platform::MemZeroInit);
    if (block == nullptr) {
        return nullptr;
    }
    auto* data = static_cast<std::uint8_t*>(platform::memLock(block));
    const std::uint16_t planes = 1;
    const std::uint16_t bitCount = 24;
    const std::int32_t pelsPerMetre = 11811;
    std::memcpy(data, &infoHeaderSize, 4);
    std::memcpy(data + 4, &desc.Width, 4);
    std::memcpy(data + 8, &desc.Height, 4);
    std::memcpy(data + 12, &planes, 2);
    std::memcpy(data + 14, &bitCount, 2);
    std::memcpy(data + 24, &pelsPerMetre, 4);
    std::memcpy(data + 28, &pelsPerMetre, 4);
    std::memcpy(data + infoHeaderSize, desc.Pixels, pixelBytes);
    platform::memUnlock(block);
    return block;
}

std::string benchFile() {
    return (std::filesystem::temp_directory_path() /
            ("hm-png-bench-" + std::to_string(::getpid()) + ".png"))
        .string();
}

void savePng(benchmark::State& state, std::uint32_t formatBits) {
    platform::MemHandle block = pictureBlock();
    if (block == nullptr) {
        state.SkipWithError("no memory for the picture");
        return;
    }
    const std::string file = benchFile();
    TImportExportParams params{};
    params.Size = sizeof params;
    params.Flags = IP_EXPORT | formatBits;
    params.FileName = file.c_str();
    params.Bitmap = block;
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (ipExportInd(&params) != IP_OK) {
            state.SkipWithError("the save failed");
            break;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    picture().reportRates(state);
    state.counters["memcpy_times"] =
        seconds / (static_cast<double>(state.iterations()) * picture().memcpySeconds());
    std::error_code error;
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file, error)) / 1e6;
    std::filesystem::remove(file, error);
    platform::memFree(block);
}

void BM_Memcpy(benchmark::State& state) {
    picture().copyLoop(state);
}

void BM_SavePngDefault(benchmark::State& state) {
    savePng(state, 0);
}

void BM_SavePngSmallest(benchmark::State& state) {
    savePng(state, IP_PNG_SMALLEST);
}

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SavePngDefault)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SavePngSmallest)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    return runBenchmarksKeepingTheHeap(argc, argv);
}
