#include "platform/atomic_file.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// How much of the target's name the temporary name repeats, so that a listing shows whose
// it is; the whole temporary name stays far below the 255-byte limit of a name.
constexpr std::size_t namePrefixBytes = 32;
constexpr std::size_t randomCharacters = 6; // mkstemp's XXXXXX

mode_t permissionsFor(const std::string& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        return existing.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The target split into its folder (with the closing slash, or empty) and its name.
struct SplitName {
    std::string folder;
    std::string name;
};

SplitName splitName(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    if (slash == std::string::npos) {
        return {{}, target};
    }
    return {target.substr(0, slash + 1), target.substr(slash + 1)};
}

// The first bytes of a name, not cutting a UTF-8 character in two.
std::string namePrefix(const std::string& name) {
    std::size_t length = std::min(name.size(), namePrefixBytes);
    while (length > 0 && length < name.size() &&
           (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) {
        --length;
    }
    return name.substr(0, length);
}

// The temporary name of `target` written by process `writer`, without the random ending.
std::string temporaryStem(const std::string& name, pid_t writer) {
    return "." + namePrefix(name) + "." + std::to_string(writer) + ".";
}

struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};

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
    const SplitName split = splitName(target_);
    temporary_ =
        split.folder + temporaryStem(split.name, ::getpid()) + std::string(randomCharacters, 'X');
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

int AtomicFile::removeLeftovers(const std::string& target, pid_t writer) {
    const SplitName split = splitName(target);
    const std::string stem = temporaryStem(split.name, writer);
    std::unique_ptr<DIR, FolderCloser> folder(
        ::opendir(split.folder.empty() ? "." : split.folder.c_str()));
    if (!folder) {
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = ::readdir(folder.get())) {
        const std::string name = entry->d_name;
        if (name.size() == stem.size() + randomCharacters && name.starts_with(stem) &&
            ::unlink((split.folder + name).c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}

} // namespace platform
