// "The program's folder" for shipped data (language files, help files, examples): a "data"
// folder next to the executable, else the installed share folder, else the source tree's data
// folder the build was made from. Anything the program writes goes to the user's folders.
#pragma once

#include <QString>

// The first existing folder of: `executableFolder`/data, `installedFolder`, `sourceFolder`;
// empty when none exists.
QString findDataFolder(const QString& executableFolder, const QString& installedFolder,
                       const QString& sourceFolder);

// The data folder of this program, by the rule above.
QString programDataFolder();

// Where the program writes its own files (created when missing).
QString userDataFolder();
