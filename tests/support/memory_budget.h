// Running a piece of work in a child process whose address space may grow only by a given
// budget, to check the peak memory a decoder needs.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>

#include <malloc.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace test_support {

// False in sanitizer builds, whose shadow memory makes address-space limits meaningless.
constexpr bool addressSpaceLimitsWork() {
#if defined(__SANITIZE_ADDRESS__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return false;
#else
    return true;
#endif
#else
    return true;
#endif
}

// Blocks of a mebibyte and more are mapped and unmapped one by one from the start of any test
// program that measures, so that no large block an earlier test freed lies in the heap for a
// budgeted child to reuse unmeasured.
inline const bool largeBlocksAreMapped = mallopt(M_MMAP_THRESHOLD, 1 << 20) == 1;

inline std::uint64_t addressSpaceInUse() {
    unsigned long long pages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%llu", &pages) != 1) {
            pages = 0;
        }
        std::fclose(statm);
    }
    return pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

// Runs `work` in a forked child limited (RLIMIT_AS) to the address space it had at the fork
// plus `budget` bytes. The value `work` returned (0..255), or -1 when the child was killed or
// could not be started.
inline int runWithMemoryBudget(std::uint64_t budget, const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit limit{addressSpaceInUse() + budget, addressSpaceInUse() + budget};
        ::setrlimit(RLIMIT_AS, &limit);
        ::_exit(work() & 0xFF);
    }
    if (child < 0) {
        return -1;
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace test_support
