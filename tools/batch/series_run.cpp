#include "series_run.h"

#include "messages.h"
#include "name_list.h"
#include "output_names.h"
#include "worker_pool.h"

#include "platform/atomic_file.h"
#include "platform/staged_picture_file.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <thread>

#include <sched.h>
#include <unistd.h>

namespace {

constexpr int mostJobs = 256;

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

// Refuses a run with --tree-root in which an input lies outside that folder.
bool reportInputsOutsideTree(const SeriesOptions& options) {
    if (options.treeRoot.empty()) {
        return false;
    }
    const std::vector<std::size_t> outside = inputsOutside(options.inputs, options.treeRoot);
    if (outside.empty()) {
        return false;
    }
    std::cerr << "huemark-batch: these inputs are not in the --tree-root folder "
              << options.treeRoot << ":\n";
    for (std::size_t index : outside) {
        std::cerr << "  " << options.inputs[index] << "\n";
    }
    std::cerr << "Nothing was written.\n";
    return true;
}

// What is wrong with where the command line takes its pictures from, or an empty string.
std::string pictureSourceProblem(const SeriesOptions& options) {
    const bool fromStandardInput =
        std::find(options.inputs.begin(), options.inputs.end(), "-") != options.inputs.end();
    if (!options.filesFrom.empty() && !options.inputs.empty()) {
        return "--files-from takes the place of the pictures on the command line";
    }
    if (fromStandardInput && options.inputs.size() > 1) {
        return "- (the pictures' names on standard input) must be the only picture; write ./- "
               "for a file named -";
    }
    if (options.nullSeparated && options.filesFrom.empty() && !fromStandardInput) {
        return "-0 needs a list: --files-from LIST, or - for standard input";
    }
    return {};
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
    command
        .add_option("--files-from", options.filesFrom,
                    "Read the pictures' names from LIST, one a line, in place of the "
                    "pictures on the command line; - reads them from standard input")
        ->type_name("LIST");
    command.add_flag("-0,--null", options.nullSeparated,
                     "The names in the list end with a NUL byte (as find -print0 writes them) "
                     "instead of a line end");
    command.add_option("--out", options.outputFolder, "Folder for the corrected pictures")
        ->required();
    addOutputOptions(command, options.output);
    command
        .add_option("--jobs", options.jobs,
                    "Worker processes (default: the processors this run may use)")
        ->check(CLI::Range(1, mostJobs))
        ->default_val(defaultJobs());
    command.add_flag("--keep-tree", options.keepTree,
                     "Recreate the inputs' folders below their common parent folder under "
                     "--out, so that pictures of the same name in different folders are "
                     "kept apart");
    command
        .add_option_function<std::string>(
            "--tree-root",
            [&options](const std::string& root) {
                options.treeRoot = root;
                options.keepTree = true;
            },
            "--keep-tree below this folder rather than below the inputs' common parent, so "
            "that runs over parts of one list make one tree")
        ->check(CLI::ExistingDirectory)
        ->type_name("DIR");
    command.add_flag("--accept-incomplete", options.acceptIncomplete,
                     "Correct and write pictures whose file breaks off (what could be read; "
                     "the rest black) instead of counting them as failed");
}

int defaultJobs() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    const int processors = ::sched_getaffinity(0, sizeof allowed, &allowed) == 0
                               ? CPU_COUNT(&allowed)
                               : static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(processors, 1, mostJobs);
}

bool picturesGiven(const SeriesOptions& options) {
    return !options.inputs.empty() || !options.filesFrom.empty();
}

std::string readListedInputs(SeriesOptions& options) {
    if (std::string problem = pictureSourceProblem(options); !problem.empty()) {
        return problem;
    }
    if (options.inputs == std::vector<std::string>{"-"}) {
        options.inputs.clear();
        options.filesFrom = "-";
    }
    if (options.filesFrom.empty()) {
        return {};
    }
    std::optional<std::vector<std::string>> names = readNameList(
        options.filesFrom, options.nullSeparated ? NameSeparator::Nul : NameSeparator::Line);
    if (!names) {
        return (options.filesFrom == "-" ? std::string("standard input") : options.filesFrom) +
               ": the list cannot be read";
    }
    options.inputs = std::move(*names);
    return {};
}

int runSeries(const SeriesOptions& options, const SeriesWork& work) {
    if (reportInputsOutsideTree(options)) {
        return 2;
    }
    const std::vector<std::string> outputs =
        outputNamesFor(options.inputs, {options.outputFolder, options.output.format,
                                        options.keepTree, options.treeRoot});
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
