// Where each input's result goes, and the check that no two results share one file.
#pragma once

#include <string>
#include <vector>

struct OutputPlan {
    std::string folder;    // --out
    std::string format;    // --format without dot, or empty: as the input
    bool keepTree = false; // recreate the inputs' folders below the tree's root
    std::string treeRoot;  // that root; empty: the inputs' common parent folder
};

// The result's file name for every input, in input order: the input's stem with the
// extension of --format or else outputExtensionFor(input), in the output folder (with
// keepTree, in the input's folder relative to the tree's root, below it). With a tree root,
// every input must lie in it (see inputsOutside).
std::vector<std::string> outputNamesFor(const std::vector<std::string>& inputs,
                                        const OutputPlan& plan);

// The indexes of the inputs that do not lie in the folder `root` or below it, by their
// absolute names without . and .. elements (symbolic links are not followed).
std::vector<std::size_t> inputsOutside(const std::vector<std::string>& inputs,
                                       const std::string& root);

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
