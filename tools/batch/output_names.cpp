#include "output_names.h"

#include "platform/picture_format.h"

#include <filesystem>
#include <map>
#include <string_view>

namespace {

namespace fs = std::filesystem;

// `extension` with its dot, as std::filesystem gives it.
bool libraryWritesExtension(const std::string& extension) {
    return extension.size() > 1 &&
           platform::pictureFormatOfExtension(std::string_view(extension).substr(1)) !=
               platform::PictureFormat::Unknown;
}

fs::path absoluteFolderOf(const std::string& input) {
    std::error_code error;
    const fs::path absolute = fs::absolute(input, error);
    return (error ? fs::path(input) : absolute).lexically_normal().parent_path();
}

// The longest leading run of path elements all folders share.
fs::path commonFolder(const std::vector<fs::path>& folders) {
    fs::path common = folders.front();
    for (const fs::path& folder : folders) {
        fs::path shared;
        for (auto a = common.begin(), b = folder.begin();
             a != common.end() && b != folder.end() && a->native() == b->native(); ++a, ++b) {
            shared /= *a;
        }
        common = shared;
    }
    return common;
}

// A folder given by the user, absolute, without . and .. elements or a trailing slash.
fs::path rootFolder(const std::string& folder) {
    std::error_code error;
    const fs::path absolute = fs::absolute(folder, error);
    const fs::path normal = (error ? fs::path(folder) : absolute).lexically_normal();
    return normal.has_filename() ? normal : normal.parent_path();
}

// Each input's folder relative to the tree's root: `root`, or when that is empty the inputs'
// common parent folder ("." for the root itself).
std::vector<fs::path> relativeFolders(const std::vector<std::string>& inputs,
                                      const std::string& root) {
    std::vector<fs::path> folders;
    for (const std::string& input : inputs) {
        folders.push_back(absoluteFolderOf(input));
    }
    std::vector<fs::path> relative;
    if (folders.empty()) {
        return relative;
    }
    const fs::path base = root.empty() ? commonFolder(folders) : rootFolder(root);
    for (const fs::path& folder : folders) {
        relative.push_back(folder.lexically_relative(base));
    }
    return relative;
}

bool leavesTheRoot(const fs::path& relative) {
    return relative.empty() || *relative.begin() == "..";
}

} // namespace

std::string outputExtensionFor(const std::string& input) {
    const std::string own = fs::path(input).extension().string();
    if (libraryWritesExtension(own)) {
        return own;
    }
    const std::string shown =
        platform::pictureExtension(platform::pictureFormatOfFile(input.c_str()));
    return shown.empty() ? own : "." + shown;
}

std::vector<std::string> outputNamesFor(const std::vector<std::string>& inputs,
                                        const OutputPlan& plan) {
    const std::vector<fs::path> subfolders =
        plan.keepTree ? relativeFolders(inputs, plan.treeRoot) : std::vector<fs::path>();
    std::vector<std::string> outputs;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        fs::path name = fs::path(inputs[i]).stem();
        name += plan.format.empty() ? outputExtensionFor(inputs[i]) : "." + plan.format;
        outputs.push_back(
            plan.keepTree
                ? (fs::path(plan.folder) / subfolders[i] / name).lexically_normal().string()
                : (fs::path(plan.folder) / name).string());
    }
    return outputs;
}

std::vector<OutputClash> findClashes(const std::vector<std::string>& outputs) {
    std::map<std::string, std::vector<std::size_t>> inputsByOutput;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        inputsByOutput[outputs[i]].push_back(i);
    }
    std::vector<OutputClash> clashes;
    for (auto& [output, inputs] : inputsByOutput) {
        if (inputs.size() > 1) {
            clashes.push_back({output, std::move(inputs)});
        }
    }
    return clashes;
}

std::vector<std::size_t> inputsOutside(const std::vector<std::string>& inputs,
                                       const std::string& root) {
    const std::vector<fs::path> relative = relativeFolders(inputs, root);
    std::vector<std::size_t> outside;
    for (std::size_t i = 0; i < relative.size(); ++i) {
        if (leavesTheRoot(relative[i])) {
            outside.push_back(i);
        }
    }
    return outside;
}
