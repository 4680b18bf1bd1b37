// One picture through the loaded preset: read, correct in place, write.
#pragma once

#include <cstdint>
#include <string>

struct JobResult {
    bool ok = false;
    std::string message; // what went wrong, for the report
};

// The preset must have been loaded into this process with TWKSetPresetFile.
JobResult applyLoadedPreset(const std::string& input, const std::string& output,
                            std::uint32_t formatBits);

// The output file name for an input: its stem in `folder`, with `extension` (without dot) or
// else the input's own extension.
std::string outputNameFor(const std::string& input, const std::string& folder,
                          const std::string& extension);
