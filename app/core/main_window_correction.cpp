// The main window's part of the correction road: the Operation menu, Start and Repeat, the
// gamma list and the level pickers around the operation panel, and processing files.
#include "contrast_form.h"
#include "correction_run.h"
#include "gamma_form.h"
#include "main_window.h"
#include "operation_panel.h"
#include "program_folder.h"
#include "text_table.h"
#include "tool_cursors.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QToolBar>

namespace {
const char* operationNames[] = {"mnOperationImageCorrection",       "mnOperationLayerCorrection",
                                "mnOperationLayerColorReplacement", "mnOperationLayerFilling",
                                "mnOperationLayerTransfer",         "mnOperationColorFilter"};
const QString processingFilter = "Processing files (*.prs)";
} // namespace

void TfrmMDIParent::buildOperationMenu() {
    mmnOperation = new QMenu(language_.Text("Main Menu", 56), this);
    menuBar()->insertMenu(mmnWindows->menuAction(), mmnOperation);
    mmnOperation->setObjectName("mmnOperation");
    operations_ = new QActionGroup(this);
    for (int index = 0; index < 6; ++index) {
        QAction* item = mmnOperation->addAction(language_.Text("Main Menu", 57 + index));
        item->setObjectName(operationNames[index]);
        item->setCheckable(true);
        operations_->addAction(item);
        connect(item, &QAction::triggered, this, [this, index] { ChooseOperation(index); });
    }
    mmnOperation->addSeparator();
    mnOpenProcessing = mmnOperation->addAction(language_.Text("Main Menu", 63));
    mnOpenProcessing->setObjectName("mnOpenProcessing");
    connect(mnOpenProcessing, &QAction::triggered, this, [this] {
        const QString name =
            QFileDialog::getOpenFileName(this, QString(), processingFolder(), processingFilter);
        if (!name.isEmpty()) {
            OpenProcessing(name);
        }
    });
    mnSaveProcessingAs = mmnOperation->addAction(language_.Text("Main Menu", 64));
    mnSaveProcessingAs->setObjectName("mnSaveProcessingAs");
    connect(mnSaveProcessingAs, &QAction::triggered, this, [this] {
        if (TWKIsRepeatedOperationAvailable(settings_.config.Operation) == 0) {
            return;
        }
        QFileDialog dialog(this, QString(), processingFolder(), processingFilter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix("prs");
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            SaveProcessing(dialog.selectedFiles().first());
        }
    });
}

void TfrmMDIParent::buildRunButtons() {
    toolBar_->addSeparator();
    tbStart = toolBar_->addAction(language_.Text("Main Toolbar", 14));
    tbStart->setObjectName("tbStart");
    tbStart->setToolTip(language_.Text("Main Toolbar", 13));
    connect(tbStart, &QAction::triggered, this, [this] { StartCommand(*this); });
    tbRepeat = toolBar_->addAction(language_.Text("Main Toolbar", 19));
    tbRepeat->setObjectName("tbRepeat");
    tbRepeat->setToolTip(language_.Text("Main Toolbar", 18));
    connect(tbRepeat, &QAction::triggered, this, [this] { RepeatCommand(*this); });
    cmbCreateNewImage = new QCheckBox(language_.Text("Main Toolbar", 20), toolBar_);
    cmbCreateNewImage->setObjectName("cmbCreateNewImage");
    cmbCreateNewImage->setChecked(settings_.config.CreateNewWindow != 0);
    toolBar_->addWidget(cmbCreateNewImage);
    connect(cmbCreateNewImage, &QCheckBox::toggled, this,
            [this](bool on) { settings_.config.CreateNewWindow = on; });
}

void TfrmMDIParent::createCorrectionPopups() {
    lightPicker_ = new TContrastForm(language_.Text("Bottom Toolbar", 31), 255, this);
    darkPicker_ = new TContrastForm(language_.Text("Bottom Toolbar", 32), 0, this);
    gammaList_ = new TGammaForm(language_, this);
    gammaList_->LoadFromBytes(settings_.gammas);
    gammaList_->valueChosen = [this](double value) { operationPanel_->edtGamma->SetValue(value); };
    gammaList_->currentValue = [this] {
        return static_cast<double>(operationPanel_->edtGamma->Value());
    };
}

void TfrmMDIParent::ChooseOperation(int operation) {
    operation = std::clamp(operation, 0, 5);
    settings_.config.Operation = static_cast<std::uint8_t>(operation);
    SetToolMode(0);
    operationPanel_->LayOut(operation);
    operations_->actions().at(operation)->setChecked(true);
    SetToolMode(6); // the operation's region button is pressed
}

CorrectionSettings TfrmMDIParent::correctionSettings() const {
    const TConfigSettings& c = settings_.config;
    CorrectionSettings s;
    s.operation = c.Operation;
    s.autoWhiteBlack = operationPanel_->chbAuto->isChecked();
    s.reference = {c.ReferenceColour[0], c.ReferenceColour[1], c.ReferenceColour[2]};
    s.colourMode = c.ColourMode;
    s.layerRange = c.LayerRange;
    s.filterRange = c.FilterRange;
    s.filterPasses = c.FilterPasses;
    s.gamma = static_cast<double>(operationPanel_->edtGamma->Value());
    s.lightLevel = lightPicker_->Level();
    s.darkLevel = darkPicker_->Level();
    return s;
}

void TfrmMDIParent::resetGamma() {
    operationPanel_->edtGamma->SetValue(1.0L);
}

void TfrmMDIParent::hideCorrectionPopups() {
    gammaList_->hide();
    lightPicker_->hide();
    darkPicker_->hide();
}

void TfrmMDIParent::toggleGammaList() {
    if (gammaList_->isVisible()) {
        gammaList_->hide();
        return;
    }
    lightPicker_->hide();
    darkPicker_->hide();
    showAbovePanel(*gammaList_, operationPanel_->edtGamma);
}

void TfrmMDIParent::showPicker(TContrastForm& picker, bool shown, QWidget* button) {
    if (!shown) {
        picker.hide();
        return;
    }
    gammaList_->hide();
    showAbovePanel(picker, button);
}

// Shows a pop-up centred over `anchor` with its bottom 2 pixels above the bottom panel.
void TfrmMDIParent::showAbovePanel(QWidget& popup, QWidget* anchor) {
    const QPoint centre = anchor->mapToGlobal(QPoint(anchor->width() / 2, 0));
    const int top = bottomPanel_->mapToGlobal(QPoint(0, 0)).y();
    popup.adjustSize();
    popup.move(centre.x() - popup.width() / 2, top - 2 - popup.frameGeometry().height());
    popup.show();
}

// The level the engine measures in the active window's Light or Dark region: the largest of
// the sample's three channels; -1 without such a region.
int TfrmMDIParent::measuredLevel(RegionKind kind) const {
    TfrmMDIChild* window = activeImageWindow();
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

void TfrmMDIParent::evaluateCorrectionRules() {
    TfrmMDIChild* window = activeImageWindow();
    const bool active = window != nullptr;
    tbStart->setEnabled(active);
    operationPanel_->chbAuto->setEnabled(
        imageWindows().isEmpty() || (active && !window->Image().Corrected &&
                                     !(window->Regions.FindFirst(RegionKind::White) != nullptr &&
                                       window->Regions.FindFirst(RegionKind::Black) != nullptr)));
    const bool repeatable = TWKIsRepeatedOperationAvailable(settings_.config.Operation) != 0 &&
                            toolMode_ != 10 && active;
    tbRepeat->setEnabled(repeatable);
    mnSaveProcessingAs->setEnabled(repeatable);
    if (lightPicker_->isVisible()) {
        lightPicker_->SetMeasuredLevel(measuredLevel(RegionKind::Light));
    }
    if (darkPicker_->isVisible()) {
        darkPicker_->SetMeasuredLevel(measuredLevel(RegionKind::Dark));
    }
}

QString TfrmMDIParent::processingFolder() {
    if (settings_.processingDirectory.isEmpty() || !QDir(settings_.processingDirectory).exists()) {
        settings_.processingDirectory = userDataFolder() + "/Processings";
        QDir().mkpath(settings_.processingDirectory);
    }
    return settings_.processingDirectory;
}

void TfrmMDIParent::SaveProcessing(const QString& fileName) {
    settings_.processingDirectory = QFileInfo(fileName).absolutePath();
    if (TWKSaveLastProcessing(QFile::encodeName(fileName).constData(),
                              settings_.config.Operation) != TWK_OK) {
        errorBox(common_text::ProcessingSaveFailed, {fileName});
    }
}

void TfrmMDIParent::OpenProcessing(const QString& fileName) {
    settings_.processingDirectory = QFileInfo(fileName).absolutePath();
    std::int32_t type = 0;
    if (TWKLoadLastProcessing(QFile::encodeName(fileName).constData(), &type) != TWK_OK ||
        type < 0 || type > 5) {
        errorBox(common_text::ProcessingLoadFailed, {fileName});
        return;
    }
    ChooseOperation(type);
}
