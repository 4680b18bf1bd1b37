// Timing the repaint of a view against a memcpy of a 1920 x 1080 frame of 32-bit pixels,
// both the best of the benchmark's iterations; the counters view_w, view_h, best_ms and
// x_memcpy (1.0 would repaint as fast as copying the frame once).
#pragma once

#include <QWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <vector>

inline double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs the benchmark's loop; the best repaint in seconds.
inline double timeRepaints(benchmark::State& state, QWidget& viewport) {
    std::vector<std::uint8_t> from(std::size_t(1920) * 1080 * 4, 1);
    std::vector<std::uint8_t> to(from.size());
    double bestPaint = 1e9;
    double bestCopy = 1e9;
    for (auto _ : state) {
        bestPaint = std::min(bestPaint, secondsOf([&] { viewport.repaint(); }));
        state.PauseTiming();
        bestCopy = std::min(bestCopy, secondsOf([&] {
                                std::memcpy(to.data(), from.data(), from.size());
                                benchmark::DoNotOptimize(to.data());
                            }));
        state.ResumeTiming();
    }
    state.counters["view_w"] = viewport.width();
    state.counters["view_h"] = viewport.height();
    state.counters["best_ms"] = bestPaint * 1e3;
    state.counters["x_memcpy"] = bestCopy / bestPaint;
    return bestPaint;
}
