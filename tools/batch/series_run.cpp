#include "series_run.h"

#include "messages.h"
#include "output_names.h"
#include "worker_pool.h"

#include "platform/atomic_file.h"
#include "platform/staged_picture_file.h"

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
bool reportClashes(const std::vector<OutputClash>& clashes, const SeriesOptions& options) {
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

} // namespace

void addSeriesOptions(CLI::App& command, SeriesOptions& options) {
    command.add_option("--out", options.outputFolder, "Folder for the corrected pictures")
        ->required();
    addOutputOptions(command, options.output);
    command.add_option("--jobs", options.jobs, "Worker processes")
        ->check(CLI::Range(1, 256))
        ->default_val(1);
    command.add_flag("--keep-tree", options.keepTree,
                     "Recreate the inputs' folders below their common parent folder under "
                     "--out, so that pictures of the same name in different folders are "
                     "kept apart");
    command.add_flag("--accept-incomplete", options.acceptIncomplete,
                     "Correct and write pictures whose file breaks off (what could be read; "
                     "the rest black) instead of counting them as failed");
}

int runSeries(const SeriesOptions& options, const SeriesWork& work) {
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
                return work.prepare();
            },
        .run =
            [&](std::size_t i) {
                return work.correct(i, {options.inputs[i], outputs[i],
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
