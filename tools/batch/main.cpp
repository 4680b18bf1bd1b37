// huemark-batch: applies a processing file to many pictures, and makes processing files from
// reference rectangles, without the program window.
#include "learn.h"
#include "messages.h"
#include "picture_job.h"
#include "worker_pool.h"

#include "platform/image_file.h"
#include "tintworks.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>

#include <unistd.h>

namespace {

struct ApplyOptions {
    std::string preset;
    std::vector<std::string> inputs;
    std::string outputFolder;
    std::string format;
    int quality = 8;
    int jobs = 1;
};

std::uint32_t formatBitsFor(const std::string& output, int quality) {
    const std::string extension = std::filesystem::path(output).extension().string();
    return extension == ".jpg" || extension == ".JPG" || extension == ".jpeg"
               ? static_cast<std::uint32_t>(quality) << IP_JPEG_QUALITY_SHIFT
               : 0u;
}

// A bar on the terminal, redrawn in place; nothing when the output is not a terminal.
class ProgressBar {
public:
    explicit ProgressBar(std::size_t total) : total_(total), shown_(::isatty(STDERR_FILENO) != 0) {}
    void advance() {
        ++done_;
        if (shown_) {
            const std::size_t width = 30;
            const std::size_t filled = total_ == 0 ? width : done_ * width / total_;
            std::fprintf(stderr, "\r[%s%s] %zu/%zu", std::string(filled, '#').c_str(),
                         std::string(width - filled, ' ').c_str(), done_, total_);
            if (done_ == total_) {
                std::fputc('\n', stderr);
            }
            std::fflush(stderr);
        }
    }

private:
    std::size_t total_;
    std::size_t done_ = 0;
    bool shown_;
};

int runApply(const ApplyOptions& options) {
    const int loaded = TWKSetPresetFile(options.preset.c_str());
    if (loaded != TWK_OK) {
        std::cerr << "huemark-batch: " << options.preset << ": " << engineMessage(loaded) << "\n";
        return 2;
    }
    std::error_code error;
    std::filesystem::create_directories(options.outputFolder, error);
    if (!std::filesystem::is_directory(options.outputFolder)) {
        std::cerr << "huemark-batch: " << options.outputFolder
                  << ": cannot make the output folder\n";
        return 2;
    }
    std::vector<std::string> outputs;
    for (const std::string& input : options.inputs) {
        outputs.push_back(outputNameFor(input, options.outputFolder, options.format));
    }
    ProgressBar bar(options.inputs.size());
    std::map<std::size_t, std::string> failures;
    runInWorkers(
        options.inputs.size(), options.jobs,
        [&] { return TWKSetPresetFile(options.preset.c_str()) == TWK_OK; },
        [&](std::size_t i) {
            return applyLoadedPreset(options.inputs[i], outputs[i],
                                     formatBitsFor(outputs[i], options.quality));
        },
        [&](const JobOutcome& outcome) {
            if (!outcome.result.ok) {
                failures[outcome.index] = outcome.result.message;
            }
            bar.advance();
        });
    for (const auto& [index, message] : failures) {
        std::cerr << options.inputs[index] << ": " << message << "\n";
    }
    std::cout << options.inputs.size() << " pictures: " << options.inputs.size() - failures.size()
              << " corrected, " << failures.size() << " failed\n";
    return failures.empty() ? 0 : 1;
}

// "L,T,R,B" into four integers.
std::string parseRectangle(const std::string& text, RectangleOption& out) {
    int used = 0;
    if (std::sscanf(text.c_str(), "%d,%d,%d,%d%n", &out[0], &out[1], &out[2], &out[3], &used) !=
            4 ||
        used != static_cast<int>(text.size())) {
        return "expected LEFT,TOP,RIGHT,BOTTOM";
    }
    return {};
}

void addRectangleOption(CLI::App& command, const std::string& name,
                        std::optional<RectangleOption>& target, const std::string& help) {
    command
        .add_option_function<std::string>(
            name,
            [&target](const std::string& text) {
                RectangleOption r{};
                parseRectangle(text, r);
                target = r;
            },
            help)
        ->check(CLI::Validator(
            [](std::string& text) {
                RectangleOption r{};
                return parseRectangle(text, r);
            },
            "L,T,R,B"));
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Applies Huemark processing files to many pictures, and makes them from reference areas."};
    app.require_subcommand(1);

    ApplyOptions apply;
    CLI::App* applyCommand = app.add_subcommand("apply", "Apply a processing file to pictures");
    applyCommand->add_option("preset", apply.preset, "Processing file (.prs)")
        ->required()
        ->check(CLI::ExistingFile);
    applyCommand->add_option("files", apply.inputs, "Pictures to correct")->required();
    applyCommand->add_option("--out", apply.outputFolder, "Folder for the corrected pictures")
        ->required();
    applyCommand
        ->add_option("--format", apply.format, "Format of the results (default: as the input)")
        ->check(CLI::IsMember({"bmp", "jpg", "tif", "png", "pcx"}));
    applyCommand->add_option("--quality", apply.quality, "JPEG quality step, 1 (10 %) to 9 (90 %)")
        ->check(CLI::Range(1, 9))
        ->default_val(8);
    applyCommand->add_option("--jobs", apply.jobs, "Worker processes")
        ->check(CLI::Range(1, 256))
        ->default_val(1);

    LearnRequest learn;
    CLI::App* learnCommand = app.add_subcommand("learn", "Make a processing file from one picture");
    learnCommand->add_option("picture", learn.picture, "Picture with the reference areas")
        ->required()
        ->check(CLI::ExistingFile);
    addRectangleOption(*learnCommand, "--white", learn.white,
                       "White reference area L,T,R,B (right, bottom exclusive)");
    addRectangleOption(*learnCommand, "--black", learn.black, "Black reference area L,T,R,B");
    addRectangleOption(*learnCommand, "--grey", learn.grey, "Grey reference area L,T,R,B");
    learnCommand->add_flag("--auto", learn.autoPoints,
                           "Find missing white and black points in the picture");
    learnCommand->add_option("--gamma", learn.gamma, "Brightness gamma (1 = none)")
        ->check(CLI::PositiveNumber);
    learnCommand->add_option("-o,--output", learn.output, "Processing file to write")->required();

    CLI11_PARSE(app, argc, argv);

    if (applyCommand->parsed()) {
        return runApply(apply);
    }
    const std::string problem = learnProcessing(learn);
    if (!problem.empty()) {
        std::cerr << "huemark-batch: " << problem << "\n";
        return 2;
    }
    return 0;
}
