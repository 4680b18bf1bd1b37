#include "output_options.h"

#include "platform/image_file.h"
#include "platform/picture_format.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <utility>
#include <vector>

namespace {

template <typename Value> using Choices = std::vector<std::pair<std::string, Value>>;

// An option that takes one of the names in `choices` (exactly as written there) and stores the
// value that goes with it; CLI11 refuses other names.
template <typename Value>
void addChoiceOption(CLI::App& command, const std::string& name, Value& target,
                     const Choices<Value>& choices, const std::string& help) {
    command
        .add_option_function<std::string>(
            name,
            [&target, choices](const std::string& text) {
                for (const auto& [choiceName, value] : choices) {
                    if (choiceName == text) {
                        target = value;
                    }
                }
            },
            help)
        ->check(CLI::IsMember(choices));
}

// --quality N: N percent from 10 on; 1 to 9 are the steps of earlier versions, N x 10 %.
int percentOfQuality(int quality) {
    constexpr int lastStep = 9;
    return quality <= lastStep ? quality * 10 : quality;
}

void addJpegOptions(CLI::App& command, OutputOptions& options) {
    CLI::Option* quality =
        command
            .add_option_function<int>(
                "--quality",
                [&options](int quality) { options.jpegPercent = percentOfQuality(quality); },
                "JPEG quality in percent, 10 to 100 (default: 80); 1 to 9 are steps of 10 % "
                "as in earlier versions (8 is 80 %)")
            ->check(CLI::Range(1, 100));
    command
        .add_option("--jpeg-quality", options.jpegPercent,
                    "JPEG quality in percent, 1 to 100: as --quality, but 1 to 9 are percent "
                    "too")
        ->check(CLI::Range(1, 100))
        ->excludes(quality);
    addChoiceOption(
        command, "--chroma", options.chroma,
        Choices<ChromaSampling>{{"444", ChromaSampling::Full}, {"420", ChromaSampling::Half}},
        "JPEG colour resolution: 444 full, 420 halved both ways (default: 444 at a "
        "quality of 90 % or more, else 420)");
}

void addTiffOptions(CLI::App& command, OutputOptions& options) {
    addChoiceOption(
        command, "--tiff-compression", options.tiffCompression,
        Choices<TiffCompressionOption>{{"none", TiffCompressionOption::None},
                                       {"packbits", TiffCompressionOption::PackBits},
                                       {"deflate", TiffCompressionOption::Deflate}},
        "TIFF compression, all lossless; deflate makes the smallest files (default: none)");
}

void addPngOptions(CLI::App& command, OutputOptions& options) {
    addChoiceOption(command, "--png-compression", options.pngCompression,
                    Choices<PngCompressionOption>{{"fast", PngCompressionOption::Fast},
                                                  {"smallest", PngCompressionOption::Smallest}},
                    "PNG compression: fast, or smallest (slower, a few percent smaller files) "
                    "(default: fast)");
    command.add_flag("--png-interlaced", options.pngInterlaced,
                     "Write PNG files interlaced (Adam7)");
}

platform::PictureFormat formatOfOutput(const std::string& output) {
    const std::string extension = std::filesystem::path(output).extension().string();
    return extension.size() > 1
               ? platform::pictureFormatOfExtension(std::string_view(extension).substr(1))
               : platform::PictureFormat::Unknown;
}

bool fullChroma(const OutputOptions& options) {
    switch (options.chroma) {
    case ChromaSampling::Full:
        return true;
    case ChromaSampling::Half:
        return false;
    default:
        return options.jpegPercent >= 90;
    }
}

// A step of --quality 1..9 is written as its percentage, which the library writes exactly as
// the step, so the files of scripts written for the steps stay as they were.
std::uint32_t jpegBits(const OutputOptions& options) {
    return (static_cast<std::uint32_t>(options.jpegPercent) << IP_JPEG_PERCENT_SHIFT) |
           (fullChroma(options) ? std::uint32_t{IP_JPEG_FULL_CHROMA} : 0u);
}

std::uint32_t tiffBits(const OutputOptions& options) {
    switch (options.tiffCompression) {
    case TiffCompressionOption::PackBits:
        return IP_TIFF_PACKBITS;
    case TiffCompressionOption::Deflate:
        return IP_TIFF_DEFLATE;
    default:
        return IP_TIFF_UNCOMPRESSED;
    }
}

std::uint32_t pngBits(const OutputOptions& options) {
    return (options.pngCompression == PngCompressionOption::Smallest
                ? std::uint32_t{IP_PNG_SMALLEST}
                : 0u) |
           (options.pngInterlaced ? std::uint32_t{IP_PNG_INTERLACED} : 0u);
}

} // namespace

void addOutputOptions(CLI::App& command, OutputOptions& options) {
    command
        .add_option("--format", options.format,
                    "Format of the results (default: the input's, by its extension or, when "
                    "that is not one of these, by its content)")
        ->check(CLI::IsMember({"bmp", "jpg", "tif", "png", "pcx"}));
    addJpegOptions(command, options);
    addTiffOptions(command, options);
    addPngOptions(command, options);
}

std::uint32_t formatBitsFor(const std::string& output, const OutputOptions& options) {
    switch (formatOfOutput(output)) {
    case platform::PictureFormat::Jpeg:
        return jpegBits(options);
    case platform::PictureFormat::Tiff:
        return tiffBits(options);
    case platform::PictureFormat::Png:
        return pngBits(options);
    default:
        return 0;
    }
}
