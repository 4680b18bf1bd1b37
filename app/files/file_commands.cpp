#include "file_commands.h"

#include "dialog_filters.h"
#include "image_file_commands.h"
#include "image_window.h"
#include "language.h"
#include "menu_items.h"
#include "message_boxes.h"
#include "picture_open_dialog.h"
#include "recent_files.h"
#include "settings_records.h"
#include "text_table.h"
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

// Main Menu 69: Save; Child window 9 and 10: the question before an original is replaced.
constexpr int saveText = 69;
constexpr int replaceOriginalText = 9;
constexpr int doNotAskAgainText = 10;
// Child window 11 to 13: the question about all unsaved pictures at the end.
constexpr int unsavedPicturesText = 11;
constexpr int saveAllText = 12;
constexpr int discardAllText = 13;

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
    mnSave = addMainMenuItem(fileMenu, language, "mnSave", saveText);
    mnSave->setShortcut(QKeySequence::Save);
    connect(mnSave, &QAction::triggered, this, [this] {
        if (TfrmMDIChild* window = host().activeImageWindow()) {
            Save(*window);
        }
    });
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

bool FileCommands::mayReplaceOriginal(const TfrmMDIChild& window) {
    PersistedSettings& settings = host().settings();
    if (!window.File.Original || !settings.askBeforeReplacingOriginals) {
        return true;
    }
    const TLanguage& language = host().language();
    bool doNotAskAgain = false;
    MessageTexts texts(
        host().applicationTitle(),
        formatText(language.Text("Child window", replaceOriginalText), {window.File.Path}),
        language.Text("Common", common_text::Yes), language.Text("Common", common_text::No));
    texts.checkText = language.Text("Child window", doNotAskAgainText);
    texts.checked = &doNotAskAgain;
    const bool replace =
        showMessage(host().dialogParent(), MessageKind::Question, texts) == MessageAnswer::Yes;
    if (replace && doNotAskAgain) {
        settings.askBeforeReplacingOriginals = false;
    }
    return replace;
}

bool FileCommands::Save(TfrmMDIChild& window) {
    if (!window.HasOwnFile() || !isKnownPictureExtension(window.File.Path)) {
        return SaveAs(window);
    }
    if (!mayReplaceOriginal(window)) {
        return false;
    }
    if (!window.File.FormatBits) {
        return SaveImageFile(host(), window, window.File.Path);
    }
    return WriteImageFile(host(), window, window.File.Path, *window.File.FormatBits);
}

bool FileCommands::SaveAs(TfrmMDIChild& window) {
    PersistedSettings& settings = host().settings();
    const QStringList filters = dialogFilters(host().language().Text("Main Dialogs", 0));
    QFileDialog dialog(host().dialogParent(), QString(), startFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix("bmp");
    dialog.selectNameFilter(filterAt(filters, settings.local.SaveFilterIndex));
    dialog.selectFile(QFileInfo(window.FileName()).completeBaseName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    settings.imageDirectory = QFileInfo(dialog.selectedFiles().first()).absolutePath();
    settings.local.SaveFilterIndex = filterIndexOf(filters, dialog.selectedNameFilter());
    return SaveImageFile(host(), window, dialog.selectedFiles().first());
}

bool FileCommands::SettleUnsavedPictures() {
    QList<TfrmMDIChild*> unsaved;
    for (TfrmMDIChild* window : host().imageWindows()) {
        if (!window->Saved()) {
            unsaved << window;
        }
    }
    if (host().settings().config.PromptToSave == 0 || unsaved.size() < 2) {
        return true;
    }
    const TLanguage& language = host().language();
    QStringList lines{language.Text("Child window", unsavedPicturesText), QString()};
    for (const TfrmMDIChild* window : std::as_const(unsaved)) {
        lines << window->FileName();
    }
    const MessageAnswer answer = showMessage(host().dialogParent(), MessageKind::QuestionWithCancel,
                                             {host().applicationTitle(), lines.join('\n'),
                                              language.Text("Child window", saveAllText),
                                              language.Text("Child window", discardAllText),
                                              language.Text("Common", common_text::Cancel)});
    if (answer == MessageAnswer::Cancel) {
        return false;
    }
    for (TfrmMDIChild* window : std::as_const(unsaved)) {
        if (answer == MessageAnswer::Yes && !Save(*window)) {
            return false;
        }
        if (answer == MessageAnswer::No) {
            window->CloseWithoutAsking();
        }
    }
    return true;
}

void FileCommands::updateEnabling() {
    // A save dialog cannot be played back: Save As waits while an example is recorded.
    const bool usable = host().activeImageWindow() != nullptr && !host().recording().active();
    mnSave->setEnabled(usable);
    mnSaveAs->setEnabled(usable);
    tbSaveAs->setEnabled(usable);
}

void FileCommands::closing() {
    host().settings().recentFiles = recentFiles_->files();
}
