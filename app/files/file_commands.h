// FileCommands: the File menu's picture commands. Owns Open and Save As (menu items and tool
// buttons), the open and save dialogs with their remembered folder and filter, and the list of
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

    // Adds Open and Save As to the File menu and to the tool bar.
    void addCommands(QMenu* fileMenu, QToolBar* toolBar);
    // Adds the recent pictures to the end of the File menu.
    void addRecentFiles(QMenu* fileMenu);

    // Opens one picture in a new image window; false (after saying why) when it cannot.
    bool OpenImageFile(const QString& fileName);
    // Opens pictures and adds each that opened to the recent files; gives those that opened.
    QStringList OpenImageFiles(const QStringList& fileNames);
    // The Open command: the open dialog, then the chosen pictures.
    void OpenCommand();
    // The Save As command for one image window: the save dialog, then the save.
    void SaveAs(TfrmMDIChild& window);

    RecentFiles& recentFiles() { return *recentFiles_; }

    void updateEnabling() override;
    void closing() override;

    QAction* mnOpen = nullptr;
    QAction* mnSaveAs = nullptr;
    QAction* tbOpen = nullptr;
    QAction* tbSaveAs = nullptr;

private:
    // The folder of the last picture, or the shipped sample pictures before there is one.
    QString startFolder() const;

    RecentFiles* recentFiles_ = nullptr; // belongs to the File menu
};
