// CorrectionCommands: the correction road's commands. Owns the Operation menu (the six
// operations, opening and saving processing files), Start, Repeat and "Create new window" on
// the tool bar, and the operation panel at the bottom with its reference buttons. It shows the
// light and dark point pickers while their buttons are down and the gamma list on request,
// above the panel, and gives the pickers the levels measured in the active picture.
#pragma once

#include "command_controller.h"
#include "correction_records.h"

class LevelPicker;
class QAction;
class QActionGroup;
class QCheckBox;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;
class TOperationPanel;

// The pop-ups beside the operation panel, created and owned by the main window.
struct CorrectionPopups {
    LevelPicker* light;
    LevelPicker* dark;
    QWidget* gammaList;
};

class CorrectionCommands : public CommandController {
    Q_OBJECT

public:
    CorrectionCommands(WorkspaceHost& host, const CorrectionPopups& popups,
                       QObject* parent = nullptr);

    // The Operation menu, inserted into the menu bar before `before`.
    void addOperationMenu(QMenuBar* bar, QAction* before);
    // Start, Repeat and "Create new window" at the end of the tool bar.
    void addRunButtons(QToolBar* toolBar);
    // The operation panel with its reference buttons, as the content of `bottomBar`.
    void addOperationPanel(QToolBar* bottomBar);

    // Chooses an operation (0..5): the menu's check, the panel's groups, the region tool.
    void ChooseOperation(int operation);
    // Shows the configuration record's operation and settings in the panel and tool bar (the
    // record was replaced as a whole).
    void ShowSettings();
    // What a run reads from the panel, the pickers and the settings.
    CorrectionSettings correctionSettings() const;
    void resetGamma();
    void setGamma(double gamma);
    double gamma() const;
    void hideCorrectionPopups();
    void OpenProcessing(const QString& fileName);
    void SaveProcessing(const QString& fileName);
    // Start: the crop when the crop tool is chosen, else the chosen operation.
    void Start();
    // Repeat: the last processing of the chosen operation.
    void Repeat();

    TOperationPanel* operationPanel() const { return operationPanel_; }

    void updateEnabling() override;
    void toolModeChanged(int mode) override;

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
    QAction* mnOpenProcessing = nullptr;
    QAction* mnSaveProcessingAs = nullptr;

private:
    void toggleGammaList();
    void showPicker(LevelPicker& picker, bool shown, QWidget* button);
    void showAbovePanel(QWidget& popup, QWidget* anchor);
    int measuredLevel(RegionKind kind) const;
    QString processingFolder();
    void openProcessingCommand();
    void saveProcessingCommand();

    CorrectionPopups popups_;
    TOperationPanel* operationPanel_ = nullptr;
    QToolBar* bottomBar_ = nullptr;
    QActionGroup* operations_ = nullptr;
};
