// One picture through the loaded preset: read upright, correct in place, write with the input's
// metadata where the output's format holds it.
#pragma once

#include "platform/memory_block.h"

#include <cstdint>
#include <functional>
#include <string>

enum class JobStatus : std::uint8_t {
    Corrected,
    CorrectedIncomplete, // the file breaks off; the part that could be read was corrected
    Failed,
    NotDone, // the run was interrupted before this picture was finished
};

struct JobResult {
    JobStatus status = JobStatus::Failed;
    std::string message; // what went wrong, for the report
    int stopSignal = 0;  // a signal that ends the whole run because of this picture, or 0
};

struct PictureJob {
    std::string input;
    std::string output;
    std::uint32_t formatBits = 0;  // IP_EXPORT format flags, see formatBitsFor
    bool acceptIncomplete = false; // correct and write pictures whose file breaks off
};

// The preset must have been loaded into this process with TWKSetPresetFile.
JobResult applyLoadedPreset(const PictureJob& job);

// Corrects a picture in place: an unlocked packed 24-bit bitmap block, upright. Returns what
// went wrong, or an empty string.
using PictureCorrection = std::function<std::string(platform::MemHandle picture)>;

// The job with another correction than the loaded preset; read and written as by
// applyLoadedPreset.
JobResult correctPicture(const PictureJob& job, const PictureCorrection& correction);

// For a worker, before its first picture: a write beyond the file size limit (ulimit -f) then
// fails its picture with stopSignal SIGXFSZ, and the library removes the temporary file, where
// the signal's default action would kill the worker in the middle of the write.
void catchFileSizeLimit();
