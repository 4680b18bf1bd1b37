// Local sockets among the files of a folder, for the single-instance tests.
#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>

#include <sys/stat.h>

inline bool isSocket(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISSOCK(status.st_mode);
}

// The local sockets in a folder.
inline QStringList socketsIn(const QString& folder) {
    QStringList sockets;
    const QDir directory(folder);
    for (const QString& name : directory.entryList(QDir::System | QDir::Hidden)) {
        if (isSocket(directory.filePath(name))) {
            sockets.append(directory.filePath(name));
        }
    }
    return sockets;
}
