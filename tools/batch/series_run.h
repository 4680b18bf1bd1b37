// A series of pictures corrected in worker processes and written under an output folder, as
// apply and correct do it: their shared options, the results' names and folders, the progress
// bar, the summary and the exit status.
#pragma once

#include "output_options.h"
#include "picture_job.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

struct SeriesOptions {
    std::vector<std::string> inputs;
    std::string filesFrom;      // the list of the inputs, "-" for standard input; or empty
    bool nullSeparated = false; // the list's names end with NUL bytes rather than line ends
    std::string outputFolder;
    OutputOptions output;
    int jobs = 1;
    bool keepTree = false;
    std::string treeRoot; // the folder whose tree --keep-tree keeps; empty: the inputs' parent
    bool acceptIncomplete = false;
};

// Adds --files-from, -0, --out, the output options, --jobs, --keep-tree, --tree-root and
// --accept-incomplete to `command`.
void addSeriesOptions(CLI::App& command, SeriesOptions& options);

// The worker processes a run starts unless --jobs says otherwise: the processors this process
// may run on (a cluster's job or taskset may allow fewer than the machine has), at least 1.
int defaultJobs();

// Whether the command line names pictures, as arguments or as a list (which may be empty).
bool picturesGiven(const SeriesOptions& options);

// Reads the inputs of --files-from, or of standard input when "-" is the only input, into
// `options.inputs`. Returns what is wrong, for a refused command line, or an empty string.
std::string readListedInputs(SeriesOptions& options);

struct SeriesWork {
    // In each worker, before its first picture; false fails every picture the worker gets.
    std::function<bool()> prepare;
    // In a worker: corrects and writes input `index` as `job` says.
    std::function<JobResult(std::size_t index, const PictureJob& job)> correct;
};

// Runs the series and prints its summary. Returns 0 when every picture was corrected (also when
// there is none), 1 when any failed, 2 when two inputs would be written to the same file, an
// input lies outside the tree root or the output folder cannot be made (nothing is written
// then). A run interrupted by a signal ends the process as that
// signal does.
int runSeries(const SeriesOptions& options, const SeriesWork& work);
