// Where each input's result goes, and the check that no two results share one file.
#pragma once

#include <string>
#include <vector>

struct OutputPlan {
    std::string folder;    // --out
    std::string format;    // --format without dot, or empty: as the input
    bool keepTree = false; // recreate the inputs' folders below their common parent folder
};

// The result's file name for every input, in input order: the input's stem with the
// extension of --format or else outputExtensionFor(input), in the output folder (with
// keepTree, in the input's folder relative to the inputs' common parent, below it).
std::vector<std::string> outputNamesFor(const std::vector<std::string>& inputs,
                                        const OutputPlan& plan);

// The extension, with its dot, of an input's result when no format is asked for: the input's
// own when the image-file library writes it (bmp, jpg, jpeg, jpe, tif, tiff, png, pcx in any
// case), else the usual one of the format its content shows, else the input's own.
std::string outputExtensionFor(const std::string& input);

struct OutputClash {
    std::string output;
    std::vector<std::size_t> inputs; // indexes of the inputs written to `output`, two or more
};

// The outputs that more than one input would be written to, names compared byte for byte as
// the file system compares them (so one input given twice clashes with itself).
std::vector<OutputClash> findClashes(const std::vector<std::string>& outputs);
