#include "platform/atomic_file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The placeholder of the random characters in a name pattern, as mkstemps wants it.
const std::string randomPlaceholder = "XXXXXX";

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
std::string namePrefix(const std::string& name, std::size_t bytes) {
    std::size_t length = std::min(name.size(), bytes);
    while (length > 0 && length < name.size() &&
           (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) {
        --length;
    }
    return name.substr(0, length);
}

// What a temporary name ends in after its random characters.
std::string temporaryEnding(const std::string& name, TemporaryNameForm form) {
    const std::size_t dot = name.rfind('.');
    if (!form.keepsExtension || dot == std::string::npos || dot == 0) {
        return {};
    }
    return name.substr(dot);
}

// A temporary name on either side of its random characters.
struct TemporaryName {
    std::string stem;
    std::string ending;

    std::size_t size() const { return stem.size() + randomPlaceholder.size() + ending.size(); }
};

TemporaryName temporaryNameOf(const std::string& target, pid_t writer, TemporaryNameForm form) {
    const std::string name = splitName(target).name;
    return {"." + namePrefix(name, form.prefixBytes) + "." + std::to_string(writer) + ".",
            temporaryEnding(name, form)};
}

struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, FolderCloser> listing(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!listing) {
        return names;
    }
    while (const dirent* entry = ::readdir(listing.get())) {
        names.emplace_back(entry->d_name);
    }
    return names;
}

} // namespace

AtomicFile::AtomicFile(std::string target, TemporaryNameForm form)
    : target_(std::move(target)), form_(form) {}

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
    const TemporaryName name = temporaryNameOf(split.name, ::getpid(), form_);
    temporary_ = split.folder + name.stem + randomPlaceholder + name.ending;
    descriptor_ = ::mkstemps(temporary_.data(), static_cast<int>(name.ending.size()));
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
    return removeFilesBeside(
        target, [&](const std::string& name) { return isTemporaryName(name, target, writer); });
}

int AtomicFile::removeFilesBeside(const std::string& target,
                                  const std::function<bool(const std::string&)>& isLeftover) {
    const std::string folder = splitName(target).folder;
    int removed = 0;
    for (const std::string& name : namesIn(folder)) {
        if (isLeftover(name) && ::unlink((folder + name).c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}

std::string AtomicFile::temporaryNamePattern(const std::string& target, pid_t writer,
                                             TemporaryNameForm form) {
    const TemporaryName name = temporaryNameOf(target, writer, form);
    return name.stem + randomPlaceholder + name.ending;
}

bool AtomicFile::isTemporaryName(const std::string& name, const std::string& target, pid_t writer,
                                 TemporaryNameForm form) {
    const TemporaryName temporary = temporaryNameOf(target, writer, form);
    return name.size() == temporary.size() && name.starts_with(temporary.stem) &&
           name.ends_with(temporary.ending);
}

mode_t AtomicFile::permissionsFor(const std::string& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        return existing.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace platform
