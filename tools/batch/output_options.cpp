#include "output_options.h"

#include "platform/image_file.h"
#include "platform/picture_format.h"

#include <CLI/CLI.hpp>

#include <filesystem>

void addOutputOptions(CLI::App& command, OutputOptions& options) {
    command
        .add_option("--format", options.format,
                    "Format of the results (default: the input's, by its extension or, when "
                    "that is not one of these, by its content)")
        ->check(CLI::IsMember({"bmp", "jpg", "tif", "png", "pcx"}));
    command.add_option("--quality", options.quality, "JPEG quality step, 1 (10 %) to 9 (90 %)")
        ->check(CLI::Range(1, 9))
        ->default_val(8);
}

std::uint32_t formatBitsFor(const std::string& output, const OutputOptions& options) {
    const std::string extension = std::filesystem::path(output).extension().string();
    const bool jpeg = extension.size() > 1 &&
                      platform::pictureFormatOfExtension(std::string_view(extension).substr(1)) ==
                          platform::PictureFormat::Jpeg;
    return jpeg ? static_cast<std::uint32_t>(options.quality) << IP_JPEG_QUALITY_SHIFT : 0u;
}
