// TfrmMDIParent: the program's main window. It holds the image windows in its workspace, the
// menus, tool bar and status bar, the settings of the session, and the four message boxes every
// part of the program reports through.
#pragma once

#include "correction_records.h"
#include "image_window.h"
#include "language.h"
#include "message_boxes.h"
#include "settings_records.h"

#include <QMainWindow>
#include <QStyle>

#include <functional>
#include <memory>

class QActionGroup;
class QCheckBox;
class TContrastForm;
class TGammaForm;
class TPalettePanel;
struct TPaletteColor;
class TOperationPanel;
class QLabel;
class QMdiArea;
class QToolBar;
class THelpWindow;
class TProgressForm;
class RecentFiles;

class TfrmMDIParent : public QMainWindow, public ImageWindowHost {
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

    // ImageWindowHost
    const TLanguage& language() const override { return language_; }
    const TConfigSettings& config() const override { return settings_.config; }
    QString applicationTitle() const override { return applicationTitle_; }
    void showStatus(const QString& text) override;
    void saveBeforeClosing(TfrmMDIChild& window) override;
    int toolMode() const override { return toolMode_; }
    std::uint32_t referenceColour() const override;
    void colourPicked(std::uint32_t colour) override;
    void runCrop(TfrmMDIChild& window) override;

    // Sets the tool of the image windows (0 to 15): its button, the cursors, the prompt.
    void SetToolMode(int mode);

    // The correction road.
    // Chooses an operation (0..5): the menu's check, the panel's groups, the region tool.
    void ChooseOperation(int operation);
    // What a run reads from the panel, the pickers and the settings.
    CorrectionSettings correctionSettings() const;
    void resetGamma();
    void hideCorrectionPopups();
    void OpenProcessing(const QString& fileName);
    void SaveProcessing(const QString& fileName);
    TOperationPanel* operationPanel() const { return operationPanel_; }
    TContrastForm* lightPicker() const { return lightPicker_; }
    TContrastForm* darkPicker() const { return darkPicker_; }
    TGammaForm* gammaList() const { return gammaList_; }

    // The colour collection.
    // Loads a collection file into the panel; false (after the error box) when it cannot.
    bool LoadCollection(const QString& fileName);
    bool SaveCollectionTo(const QString& fileName);
    void AddCollectionColour();
    void EditCollectionColour();
    void DeleteCollectionColour();
    void AddColourFromImage();
    void AddPickedColour(std::uint32_t colour);
    TPalettePanel* palettePanel() const { return cmpPalette; }

    // The message boxes: the text is string `n` of "Common", formatted with `arguments`.
    void errorBox(int n, const QStringList& arguments = {});
    void errorText(const QString& text);
    void informationBox(int n, const QStringList& arguments = {});
    void warningBox(int n, const QStringList& arguments = {});
    bool questionBox(int n, const QStringList& arguments = {});

    // Opens `image` (owned from now on) in a new image window placed at the next cascade step.
    TfrmMDIChild* NewImageWindow(std::unique_ptr<TDIBImage> image, const QString& name);
    // A name for a picture without a file ("Picture 7").
    QString NextImageName();

    TfrmMDIChild* activeImageWindow() const;
    QList<TfrmMDIChild*> imageWindows() const;
    // Closes every image window, stopping at the first that refuses; true when none is left.
    bool CloseAll();
    // Disables the window for a long run (busy cursor) and enables it again.
    void setBusy(bool busy);
    // Runs a long call inside the progress box (`caption`, Cancel usable as said) with the
    // busy cursor and the window disabled; the call's result.
    int RunWithProgress(const QString& caption, bool cancelEnabled,
                        const std::function<int()>& call);
    bool Busy() const { return busy_; }

    QMdiArea* mdiArea() const { return mdiArea_; }
    PersistedSettings& settings() { return settings_; }
    TProgressForm& progressForm() { return *progressForm_; }
    RecentFiles& recentFiles() { return *recentFiles_; }
    QString dataFolder() const { return dataFolder_; }
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
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void applyLanguage();
    void saveSettings();
    void showOptions();
    void showHelp(int topic);
    void showAbout();
    QAction* menuAction(QMenu* menu, const char* name, int position);
    QAction* toolAction(const char* name, int position, QStyle::StandardPixmap icon);
    MessageTexts boxTexts(int captionPosition, int n, const QStringList& arguments) const;

    SettingsStore& store_;
    QString dataFolder_;
    TLanguage language_;
    PersistedSettings settings_;
    QString applicationTitle_;
    QMdiArea* mdiArea_;
    QToolBar* toolBar_ = nullptr;
    QLabel* statusPanel0_ = nullptr;
    QLabel* statusPanel1_ = nullptr;
    std::unique_ptr<TProgressForm> progressForm_;
    std::unique_ptr<RecentFiles> recentFiles_;
    THelpWindow* helpWindow_ = nullptr;
    int newImageNumber_ = 0;
    int cascadeStep_ = 0;
    int nextWindowNumber_ = 0;
    bool busy_ = false;
    bool created_ = false;
    bool evaluating_ = false;
    int evaluations_ = 0;

    int toolMode_ = 0;
    QActionGroup* toolButtons_ = nullptr;
    TOperationPanel* operationPanel_ = nullptr;
    TContrastForm* lightPicker_ = nullptr;
    TContrastForm* darkPicker_ = nullptr;
    TGammaForm* gammaList_ = nullptr;
    QActionGroup* operations_ = nullptr;
    void buildOperationMenu();
    void buildRunButtons();
    void createCorrectionPopups();
    void evaluateCorrectionRules();
    void toggleGammaList();
    void showPicker(TContrastForm& picker, bool shown, QWidget* button);
    void showAbovePanel(QWidget& popup, QWidget* anchor);
    int measuredLevel(RegionKind kind) const;
    QString processingFolder();
    void buildCollectionPanel();
    void loadStartCollection();
    void collectionColourChanged();
    // Before the program or a new collection replaces changes: saves or asks; false when a
    // wanted save failed or was cancelled.
    bool keepCollectionChanges(bool closing);
    bool saveCollectionAs();
    QString paletteFolder();
    void editEntry(const QString& caption, TPaletteColor entry, bool replace);
    QToolBar* bottomPanel_ = nullptr;
    QAction* modeButton(QToolBar* bar, const char* name, const char* section, int position,
                        int mode);
    void buildBottomPanel();

    // (language position, action) for the texts of "Main Menu" and "Main Toolbar".
    QList<QPair<int, QAction*>> menuTexts_;
    QList<QPair<int, QAction*>> toolTexts_;

public:
    // Commands, named as the menus and buttons that run them.
    QAction* mnOpen = nullptr;
    QAction* mnSaveAs = nullptr;
    QAction* mnExit = nullptr;
    QAction* mmnOptions = nullptr;
    QAction* mnWindowTile = nullptr;
    QAction* mnWindowCascade = nullptr;
    QAction* mnWindowCloseAll = nullptr;
    QAction* mnWindowFitToImage = nullptr;
    QAction* mnWindowFitImageToWindow = nullptr;
    QAction* mnHelpContents = nullptr;
    QAction* mnHelpYourfirststep = nullptr;
    QAction* mnHelpAbout = nullptr;
    QAction* tbOpen = nullptr;
    QAction* tbSaveAs = nullptr;
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
    QAction* btRefWhite = nullptr;
    QAction* btRefBlack = nullptr;
    QAction* btRefGray = nullptr;
    QAction* btRefColor = nullptr;
    QAction* btRefLight = nullptr;
    QAction* btRefDark = nullptr;
    QAction* btFilterRegions = nullptr;
    QAction* tbStart = nullptr;
    QAction* tbRepeat = nullptr;
    QCheckBox* cmbCreateNewImage = nullptr;
    QMenu* mmnOperation = nullptr;
    TPalettePanel* cmpPalette = nullptr;
    QLabel* lbRGB = nullptr;
    QLabel* lbComment = nullptr;
    QAction* btFromImage = nullptr;
    QAction* btViewPictures = nullptr;
    QMenu* PopupMenuCollection = nullptr;
    QAction* mnAddCollection = nullptr;
    QAction* mnEditCollection = nullptr;
    QAction* mnDeleteCollection = nullptr;
    QAction* mnOpenPalette = nullptr;
    QAction* mnSavePaletteAs = nullptr;
    QAction* mnOpenProcessing = nullptr;
    QAction* mnSaveProcessingAs = nullptr;
    QMenu* mmnFile = nullptr;
    QMenu* mmnWindows = nullptr;

signals:
    // Tool mode 9 took a colour from a picture (0x00BBGGRR), for the colour collection.
    void colourPickedFromImage(std::uint32_t colour);
};
