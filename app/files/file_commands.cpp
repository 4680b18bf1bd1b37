#include "file_commands.h"

#include "dialog_filters.h"
#include "image_file_commands.h"
#include "image_window.h"
#include "language.h"
#include "menu_items.h"
#include "picture_open_dialog.h"
#include "recent_files.h"
#include "settings_records.h"
#include "workspace_host.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QStyle>
#include <QToolBar>

namespace {
int filterIndexOf(const QStringList& filters, const QString& chosen) {
    return std::max(0, int(filters.indexOf(chosen))) + 1; // counted from 1, as stored
}

QString filterAt(const QStringList& filters, int storedIndex) {
    return filters.value(std::clamp(storedIndex, 1, int(filters.size())) - 1);
}

QAction* toolButton(QToolBar* bar, const TLanguage& language, const char* name, int position,
                    QStyle::StandardPixmap icon) {
    const QString hint = language.Text("Main Toolbar", position);
    QAction* action = bar->addAction(QApplication::style()->standardIcon(icon), hint);
    action->setObjectName(name);
    action->setToolTip(hint);
    return action;
}
} // namespace

FileCommands::FileCommands(WorkspaceHost& host, QObject* parent)
    : CommandController(host, parent) {}

void FileCommands::addCommands(QMenu* fileMenu, QToolBar* toolBar) {
    const TLanguage& language = host().language();
    mnOpen = addMainMenuItem(fileMenu, language, "mnOpen", 1);
    mnOpen->setShortcut(QKeySequence::Open);
    connect(mnOpen, &QAction::triggered, this, &FileCommands::OpenCommand);
    mnSaveAs = addMainMenuItem(fileMenu, language, "mnSaveAs", 2);
    mnSaveAs->setShortcut(QKeySequence::SaveAs);
    connect(mnSaveAs, &QAction::triggered, this, [this] {
        if (TfrmMDIChild* window = host().activeImageWindow()) {
            SaveAs(*window);
        }
    });
    tbOpen = toolButton(toolBar, language, "tbOpen", 0, QStyle::SP_DialogOpenButton);
    connect(tbOpen, &QAction::triggered, mnOpen, &QAction::trigger);
    tbSaveAs = toolButton(toolBar, language, "tbSaveAs", 1, QStyle::SP_DialogSaveButton);
    connect(tbSaveAs, &QAction::triggered, mnSaveAs, &QAction::trigger);
}

void FileCommands::addRecentFiles(QMenu* fileMenu) {
    recentFiles_ = new RecentFiles(fileMenu);
    recentFiles_->setFiles(host().settings().recentFiles);
    connect(recentFiles_, &RecentFiles::fileChosen, this, &FileCommands::OpenImageFile);
}

bool FileCommands::OpenImageFile(const QString& fileName) {
    return ::OpenImageFile(host(), fileName);
}

QStringList FileCommands::OpenImageFiles(const QStringList& fileNames) {
    QStringList opened;
    for (const QString& fileName : fileNames) {
        if (OpenImageFile(fileName)) {
            recentFiles_->Add(fileName);
            opened << fileName;
        }
    }
    return opened;
}

QString FileCommands::startFolder() const {
    const QString stored = host().settings().imageDirectory;
    return !stored.isEmpty() && QDir(stored).exists() ? stored : host().dataFolder() + "/Images";
}

// While an example is recorded, the click that invoked the command and what is done in the
// dialog are not recorded: an example opens each picture that opened by its name.
void FileCommands::OpenCommand() {
    PersistedSettings& settings = host().settings();
    ExampleRecording& recording = host().recording();
    recording.takeBackInvokingClick();
    const QStringList filters = dialogFilters(host().language().Text("Main Dialogs", 0));
    QStringList chosen;
    {
        const RecordingPause pause(recording);
        TPictureOpenDialog dialog(host().dialogParent(), startFolder(), filters);
        dialog.selectNameFilter(filterAt(filters, settings.local.OpenFilterIndex));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return;
        }
        chosen = dialog.selectedFiles();
        settings.imageDirectory = QFileInfo(chosen.first()).absolutePath();
        settings.local.OpenFilterIndex = filterIndexOf(filters, dialog.selectedNameFilter());
    }
    for (const QString& fileName : OpenImageFiles(chosen)) {
        recording.recordOpenFile(fileName);
    }
}

void FileCommands::SaveAs(TfrmMDIChild& window) {
    PersistedSettings& settings = host().settings();
    const QStringList filters = dialogFilters(host().language().Text("Main Dialogs", 0));
    QFileDialog dialog(host().dialogParent(), QString(), startFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix("bmp");
    dialog.selectNameFilter(filterAt(filters, settings.local.SaveFilterIndex));
    dialog.selectFile(QFileInfo(window.FileName()).completeBaseName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    settings.imageDirectory = QFileInfo(dialog.selectedFiles().first()).absolutePath();
    settings.local.SaveFilterIndex = filterIndexOf(filters, dialog.selectedNameFilter());
    SaveImageFile(host(), window, dialog.selectedFiles().first());
}

void FileCommands::updateEnabling() {
    // A save dialog cannot be played back: Save As waits while an example is recorded.
    const bool usable = host().activeImageWindow() != nullptr && !host().recording().active();
    mnSaveAs->setEnabled(usable);
    tbSaveAs->setEnabled(usable);
}

void FileCommands::closing() {
    host().settings().recentFiles = recentFiles_->files();
}
