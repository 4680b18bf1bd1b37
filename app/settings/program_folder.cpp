#include "program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

QString findDataFolder(const QString& executableFolder, const QString& installedFolder,
                       const QString& sourceFolder) {
    for (const QString& folder :
         {QDir(executableFolder).filePath("data"), installedFolder, sourceFolder}) {
        if (!folder.isEmpty() && QDir(folder).exists()) {
            return QDir(folder).absolutePath();
        }
    }
    return {};
}

QString programDataFolder() {
    return findDataFolder(QCoreApplication::applicationDirPath(), HUEMARK_INSTALLED_DATA_DIR,
                          HUEMARK_SOURCE_DATA_DIR);
}

QString userDataFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(folder);
    return folder;
}
