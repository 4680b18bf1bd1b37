// FileCommands: the File menu's picture commands. Owns Open, Save and Save As (menu items and
// tool buttons), the open and save dialogs with their remembered folder and filter, and the list of
// recently opened pictures at the end of the File menu.
#pragma once

#include "command_controller.h"

#include <QStringList>

class QAction;
class QMenu;
class QToolBar;
class RecentFiles;
class TfrmMDIChild;

class FileCommands : public CommandController {
    Q_OBJECT

public:
    explicit FileCommands(WorkspaceHost& host, QObject* parent = nullptr);

    // Adds Open, Save and Save As to the File menu, and Open and Save As to the tool bar.
    void addCommands(QMenu* fileMenu, QToolBar* toolBar);
    // Adds the recent pictures to the end of the File menu.
    void addRecentFiles(QMenu* fileMenu);

    // Opens one picture in a new image window; false (after saying why) when it cannot.
    bool OpenImageFile(const QString& fileName);
    // Opens pictures and adds each that opened to the recent files; gives those that opened.
    QStringList OpenImageFiles(const QStringList& fileNames);
    // The Open command: the open dialog, then the chosen pictures.
    void OpenCommand();
    // The Save command for one image window: writes the picture back to its file in the format
    // and with the options the file has (asking first, once, before it replaces the file the
    // picture was opened from); Save As for a picture without a file. Whether it was saved.
    bool Save(TfrmMDIChild& window);
    // The Save As command for one image window: the save dialog, then the save; whether saved.
    bool SaveAs(TfrmMDIChild& window);
    // Before the program closes: with two or more unsaved pictures (and the close question on),
    // one question lists them all: Save All saves each (Save), Discard All closes them without
    // asking. False when the user cancels or a save did not happen: the program stays open.
    // With fewer, the windows ask for themselves as they close.
    bool SettleUnsavedPictures();

    RecentFiles& recentFiles() { return *recentFiles_; }

    void updateEnabling() override;
    void closing() override;

    QAction* mnOpen = nullptr;
    QAction* mnSave = nullptr;
    QAction* mnSaveAs = nullptr;
    QAction* tbOpen = nullptr;
    QAction* tbSaveAs = nullptr;

private:
    // The folder of the last picture, or the shipped sample pictures before there is one.
    QString startFolder() const;
    // Whether the user lets Save replace the file the picture was opened from.
    bool mayReplaceOriginal(const TfrmMDIChild& window);

    RecentFiles* recentFiles_ = nullptr; // belongs to the File menu
};
