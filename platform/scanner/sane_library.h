// SaneLibrary: the SANE library, loaded at run time so that the program starts and works on a
// machine without it. Each call of the SANE interface is looked up by name; the types come from
// the SANE header, so a pointer cannot disagree with the call it stands for.
#pragma once

#include <sane/sane.h>

#include <memory>
#include <string>

namespace scanner {

class SaneLibrary {
public:
    // Loads the library from `fileName` (a bare name is searched for as dlopen does) and
    // starts it; null when it is missing, lacks one of the calls, or does not start.
    static std::unique_ptr<SaneLibrary> load(const std::string& fileName);
    // Stops the library and unloads it.
    ~SaneLibrary();
    SaneLibrary(const SaneLibrary&) = delete;
    SaneLibrary& operator=(const SaneLibrary&) = delete;

    decltype(&::sane_get_devices) getDevices = nullptr;
    decltype(&::sane_open) open = nullptr;
    decltype(&::sane_close) close = nullptr;
    decltype(&::sane_get_option_descriptor) optionDescriptor = nullptr;
    decltype(&::sane_control_option) controlOption = nullptr;
    decltype(&::sane_get_parameters) parameters = nullptr;
    decltype(&::sane_start) start = nullptr;
    decltype(&::sane_read) read = nullptr;
    decltype(&::sane_cancel) cancel = nullptr;

private:
    SaneLibrary() = default;
    bool bind();

    void* module_ = nullptr;
    decltype(&::sane_init) init_ = nullptr;
    decltype(&::sane_exit) exit_ = nullptr;
    bool started_ = false;
};

} // namespace scanner
