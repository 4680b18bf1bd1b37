#include "show_file_io.h"

#include "platform/atomic_file.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool writeAll(int descriptor, const QByteArray& bytes) {
    const char* next = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor, next, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        next += written;
        left -= written;
    }
    return true;
}
} // namespace

bool openRegularFile(QFile& file, const QString& path) {
    // Without blocking, so that a named pipe given as the file cannot hang the open.
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        !file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return false;
    }
    return true;
}

bool replaceFileWith(const QString& path, const QByteArray& bytes) {
    if (path.isEmpty()) {
        return false;
    }
    platform::AtomicFile target(QFile::encodeName(path).toStdString());
    const int descriptor = target.open();
    if (descriptor < 0) {
        return false;
    }
    const bool written = writeAll(descriptor, bytes) && platform::AtomicFile::sync(descriptor);
    const bool closed = ::close(target.release()) == 0;
    return written && closed && target.commit();
}
