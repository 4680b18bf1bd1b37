// How the batch tool writes its results: the format and the format's options, as options of
// the commands that write pictures.
#pragma once

#include <cstdint>
#include <string>

namespace CLI {
class App;
}

enum class ChromaSampling : std::uint8_t {
    ByQuality, // full at 90 % and above, else halved
    Full,      // 4:4:4
    Half,      // 4:2:0
};

enum class TiffCompressionOption : std::uint8_t { None, PackBits, Deflate };

enum class PngCompressionOption : std::uint8_t { Fast, Smallest };

struct OutputOptions {
    std::string format;   // "bmp", "jpg", "tif", "png" or "pcx"; empty: the input's
    int jpegPercent = 80; // JPEG quality, 1 to 100 %
    ChromaSampling chroma = ChromaSampling::ByQuality;
    TiffCompressionOption tiffCompression = TiffCompressionOption::None;
    PngCompressionOption pngCompression = PngCompressionOption::Fast;
    bool pngInterlaced = false;
};

// Adds --format, --quality, --jpeg-quality, --chroma, --tiff-compression, --png-compression
// and --png-interlaced to `command`, filling `options`.
void addOutputOptions(CLI::App& command, OutputOptions& options);

// The export flags for an output name, by its extension in any case: the JPEG quality and
// chroma sampling for .jpg, .jpeg and .jpe, the compression for .tif and .tiff, the compression
// and interlacing for .png; none for the others.
std::uint32_t formatBitsFor(const std::string& output, const OutputOptions& options);
