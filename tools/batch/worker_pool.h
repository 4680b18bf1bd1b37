// Runs one job per input in worker processes: the engine keeps its state per process, so
// parallel work needs processes, not threads.
#pragma once

#include "picture_job.h"

#include <functional>
#include <string>
#include <vector>

struct JobOutcome {
    std::size_t index = 0;
    JobResult result;
};

// Starts `workers` processes; each first calls `prepare` (false ends it before any job) and
// then takes the next undone input, as long as there is one, and runs `job` on it. Calls
// `report` in this process for every job as it finishes. Inputs whose worker died are
// reported as failed.
void runInWorkers(std::size_t inputs, int workers, const std::function<bool()>& prepare,
                  const std::function<JobResult(std::size_t)>& job,
                  const std::function<void(const JobOutcome&)>& report);
