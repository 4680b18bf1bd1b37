#include "correction_commands.h"

#include "correction_run.h"
#include "crop_run.h"
#include "image_window.h"
#include "language.h"
#include "level_picker.h"
#include "menu_items.h"
#include "operation_panel.h"
#include "program_folder.h"
#include "settings_records.h"
#include "text_table.h"
#include "workspace_host.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QToolBar>

namespace {
const char* operationNames[] = {"mnOperationImageCorrection",       "mnOperationLayerCorrection",
                                "mnOperationLayerColorReplacement", "mnOperationLayerFilling",
                                "mnOperationLayerTransfer",         "mnOperationColorFilter"};
const QString processingFilter = "Processing files (*.prs)";
constexpr int cropTool = 10;
constexpr int regionTool = 6;
} // namespace

CorrectionCommands::CorrectionCommands(WorkspaceHost& host, const CorrectionPopups& popups,
                                       QObject* parent)
    : CommandController(host, parent), popups_(popups) {}

void CorrectionCommands::addOperationMenu(QMenuBar* bar, QAction* before) {
    const TLanguage& language = host().language();
    mmnOperation = new QMenu(language.Text("Main Menu", 56), bar);
    bar->insertMenu(before, mmnOperation);
    mmnOperation->setObjectName("mmnOperation");
    operations_ = new QActionGroup(this);
    for (int index = 0; index < 6; ++index) {
        QAction* item = addMainMenuItem(mmnOperation, language, operationNames[index], 57 + index);
        item->setCheckable(true);
        operations_->addAction(item);
        connect(item, &QAction::triggered, this, [this, index] {
            host().recording().recordOperationCommand(index);
            ChooseOperation(index);
        });
    }
    mmnOperation->addSeparator();
    mnOpenProcessing = addMainMenuItem(mmnOperation, language, "mnOpenProcessing", 63);
    connect(mnOpenProcessing, &QAction::triggered, this,
            &CorrectionCommands::openProcessingCommand);
    mnSaveProcessingAs = addMainMenuItem(mmnOperation, language, "mnSaveProcessingAs", 64);
    connect(mnSaveProcessingAs, &QAction::triggered, this,
            &CorrectionCommands::saveProcessingCommand);
}

void CorrectionCommands::openProcessingCommand() {
    const QString name = QFileDialog::getOpenFileName(host().dialogParent(), QString(),
                                                      processingFolder(), processingFilter);
    if (!name.isEmpty()) {
        OpenProcessing(name);
    }
}

void CorrectionCommands::saveProcessingCommand() {
    if (TWKIsRepeatedOperationAvailable(host().settings().config.Operation) == 0) {
        return;
    }
    QFileDialog dialog(host().dialogParent(), QString(), processingFolder(), processingFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("prs");
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        SaveProcessing(dialog.selectedFiles().first());
    }
}

void CorrectionCommands::addRunButtons(QToolBar* toolBar) {
    const TLanguage& language = host().language();
    TConfigSettings& config = host().settings().config;
    toolBar->addSeparator();
    tbStart = toolBar->addAction(language.Text("Main Toolbar", 14));
    tbStart->setObjectName("tbStart");
    tbStart->setToolTip(language.Text("Main Toolbar", 13));
    connect(tbStart, &QAction::triggered, this, &CorrectionCommands::Start);
    tbRepeat = toolBar->addAction(language.Text("Main Toolbar", 19));
    tbRepeat->setObjectName("tbRepeat");
    tbRepeat->setToolTip(language.Text("Main Toolbar", 18));
    connect(tbRepeat, &QAction::triggered, this, &CorrectionCommands::Repeat);
    cmbCreateNewImage = new QCheckBox(language.Text("Main Toolbar", 20), toolBar);
    cmbCreateNewImage->setObjectName("cmbCreateNewImage");
    cmbCreateNewImage->setChecked(config.CreateNewWindow != 0);
    toolBar->addWidget(cmbCreateNewImage);
    connect(cmbCreateNewImage, &QCheckBox::toggled, this,
            [&config](bool on) { config.CreateNewWindow = on; });
}

void CorrectionCommands::addOperationPanel(QToolBar* bottomBar) {
    btRefWhite = host().addToolButton(nullptr, "btRefWhite", "Bottom Toolbar", 0, 3);
    btRefBlack = host().addToolButton(nullptr, "btRefBlack", "Bottom Toolbar", 1, 4);
    btRefGray = host().addToolButton(nullptr, "btRefGray", "Bottom Toolbar", 4, 5);
    btRefColor = host().addToolButton(nullptr, "btRefColor", "Bottom Toolbar", 5, regionTool);
    btRefLight = host().addToolButton(nullptr, "btRefLight", "Bottom Toolbar", 18, 7);
    btRefDark = host().addToolButton(nullptr, "btRefDark", "Bottom Toolbar", 19, 8);
    btFilterRegions =
        host().addToolButton(nullptr, "btFilterRegions", "Bottom Toolbar", 8, regionTool);
    operationPanel_ = new TOperationPanel(
        host().language(), host().settings().config,
        {btRefWhite, btRefBlack, btRefGray, btRefColor, btRefLight, btRefDark, btFilterRegions},
        bottomBar);
    bottomBar_ = bottomBar;
    bottomBar->addWidget(operationPanel_);
    connect(operationPanel_, &TOperationPanel::gammaListToggled, this,
            &CorrectionCommands::toggleGammaList);
}

void CorrectionCommands::ChooseOperation(int operation) {
    operation = std::clamp(operation, 0, 5);
    host().settings().config.Operation = static_cast<std::uint8_t>(operation);
    host().SetToolMode(0);
    operationPanel_->LayOut(operation);
    operations_->actions().at(operation)->setChecked(true);
    host().SetToolMode(regionTool); // the operation's region button is pressed
}

void CorrectionCommands::ShowSettings() {
    const TConfigSettings& config = host().settings().config;
    cmbCreateNewImage->setChecked(config.CreateNewWindow != 0);
    operationPanel_->ShowSettings();
    ChooseOperation(config.Operation);
}

CorrectionSettings CorrectionCommands::correctionSettings() const {
    const TConfigSettings& c = host().settings().config;
    CorrectionSettings s;
    s.operation = c.Operation;
    s.autoWhiteBlack = operationPanel_->chbAuto->isChecked();
    s.reference = {c.ReferenceColour[0], c.ReferenceColour[1], c.ReferenceColour[2]};
    s.colourMode = c.ColourMode;
    s.layerRange = c.LayerRange;
    s.filterRange = c.FilterRange;
    s.filterPasses = c.FilterPasses;
    s.gamma = gamma();
    s.lightLevel = popups_.light->Level();
    s.darkLevel = popups_.dark->Level();
    return s;
}

void CorrectionCommands::resetGamma() {
    setGamma(1.0);
}

void CorrectionCommands::setGamma(double gamma) {
    operationPanel_->edtGamma->SetValue(gamma);
}

double CorrectionCommands::gamma() const {
    return static_cast<double>(operationPanel_->edtGamma->Value());
}

void CorrectionCommands::hideCorrectionPopups() {
    popups_.gammaList->hide();
    popups_.light->popup().hide();
    popups_.dark->popup().hide();
}

void CorrectionCommands::Start() {
    hideCorrectionPopups();
    TfrmMDIChild* window = host().activeImageWindow();
    if (window == nullptr) {
        return;
    }
    if (host().toolMode() == cropTool) {
        CropRun(host(), *window);
        return;
    }
    const CorrectionSettings settings = correctionSettings();
    if (StartOperation(host(), *window, settings) && settings.operation <= 1) {
        resetGamma();
    }
}

void CorrectionCommands::Repeat() {
    if (TfrmMDIChild* window = host().activeImageWindow()) {
        RepeatOperation(host(), *window, host().settings().config.Operation);
    }
}

void CorrectionCommands::toggleGammaList() {
    if (popups_.gammaList->isVisible()) {
        popups_.gammaList->hide();
        return;
    }
    popups_.light->popup().hide();
    popups_.dark->popup().hide();
    showAbovePanel(*popups_.gammaList, operationPanel_->edtGamma);
}

void CorrectionCommands::toolModeChanged(int mode) {
    if (mode == regionTool) {
        // White, Colour and the filter regions share the region tool: only the button of the
        // chosen operation is down.
        const bool filter = host().settings().config.Operation == 5;
        const QSignalBlocker quietColour(btRefColor);
        const QSignalBlocker quietFilter(btFilterRegions);
        (filter ? btFilterRegions : btRefColor)->setChecked(true);
        (filter ? btRefColor : btFilterRegions)->setChecked(false);
    }
    showPicker(*popups_.light, mode == 7, operationPanel_->btRefLight);
    showPicker(*popups_.dark, mode == 8, operationPanel_->btRefDark);
}

void CorrectionCommands::showPicker(LevelPicker& picker, bool shown, QWidget* button) {
    if (!shown) {
        picker.popup().hide();
        return;
    }
    popups_.gammaList->hide();
    showAbovePanel(picker.popup(), button);
}

// Shows a pop-up centred over `anchor` with its bottom 2 pixels above the bottom panel.
void CorrectionCommands::showAbovePanel(QWidget& popup, QWidget* anchor) {
    const QPoint centre = anchor->mapToGlobal(QPoint(anchor->width() / 2, 0));
    const int top = bottomBar_->mapToGlobal(QPoint(0, 0)).y();
    popup.adjustSize();
    popup.move(centre.x() - popup.width() / 2, top - 2 - popup.frameGeometry().height());
    popup.show();
}

// The level the engine measures in the active window's Light or Dark region: the largest of
// the sample's three channels; -1 without such a region.
int CorrectionCommands::measuredLevel(RegionKind kind) const {
    TfrmMDIChild* window = host().activeImageWindow();
    const TRefRegion* region = window != nullptr ? window->Regions.FindFirst(kind) : nullptr;
    if (region == nullptr) {
        return -1;
    }
    const QRect r = region->Rect;
    TImageRegion area{r.left(), r.top(), r.left() + r.width(), r.top() + r.height(), nullptr};
    TColorSampleParams params{};
    params.Size = sizeof params;
    params.Image = window->Image().Describe();
    params.Area = &area;
    params.SampleMode = 2;
    params.Light = kind == RegionKind::Light ? -1 : 0;
    TWKDoImageOperation(TWK_OP_COLOR_SAMPLE, &params, nullptr);
    return std::max({params.Color[0], params.Color[1], params.Color[2]});
}

void CorrectionCommands::updateEnabling() {
    TfrmMDIChild* window = host().activeImageWindow();
    const bool active = window != nullptr;
    tbStart->setEnabled(active);
    operationPanel_->chbAuto->setEnabled(
        host().imageWindows().isEmpty() ||
        (active && !window->Image().Corrected &&
         !(window->Regions.FindFirst(RegionKind::White) != nullptr &&
           window->Regions.FindFirst(RegionKind::Black) != nullptr)));
    const bool repeatable =
        TWKIsRepeatedOperationAvailable(host().settings().config.Operation) != 0 &&
        host().toolMode() != cropTool && active;
    tbRepeat->setEnabled(repeatable);
    mnSaveProcessingAs->setEnabled(repeatable);
    if (popups_.light->popup().isVisible()) {
        popups_.light->SetMeasuredLevel(measuredLevel(RegionKind::Light));
    }
    if (popups_.dark->popup().isVisible()) {
        popups_.dark->SetMeasuredLevel(measuredLevel(RegionKind::Dark));
    }
}

QString CorrectionCommands::processingFolder() {
    QString& folder = host().settings().processingDirectory;
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = userDataFolder() + "/Processings";
        QDir().mkpath(folder);
    }
    return folder;
}

void CorrectionCommands::SaveProcessing(const QString& fileName) {
    host().settings().processingDirectory = QFileInfo(fileName).absolutePath();
    if (TWKSaveLastProcessing(QFile::encodeName(fileName).constData(),
                              host().settings().config.Operation) != TWK_OK) {
        host().errorBox(common_text::ProcessingSaveFailed, {fileName});
    }
}

void CorrectionCommands::OpenProcessing(const QString& fileName) {
    host().settings().processingDirectory = QFileInfo(fileName).absolutePath();
    std::int32_t type = 0;
    if (TWKLoadLastProcessing(QFile::encodeName(fileName).constData(), &type) != TWK_OK ||
        type < 0 || type > 5) {
        host().errorBox(common_text::ProcessingLoadFailed, {fileName});
        return;
    }
    ChooseOperation(type);
}
