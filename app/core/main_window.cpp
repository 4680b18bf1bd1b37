#include "main_window.h"

#include "about_form.h"
#include "contrast_form.h"
#include "crop_run.h"
#include "gamma_form.h"
#include "help_system.h"
#include "image_file_commands.h"
#include "message_boxes.h"
#include "operation_panel.h"
#include "options_form.h"
#include "palette_panel.h"
#include "progress_form.h"
#include "recent_files.h"
#include "text_table.h"
#include "tip_box.h"
#include "tool_cursors.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include <cstring>

namespace {
constexpr const char* version = "4.04";
constexpr int cascadeSteps = 8;
constexpr int cascadeOffset = 22;
constexpr int imageNumbers = 100;

// The main window's placement in the configuration record, laid out as the 44-byte placement
// record of the program's original platform: length, flags, show state, minimised and
// maximised positions, then the normal rectangle (left, top, right, bottom).
struct Placement {
    std::int32_t length;
    std::int32_t flags;
    std::int32_t showCmd; // 1 normal, 3 maximised
    std::int32_t minPosition[2];
    std::int32_t maxPosition[2];
    std::int32_t normal[4];
};
static_assert(sizeof(Placement) == sizeof(TConfigSettings::WindowPlacement));
constexpr std::int32_t showNormal = 1;
constexpr std::int32_t showMaximised = 3;

void storePlacement(const QMainWindow& window, TConfigSettings& config) {
    const QRect normal = window.normalGeometry();
    Placement placement{};
    placement.length = sizeof placement;
    placement.showCmd = window.isMaximized() ? showMaximised : showNormal;
    placement.normal[0] = normal.left();
    placement.normal[1] = normal.top();
    placement.normal[2] = normal.left() + normal.width();
    placement.normal[3] = normal.top() + normal.height();
    std::memcpy(config.WindowPlacement, &placement, sizeof placement);
}

void restorePlacement(QMainWindow& window, const TConfigSettings& config) {
    Placement placement;
    std::memcpy(&placement, config.WindowPlacement, sizeof placement);
    const QRect normal(QPoint(placement.normal[0], placement.normal[1]),
                       QPoint(placement.normal[2] - 1, placement.normal[3] - 1));
    if (placement.length != sizeof placement || normal.width() < 200 || normal.height() < 150) {
        // Nothing stored yet: most of the screen.
        if (const QScreen* screen = window.screen()) {
            window.resize(screen->availableGeometry().size() * 4 / 5);
        }
        return;
    }
    window.setGeometry(normal);
    if (placement.showCmd == showMaximised) {
        window.setWindowState(Qt::WindowMaximized);
    }
}
} // namespace

TfrmMDIParent::TfrmMDIParent(SettingsStore& store, const QString& dataFolder)
    : store_(store), dataFolder_(dataFolder), mdiArea_(new QMdiArea(this)) {
    setObjectName("frmMDIParent");
    mdiArea_->setBackground(palette().dark());
    setCentralWidget(mdiArea_);
}

TfrmMDIParent::~TfrmMDIParent() {
    qApp->removeEventFilter(this);
}

bool TfrmMDIParent::Create() {
    settings_.load(store_);
    const QString languageName = settings_.languageFileName.isEmpty()
                                     ? TLanguage::DefaultLanguageFileName()
                                     : settings_.languageFileName;
    const QString languagePath = dataFolder_ + "/Language/" + languageName;
    if (!language_.Load(languagePath)) {
        // No language yet, so the box speaks the program's own words.
        showMessage(nullptr, MessageKind::Error,
                    {"Huemark", QString("Can't open file %1").arg(languagePath)});
        return false;
    }
    applicationTitle_ = QString("Huemark %1").arg(version);
    setWindowTitle(applicationTitle_);
    buildMenus();
    buildOperationMenu();
    buildToolBar();
    buildBottomPanel();
    buildCollectionPanel();
    buildStatusBar();
    applyLanguage();
    progressForm_ = std::make_unique<TProgressForm>(language_);
    createCorrectionPopups();
    loadStartCollection();
    ChooseOperation(settings_.config.Operation);
    SetToolMode(0); // the program starts without a tool
    recentFiles_->setFiles(settings_.recentFiles);
    connect(recentFiles_.get(), &RecentFiles::fileChosen, this,
            [this](const QString& file) { OpenImageFile(*this, file); });
    restorePlacement(*this, settings_.config);
    setAcceptDrops(true);
    qApp->installEventFilter(this);
    created_ = true;
    EvaluateEnablingRules();
    return true;
}

void TfrmMDIParent::StartUp(const QStringList& files) {
    if (QScreen* screen = QApplication::primaryScreen(); screen && screen->depth() < 16) {
        warningBox(common_text::FewColors);
    }
    if (!files.isEmpty()) {
        for (const QString& file : files) {
            OpenImageFile(*this, file);
        }
        return;
    }
    if (settings_.local.DisplayTips != 0) {
        TTipBox tips(language_, settings_.local, this);
        tips.exec();
    }
}

void TfrmMDIParent::OpenHandedOverFile(const QString& file) {
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
    if (!file.isEmpty()) {
        OpenImageFile(*this, file);
    }
}

QAction* TfrmMDIParent::menuAction(QMenu* menu, const char* name, int position) {
    QAction* action = menu->addAction(QString());
    action->setObjectName(name);
    menuTexts_.append({position, action});
    return action;
}

QAction* TfrmMDIParent::toolAction(const char* name, int position, QStyle::StandardPixmap icon) {
    QAction* action = toolBar_->addAction(style()->standardIcon(icon), QString());
    action->setObjectName(name);
    toolTexts_.append({position, action});
    return action;
}

void TfrmMDIParent::buildMenus() {
    mmnFile = menuBar()->addMenu(QString());
    mmnFile->setObjectName("mmnFile");
    mnOpen = menuAction(mmnFile, "mnOpen", 1);
    mnOpen->setShortcut(QKeySequence::Open);
    connect(mnOpen, &QAction::triggered, this, [this] { OpenCommand(*this); });
    mnSaveAs = menuAction(mmnFile, "mnSaveAs", 2);
    mnSaveAs->setShortcut(QKeySequence::SaveAs);
    connect(mnSaveAs, &QAction::triggered, this, [this] {
        if (TfrmMDIChild* window = activeImageWindow()) {
            SaveAsCommand(*this, *window);
        }
    });
    mmnFile->addSeparator();
    mnExit = menuAction(mmnFile, "mnExit", 12);
    mnExit->setShortcut(QKeySequence::Quit);
    connect(mnExit, &QAction::triggered, this, &QWidget::close);
    recentFiles_ = std::make_unique<RecentFiles>(mmnFile);

    mmnOptions = menuBar()->addAction(QString()); // a command of its own on the menu bar
    mmnOptions->setObjectName("mmnOptions");
    menuTexts_.append({19, mmnOptions});
    connect(mmnOptions, &QAction::triggered, this, &TfrmMDIParent::showOptions);

    mmnWindows = menuBar()->addMenu(QString());
    mmnWindows->setObjectName("mmnWindows");
    mnWindowTile = menuAction(mmnWindows, "mnWindowTile", 21);
    connect(mnWindowTile, &QAction::triggered, mdiArea_, &QMdiArea::tileSubWindows);
    mnWindowCascade = menuAction(mmnWindows, "mnWindowCascade", 22);
    connect(mnWindowCascade, &QAction::triggered, mdiArea_, &QMdiArea::cascadeSubWindows);
    mnWindowCloseAll = menuAction(mmnWindows, "mnWindowCloseAll", 23);
    connect(mnWindowCloseAll, &QAction::triggered, this, &TfrmMDIParent::CloseAll);
    mnWindowFitToImage = menuAction(mmnWindows, "mnWindowFitToImage", 24);
    connect(mnWindowFitToImage, &QAction::triggered, this, [this] {
        if (TfrmMDIChild* window = activeImageWindow()) {
            window->FitToImage();
        }
    });
    mnWindowFitImageToWindow = menuAction(mmnWindows, "mnWindowFitImageToWindow", 25);
    connect(mnWindowFitImageToWindow, &QAction::triggered, this, [this] {
        if (TfrmMDIChild* window = activeImageWindow()) {
            window->FitImageToWindow();
        }
    });

    QMenu* help = menuBar()->addMenu(QString());
    help->setObjectName("mmnHelp");
    menuTexts_.append({44, help->menuAction()});
    mnHelpYourfirststep = menuAction(help, "mnHelpYourfirststep", 45);
    connect(mnHelpYourfirststep, &QAction::triggered, this, [this] { showHelp(1); });
    mnHelpContents = menuAction(help, "mnHelpContents", 46);
    mnHelpContents->setShortcut(QKeySequence::HelpContents);
    connect(mnHelpContents, &QAction::triggered, this, [this] { showHelp(0); });
    help->addSeparator();
    mnHelpAbout = menuAction(help, "mnHelpAbout", 52);
    connect(mnHelpAbout, &QAction::triggered, this, &TfrmMDIParent::showAbout);
    menuTexts_.append({0, mmnFile->menuAction()});
    menuTexts_.append({20, mmnWindows->menuAction()});
}

void TfrmMDIParent::buildToolBar() {
    toolBar_ = addToolBar(QString());
    toolBar_->setObjectName("ToolBar");
    toolBar_->setMovable(false);
    tbOpen = toolAction("tbOpen", 0, QStyle::SP_DialogOpenButton);
    connect(tbOpen, &QAction::triggered, mnOpen, &QAction::trigger);
    tbSaveAs = toolAction("tbSaveAs", 1, QStyle::SP_DialogSaveButton);
    connect(tbSaveAs, &QAction::triggered, mnSaveAs, &QAction::trigger);
    toolBar_->addSeparator();
    toolButtons_ = new QActionGroup(this);
    toolButtons_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    tbZoomIn = modeButton(toolBar_, "tbZoomIn", "Main Toolbar", 4, 1);
    tbZoom1to1 = toolAction("tbZoom1to1", 5, QStyle::SP_TitleBarNormalButton);
    connect(tbZoom1to1, &QAction::triggered, this, [this] {
        if (TfrmMDIChild* window = activeImageWindow()) {
            window->SetZoom(1);
        }
    });
    tbZoomOut = modeButton(toolBar_, "tbZoomOut", "Main Toolbar", 6, 2);
    tbFitImageToWindow = toolAction("tbFitImageToWindow", 8, QStyle::SP_TitleBarMaxButton);
    connect(tbFitImageToWindow, &QAction::triggered, mnWindowFitImageToWindow, &QAction::trigger);
    tbEyedropper = modeButton(toolBar_, "tbEyedropper", "Main Toolbar", 7, 11);
    tbCrop = modeButton(toolBar_, "tbCrop", "Main Toolbar", 9, 10);
    toolBar_->addSeparator();
    btIntHatchRectArea = modeButton(toolBar_, "btIntHatchRectArea", "Main Toolbar", 11, 12);
    btExtHatchRectArea = modeButton(toolBar_, "btExtHatchRectArea", "Main Toolbar", 10, 13);
    btIntHatchPolyArea = modeButton(toolBar_, "btIntHatchPolyArea", "Main Toolbar", 22, 14);
    btExtHatchPolyArea = modeButton(toolBar_, "btExtHatchPolyArea", "Main Toolbar", 21, 15);
    btDeleteHatchAreas = toolAction("btDeleteHatchAreas", 12, QStyle::SP_DialogDiscardButton);
    connect(btDeleteHatchAreas, &QAction::triggered, this, [this] {
        if (TfrmMDIChild* window = activeImageWindow()) {
            window->DeleteAllAreas();
        }
    });
    toolBar_->addSeparator();
    tbNextWindow = toolAction("tbNextWindow", 15, QStyle::SP_ArrowForward);
    connect(tbNextWindow, &QAction::triggered, mdiArea_, &QMdiArea::activateNextSubWindow);
    tbCloseAll = toolAction("tbCloseAll", 16, QStyle::SP_DialogCloseButton);
    connect(tbCloseAll, &QAction::triggered, this, &TfrmMDIParent::CloseAll);
    tbTile = toolAction("tbTile", 17, QStyle::SP_FileDialogListView);
    connect(tbTile, &QAction::triggered, mdiArea_, &QMdiArea::tileSubWindows);
    buildRunButtons();
}

QAction* TfrmMDIParent::modeButton(QToolBar* bar, const char* name, const char* section,
                                   int position, int mode) {
    // Buttons of the operation panel are shown by the panel's own tool buttons.
    QAction* action = bar != nullptr ? bar->addAction(toolIcon(mode), QString())
                                     : new QAction(toolIcon(mode), QString(), this);
    action->setObjectName(name);
    action->setCheckable(true);
    action->setData(mode);
    toolButtons_->addAction(action);
    const QString text = language_.Text(section, position);
    action->setText(text);
    action->setToolTip(text);
    connect(action, &QAction::triggered, this,
            [this, mode](bool checked) { SetToolMode(checked ? mode : 0); });
    return action;
}

// The operation panel at the bottom: the reference buttons and the correction settings.
void TfrmMDIParent::buildBottomPanel() {
    btRefWhite = modeButton(nullptr, "btRefWhite", "Bottom Toolbar", 0, 3);
    btRefBlack = modeButton(nullptr, "btRefBlack", "Bottom Toolbar", 1, 4);
    btRefGray = modeButton(nullptr, "btRefGray", "Bottom Toolbar", 4, 5);
    btRefColor = modeButton(nullptr, "btRefColor", "Bottom Toolbar", 5, 6);
    btRefLight = modeButton(nullptr, "btRefLight", "Bottom Toolbar", 18, 7);
    btRefDark = modeButton(nullptr, "btRefDark", "Bottom Toolbar", 19, 8);
    btFilterRegions = modeButton(nullptr, "btFilterRegions", "Bottom Toolbar", 8, 6);
    operationPanel_ = new TOperationPanel(
        language_, settings_.config,
        {btRefWhite, btRefBlack, btRefGray, btRefColor, btRefLight, btRefDark, btFilterRegions},
        this);
    bottomPanel_ = new QToolBar(this);
    bottomPanel_->setObjectName("BottomToolBar");
    bottomPanel_->setMovable(false);
    bottomPanel_->addWidget(operationPanel_);
    addToolBar(Qt::BottomToolBarArea, bottomPanel_);
    connect(operationPanel_, &TOperationPanel::gammaListToggled, this,
            &TfrmMDIParent::toggleGammaList);
}

namespace {
// The status prompt of a tool mode (a "Common" text), or -1 for none.
int promptOf(int mode) {
    switch (mode) {
    case 1:
        return common_text::PromptZoomIn;
    case 2:
        return common_text::PromptZoomOut;
    case 10:
        return common_text::PromptCrop;
    case 12:
    case 13:
        return common_text::PromptRectangleArea;
    case 14:
    case 15:
        return common_text::PromptPolygonArea;
    default:
        return mode >= 3 && mode <= 8 ? common_text::PromptReference : -1;
    }
}
} // namespace

void TfrmMDIParent::SetToolMode(int mode) {
    toolMode_ = std::clamp(mode, 0, 15);
    QAction* regionButton = settings_.config.Operation == 5 ? btFilterRegions : btRefColor;
    for (QAction* button : toolButtons_->actions()) {
        const QSignalBlocker quiet(button);
        const bool colourTool = button == btRefColor || button == btFilterRegions;
        button->setChecked(button->data().toInt() == toolMode_ &&
                           (!colourTool || button == regionButton));
    }
    showPicker(*lightPicker_, toolMode_ == 7, operationPanel_->btRefLight);
    showPicker(*darkPicker_, toolMode_ == 8, operationPanel_->btRefDark);
    for (TfrmMDIChild* window : imageWindows()) {
        window->ApplyToolMode();
    }
    const int prompt = promptOf(toolMode_);
    statusPanel1_->setText(prompt < 0 ? QString() : language_.Text("Common", prompt));
}

std::uint32_t TfrmMDIParent::referenceColour() const {
    const std::uint8_t* rgb = settings_.config.ReferenceColour;
    return rgb[0] | (std::uint32_t(rgb[1]) << 8) | (std::uint32_t(rgb[2]) << 16);
}

void TfrmMDIParent::colourPicked(std::uint32_t colour) {
    emit colourPickedFromImage(colour);
}

void TfrmMDIParent::runCrop(TfrmMDIChild& window) {
    CropRun(*this, window);
}

void TfrmMDIParent::buildStatusBar() {
    statusPanel0_ = new QLabel(this);
    statusPanel0_->setObjectName("StatusPanel0");
    statusPanel0_->setMinimumWidth(200);
    statusPanel1_ = new QLabel(this);
    statusPanel1_->setObjectName("StatusPanel1");
    statusPanel1_->setMinimumWidth(70);
    statusBar()->addWidget(statusPanel0_);
    statusBar()->addWidget(statusPanel1_, 1);
}

void TfrmMDIParent::applyLanguage() {
    for (const auto& [position, action] : std::as_const(menuTexts_)) {
        action->setText(language_.Text("Main Menu", position));
    }
    for (const auto& [position, action] : std::as_const(toolTexts_)) {
        action->setText(language_.Text("Main Toolbar", position));
        action->setToolTip(language_.Text("Main Toolbar", position));
    }
}

void TfrmMDIParent::showStatus(const QString& text) {
    statusPanel0_->setText(text);
}

void TfrmMDIParent::saveBeforeClosing(TfrmMDIChild& window) {
    SaveAsCommand(*this, window);
}

MessageTexts TfrmMDIParent::boxTexts(int captionPosition, int n,
                                     const QStringList& arguments) const {
    return {language_.Text("Common", captionPosition),
            formatText(language_.Text("Common", n), arguments),
            language_.Text("Common", common_text::Yes), language_.Text("Common", common_text::No),
            language_.Text("Common", common_text::Cancel)};
}

void TfrmMDIParent::errorBox(int n, const QStringList& arguments) {
    showMessage(this, MessageKind::Error, boxTexts(common_text::ErrorCaption, n, arguments));
}

void TfrmMDIParent::errorText(const QString& text) {
    showMessage(this, MessageKind::Error,
                {language_.Text("Common", common_text::ErrorCaption), text});
}

void TfrmMDIParent::informationBox(int n, const QStringList& arguments) {
    showMessage(this, MessageKind::Information,
                boxTexts(common_text::InformationCaption, n, arguments));
}

void TfrmMDIParent::warningBox(int n, const QStringList& arguments) {
    showMessage(this, MessageKind::Warning, boxTexts(common_text::WarningCaption, n, arguments));
}

bool TfrmMDIParent::questionBox(int n, const QStringList& arguments) {
    MessageTexts texts = boxTexts(common_text::ErrorCaption, n, arguments);
    texts.caption = applicationTitle_;
    return showMessage(this, MessageKind::Question, texts) == MessageAnswer::Yes;
}

QString TfrmMDIParent::NextImageName() {
    const QString name = formatText(language_.Text("Common", common_text::NewImageName),
                                    {QString::number(newImageNumber_)});
    newImageNumber_ = (newImageNumber_ + 1) % imageNumbers;
    return name;
}

TfrmMDIChild* TfrmMDIParent::NewImageWindow(std::unique_ptr<TDIBImage> image, const QString& name) {
    if (imageWindows().isEmpty()) {
        newImageNumber_ = 0;
        cascadeStep_ = 0;
        nextWindowNumber_ = 0;
    }
    auto* window = new TfrmMDIChild(*this, std::move(image), name, nextWindowNumber_);
    mdiArea_->addSubWindow(window);
    window->move(cascadeOffset * cascadeStep_, cascadeOffset * cascadeStep_);
    window->show();
    window->FitImageToWindow();
    cascadeStep_ = (cascadeStep_ + 1) % cascadeSteps;
    ++nextWindowNumber_;
    mdiArea_->setActiveSubWindow(window);
    window->ApplyToolMode();
    return window;
}

TfrmMDIChild* TfrmMDIParent::activeImageWindow() const {
    return qobject_cast<TfrmMDIChild*>(mdiArea_->activeSubWindow());
}

QList<TfrmMDIChild*> TfrmMDIParent::imageWindows() const {
    QList<TfrmMDIChild*> windows;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList()) {
        if (auto* window = qobject_cast<TfrmMDIChild*>(sub)) {
            windows.append(window);
        }
    }
    return windows;
}

bool TfrmMDIParent::CloseAll() {
    while (!imageWindows().isEmpty()) {
        TfrmMDIChild* window = activeImageWindow();
        if (window == nullptr) {
            window = imageWindows().first();
        }
        if (!window->close()) {
            return false;
        }
    }
    return true;
}

int TfrmMDIParent::RunWithProgress(const QString& caption, bool cancelEnabled,
                                   const std::function<int()>& call) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    progressForm_->Begin(caption, cancelEnabled, settings_.config.ProgressDelay);
    setBusy(true);
    const int result = call();
    progressForm_->End();
    setBusy(false);
    QApplication::restoreOverrideCursor();
    return result;
}

void TfrmMDIParent::setBusy(bool busy) {
    busy_ = busy;
    setEnabled(!busy);
}

void TfrmMDIParent::EvaluateEnablingRules() {
    if (!created_ || evaluating_) {
        return;
    }
    evaluating_ = true;
    ++evaluations_;
    const bool active = activeImageWindow() != nullptr;
    const bool two = imageWindows().size() >= 2;
    for (QAction* action :
         {mnSaveAs, tbSaveAs, tbZoomIn, tbZoom1to1, tbZoomOut, tbEyedropper, tbFitImageToWindow,
          tbCrop, btExtHatchRectArea, btIntHatchRectArea, btExtHatchPolyArea, btIntHatchPolyArea,
          tbTile, tbCloseAll, mnWindowTile, mnWindowCascade, mnWindowCloseAll, mnWindowFitToImage,
          mnWindowFitImageToWindow}) {
        action->setEnabled(active);
    }
    tbNextWindow->setEnabled(two);
    btDeleteHatchAreas->setEnabled(active && activeImageWindow()->HatchAreas.Count() > 0);
    btFromImage->setEnabled(active && activeImageWindow()->Regions.Count() > 0);
    mnEditCollection->setEnabled(!cmpPalette->IsEmpty());
    mnDeleteCollection->setEnabled(!cmpPalette->IsEmpty());
    evaluateCorrectionRules();
    evaluating_ = false;
}

bool TfrmMDIParent::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::HoverMove:
    case QEvent::NonClientAreaMouseMove:
        break;
    default:
        EvaluateEnablingRules();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMDIParent::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TfrmMDIParent::dropEvent(QDropEvent* event) {
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            files << url.toLocalFile();
        }
    }
    event->acceptProposedAction();
    for (const QString& file : files) {
        OpenImageFile(*this, file);
    }
}

void TfrmMDIParent::showOptions() {
    TOptionsForm options(language_, settings_, store_, dataFolder_, this);
    options.showHelp = [this](int topic) { showHelp(topic); };
    options.exec();
}

void TfrmMDIParent::showHelp(int topic) {
    if (helpWindow_ == nullptr) {
        helpWindow_ = new THelpWindow(this);
        const QString name = settings_.helpFileName.isEmpty() ? TLanguage::DefaultHelpFileName()
                                                              : settings_.helpFileName;
        helpWindow_->open(dataFolder_ + "/" + name);
    }
    helpWindow_->showTopic(topic);
    helpWindow_->show();
    helpWindow_->raise();
}

void TfrmMDIParent::showAbout() {
    TAboutForm about(language_, version, this);
    about.exec();
}

void TfrmMDIParent::closeEvent(QCloseEvent* event) {
    if (!CloseAll()) {
        event->ignore();
        return;
    }
    keepCollectionChanges(true);
    saveSettings();
    event->accept();
}

void TfrmMDIParent::saveSettings() {
    storePlacement(*this, settings_.config);
    gammaList_->SaveToBytes(settings_.gammas);
    settings_.recentFiles = recentFiles_->files();
    settings_.save(store_);
    store_.sync();
}
