#include "platform/atomic_file.h"

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

mode_t permissionsFor(const std::string& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        return existing.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
    if (!temporary_.empty() && !committed_) {
        std::remove(temporary_.c_str());
    }
}

int AtomicFile::open() {
    temporary_ = target_ + ".XXXXXX";
    descriptor_ = ::mkstemp(temporary_.data());
    if (descriptor_ < 0) {
        temporary_.clear();
        return -1;
    }
    ::fchmod(descriptor_, permissionsFor(target_));
    return descriptor_;
}

int AtomicFile::release() {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    return descriptor;
}

bool AtomicFile::sync(int descriptor) {
    return ::fsync(descriptor) == 0;
}

bool AtomicFile::commit() {
    committed_ = !temporary_.empty() && std::rename(temporary_.c_str(), target_.c_str()) == 0;
    return committed_;
}

} // namespace platform
