// The image edits on a 24-megapixel picture: conversion to grey and the rotations by 90, 180
// and 270 degrees, each against a memcpy of the same picture.
//
// glibc hands out a block as big as a picture straight from the system and gives it back on
// free, so every rotation result would start on pages new to the process, each faulted in by
// its first write. The memcpy baseline writes into pages it has written before; to compare
// the edits' own work with it, freed blocks stay in the heap for the next result
// (BM_Rotate90FreshPages shows the rotation with new pages every time).
#include "bench_main.h"
#include "bench_picture.h"
#include "image_edits.h"

#include <malloc.h>

#include <cstring>

namespace {

constexpr int defaultMmapMax = 65536; // glibc's default number of blocks taken by mmap

BenchPicture& picture() {
    static BenchPicture p(6000, 4000);
    return p;
}

// The bench picture as the program holds it: a 24-bit TDIBImage, rows bottom-up.
const TDIBImage& source() {
    static TDIBImage image;
    if (image.Header == nullptr) {
        BITMAPINFOHEADER header{};
        header.biSize = 40;
        header.biWidth = picture().width();
        header.biHeight = picture().height();
        header.biPlanes = 1;
        header.biBitCount = 24;
        header.biXPelsPerMeter = 11811;
        header.biYPelsPerMeter = 5906;
        if (image.CreateFromHeader(header)) {
            std::memcpy(image.Bits, picture().desc().Pixels, image.ImageSize());
        }
    }
    return image;
}

void BM_Memcpy(benchmark::State& state) {
    picture().copyLoop(state);
}

// Into a second picture made beforehand, as with "Create new window".
void BM_ConvertToGrey(benchmark::State& state) {
    TDIBImage dest;
    if (source().Header == nullptr || !dest.CreateLike(source())) {
        state.SkipWithError("no memory for the pictures");
        return;
    }
    for (auto _ : state) {
        ConvertToGrey(source(), dest, nullptr, nullptr);
        benchmark::ClobberMemory();
    }
    picture().reportRates(state);
}

// The whole call, allocation of the result included. One call before the timing leaves a
// block of the result's size in the heap.
void rotateLoop(benchmark::State& state, int angleCode) {
    {
        TDIBImage first;
        Rotate(source(), angleCode, nullptr, first);
    }
    for (auto _ : state) {
        TDIBImage result;
        if (Rotate(source(), angleCode, nullptr, result) != 0) {
            state.SkipWithError("rotation failed");
            break;
        }
        benchmark::ClobberMemory();
    }
    picture().reportRates(state);
}

void BM_Rotate90(benchmark::State& state) {
    rotateLoop(state, 0);
}

void BM_Rotate180(benchmark::State& state) {
    rotateLoop(state, 1);
}

void BM_Rotate270(benchmark::State& state) {
    rotateLoop(state, 2);
}

void BM_Rotate90FreshPages(benchmark::State& state) {
    mallopt(M_MMAP_MAX, defaultMmapMax);
    malloc_trim(0);
    rotateLoop(state, 0);
    mallopt(M_MMAP_MAX, 0);
}

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertToGrey)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Rotate90)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Rotate180)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Rotate270)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Rotate90FreshPages)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    return runBenchmarksKeepingTheHeap(argc, argv);
}
