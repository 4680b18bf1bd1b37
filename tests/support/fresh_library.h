// A private copy of libtintworks.so, loaded for one test: its repeat slots and preset start
// empty whatever earlier tests in the process did with the linked library.
#pragma once

#include "tintworks.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

class FreshLibrary {
public:
    FreshLibrary() {
        static std::atomic<int> serial{0};
        copy_ = std::filesystem::temp_directory_path() /
                ("tintworks-fresh-" + std::to_string(::getpid()) + "-" + std::to_string(serial++) +
                 ".so");
        std::filesystem::copy_file(TINTWORKS_LIBRARY, copy_,
                                   std::filesystem::copy_options::overwrite_existing);
        handle_ = dlopen(copy_.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ != nullptr) {
            bind(doOperation, "TWKDoImageOperation");
            bind(doRepeated, "TWKDoRepeatedImageOperation");
            bind(isAvailable, "TWKIsRepeatedOperationAvailable");
            bind(extractColor, "TWKExtractImageColor");
            bind(saveLast, "TWKSaveLastProcessing");
            bind(loadLast, "TWKLoadLastProcessing");
            bind(setPresetFile, "TWKSetPresetFile");
            bind(applyPreset, "TWKApplyPresetCorrection");
        }
    }
    ~FreshLibrary() {
        if (handle_ != nullptr) {
            dlclose(handle_);
        }
        std::filesystem::remove(copy_);
    }
    FreshLibrary(const FreshLibrary&) = delete;
    FreshLibrary& operator=(const FreshLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr && bound_ == 8; }

    decltype(&TWKDoImageOperation) doOperation = nullptr;
    decltype(&TWKDoRepeatedImageOperation) doRepeated = nullptr;
    decltype(&TWKIsRepeatedOperationAvailable) isAvailable = nullptr;
    decltype(&TWKExtractImageColor) extractColor = nullptr;
    decltype(&TWKSaveLastProcessing) saveLast = nullptr;
    decltype(&TWKLoadLastProcessing) loadLast = nullptr;
    decltype(&TWKSetPresetFile) setPresetFile = nullptr;
    decltype(&TWKApplyPresetCorrection) applyPreset = nullptr;

private:
    template <typename Function> void bind(Function& function, const char* name) {
        function = reinterpret_cast<Function>(dlsym(handle_, name));
        bound_ += function != nullptr;
    }

    std::filesystem::path copy_;
    void* handle_ = nullptr;
    int bound_ = 0;
};
