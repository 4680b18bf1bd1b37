// A stand-in for the SANE library that passes every call on to the real one (libsane.so.1), but
// switches the device to grey before the page given by HUEMARK_SHIM_GREY_PAGE (counted from 1
// per open device). It lets the tests see a device that changes to grey in the middle of a stack
// of pages, with the frames of SANE's own test backend.
#include <sane/sane.h>
#include <sane/saneopts.h>

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#define SHIM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
void*& loadedLibrary() {
    static void* module = nullptr;
    return module;
}

void* realLibrary() {
    void*& module = loadedLibrary();
    if (module == nullptr) {
        module = dlopen("libsane.so.1", RTLD_NOW | RTLD_LOCAL);
    }
    return module;
}

template <typename Call> Call real(Call, const char* name) {
    return reinterpret_cast<Call>(dlsym(realLibrary(), name));
}

std::map<SANE_Handle, int>& pagesStarted() {
    static std::map<SANE_Handle, int> pages;
    return pages;
}

void switchToGrey(SANE_Handle handle) {
    const auto descriptor = real(&sane_get_option_descriptor, "sane_get_option_descriptor");
    const auto control = real(&sane_control_option, "sane_control_option");
    for (SANE_Int index = 1;; ++index) {
        const SANE_Option_Descriptor* option = descriptor(handle, index);
        if (option == nullptr) {
            return;
        }
        if (option->name != nullptr && std::strcmp(option->name, SANE_NAME_SCAN_MODE) == 0) {
            std::vector<char> value(std::size_t(option->size), '\0');
            std::strcpy(value.data(), SANE_VALUE_SCAN_MODE_GRAY);
            control(handle, index, SANE_ACTION_SET_VALUE, value.data(), nullptr);
            return;
        }
    }
}
} // namespace

SHIM_EXPORT SANE_Status sane_init(SANE_Int* version, SANE_Auth_Callback authorize) {
    return real(&sane_init, "sane_init")(version, authorize);
}

SHIM_EXPORT void sane_exit(void) {
    real(&sane_exit, "sane_exit")();
    dlclose(loadedLibrary());
    loadedLibrary() = nullptr;
}

SHIM_EXPORT SANE_Status sane_get_devices(const SANE_Device*** list, SANE_Bool localOnly) {
    return real(&sane_get_devices, "sane_get_devices")(list, localOnly);
}

SHIM_EXPORT SANE_Status sane_open(SANE_String_Const name, SANE_Handle* handle) {
    const SANE_Status status = real(&sane_open, "sane_open")(name, handle);
    if (status == SANE_STATUS_GOOD) {
        pagesStarted()[*handle] = 0;
    }
    return status;
}

SHIM_EXPORT void sane_close(SANE_Handle handle) {
    pagesStarted().erase(handle);
    real(&sane_close, "sane_close")(handle);
}

SHIM_EXPORT const SANE_Option_Descriptor* sane_get_option_descriptor(SANE_Handle handle,
                                                                     SANE_Int option) {
    return real(&sane_get_option_descriptor, "sane_get_option_descriptor")(handle, option);
}

SHIM_EXPORT SANE_Status sane_control_option(SANE_Handle handle, SANE_Int option, SANE_Action action,
                                            void* value, SANE_Int* info) {
    return real(&sane_control_option, "sane_control_option")(handle, option, action, value, info);
}

SHIM_EXPORT SANE_Status sane_get_parameters(SANE_Handle handle, SANE_Parameters* parameters) {
    return real(&sane_get_parameters, "sane_get_parameters")(handle, parameters);
}

SHIM_EXPORT SANE_Status sane_start(SANE_Handle handle) {
    const char* greyPage = std::getenv("HUEMARK_SHIM_GREY_PAGE");
    if (greyPage != nullptr && ++pagesStarted()[handle] == std::atoi(greyPage)) {
        switchToGrey(handle);
    }
    return real(&sane_start, "sane_start")(handle);
}

SHIM_EXPORT SANE_Status sane_read(SANE_Handle handle, SANE_Byte* data, SANE_Int size,
                                  SANE_Int* length) {
    return real(&sane_read, "sane_read")(handle, data, size, length);
}

SHIM_EXPORT void sane_cancel(SANE_Handle handle) {
    real(&sane_cancel, "sane_cancel")(handle);
}

SHIM_EXPORT SANE_Status sane_set_io_mode(SANE_Handle handle, SANE_Bool nonBlocking) {
    return real(&sane_set_io_mode, "sane_set_io_mode")(handle, nonBlocking);
}

SHIM_EXPORT SANE_Status sane_get_select_fd(SANE_Handle handle, SANE_Int* fd) {
    return real(&sane_get_select_fd, "sane_get_select_fd")(handle, fd);
}

SHIM_EXPORT SANE_String_Const sane_strstatus(SANE_Status status) {
    return real(&sane_strstatus, "sane_strstatus")(status);
}
