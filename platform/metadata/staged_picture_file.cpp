#include "platform/staged_picture_file.h"

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

// How much of the target's name the staging name repeats, so that a listing shows whose it is.
// Short enough that a staging name with a process id of 7 digits and an extension of 4 letters
// stays within the 32 bytes of its own name that the image-file library's temporary files
// repeat (see atomic_file.h): the temporary file of a staging file then names it whole.
constexpr std::size_t namePrefixBytes = 11;
constexpr std::size_t randomCharacters = 6; // mkstemps' XXXXXX

struct NameParts {
    std::string folder;    // with the closing slash, or empty
    std::string name;      // without the folder
    std::string extension; // with its dot, or empty
};

NameParts partsOf(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    NameParts parts;
    parts.folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    parts.name = slash == std::string::npos ? target : target.substr(slash + 1);
    const std::size_t dot = parts.name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        parts.extension = parts.name.substr(dot);
    }
    return parts;
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

// The staging name of `target` made by process `writer`, before its random characters.
std::string stagingStem(const NameParts& parts, pid_t writer) {
    return "." + namePrefix(parts.name) + "." + std::to_string(writer) + ".";
}

mode_t permissionsFor(const std::string& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        return existing.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// `name` is `stem`, random characters and `ending`.
bool hasForm(const std::string& name, const std::string& stem, const std::string& ending) {
    return name.size() == stem.size() + randomCharacters + ending.size() &&
           name.starts_with(stem) && name.ends_with(ending);
}

// A staging name of the writer, or the name of the image-file library's temporary file of
// one: "." + staging name + "." + writer + "." + random characters.
bool isLeftoverName(const std::string& name, const std::string& stem, const std::string& extension,
                    pid_t writer) {
    const std::string temporaryEnding = "." + std::to_string(writer) + ".";
    const std::size_t stagingSize = stem.size() + randomCharacters + extension.size();
    return hasForm(name, stem, extension) ||
           (name.size() == 1 + stagingSize + temporaryEnding.size() + randomCharacters &&
            name.starts_with("." + stem) &&
            name.compare(1 + stem.size() + randomCharacters,
                         extension.size() + temporaryEnding.size(),
                         extension + temporaryEnding) == 0);
}

struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};

// The leftovers of `writer` for the target, listed before any is removed.
std::vector<std::string> leftoversOf(const NameParts& parts, pid_t writer) {
    const std::string stem = stagingStem(parts, writer);
    std::vector<std::string> found;
    std::unique_ptr<DIR, FolderCloser> folder(
        ::opendir(parts.folder.empty() ? "." : parts.folder.c_str()));
    if (!folder) {
        return found;
    }
    while (const dirent* entry = ::readdir(folder.get())) {
        const std::string name = entry->d_name;
        if (isLeftoverName(name, stem, parts.extension, writer)) {
            found.push_back(parts.folder + name);
        }
    }
    return found;
}

} // namespace

StagedPictureFile::StagedPictureFile(std::string target) : target_(std::move(target)) {}

StagedPictureFile::~StagedPictureFile() {
    if (!staging_.empty() && !committed_) {
        std::remove(staging_.c_str());
    }
}

bool StagedPictureFile::create() {
    const NameParts parts = partsOf(target_);
    std::string name = parts.folder + stagingStem(parts, ::getpid()) +
                       std::string(randomCharacters, 'X') + parts.extension;
    const int descriptor = ::mkstemps(name.data(), static_cast<int>(parts.extension.size()));
    if (descriptor < 0) {
        return false;
    }
    // Only the name is kept: the image-file library renames its finished file to it, and a
    // rename over an existing file makes some file systems (ext4) start writing the new file
    // out at once, which a staging file replaced again soon does not need.
    ::close(descriptor);
    if (::unlink(name.c_str()) != 0) {
        return false;
    }
    staging_ = std::move(name);
    return true;
}

bool StagedPictureFile::commit() {
    committed_ = !staging_.empty() && ::chmod(staging_.c_str(), permissionsFor(target_)) == 0 &&
                 std::rename(staging_.c_str(), target_.c_str()) == 0;
    return committed_;
}

int StagedPictureFile::removeLeftovers(const std::string& target, pid_t writer) {
    int removed = 0;
    for (const std::string& leftover : leftoversOf(partsOf(target), writer)) {
        if (::unlink(leftover.c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}

} // namespace platform
