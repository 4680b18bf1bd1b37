// Saving a file so that a failure never destroys the file it replaces: the data goes to a
// temporary file in the same folder, which is renamed over the target only when complete (and
// synced first where the caller asks, see sync()). The new file keeps the permissions of the one
// it replaces (or the usual ones).
//
// The temporary file is named ".<first bytes of the name>.<process id>.<6 random characters>"
// (see TemporaryNameForm), short enough for any target name the file system allows, and hidden
// from folder listings.
// The process id lets whoever watched a writer die remove what it left (removeLeftovers).
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include <sys/types.h>

namespace platform {

// How a temporary name repeats its target's name: ".<first `prefixBytes` bytes of the name>.
// <process id>.<6 random characters>", followed by the target's extension (with its dot) where
// `keepsExtension`, for writers that choose the format by it.
struct TemporaryNameForm {
    // Enough of the name that a listing shows whose file it is, and short enough that the whole
    // temporary name stays far below the 255-byte limit of a name.
    std::size_t prefixBytes = 32;
    bool keepsExtension = false;
};

class AtomicFile {
public:
    explicit AtomicFile(std::string target, TemporaryNameForm form = {});
    ~AtomicFile(); // removes the temporary file unless it was committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file; its descriptor, or -1 (errno set) when it cannot be made.
    int open();
    // The temporary file's name; empty before open() and after a failed one.
    const std::string& temporaryPath() const { return temporary_; }
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
    // Removes the files in the folder of `target` whose names (without the folder) `isLeftover`
    // accepts, all listed before the first is removed; returns how many it removed.
    static int removeFilesBeside(const std::string& target,
                                 const std::function<bool(const std::string&)>& isLeftover);
    // The temporary name (without the folder) that process `writer` gives files for `target` in
    // `form`, with "XXXXXX" where its random characters go.
    static std::string temporaryNamePattern(const std::string& target, pid_t writer,
                                            TemporaryNameForm form = {});
    // Whether `name` (without the folder) is a temporary name that process `writer` gives files
    // for `target` in `form`.
    static bool isTemporaryName(const std::string& name, const std::string& target, pid_t writer,
                                TemporaryNameForm form = {});
    // The permissions a file replacing `target` gets: the target's own, or the usual ones (0666
    // less the umask) when there is no target yet.
    static mode_t permissionsFor(const std::string& target);

private:
    std::string target_;
    TemporaryNameForm form_;
    std::string temporary_;
    int descriptor_ = -1;
    bool committed_ = false;
};

} // namespace platform
