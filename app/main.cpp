// The program's entry: one instance per user, the main window, and the files of the command
// line.
#include "main_window.h"
#include "program_folder.h"
#include "settings_store.h"
#include "single_instance.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

namespace {
// The program's JPEG plugin lies in "plugins" beside the executable in the build tree and in
// the library folder when installed; either goes ahead of Qt's own plugins.
void addPluginFolders() {
    QCoreApplication::addLibraryPath(HUEMARK_INSTALLED_PLUGIN_DIR);
    QCoreApplication::addLibraryPath(
        QDir(QCoreApplication::applicationDirPath()).filePath("plugins"));
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Huemark");
    QApplication::setDesktopFileName("huemark");
    addPluginFolders();
    const QStringList files = application.arguments().mid(1);

    SingleInstance instance;
    // A running program that cannot be reached (stuck, or gone in the meantime) does not take
    // the file with it: this start then runs on its own.
    if (!instance.claim() && instance.handOver(files.value(0))) {
        return 0;
    }
    SettingsStore store;
    TfrmMDIParent main(store, programDataFolder());
    if (!main.Create()) {
        return 1;
    }
    QObject::connect(&instance, &SingleInstance::fileHandedOver, &main,
                     [&main](const QString& file) { main.OpenHandedOverFile(file); });
    main.show();
    QTimer::singleShot(0, &main, [&main, files] { main.StartUp(files); });
    return QApplication::exec();
}
