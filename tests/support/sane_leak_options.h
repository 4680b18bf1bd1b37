// For the test programs that load libsane: SANE's backends copy strings while they start and
// never free them, and are unloaded before a leak report could name them, so leaks are not
// looked for in these processes (every other sanitizer check stays on). The sanitizer's
// run-time library looks the options up by name, so the function is exported. Include this in
// exactly one file of such a test program.
#pragma once

extern "C" [[gnu::visibility("default")]] const char* __asan_default_options();
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}
