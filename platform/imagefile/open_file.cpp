#include "open_file.h"

#include "platform/image_file.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace imagefile {

namespace {

// Files larger than this are not read (no picture within the pixel limit needs that many
// bytes).
constexpr std::uint64_t maxFileSize = std::uint64_t{2} << 30;

int openErrorCode(int error) {
    if (error == ENOENT || error == ENOTDIR) {
        return IP_FILE_NOT_FOUND;
    }
    return error == ENOMEM ? IP_NO_MEMORY : IP_CANNOT_OPEN;
}

} // namespace

OpenFile::~OpenFile() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

int OpenFile::open(const char* name) {
    descriptor_ = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor_ < 0) {
        return openErrorCode(errno);
    }
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0 || !S_ISREG(status.st_mode)) {
        return IP_CANNOT_OPEN;
    }
    if (static_cast<std::uint64_t>(status.st_size) > maxFileSize) {
        return IP_TOO_LARGE;
    }
    source_.emplace(descriptor_, static_cast<std::uint64_t>(status.st_size));
    return IP_OK;
}

} // namespace imagefile
