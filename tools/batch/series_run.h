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
    std::string outputFolder;
    OutputOptions output;
    int jobs = 1;
    bool keepTree = false;
    bool acceptIncomplete = false;
};

// Adds --out, the output options, --jobs, --keep-tree and --accept-incomplete to `command`.
void addSeriesOptions(CLI::App& command, SeriesOptions& options);

struct SeriesWork {
    // In each worker, before its first picture; false fails every picture the worker gets.
    std::function<bool()> prepare;
    // In a worker: corrects and writes input `index` as `job` says.
    std::function<JobResult(std::size_t index, const PictureJob& job)> correct;
};

// Runs the series and prints its summary. Returns 0 when every picture was corrected, 1 when
// any failed, 2 when two inputs would be written to the same file or the output folder cannot
// be made (nothing is written then). A run interrupted by a signal ends the process as that
// signal does.
int runSeries(const SeriesOptions& options, const SeriesWork& work);
