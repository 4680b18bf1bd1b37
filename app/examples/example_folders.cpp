#include "example_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

bool exampleWritable(const QString& path) {
    const QFileInfo file(path);
    return file.exists() ? file.isWritable() : QFileInfo(file.absolutePath()).isWritable();
}

QString userExamplesFolder() {
    const QString folder = QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
                               .filePath("Examples");
    QDir().mkpath(folder);
    return folder;
}
