// How the batch tool writes its results: the format and the format's options, as options of
// the commands that write pictures.
#pragma once

#include <cstdint>
#include <string>

namespace CLI {
class App;
}

struct OutputOptions {
    std::string format; // "bmp", "jpg", "tif", "png" or "pcx"; empty: the input's
    int quality = 8;    // JPEG quality step, 1 (10 %) to 9 (90 %)
};

// Adds --format and --quality to `command`, filling `options`.
void addOutputOptions(CLI::App& command, OutputOptions& options);

// The export flags for an output name: the JPEG quality step for .jpg, .jpeg and .jpe in any
// case.
std::uint32_t formatBitsFor(const std::string& output, const OutputOptions& options);
