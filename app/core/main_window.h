// TfrmMDIParent: the program's main window. It holds the image windows in its workspace, the
// menus, tool bar and status bar, the settings of the session, the tool of the image windows,
// the window commands (tile, cascade, close all, fit, zoom, next window), the hatch-area tools,
// and the four message boxes every part of the program reports through. The subsystems' commands
// live in their controllers, which it creates and holds: FileCommands (app/files),
// CollectionCommands (app/collections), SettingsCommands (app/settings), PanoramaCommands
// (app/panorama), PrintCommands (app/print), DeviceCommands (app/devices, scanner and mail), and
// ExampleCommands (app/examples, the Examples menu and the player), and CorrectionCommands and
// ImageCommands beside it in app/core. The example player reaches it through PlayerHost.
#pragma once

#include "image_window.h"
#include "language.h"
#include "menu_items.h"
#include "player_host.h"
#include "settings_records.h"
#include "workspace_host.h"

#include <QMainWindow>
#include <QStyle>

#include <functional>
#include <memory>

class CollectionCommands;
class CommandController;
class CorrectionCommands;
class DeviceCommands;
class ExampleCommands;
class FileCommands;
class ImageCommands;
class PanoramaCommands;
class PrintCommands;
class QActionGroup;
class QLabel;
class QMdiArea;
class QToolBar;
class SettingsCommands;
class TContrastForm;
class TGammaForm;
class TProgressForm;

class TfrmMDIParent : public QMainWindow,
                      public WorkspaceHost,
                      public ImageWindowHost,
                      public PlayerHost {
    Q_OBJECT

public:
    // `dataFolder` holds "Language" and the help files; `store` the persisted settings.
    TfrmMDIParent(SettingsStore& store, const QString& dataFolder);
    ~TfrmMDIParent() override;

    // Loads the language and the settings and builds the window; false, after the error box,
    // when the language file cannot be read (the program then ends).
    bool Create();
    // The deferred start-up step: the screen check, then the files of the command line, or the
    // tips box when there are none.
    void StartUp(const QStringList& files);
    // A later start of the program handed over a file (or nothing): come to the front and
    // open it.
    void OpenHandedOverFile(const QString& file);
    // Opens a file by its kind: processing, collection, example, else picture.
    void openFile(const QString& file);

    // WorkspaceHost and ImageWindowHost
    QWidget* dialogParent() override { return this; }
    const TLanguage& language() const override { return language_; }
    PersistedSettings& settings() override { return settings_; }
    SettingsStore& store() override { return store_; }
    QString applicationTitle() const override { return applicationTitle_; }
    QString dataFolder() const override { return dataFolder_; }
    TfrmMDIChild* NewImageWindow(std::unique_ptr<TDIBImage> image, const QString& name) override;
    QString NextImageName() override;
    TfrmMDIChild* activeImageWindow() const override;
    QList<TfrmMDIChild*> imageWindows() const override;
    int RunWithProgress(const QString& caption, bool cancelEnabled,
                        const std::function<int()>& call) override;
    bool Busy() const override { return busy_; }
    int toolMode() const override { return toolMode_; }
    // Sets the tool of the image windows (0 to 15): its button, the cursors, the prompt.
    void SetToolMode(int mode) override;
    QAction* addToolButton(QToolBar* bar, const char* name, const char* section, int position,
                           int mode) override;
    const TConfigSettings& config() const override { return settings_.config; }
    void showStatus(const QString& text) override;
    bool saveBeforeClosing(TfrmMDIChild& window) override;
    std::uint32_t referenceColour() const override;
    void colourPicked(std::uint32_t colour) override;
    void runCrop(TfrmMDIChild& window) override;
    void copyPicture(TfrmMDIChild& window) override;
    ExampleRecording& recording() override;

    // PlayerHost
    WorkspaceHost& workspace() override { return *this; }
    QWidget* mainWindow() override { return this; }
    const TControlCodes& controlCodes() const override { return controlCodes_; }
    int exampleBaseLeft() const override;
    int bottomPanelHeight() const override;
    bool openPicture(const QString& path) override;
    bool closeAllImages() override { return CloseAll(); }
    void applyConfig() override;
    QByteArray collectionBytes() const override;
    bool collectionModified() const override;
    bool setCollectionBytes(const QByteArray& bytes, bool modified) override;
    QByteArray gammaBytes() const override;
    void setGammaBytes(const QByteArray& bytes) override;

    // Closes every image window, stopping at the first that refuses; true when none is left.
    bool CloseAll();
    // Disables the window for a long run (busy cursor) and enables it again.
    void setBusy(bool busy);

    // The subsystems' commands.
    FileCommands& files() const { return *files_; }
    ImageCommands& images() const { return *images_; }
    CorrectionCommands& correction() const { return *correction_; }
    CollectionCommands& collections() const { return *collections_; }
    SettingsCommands& settingsCommands() const { return *settingsCommands_; }
    PanoramaCommands& panorama() const { return *panorama_; }
    PrintCommands& printing() const { return *print_; }
    DeviceCommands& devices() const { return *devices_; }
    ExampleCommands& examples() const { return *examples_; }
    // The pop-ups beside the operation panel.
    TContrastForm* lightPicker() const { return lightPicker_; }
    TContrastForm* darkPicker() const { return darkPicker_; }
    TGammaForm* gammaList() const { return gammaList_; }

    QMdiArea* mdiArea() const { return mdiArea_; }
    TProgressForm& progressForm() { return *progressForm_; }
    // Re-evaluates which commands may be used now.
    void EvaluateEnablingRules();
    // How often the rules have been evaluated (they run for every event but pointer moves).
    int EvaluationCount() const { return evaluations_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControllers();
    void buildMenus();
    void buildWindowMenu();
    void listImageWindows();
    void addZoomKeys();
    void registerNamedControls();
    void buildToolBar();
    void buildStatusBar();
    void createCorrectionPopups();
    void saveSettings();
    QAction* toolAction(const char* name, int position, QStyle::StandardPixmap icon, int code);
    void forActiveWindow(const std::function<void(TfrmMDIChild&)>& command);

    SettingsStore& store_;
    QString dataFolder_;
    TLanguage language_;
    PersistedSettings settings_;
    QString applicationTitle_;
    QMdiArea* mdiArea_;
    QToolBar* toolBar_ = nullptr;
    QToolBar* bottomBar_ = nullptr;
    QLabel* statusPanel0_ = nullptr;
    QLabel* statusPanel1_ = nullptr;
    std::unique_ptr<TProgressForm> progressForm_;
    int newImageNumber_ = 0;
    int cascadeStep_ = 0;
    int nextWindowNumber_ = 0;
    bool busy_ = false;
    bool created_ = false;
    bool evaluating_ = false;
    int evaluations_ = 0;
    int toolMode_ = 0;
    QActionGroup* toolButtons_ = nullptr;
    TContrastForm* lightPicker_ = nullptr;
    TContrastForm* darkPicker_ = nullptr;
    TGammaForm* gammaList_ = nullptr;

    FileCommands* files_ = nullptr;
    ImageCommands* images_ = nullptr;
    CorrectionCommands* correction_ = nullptr;
    CollectionCommands* collections_ = nullptr;
    SettingsCommands* settingsCommands_ = nullptr;
    PanoramaCommands* panorama_ = nullptr;
    PrintCommands* print_ = nullptr;
    DeviceCommands* devices_ = nullptr;
    ExampleCommands* examples_ = nullptr;
    QList<CommandController*> controllers_;
    QList<QAction*> windowListItems_; // the Window menu's list of image windows
    TControlCodes controlCodes_;

public:
    // The main window's own commands, named as the menus and buttons that run them.
    QAction* mnClose = nullptr;
    QAction* mnExit = nullptr;
    QAction* mnWindowTile = nullptr;
    QAction* mnWindowCascade = nullptr;
    QAction* mnWindowCloseAll = nullptr;
    QAction* mnWindowFitToImage = nullptr;
    QAction* mnWindowFitImageToWindow = nullptr;
    QAction* tbZoom1to1 = nullptr;
    QAction* tbFitImageToWindow = nullptr;
    QAction* tbNextWindow = nullptr;
    QAction* tbCloseAll = nullptr;
    QAction* tbTile = nullptr;
    QAction* tbZoomIn = nullptr;
    QAction* tbZoomOut = nullptr;
    QAction* tbEyedropper = nullptr;
    QAction* tbCrop = nullptr;
    QAction* btIntHatchRectArea = nullptr;
    QAction* btExtHatchRectArea = nullptr;
    QAction* btIntHatchPolyArea = nullptr;
    QAction* btExtHatchPolyArea = nullptr;
    QAction* btDeleteHatchAreas = nullptr;
    QMenu* mmnFile = nullptr;
    QMenu* mmnWindows = nullptr;

signals:
    // Tool mode 9 took a colour from a picture (0x00BBGGRR), for the colour collection.
    void colourPickedFromImage(std::uint32_t colour);
};
