#include "sane_library.h"

#include <dlfcn.h>

namespace scanner {
namespace {
template <typename Call> bool lookUp(void* module, const char* name, Call& call) {
    call = reinterpret_cast<Call>(dlsym(module, name));
    return call != nullptr;
}
} // namespace

std::unique_ptr<SaneLibrary> SaneLibrary::load(const std::string& fileName) {
    std::unique_ptr<SaneLibrary> library(new SaneLibrary);
    library->module_ = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library->module_ == nullptr || !library->bind()) {
        return nullptr;
    }
    SANE_Int version = 0;
    library->started_ = library->init_(&version, nullptr) == SANE_STATUS_GOOD;
    if (!library->started_ || SANE_VERSION_MAJOR(version) != SANE_CURRENT_MAJOR) {
        return nullptr;
    }
    return library;
}

bool SaneLibrary::bind() {
    return lookUp(module_, "sane_init", init_) && lookUp(module_, "sane_exit", exit_) &&
           lookUp(module_, "sane_get_devices", getDevices) && lookUp(module_, "sane_open", open) &&
           lookUp(module_, "sane_close", close) &&
           lookUp(module_, "sane_get_option_descriptor", optionDescriptor) &&
           lookUp(module_, "sane_control_option", controlOption) &&
           lookUp(module_, "sane_get_parameters", parameters) &&
           lookUp(module_, "sane_start", start) && lookUp(module_, "sane_read", read) &&
           lookUp(module_, "sane_cancel", cancel);
}

SaneLibrary::~SaneLibrary() {
    if (started_) {
        exit_();
    }
    if (module_ != nullptr) {
        dlclose(module_);
    }
}

} // namespace scanner
