// Runs one job per input in worker processes: the engine keeps its state per process, so
// parallel work needs processes, not threads.
//
// Each worker gets one input at a time over a socket of its own and announces it as it starts
// it, so this process always knows which picture a worker is working on. A worker that dies
// (a crash, SIGKILL) fails that picture with a message naming the signal and is replaced; the
// other pictures go on. SIGINT, SIGTERM or SIGHUP, to this process or to a worker, interrupts
// the run: the signal is passed on to every worker and the run ends once all of them have
// ended. A job whose result has a stopSignal ends the run too, but lets the other workers
// finish the pictures they have.
#pragma once

#include "picture_job.h"

#include <functional>

#include <sys/types.h>

struct JobOutcome {
    std::size_t index = 0;
    JobResult result;
};

struct WorkerTasks {
    // In each worker, once before its first job; false fails every job the worker gets.
    std::function<bool()> prepare;
    // In a worker: the job for one input.
    std::function<JobResult(std::size_t)> run;
    // In this process, when worker `pid` died during an input, before it is reaped: removes
    // what the worker left of its work.
    std::function<void(std::size_t, pid_t)> abandon;
    // In this process, once for every input, as it ends.
    std::function<void(const JobOutcome&)> report;
};

// Runs the jobs in up to `workers` processes. Returns 0 when every input was run, else the
// signal that interrupted the run (SIGINT, SIGTERM, SIGHUP or a job's stopSignal); the inputs
// not finished then are reported as NotDone.
int runInWorkers(std::size_t inputs, int workers, const WorkerTasks& tasks);
