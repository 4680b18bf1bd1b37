// ImageCommands: the Image menu and the clipboard. Owns rotation, conversion to grey, resizing,
// the resolution and the information box of the active picture, Copy and Paste as new (in the
// File menu, the workspace's pop-up menu and the image windows' Copy), and the enabling of
// Paste by what the clipboard holds.
#pragma once

#include "command_controller.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;
class TfrmMDIChild;

class ImageCommands : public CommandController {
    Q_OBJECT

public:
    explicit ImageCommands(WorkspaceHost& host, QObject* parent = nullptr);

    // The Image menu, inserted into the menu bar before `before`.
    void addImageMenu(QMenuBar* bar, QAction* before);
    // The Edit menu with Undo and Redo of the active window, inserted before `before`.
    void addEditMenu(QMenuBar* bar, QAction* before);
    // Copy and Paste as new, inserted into the File menu before `before`.
    void addClipboardCommands(QMenu* fileMenu, QAction* before);
    // Copy image and Paste as new image on the pop-up menu of `workspace`.
    void addWorkspaceMenu(QWidget* workspace);

    // Rotates the active picture clockwise: 0 by 90°, 1 by 180°, 2 by 270°.
    void Rotate(int angleCode);
    void ConvertToGrey();
    void ResizeCommand();
    void ResolutionCommand();
    void InformationCommand();
    // Puts a picture on the clipboard.
    void Copy(TfrmMDIChild& window);
    // Opens the clipboard's picture in a new window.
    void Paste();

    void updateEnabling() override;

    QMenu* mmnEdit = nullptr;
    QAction* mnUndo = nullptr;
    QAction* mnRedo = nullptr;

    QMenu* mmnImage = nullptr;
    QAction* mnImageResize = nullptr;
    QAction* mnImageResolution = nullptr;
    QMenu* mnImageRotate = nullptr;
    QAction* mnRotate90 = nullptr;
    QAction* mnRotate180 = nullptr;
    QAction* mnRotate270 = nullptr;
    QAction* mnImageConvertToGray = nullptr;
    QAction* mnImagePanorama = nullptr;
    QAction* mnImageInfo = nullptr;
    QAction* mnImageCopy = nullptr;
    QAction* mnImagePaste = nullptr;
    QMenu* popupWorkspace = nullptr;
    QAction* popmnCopyImage = nullptr;
    QAction* popmnPasteImage = nullptr;

private:
    void clipboardChanged();

    bool clipboardHasPicture_ = false;
};
