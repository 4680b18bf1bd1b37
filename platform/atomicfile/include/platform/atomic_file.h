// Saving a file so that a failure never destroys the file it replaces: the data goes to a
// temporary file in the same folder, which is renamed over the target only when complete (and
// synced first where the caller asks, see sync()). The new file keeps the permissions of the one
// it replaces (or the usual ones).
//
// The temporary file is named ".<first bytes of the name>.<process id>.<6 random characters>",
// short enough for any target name the file system allows, and hidden from folder listings.
// The process id lets whoever watched a writer die remove what it left (removeLeftovers).
#pragma once

#include <string>

#include <sys/types.h>

namespace platform {

class AtomicFile {
public:
    explicit AtomicFile(std::string target);
    ~AtomicFile(); // removes the temporary file unless it was committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file; its descriptor, or -1 (errno set) when it cannot be made.
    int open();
    // The descriptor now belongs to the caller, who closes it (after syncing, see sync()).
    int release();
    // Syncs an open descriptor to disk; false on failure.
    static bool sync(int descriptor);
    // Renames the completed temporary file over the target; false (errno set) on failure.
    bool commit();

    // Removes the temporary files that process `writer` made for `target` and left behind, as
    // a writer that was killed while saving does; returns how many it removed. Call it before
    // reaping the dead writer, so that its process id cannot have been given to another.
    static int removeLeftovers(const std::string& target, pid_t writer);

private:
    std::string target_;
    std::string temporary_;
    int descriptor_ = -1;
    bool committed_ = false;
};

} // namespace platform
