#include "platform/staged_picture_file.h"

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The staging name repeats 11 bytes of the target's name: short enough that a staging name with
// a process id of 7 digits and an extension of 4 letters stays within the 32 bytes of its own
// name that the image-file library's temporary files repeat (see atomic_file.h), so that the
// temporary file of a staging file names it whole.
constexpr TemporaryNameForm stagingForm{.prefixBytes = 11, .keepsExtension = true};

bool isStagingName(const std::string& name, const std::string& target, pid_t writer) {
    return AtomicFile::isTemporaryName(name, target, writer, stagingForm);
}

// The image-file library's temporary file of a staging name of the writer: "." + the staging
// name (whole, see stagingForm) + "." + writer + "." + random characters.
bool isLibraryFileOfStaging(const std::string& name, const std::string& target, pid_t writer) {
    const std::size_t stagingSize =
        AtomicFile::temporaryNamePattern(target, writer, stagingForm).size();
    if (name.size() <= 1 + stagingSize) {
        return false;
    }
    const std::string staging = name.substr(1, stagingSize);
    return isStagingName(staging, target, writer) &&
           AtomicFile::isTemporaryName(name, staging, writer);
}

} // namespace

StagedPictureFile::StagedPictureFile(std::string target)
    : target_(std::move(target)), staging_(target_, stagingForm) {}

bool StagedPictureFile::create() {
    if (staging_.open() < 0) {
        return false;
    }
    // Only the name is kept: the image-file library renames its finished file to it, and a
    // rename over an existing file makes some file systems (ext4) start writing the new file
    // out at once, which a staging file replaced again soon does not need.
    ::close(staging_.release());
    return ::unlink(path().c_str()) == 0;
}

bool StagedPictureFile::commit() {
    return ::chmod(path().c_str(), AtomicFile::permissionsFor(target_)) == 0 && staging_.commit();
}

int StagedPictureFile::removeLeftovers(const std::string& target, pid_t writer) {
    return AtomicFile::removeFilesBeside(target, [&](const std::string& name) {
        return isStagingName(name, target, writer) || isLibraryFileOfStaging(name, target, writer);
    });
}

} // namespace platform
