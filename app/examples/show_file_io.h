// Opening example files for reading and replacing them safely.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Opens a regular file for reading; false for anything else (a folder, a named pipe, which
// would block the program) or when it cannot be opened.
bool openRegularFile(QFile& file, const QString& path);
// Writes `bytes` as the file `path`, synced to disk. The old file is replaced only when the new
// one is complete: a failed write leaves it as it was.
bool replaceFileWith(const QString& path, const QByteArray& bytes);
