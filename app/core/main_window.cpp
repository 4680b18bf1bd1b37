#include "main_window.h"

#include "collection_commands.h"
#include "contrast_form.h"
#include "correction_commands.h"
#include "crop_run.h"
#include "device_commands.h"
#include "example_commands.h"
#include "example_player.h"
#include "example_recorder.h"
#include "file_commands.h"
#include "gamma_form.h"
#include "image_commands.h"
#include "language_choice.h"
#include "menu_items.h"
#include "message_boxes.h"
#include "operation_panel.h"
#include "palette_panel.h"
#include "panorama_commands.h"
#include "print_commands.h"
#include "progress_form.h"
#include "settings_commands.h"
#include "show_codes.h"
#include "text_table.h"
#include "tool_cursors.h"
#include "window_placement.h"

#include <QActionGroup>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include <cstring>

namespace {
constexpr const char* version = "4.04";
constexpr int cascadeSteps = 8;
constexpr int cascadeOffset = 22;
constexpr int imageNumbers = 100;

void storePlacement(const QMainWindow& window, TConfigSettings& config) {
    writeWindowPlacement(config, window.normalGeometry(), window.isMaximized());
}

// Puts the window where the configuration says; a window without a stored placement takes
// most of the screen.
void restorePlacement(QMainWindow& window, const TConfigSettings& config) {
    if (!placeWindow(window, readWindowPlacement(config))) {
        if (const QScreen* screen = window.screen()) {
            window.resize(screen->availableGeometry().size() * 4 / 5);
        }
    }
}
} // namespace

TfrmMDIParent::TfrmMDIParent(SettingsStore& store, const QString& dataFolder)
    : store_(store), dataFolder_(dataFolder), mdiArea_(new QMdiArea(this)) {
    setObjectName("frmMDIParent");
    // The menus stay inside the window, where examples find and click them, also on desktops
    // with a global menu bar.
    menuBar()->setNativeMenuBar(false);
    mdiArea_->setBackground(palette().dark());
    setCentralWidget(mdiArea_);
}

TfrmMDIParent::~TfrmMDIParent() {
    qApp->removeEventFilter(this);
}

bool TfrmMDIParent::Create() {
    settings_.load(store_);
    const QString chosenLanguage = settings_.languageFileName;
    const QString languagePath = startLanguagePath(settings_, dataFolder_);
    if (settings_.languageFileName != chosenLanguage) {
        settings_.saveFileChoices(store_); // the fallback to English is kept
    }
    if (!language_.Load(languagePath)) {
        // No language yet, so the box speaks the program's own words.
        showMessage(nullptr, MessageKind::Error,
                    {"Huemark", QString("Can't open file %1").arg(languagePath)});
        return false;
    }
    applicationTitle_ = QString("Huemark %1").arg(version);
    setWindowTitle(applicationTitle_);
    progressForm_ = std::make_unique<TProgressForm>(language_);
    createCorrectionPopups();
    createControllers();
    buildMenus();
    buildToolBar();
    buildStatusBar();
    registerNamedControls();
    collections_->loadStartCollection();
    correction_->ChooseOperation(settings_.config.Operation);
    SetToolMode(0); // the program starts without a tool
    restorePlacement(*this, settings_.config);
    setAcceptDrops(true);
    qApp->installEventFilter(this);
    created_ = true;
    EvaluateEnablingRules();
    return true;
}

void TfrmMDIParent::createCorrectionPopups() {
    lightPicker_ = new TContrastForm(language_.Text("Bottom Toolbar", 31), 255, this);
    darkPicker_ = new TContrastForm(language_.Text("Bottom Toolbar", 32), 0, this);
    gammaList_ = new TGammaForm(language_, this);
    gammaList_->LoadFromBytes(settings_.gammas);
}

// The subsystems' controllers, each with the places its commands go.
void TfrmMDIParent::createControllers() {
    files_ = new FileCommands(*this, this);
    images_ = new ImageCommands(*this, this);
    correction_ = new CorrectionCommands(*this, {lightPicker_, darkPicker_, gammaList_}, this);
    collections_ = new CollectionCommands(*this, this);
    settingsCommands_ = new SettingsCommands(*this, version, this);
    panorama_ = new PanoramaCommands(*this, this);
    controllers_ = {files_, images_, correction_, collections_, settingsCommands_, panorama_};
    panorama_->showHelp = [this](int topic) { settingsCommands_->showHelp(topic); };
    print_ = new PrintCommands(*this, this);
    controllers_.append(print_);
    print_->showHelp = [this](int topic) { settingsCommands_->showHelp(topic); };
    devices_ = new DeviceCommands(*this, this);
    controllers_.append(devices_);
    examples_ = new ExampleCommands(*this, *this, this);
    controllers_.append(examples_);
    examples_->showHelp = [this](int topic) { settingsCommands_->showHelp(topic); };
    settingsCommands_->playExample = [this](int number) { examples_->PlayExample(number); };

    gammaList_->valueChosen = [this](double value) { correction_->setGamma(value); };
    gammaList_->currentValue = [this] { return correction_->gamma(); };
    connect(this, &TfrmMDIParent::colourPickedFromImage, collections_,
            &CollectionCommands::AddPickedColour);
}

void TfrmMDIParent::StartUp(const QStringList& files) {
    if (QScreen* screen = QApplication::primaryScreen(); screen && screen->depth() < 16) {
        warningBox(common_text::FewColors);
    }
    if (!files.isEmpty()) {
        for (const QString& file : files) {
            openFile(file);
        }
        return;
    }
    settingsCommands_->showTipsAtStart();
}

void TfrmMDIParent::OpenHandedOverFile(const QString& file) {
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
    if (!file.isEmpty()) {
        openFile(file);
    }
}

// Files given to the program (command line, a second start, the file manager) open by their
// kind: a processing file is loaded, a colour collection opened, an example played; anything
// else is taken for a picture.
void TfrmMDIParent::openFile(const QString& file) {
    const QString extension = QFileInfo(file).suffix().toLower();
    if (extension == "prs") {
        correction_->OpenProcessing(file);
    } else if (extension == "col") {
        collections_->OpenCollectionFile(file);
    } else if (extension == "shw") {
        examples_->PlayExampleFile(file);
    } else {
        files_->OpenImageFile(file);
    }
}

QAction* TfrmMDIParent::toolAction(const char* name, int position, QStyle::StandardPixmap icon,
                                   int code) {
    const QString hint = language_.Text("Main Toolbar", position);
    QAction* action = toolBar_->addAction(style()->standardIcon(icon), hint);
    action->setObjectName(name);
    action->setToolTip(hint);
    controlCodes_.add(code, action);
    return action;
}

void TfrmMDIParent::forActiveWindow(const std::function<void(TfrmMDIChild&)>& command) {
    if (TfrmMDIChild* window = activeImageWindow()) {
        command(*window);
    }
}

// The tool bar comes first: the controllers put their buttons there beside their menu items.
void TfrmMDIParent::buildMenus() {
    toolBar_ = addToolBar(QString());
    toolBar_->setObjectName("ToolBar");
    toolBar_->setMovable(false);

    mmnFile = menuBar()->addMenu(language_.Text("Main Menu", 0));
    mmnFile->setObjectName("mmnFile");
    files_->addCommands(mmnFile, toolBar_);
    devices_->addScannerCommands(mmnFile, nullptr);
    mmnFile->addSeparator();
    images_->addClipboardCommands(mmnFile, nullptr);
    mmnFile->addSeparator();
    // Ctrl+W is the image window's own Close key already; a second one would be ambiguous.
    mnClose = addMainMenuItem(mmnFile, language_, "mnClose", 68);
    connect(mnClose, &QAction::triggered, this,
            [this] { forActiveWindow([](TfrmMDIChild& window) { window.close(); }); });
    mnExit = addMainMenuItem(mmnFile, language_, "mnExit", 12);
    mnExit->setShortcut(QKeySequence::Quit);
    connect(mnExit, &QAction::triggered, this, &QWidget::close);
    collections_->addFileCommands(mmnFile, mnExit);
    print_->addCommands(mmnFile, mnExit, toolBar_);
    devices_->addSendCommand(mmnFile, mnExit);
    files_->addRecentFiles(mmnFile);
    images_->addEditMenu(menuBar(), nullptr);
    images_->addImageMenu(menuBar(), nullptr);
    connect(images_->mnImagePanorama, &QAction::triggered, panorama_,
            &PanoramaCommands::PanoramaCommand);
    images_->addWorkspaceMenu(mdiArea_);

    settingsCommands_->addOptionsCommand(menuBar());
    buildWindowMenu();
    examples_->addExamplesMenu(menuBar());
    correction_->addOperationMenu(menuBar(), mmnWindows->menuAction());
    settingsCommands_->addHelpMenu(menuBar());
}

void TfrmMDIParent::buildWindowMenu() {
    mmnWindows = menuBar()->addMenu(language_.Text("Main Menu", 20));
    mmnWindows->setObjectName("mmnWindows");
    mnWindowTile = addMainMenuItem(mmnWindows, language_, "mnWindowTile", 21);
    connect(mnWindowTile, &QAction::triggered, mdiArea_, &QMdiArea::tileSubWindows);
    mnWindowCascade = addMainMenuItem(mmnWindows, language_, "mnWindowCascade", 22);
    connect(mnWindowCascade, &QAction::triggered, mdiArea_, &QMdiArea::cascadeSubWindows);
    mnWindowCloseAll = addMainMenuItem(mmnWindows, language_, "mnWindowCloseAll", 23);
    connect(mnWindowCloseAll, &QAction::triggered, this, &TfrmMDIParent::CloseAll);
    mnWindowFitToImage = addMainMenuItem(mmnWindows, language_, "mnWindowFitToImage", 24);
    connect(mnWindowFitToImage, &QAction::triggered, this,
            [this] { forActiveWindow([](TfrmMDIChild& window) { window.FitToImage(); }); });
    mnWindowFitImageToWindow =
        addMainMenuItem(mmnWindows, language_, "mnWindowFitImageToWindow", 25);
    connect(mnWindowFitImageToWindow, &QAction::triggered, this,
            [this] { forActiveWindow([](TfrmMDIChild& window) { window.FitImageToWindow(); }); });
    connect(mmnWindows, &QMenu::aboutToShow, this, &TfrmMDIParent::listImageWindows);
    addZoomKeys();
}

// Below the window commands, every image window, the active one checked; choosing one brings
// it to the front.
void TfrmMDIParent::listImageWindows() {
    for (QAction* item : std::as_const(windowListItems_)) {
        mmnWindows->removeAction(item);
        item->deleteLater();
    }
    windowListItems_.clear();
    const QList<TfrmMDIChild*> windows = imageWindows();
    if (windows.isEmpty()) {
        return;
    }
    windowListItems_.append(mmnWindows->addSeparator());
    TfrmMDIChild* active = activeImageWindow();
    for (int index = 0; index < windows.size(); ++index) {
        TfrmMDIChild* window = windows[index];
        const QString prefix = index < 9 ? QString("&%1 ").arg(index + 1) : QString();
        QAction* item =
            mmnWindows->addAction(prefix + QString(window->Caption()).replace("&", "&&"));
        item->setCheckable(true);
        item->setChecked(window == active);
        connect(item, &QAction::triggered, this,
                [this, window] { mdiArea_->setActiveSubWindow(window); });
        windowListItems_.append(item);
    }
}

// Zooming the active picture from the keyboard: + and - step, 1 shows 1:1, 0 fits the picture
// to its window (with or without Ctrl). A number field that has the focus keeps its keys.
void TfrmMDIParent::addZoomKeys() {
    const auto zoomKeys = [this](std::initializer_list<QKeySequence> keys,
                                 const std::function<void(TfrmMDIChild&)>& command) {
        for (const QKeySequence& key : keys) {
            auto* shortcut = new QShortcut(key, this);
            connect(shortcut, &QShortcut::activated, this,
                    [this, command] { forActiveWindow(command); });
        }
    };
    zoomKeys({Qt::Key_Plus, Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal},
             [](TfrmMDIChild& window) { window.ZoomIn(); });
    zoomKeys({Qt::Key_Minus, Qt::CTRL | Qt::Key_Minus},
             [](TfrmMDIChild& window) { window.ZoomOut(); });
    zoomKeys({Qt::Key_1, Qt::CTRL | Qt::Key_1}, [](TfrmMDIChild& window) { window.SetZoom(1); });
    zoomKeys({Qt::Key_0, Qt::CTRL | Qt::Key_0},
             [](TfrmMDIChild& window) { window.FitImageToWindow(); });
}

namespace {
// The object names of the menus and menu commands the control codes 51 to 64 stand for.
constexpr std::pair<int, const char*> menuControls[] = {
    {snMenuFile, "mmnFile"},
    {snMenuImage, "mmnImage"},
    {snMenuOperation, "mmnOperation"},
    {snMenuOptions, "mmnOptions"},
    {snMenuWindows, "mmnWindows"},
    {snMenuExamples, "mmnExamples"},
    {snMenuHelp, "mmnHelp"},
    {snMenuImagePanorama, "mnImagePanorama"},
    {snMenuOperationImageCorrection, "mnOperationImageCorrection"},
    {snMenuOperationLayerCorrection, "mnOperationLayerCorrection"},
    {snMenuOperationLayerColorReplacement, "mnOperationLayerColorReplacement"},
    {snMenuOperationLayerFilling, "mnOperationLayerFilling"},
    {snMenuOperationLayerTransfer, "mnOperationLayerTransfer"},
    {snMenuOperationColorFilter, "mnOperationColorFilter"},
};

int controlCodeNamed(const char* name) {
    for (int code = TControlCodes::firstCode; code <= snDarkContrastDialog; ++code) {
        if (std::strcmp(showTargetControl(std::uint8_t(code)), name) == 0) {
            return code;
        }
    }
    return -1;
}
} // namespace

// The controls and menus the subsystems' controllers built, found by their names; those the
// main window builds itself got their code where they were made.
void TfrmMDIParent::registerNamedControls() {
    // The operation panel's fields carry no names of their own, the pop-ups are windows.
    const TOperationPanel& panel = *correction_->operationPanel();
    const std::pair<int, QWidget*> unnamed[] = {
        {snAuto, panel.chbAuto},
        {snLayerRange, panel.edtLayerRange},
        {snFRCColor, panel.rbtColor},
        {snFRCColorBrightness, panel.rbtColorBrightness},
        {snFRCBrightness, panel.rbtBrightness},
        {snGammaEdit, panel.edtGamma},
        {snFilterRange, panel.edtFilterRange},
        {snFilterPasses, panel.edtFilterPasses},
        {snGammaDialog, gammaList_},
        {snLightContrastDialog, lightPicker_},
        {snDarkContrastDialog, darkPicker_},
    };
    for (const auto& [code, widget] : unnamed) {
        if (const char* name = showTargetControl(std::uint8_t(code)); *name != '\0') {
            widget->setObjectName(name);
        }
        controlCodes_.add(code, widget);
    }
    for (int code = TControlCodes::firstCode; code <= snDarkContrastDialog; ++code) {
        const char* name = showTargetControl(std::uint8_t(code));
        if (controlCodes_.object(code) == nullptr && *name != '\0') {
            if (QObject* control = findChild<QObject*>(name)) {
                controlCodes_.add(code, control);
            }
        }
    }
    for (const auto& [code, name] : menuControls) {
        if (QObject* control = findChild<QObject*>(name)) {
            controlCodes_.add(code, control);
        }
    }
}

void TfrmMDIParent::buildToolBar() {
    toolBar_->addSeparator();
    toolButtons_ = new QActionGroup(this);
    toolButtons_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    tbZoomIn = addToolButton(toolBar_, "tbZoomIn", "Main Toolbar", 4, 1);
    tbZoom1to1 = toolAction("tbZoom1to1", 5, QStyle::SP_TitleBarNormalButton, snZoom1to1);
    connect(tbZoom1to1, &QAction::triggered, this,
            [this] { forActiveWindow([](TfrmMDIChild& window) { window.SetZoom(1); }); });
    tbZoomOut = addToolButton(toolBar_, "tbZoomOut", "Main Toolbar", 6, 2);
    tbFitImageToWindow =
        toolAction("tbFitImageToWindow", 8, QStyle::SP_TitleBarMaxButton, snFitImageToWindow);
    connect(tbFitImageToWindow, &QAction::triggered, mnWindowFitImageToWindow, &QAction::trigger);
    tbEyedropper = addToolButton(toolBar_, "tbEyedropper", "Main Toolbar", 7, 11);
    tbCrop = addToolButton(toolBar_, "tbCrop", "Main Toolbar", 9, 10);
    toolBar_->addSeparator();
    btIntHatchRectArea = addToolButton(toolBar_, "btIntHatchRectArea", "Main Toolbar", 11, 12);
    btExtHatchRectArea = addToolButton(toolBar_, "btExtHatchRectArea", "Main Toolbar", 10, 13);
    btIntHatchPolyArea = addToolButton(toolBar_, "btIntHatchPolyArea", "Main Toolbar", 22, 14);
    btExtHatchPolyArea = addToolButton(toolBar_, "btExtHatchPolyArea", "Main Toolbar", 21, 15);
    btDeleteHatchAreas =
        toolAction("btDeleteHatchAreas", 12, QStyle::SP_DialogDiscardButton, snDeleteHatchAreas);
    connect(btDeleteHatchAreas, &QAction::triggered, this,
            [this] { forActiveWindow([](TfrmMDIChild& window) { window.DeleteAllAreas(); }); });
    toolBar_->addSeparator();
    tbNextWindow = toolAction("tbNextWindow", 15, QStyle::SP_ArrowForward, snNextWindow);
    connect(tbNextWindow, &QAction::triggered, mdiArea_, &QMdiArea::activateNextSubWindow);
    tbCloseAll = toolAction("tbCloseAll", 16, QStyle::SP_DialogCloseButton, snCloseAll);
    connect(tbCloseAll, &QAction::triggered, this, &TfrmMDIParent::CloseAll);
    tbTile = toolAction("tbTile", 17, QStyle::SP_FileDialogListView, snTile);
    connect(tbTile, &QAction::triggered, mdiArea_, &QMdiArea::tileSubWindows);
    correction_->addRunButtons(toolBar_);

    bottomBar_ = new QToolBar(this);
    bottomBar_->setObjectName("BottomToolBar");
    bottomBar_->setMovable(false);
    addToolBar(Qt::BottomToolBarArea, bottomBar_);
    correction_->addOperationPanel(bottomBar_);
    collections_->addPalettePanel(correction_->operationPanel()->pnlPalette);
}

QAction* TfrmMDIParent::addToolButton(QToolBar* bar, const char* name, const char* section,
                                      int position, int mode) {
    // Buttons of the operation panel are shown by the panel's own tool buttons.
    QAction* action = bar != nullptr ? bar->addAction(toolIcon(mode), QString())
                                     : new QAction(toolIcon(mode), QString(), this);
    action->setObjectName(name);
    if (const int code = controlCodeNamed(name); code >= 0) {
        controlCodes_.add(code, action);
    }
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
    for (QAction* button : toolButtons_->actions()) {
        const QSignalBlocker quiet(button);
        button->setChecked(button->data().toInt() == toolMode_);
    }
    for (CommandController* controller : std::as_const(controllers_)) {
        controller->toolModeChanged(toolMode_);
    }
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

void TfrmMDIParent::copyPicture(TfrmMDIChild& window) {
    images_->Copy(window);
}

ExampleRecording& TfrmMDIParent::recording() {
    return examples_ != nullptr ? examples_->recorder() : ExampleRecording::none();
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

void TfrmMDIParent::showStatus(const QString& text) {
    statusPanel0_->setText(text);
}

bool TfrmMDIParent::saveBeforeClosing(TfrmMDIChild& window) {
    return files_->SaveAs(window);
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
    window->History().SetBudget(settings_.undoBudgetBytes());
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
    TfrmMDIChild* window = activeImageWindow();
    const bool active = window != nullptr;
    for (QAction* action :
         {tbZoomIn, tbZoom1to1, tbZoomOut, tbEyedropper, tbFitImageToWindow, tbCrop,
          btExtHatchRectArea, btIntHatchRectArea, btExtHatchPolyArea, btIntHatchPolyArea, tbTile,
          tbCloseAll, mnClose, mnWindowTile, mnWindowCascade, mnWindowCloseAll, mnWindowFitToImage,
          mnWindowFitImageToWindow}) {
        action->setEnabled(active);
    }
    tbNextWindow->setEnabled(imageWindows().size() >= 2);
    btDeleteHatchAreas->setEnabled(active && window->HatchAreas.Count() > 0);
    for (CommandController* controller : std::as_const(controllers_)) {
        controller->updateEnabling();
    }
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
        openFile(file);
    }
}

void TfrmMDIParent::closeEvent(QCloseEvent* event) {
    if (!files_->SettleUnsavedPictures() || !CloseAll()) {
        event->ignore();
        return;
    }
    for (CommandController* controller : std::as_const(controllers_)) {
        controller->closing();
    }
    saveSettings();
    event->accept();
}

void TfrmMDIParent::saveSettings() {
    storePlacement(*this, settings_.config);
    gammaList_->SaveToBytes(settings_.gammas);
    settings_.save(store_);
    store_.sync();
}

int TfrmMDIParent::exampleBaseLeft() const {
    const QList<QAction*> actions = toolBar_->actions();
    QWidget* last = actions.isEmpty() ? nullptr : toolBar_->widgetForAction(actions.last());
    return last != nullptr ? last->mapTo(this, QPoint(last->width(), 0)).x() : 0;
}

int TfrmMDIParent::bottomPanelHeight() const {
    return correction_->operationPanel()->height();
}

bool TfrmMDIParent::openPicture(const QString& path) {
    return files_->OpenImageFile(path);
}

void TfrmMDIParent::applyConfig() {
    correction_->ShowSettings();
    EvaluateEnablingRules();
}

QByteArray TfrmMDIParent::collectionBytes() const {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    collections_->palettePanel()->List().Save(buffer);
    return buffer.data();
}

bool TfrmMDIParent::collectionModified() const {
    return collections_->palettePanel()->Modified;
}

bool TfrmMDIParent::setCollectionBytes(const QByteArray& bytes, bool modified) {
    TPalettePanel& panel = *collections_->palettePanel();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const bool loaded = panel.List().Load(buffer);
    if (!loaded) {
        panel.List().Clear();
    }
    panel.Reset(); // a collection put in place shows from its first colour, selected
    panel.Modified = modified;
    return loaded;
}

QByteArray TfrmMDIParent::gammaBytes() const {
    QByteArray bytes;
    gammaList_->SaveToBytes(bytes);
    return bytes;
}

void TfrmMDIParent::setGammaBytes(const QByteArray& bytes) {
    gammaList_->LoadFromBytes(bytes);
}
