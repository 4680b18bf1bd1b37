// huemark-batch: applies a processing file to many pictures, and makes processing files from
// reference rectangles, without the program window.
#include "learn.h"
#include "messages.h"
#include "output_names.h"
#include "output_options.h"
#include "picture_job.h"
#include "worker_pool.h"

#include "platform/atomic_file.h"
#include "platform/staged_picture_file.h"
#include "tintworks.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>

#include <unistd.h>

namespace {

struct ApplyOptions {
    std::string preset;
    std::vector<std::string> inputs;
    std::string outputFolder;
    OutputOptions output;
    int jobs = 1;
    bool keepTree = false;
    bool acceptIncomplete = false;
};

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

// How the pictures of a run ended.
struct Tally {
    std::map<std::size_t, std::string> failures;
    std::set<std::size_t> incomplete;
    std::size_t corrected = 0;
    std::size_t notDone = 0;

    void add(const JobOutcome& outcome) {
        switch (outcome.result.status) {
        case JobStatus::CorrectedIncomplete:
            incomplete.insert(outcome.index);
            [[fallthrough]];
        case JobStatus::Corrected:
            ++corrected;
            break;
        case JobStatus::Failed:
            failures[outcome.index] = outcome.result.message;
            break;
        case JobStatus::NotDone:
            ++notDone;
            break;
        }
    }
};

void printTally(const Tally& tally, const std::vector<std::string>& inputs) {
    for (const auto& [index, message] : tally.failures) {
        std::cerr << inputs[index] << ": " << message << "\n";
    }
    for (std::size_t index : tally.incomplete) {
        std::cout << inputs[index]
                  << ": incomplete file, the part that could be read was corrected\n";
    }
    std::cout << inputs.size() << " pictures: " << tally.corrected << " corrected";
    if (!tally.incomplete.empty()) {
        std::cout << " (" << tally.incomplete.size() << " incomplete)";
    }
    std::cout << ", " << tally.failures.size() << " failed";
    if (tally.notDone > 0) {
        std::cout << ", " << tally.notDone << " not done";
    }
    std::cout << "\n";
}

// Refuses a run in which results would overwrite each other.
bool reportClashes(const std::vector<OutputClash>& clashes, const ApplyOptions& options) {
    if (clashes.empty()) {
        return false;
    }
    std::cerr << "huemark-batch: these inputs would be written to the same file, one over the "
                 "other:\n";
    for (const OutputClash& clash : clashes) {
        std::cerr << " ";
        for (std::size_t k = 0; k < clash.inputs.size(); ++k) {
            std::cerr << (k == 0 ? " " : ", ") << options.inputs[clash.inputs[k]];
        }
        std::cerr << " -> " << clash.output << "\n";
    }
    std::cerr << "Nothing was written. Give each picture once"
              << (options.keepTree ? ""
                                   : ", use --keep-tree for pictures of the same name in "
                                     "different folders,")
              << " or correct the clashing pictures in separate runs.\n";
    return true;
}

// The output folder and, with --keep-tree, the folders below it; false when one cannot be made.
bool makeOutputFolders(const std::string& outputFolder, const std::vector<std::string>& outputs) {
    std::set<std::filesystem::path> folders{outputFolder};
    for (const std::string& output : outputs) {
        folders.insert(std::filesystem::path(output).parent_path());
    }
    for (const std::filesystem::path& folder : folders) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (!folder.empty() && !std::filesystem::is_directory(folder)) {
            std::cerr << "huemark-batch: " << folder.string()
                      << ": cannot make the output folder\n";
            return false;
        }
    }
    return true;
}

// Ends the tool as the interrupting signal would have: the caller of a tool stopped by SIGINT
// or SIGTERM should see that signal. A run stopped by the file size limit exits with
// 128 + SIGXFSZ instead of dumping core.
[[noreturn]] void endAsInterrupted(int signal) {
    std::cout.flush();
    std::cerr << "huemark-batch: the run was interrupted by " << signalDescription(signal) << "\n";
    if (signal != SIGXFSZ) {
        std::signal(signal, SIG_DFL);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, signal);
        ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
        std::raise(signal);
    }
    std::exit(128 + signal);
}

int runApply(const ApplyOptions& options) {
    const int loaded = TWKSetPresetFile(options.preset.c_str());
    if (loaded != TWK_OK) {
        std::cerr << "huemark-batch: " << options.preset << ": " << engineMessage(loaded) << "\n";
        return 2;
    }
    const std::vector<std::string> outputs = outputNamesFor(
        options.inputs, {options.outputFolder, options.output.format, options.keepTree});
    if (reportClashes(findClashes(outputs), options) ||
        !makeOutputFolders(options.outputFolder, outputs)) {
        return 2;
    }
    ProgressBar bar(options.inputs.size());
    Tally tally;
    const WorkerTasks tasks{
        .prepare =
            [&] {
                catchFileSizeLimit();
                return TWKSetPresetFile(options.preset.c_str()) == TWK_OK;
            },
        .run =
            [&](std::size_t i) {
                return applyLoadedPreset({options.inputs[i], outputs[i],
                                          formatBitsFor(outputs[i], options.output),
                                          options.acceptIncomplete});
            },
        .abandon =
            [&](std::size_t i, pid_t worker) {
                platform::AtomicFile::removeLeftovers(outputs[i], worker);
                platform::StagedPictureFile::removeLeftovers(outputs[i], worker);
            },
        .report =
            [&](const JobOutcome& outcome) {
                tally.add(outcome);
                bar.advance();
            },
    };
    const int interruptedBy = runInWorkers(options.inputs.size(), options.jobs, tasks);
    printTally(tally, options.inputs);
    if (interruptedBy != 0) {
        endAsInterrupted(interruptedBy);
    }
    return tally.failures.empty() ? 0 : 1;
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
    addOutputOptions(*applyCommand, apply.output);
    applyCommand->add_option("--jobs", apply.jobs, "Worker processes")
        ->check(CLI::Range(1, 256))
        ->default_val(1);
    applyCommand->add_flag("--keep-tree", apply.keepTree,
                           "Recreate the inputs' folders below their common parent folder under "
                           "--out, so that pictures of the same name in different folders are "
                           "kept apart");
    applyCommand->add_flag("--accept-incomplete", apply.acceptIncomplete,
                           "Correct and write pictures whose file breaks off (what could be read; "
                           "the rest black) instead of counting them as failed");

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
