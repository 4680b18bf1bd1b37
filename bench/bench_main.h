// The main functions of the benchmarks: one for the program's windows (a QApplication on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise, xcb under xvfb-run), one for
// picture work that keeps freed blocks in the heap, so that each result is written into pages
// the process has touched before, as a memcpy baseline of the same size is.
#pragma once

#include <benchmark/benchmark.h>

#include <malloc.h>

#ifdef QT_WIDGETS_LIB
#include <QApplication>

inline int runWindowBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
#endif

// The benchmarks the command line asks for; 1 for arguments it does not know.
inline int runBenchmarks(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

inline int runBenchmarksKeepingTheHeap(int argc, char** argv) {
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, -1);
    return runBenchmarks(argc, argv);
}
