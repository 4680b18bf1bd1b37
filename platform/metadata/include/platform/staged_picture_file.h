// A picture file made in steps before it replaces its target: the image-file library writes the
// pixels, the metadata library then writes the metadata into the same file, and only a file
// complete in both replaces the target, whose old version a failure at any step leaves intact.
//
// The staging file lies in the target's folder, hidden, and ends in the target's extension, as
// the image-file library chooses the format by it: ".<first 11 bytes of the name>.<process id>.
// <6 random characters>.<extension>". It takes the permissions of the file it replaces (or the
// usual ones) as it replaces it.
#pragma once

#include "platform/atomic_file.h"

#include <string>

#include <sys/types.h>

namespace platform {

class StagedPictureFile {
public:
    // The staging file goes with the object unless it was committed.
    explicit StagedPictureFile(std::string target);
    StagedPictureFile(const StagedPictureFile&) = delete;
    StagedPictureFile& operator=(const StagedPictureFile&) = delete;

    // Finds a free staging name, making and removing a file of that name to be sure it can be
    // made; false (errno set) when it cannot.
    bool create();
    // The staging file's name, to write the picture to; empty before create().
    const std::string& path() const { return staging_.temporaryPath(); }
    // Gives the staging file the target's permissions and renames it over the target; false
    // (errno set) on failure.
    bool commit();

    // Removes the staging files that process `writer` made for `target` and left behind, and
    // the image-file library's temporary files of them; returns how many files it removed. As
    // with AtomicFile::removeLeftovers, call it before reaping the dead writer. Targets whose
    // extension has more than 4 letters may leave the library's files behind.
    static int removeLeftovers(const std::string& target, pid_t writer);

private:
    std::string target_;
    AtomicFile staging_;
};

} // namespace platform
