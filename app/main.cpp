// The program's entry: --help and --version, one instance per user, the main window, and the
// files of the command line.
#include "main_window.h"
#include "program_folder.h"
#include "settings_store.h"
#include "single_instance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>

namespace {
void nameTheProgram() {
    QCoreApplication::setApplicationName("Huemark");
    QCoreApplication::setApplicationVersion(HUEMARK_VERSION);
}

// Answers --help and --version on the terminal and ends the process; returns when neither is
// asked for. It runs before the QApplication exists, because that needs a display: the answers
// must come on a machine without one. Other arguments are pictures or Qt's own options, which
// the QApplication takes, so they are not checked here.
void answerHelpOrVersion(int& argc, char* argv[]) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Corrects the colours of photographs and scanned pictures.");
    // Qt's ready-made help option also offers --help-all, which only a parse by the application
    // object answers: the program offers just what it answers here.
    const QCommandLineOption help({"h", "help"}, "Displays this help.");
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument("pictures", "Pictures to open (BMP, JPEG, TIFF, PNG, PCX).",
                                 "[pictures...]");
    QStringList arguments;
    for (int index = 0; index < argc; ++index) {
        arguments << QString::fromLocal8Bit(argv[index]);
    }
    parser.parse(arguments);
    if (!parser.isSet(help) && !parser.isSet(version)) {
        return;
    }
    const QCoreApplication terminal(argc, argv);
    nameTheProgram();
    if (parser.isSet(help)) {
        parser.showHelp();
    }
    parser.showVersion();
}

// The program's JPEG plugin lies in "plugins" beside the executable in the build tree and in
// the library folder when installed; either goes ahead of Qt's own plugins.
void addPluginFolders() {
    QCoreApplication::addLibraryPath(HUEMARK_INSTALLED_PLUGIN_DIR);
    QCoreApplication::addLibraryPath(
        QDir(QCoreApplication::applicationDirPath()).filePath("plugins"));
}
} // namespace

int main(int argc, char* argv[]) {
    answerHelpOrVersion(argc, argv);
    QApplication application(argc, argv);
    nameTheProgram();
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
