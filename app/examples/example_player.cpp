#include "example_player.h"

#include "image_window.h"
#include "language.h"
#include "menu_items.h"
#include "message_boxes.h"
#include "palette_list.h"
#include "panorama_form.h"
#include "player_host.h"
#include "select_language_form.h"
#include "settings_records.h"
#include "show_codes.h"
#include "text_table.h"
#include "window_placement.h"
#include "workspace_host.h"

#include <QApplication>
#include <QBuffer>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMessageBox>
#include <QPainter>
#include <QPointingDevice>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstring>

// The player's visible pointer: a small arrow in a frameless window that takes neither focus
// nor input, so it never hides what lies under it from the player's clicks.
class TPlayerPointer : public QWidget {
public:
    TPlayerPointer()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
        setObjectName("PlayerPointer");
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setFixedSize(12, 18);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QPolygon arrow({{0, 0}, {0, 16}, {4, 12}, {7, 17}, {9, 16}, {6, 11}, {11, 11}});
        painter.setPen(Qt::black);
        painter.setBrush(Qt::white);
        painter.drawPolygon(arrow);
    }
};

struct TExamplePlayer::Snapshot {
    PersistedSettings settings;
    QByteArray collection;
    bool collectionModified = false;
    QByteArray gammas;
    QRect geometry; // the main window's, where the user had it
    bool maximised = false;
};

namespace {
constexpr int noteMaximumWidth = 150;
constexpr int noteGap = 10;

QRect screenArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry() : QRect(0, 0, 1, 1);
}

QPoint clampToScreen(QPoint point) {
    const QRect screen = screenArea();
    return {std::clamp(point.x(), screen.left(), screen.right()),
            std::clamp(point.y(), screen.top(), screen.bottom())};
}

TfrmMDIChild* imageWindowNumbered(WorkspaceHost& workspace, int number) {
    for (TfrmMDIChild* window : workspace.imageWindows()) {
        if (window->WindowNumber() == number) {
            return window;
        }
    }
    return nullptr;
}

QWidget* activeDialog(QWidget* mainWindow) {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    QWidget* active = QApplication::activeWindow();
    return active != mainWindow ? active : nullptr;
}

// The settings just shown change the window's smallest size; let the layouts take it in
// before the window is placed, so the placement is not cut to the old smallest size. Layout
// work queued while settling queues more (tool bar, then main window), hence three rounds.
void settleLayouts() {
    constexpr int rounds = 3;
    for (int round = 0; round < rounds; ++round) {
        QCoreApplication::sendPostedEvents();
    }
}

bool isClick(std::uint8_t action) {
    return action == saLButtonClick || action == saRButtonClick;
}
bool isDown(std::uint8_t action) {
    return action == saLButtonDown || action == saRButtonDown;
}
bool isUp(std::uint8_t action) {
    return action == saLButtonUp || action == saRButtonUp;
}
} // namespace

TExamplePlayer::TExamplePlayer(PlayerHost& host, QObject* parent)
    : QObject(parent), host_(host),
      device_(std::make_unique<QPointingDevice>(
          "Example player", 0x7, QInputDevice::DeviceType::Mouse,
          QPointingDevice::PointerType::Generic, QInputDevice::Capability::Position, 1, 2)),
      pointerWindow_(std::make_unique<TPlayerPointer>()) {
    beep = [] { QApplication::beep(); };
    applicationActive = [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; };
    askBreak = [this] {
        const TLanguage& language = host_.workspace().language();
        QMessageBox box(
            QMessageBox::Question, host_.workspace().applicationTitle(),
            formatText(language.Text("Common", common_text::BreakExample), {"\n", "\n"}),
            QMessageBox::NoButton, host_.mainWindow());
        box.setObjectName("BreakExampleForm");
        QPushButton* breakButton =
            box.addButton(language.Text("Common", common_text::Break), QMessageBox::AcceptRole);
        box.addButton(language.Text("Common", common_text::Continue), QMessageBox::RejectRole);
        box.exec();
        return box.clickedButton() == breakButton;
    };
    chooseLanguage = [this](const TShowList& example) {
        QStringList names;
        for (int index = 0; index < example.LanguageCount(); ++index) {
            names << example.Language(index);
        }
        return chooseExampleLanguage(host_.mainWindow(), host_.workspace().language(), names,
                                     std::max(0, example.CurrentLanguage()));
    };
    for (QTimer* timer : {&clickTimer_, &moveTimer_, &waitTimer_}) {
        timer->setSingleShot(true);
    }
    connect(&clickTimer_, &QTimer::timeout, this, &TExamplePlayer::clickTick);
    connect(&moveTimer_, &QTimer::timeout, this, &TExamplePlayer::moveTick);
    connect(&waitTimer_, &QTimer::timeout, this, [this] {
        if (note_) {
            note_->hide();
        }
        armClickTimer();
    });
}

TExamplePlayer::~TExamplePlayer() {
    if (running_) {
        qApp->removeEventFilter(this);
        restoreSnapshot();
    }
}

int TExamplePlayer::scaled(int milliseconds) const {
    return timeScale_ <= 0 ? 0 : std::max(1, int(std::lround(milliseconds * timeScale_)));
}

int TExamplePlayer::Speed() const {
    return std::clamp(int(host_.workspace().settings().local.Speed), minimumPlayerSpeed,
                      maximumPlayerSpeed);
}

void TExamplePlayer::SetSpeed(int speed) {
    host_.workspace().settings().local.Speed =
        std::clamp(speed, minimumPlayerSpeed, maximumPlayerSpeed);
}

int TExamplePlayer::GlideTicks() const {
    switch (Speed()) {
    case 1:
        return 3;
    case 2:
        return 2;
    default:
        return 1;
    }
}

int TExamplePlayer::GlideStep() const {
    return std::max(Speed(), 2);
}

QWidget* TExamplePlayer::PointerWindow() const {
    return pointerWindow_.get();
}

void TExamplePlayer::SetPointerPosition(QPoint global) {
    pointer_ = clampToScreen(global);
    QCursor::setPos(pointer_);
    pointerWindow_->move(pointer_);
    if (running_ && !pointerWindow_->isVisible()) {
        pointerWindow_->show();
    }
}

bool TExamplePlayer::StepTowards(QPoint target) {
    const QPoint d = target - pointer_;
    if (d.isNull()) {
        return false;
    }
    const double length = std::hypot(double(d.x()), double(d.y()));
    const double k = std::min(1.0, GlideStep() / length);
    SetPointerPosition(pointer_ + QPoint(int(std::lround(d.x() * k)), int(std::lround(d.y() * k))));
    return true;
}

bool TExamplePlayer::Start(bool startedFromMenu) {
    if (running_) {
        return false;
    }
    WorkspaceHost& workspace = host_.workspace();
    if (example_.HasSeveralLanguages()) {
        preselectProgramLanguage();
        const int language = chooseLanguage(example_);
        if (language < 0) {
            return false;
        }
        example_.SetCurrentLanguage(language);
    }
    QWidget* main = host_.mainWindow();
    const TShowHeader& header = example_.Header;
    if (!main->isMaximized() &&
        (main->width() < header.ScreenWidth || main->height() < header.ScreenHeight)) {
        if (!workspace.questionBox(common_text::WindowTooSmall)) {
            return false;
        }
        if (header.MainWindowState() == TShowWindowState::Maximised) {
            main->showMaximized();
        }
    }
    takeSnapshot();
    if (!applyStateBlock() || !host_.closeAllImages()) {
        restoreSnapshot();
        return false;
    }
    const QString name = example_.FileName().isEmpty() ? QStringLiteral("Untitled")
                                                       : QFileInfo(example_.FileName()).fileName();
    main->setWindowTitle(
        workspace.applicationTitle() +
        formatText(workspace.language().Text("Common", common_text::ExampleCaption), {name}));
    startedFromMenu_ = startedFromMenu;
    position_ = 0;
    buttons_ = {};
    running_ = true;
    playing_ = true;
    SetPointerPosition(QCursor::pos());
    qApp->installEventFilter(this);
    armClickTimer();
    return true;
}

// The language question offers the program's own language first, when the example has it.
void TExamplePlayer::preselectProgramLanguage() {
    WorkspaceHost& workspace = host_.workspace();
    const QString file =
        QDir(workspace.dataFolder()).filePath("Language/" + workspace.settings().languageFileName);
    const int index = example_.IndexOfLanguage(TLanguage::DisplayName(file));
    if (index >= 0) {
        example_.SetCurrentLanguage(index);
    }
}

void TExamplePlayer::takeSnapshot() {
    snapshot_ = std::make_unique<Snapshot>();
    snapshot_->settings = host_.workspace().settings();
    QWidget* main = host_.mainWindow();
    snapshot_->geometry = main->normalGeometry();
    snapshot_->maximised = main->isMaximized();
    snapshot_->collection = host_.collectionBytes();
    snapshot_->collectionModified = host_.collectionModified();
    snapshot_->gammas = host_.gammaBytes();
}

void TExamplePlayer::KeepExampleState() {
    snapshot_.reset();
}

void TExamplePlayer::restoreSnapshot() {
    if (!snapshot_) {
        return;
    }
    PersistedSettings& settings = host_.workspace().settings();
    const std::int32_t speed = settings.local.Speed; // the user's speed changes stay
    settings = snapshot_->settings;
    settings.local.Speed = speed;
    host_.applyConfig();
    QWidget* main = host_.mainWindow();
    settleLayouts();
    main->setWindowState(main->windowState() & ~Qt::WindowMaximized);
    main->setGeometry(snapshot_->geometry);
    if (snapshot_->maximised) {
        main->setWindowState(main->windowState() | Qt::WindowMaximized);
    }
    host_.setCollectionBytes(snapshot_->collection, snapshot_->collectionModified);
    host_.setGammaBytes(snapshot_->gammas);
    snapshot_.reset();
}

// The state block: the configuration block, the colour collection, the gamma window's state.
bool TExamplePlayer::applyStateBlock() {
    const QByteArray& block = example_.StateBlock;
    if (block.isEmpty()) {
        return true;
    }
    PersistedSettings& settings = host_.workspace().settings();
    if (!decodeConfigBlock(block, settings.config, settings.configExtra)) {
        return false;
    }
    host_.applyConfig();
    settleLayouts();
    placeWindow(*host_.mainWindow(), readWindowPlacement(settings.config));
    // A 32-bit length and "HMCONF", the 32-bit record size, the record.
    const int signatureEnd = 4 + 6;
    if (block.size() < signatureEnd + 4) {
        return false;
    }
    std::uint32_t recordSize = 0;
    std::memcpy(&recordSize, block.constData() + signatureEnd, sizeof recordSize);
    const qint64 collectionStart = qint64(signatureEnd) + 4 + recordSize;
    settings.paletteFileName.clear();
    QBuffer buffer;
    buffer.setData(block);
    buffer.open(QIODevice::ReadOnly);
    TPaletteList collection;
    qint64 collectionEnd = collectionStart;
    if (collectionStart <= block.size() && buffer.seek(collectionStart) &&
        collection.Load(buffer)) {
        collectionEnd = buffer.pos();
        host_.setCollectionBytes(block.mid(collectionStart, collectionEnd - collectionStart),
                                 false);
    } else {
        host_.setCollectionBytes({}, false);
    }
    if (collectionEnd < block.size()) {
        host_.setGammaBytes(block.mid(collectionEnd));
    }
    return true;
}

bool TExamplePlayer::guardsHold() const {
    return !host_.workspace().Busy() && playing_ && applicationActive();
}

void TExamplePlayer::armClickTimer() {
    if (running_) {
        clickTimer_.start(scaled(playerTick));
    }
}

void TExamplePlayer::clickTick() {
    if (!running_) {
        return;
    }
    if (!guardsHold()) {
        clickTimer_.start(scaled(playerTick)); // frozen while busy or asking, not ended
        return;
    }
    if (position_ >= example_.Count()) {
        playing_ = false;
        Stop(false, false);
        return;
    }
    const TShowItem& item = *example_.Items(position_);
    ++position_;
    runItem(item);
}

void TExamplePlayer::runItem(const TShowItem& item) {
    switch (item.Kind()) {
    case TShowKind::Command:
        runCommand(static_cast<const TShowCmd&>(item));
        return;
    case TShowKind::Note:
        showNote();
        return;
    case TShowKind::Delay:
        waitThenContinue(int(std::min<std::uint32_t>(
            static_cast<const TShowDelay&>(item).Milliseconds, 24u * 3600 * 1000)));
        return;
    case TShowKind::OpenFile:
        if (!host_.openPicture(static_cast<const TShowCmdOpenFile&>(item).Path)) {
            Stop(true, false);
            return;
        }
        armClickTimer();
        return;
    }
}

void TExamplePlayer::waitThenContinue(int milliseconds) {
    waitTimer_.start(scaled(milliseconds));
}

void TExamplePlayer::showNote() {
    const TNoteText note = example_.GetNote(position_ - 1);
    if (!note_) {
        note_ = std::make_unique<QLabel>(nullptr, Qt::ToolTip | Qt::WindowDoesNotAcceptFocus |
                                                      Qt::WindowTransparentForInput);
        note_->setObjectName("ExampleNote");
        note_->setAttribute(Qt::WA_ShowWithoutActivating);
        note_->setWordWrap(true);
        note_->setAutoFillBackground(true);
        note_->setForegroundRole(QPalette::ToolTipText);
        note_->setBackgroundRole(QPalette::ToolTipBase);
        note_->setMargin(3);
    }
    note_->setText(note.Text);
    note_->setMaximumWidth(noteMaximumWidth);
    note_->adjustSize();
    note_->move(pointer_ + QPoint(noteGap, 0));
    note_->show();
    waitThenContinue(int(note.Time));
}

void TExamplePlayer::runCommand(const TShowCmd& command) {
    scrollIntoView(command);
    const QPoint point = RestorePoint(command);
    if (command.Action == saMouseMove) {
        startGlide(point, false);
        return;
    }
    if (command.Action == saMoveWindow) {
        TfrmMDIChild* window = host_.workspace().activeImageWindow();
        if (window == nullptr) {
            armClickTimer();
            return;
        }
        dragOffset_ = pointer_ - window->mapToGlobal(QPoint(0, 0));
        startGlide(point, true);
        return;
    }
    SetPointerPosition(point);
    sendButtons(command.Action);
    armClickTimer();
}

void TExamplePlayer::scrollIntoView(const TShowCmd& command) {
    if (command.Action != saMouseMove || command.Target != snChildImage) {
        return;
    }
    TfrmMDIChild* window = imageWindowNumbered(host_.workspace(), command.Window);
    const auto commandAt = [this](int index) {
        return index < example_.Count() ? showItemAs<TShowCmd>(example_.Items(index)) : nullptr;
    };
    const TShowCmd* next = commandAt(position_);
    if (window == nullptr || next == nullptr) {
        return;
    }
    QRect wanted;
    if (isClick(next->Action)) {
        wanted = QRect(QPoint(next->X, next->Y), QSize(1, 1));
    } else if (const TShowCmd* release = commandAt(position_ + 3);
               isDown(next->Action) && release != nullptr && isUp(release->Action)) {
        wanted = QRect(QPoint(next->X, next->Y), QPoint(release->X, release->Y)).normalized();
    } else {
        return;
    }
    const QRect shown = window->clientToImage(window->View()->viewport()->rect());
    if (!shown.contains(wanted)) {
        window->CentreOn(wanted.center());
    }
}

void TExamplePlayer::startGlide(QPoint target, bool dragWindow) {
    moveTarget_ = target;
    dragWindow_ = dragWindow;
    moveTimer_.start(scaled(playerTick * GlideTicks()));
}

void TExamplePlayer::moveTick() {
    if (!running_) {
        return;
    }
    if (!guardsHold()) {
        moveTimer_.start(scaled(playerTick * GlideTicks())); // the glide goes on afterwards
        return;
    }
    if (!StepTowards(moveTarget_)) {
        armClickTimer();
        return;
    }
    if (dragWindow_) {
        if (TfrmMDIChild* window = host_.workspace().activeImageWindow()) {
            window->move(window->parentWidget()->mapFromGlobal(pointer_ - dragOffset_));
        }
    } else {
        postMouse(QEvent::MouseMove, Qt::NoButton);
    }
    moveTimer_.start(scaled(playerTick * GlideTicks()));
}

void TExamplePlayer::sendButtons(std::uint8_t action) {
    const Qt::MouseButton button = action >= saRButtonDown ? Qt::RightButton : Qt::LeftButton;
    switch (action) {
    case saLButtonDown:
    case saRButtonDown:
        postMouse(QEvent::MouseButtonPress, button);
        break;
    case saLButtonUp:
    case saRButtonUp:
        postMouse(QEvent::MouseButtonRelease, button);
        break;
    case saLButtonClick:
    case saRButtonClick:
        postMouse(QEvent::MouseButtonPress, button);
        postMouse(QEvent::MouseButtonRelease, button);
        break;
    case saLButtonDblClk:
    case saRButtonDblClk:
        postMouse(QEvent::MouseButtonPress, button);
        postMouse(QEvent::MouseButtonRelease, button);
        postMouse(QEvent::MouseButtonDblClick, button);
        postMouse(QEvent::MouseButtonRelease, button);
        break;
    default:
        break;
    }
}

QWindow* TExamplePlayer::windowAt(QPoint global) const {
    const auto holds = [&](QWidget* widget) {
        return widget != nullptr && widget->isVisible() && widget->frameGeometry().contains(global);
    };
    for (QWidget* first : {QApplication::activePopupWidget(), QApplication::activeModalWidget(),
                           QApplication::activeWindow()}) {
        if (holds(first)) {
            return first->windowHandle();
        }
    }
    if (QApplication::activeModalWidget() != nullptr) {
        return nullptr; // the other windows are blocked
    }
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top != pointerWindow_.get() && top != note_.get() && holds(top)) {
            return top->windowHandle();
        }
    }
    return nullptr;
}

void TExamplePlayer::postMouse(int type, Qt::MouseButton button) {
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        buttons_ |= button;
    } else if (type == QEvent::MouseButtonRelease) {
        buttons_ &= ~Qt::MouseButtons(button);
    }
    QWindow* window = windowAt(pointer_);
    if (window == nullptr) {
        return;
    }
    const QPointF local = window->mapFromGlobal(QPointF(pointer_));
    QCoreApplication::postEvent(window,
                                new QMouseEvent(QEvent::Type(type), local, local, QPointF(pointer_),
                                                button, buttons_, Qt::NoModifier, device_.get()));
}

bool TExamplePlayer::IsPlayerEvent(const QEvent& event) const {
    const auto* mouse = dynamic_cast<const QMouseEvent*>(&event);
    return mouse != nullptr && mouse->pointingDevice() == device_.get();
}

QPoint TExamplePlayer::RestorePoint(const TShowCmd& command) {
    const QPoint point = clampToScreen(unclampedPoint(command));
    if (command.Target != snRelative) {
        lastPoint_ = point;
    }
    return point;
}

QPoint TExamplePlayer::unclampedPoint(const TShowCmd& command) {
    const TShowHeader& header = example_.Header;
    int x = command.X;
    int y = command.Y;
    if (command.ScaleX != 0 && header.LayoutX > 0) {
        x = int(std::lround(double(x) * host_.exampleBaseLeft() / header.LayoutX));
    }
    if (command.ScaleY != 0 && header.LayoutY > 0) {
        y = int(std::lround(double(y) * host_.bottomPanelHeight() / header.LayoutY));
    }
    const QPoint offset(x, y);
    QWidget* main = host_.mainWindow();
    TfrmMDIChild* window = imageWindowNumbered(host_.workspace(), command.Window);
    switch (command.Target) {
    case snTopLeft:
        return main->mapToGlobal(QPoint(0, 0)) + offset;
    case snBottomLeft:
        return main->mapToGlobal(QPoint(0, main->height())) + offset;
    case snDialog: {
        QWidget* dialog = activeDialog(main);
        return (dialog != nullptr ? dialog->mapToGlobal(QPoint(0, 0)) : QPoint()) + offset;
    }
    case snChildImage:
        return window != nullptr
                   ? window->View()->viewport()->mapToGlobal(window->imageToClient(offset))
                   : offset;
    case snRelative:
        return lastPoint_ + offset;
    case snChildTopLeft:
        if (window == nullptr) {
            return offset;
        }
        return window->mapToGlobal(QPoint(0, 0)) +
               QPoint(window->width() < x ? window->width() / 2 : x, y);
    case snChildTopRight:
        return window != nullptr ? window->mapToGlobal(QPoint(window->width(), 0)) + offset
                                 : offset;
    case snPanorama: {
        auto* panorama = qobject_cast<TPanoramaForm*>(QApplication::activeModalWidget());
        if (panorama == nullptr) {
            return offset;
        }
        PanoramaLocation location;
        location.Zone = std::uint8_t(command.PanoramaZone());
        location.Zoom = command.PanoramaZoom();
        location.Point = QPoint(command.X, command.Y);
        location.XWindowRelative = command.ScaleX != 0;
        location.YWindowRelative = command.ScaleY != 0;
        return panorama->Restore(location);
    }
    default:
        break;
    }
    const QRect control = host_.controlCodes().screenRect(command.Target);
    if (command.Target <= snDarkContrastDialog) {
        return control.topLeft() + offset;
    }
    return control.center();
}

void TExamplePlayer::Stop(bool ask, bool byKey) {
    playing_ = false;
    if (ask && askBreak && !askBreak()) {
        playing_ = true;
        if (!moveTimer_.isActive() && !waitTimer_.isActive() && !clickTimer_.isActive()) {
            armClickTimer();
        }
        return;
    }
    end();
    restoreSnapshot();
    emit exampleEnded(byKey);
    if (!byKey && startedFromMenu_) {
        host_.workspace().informationBox(common_text::ExampleFinished);
    }
}

void TExamplePlayer::Abort() {
    end();
    emit exampleInterrupted();
    restoreSnapshot();
}

void TExamplePlayer::end() {
    playing_ = false;
    running_ = false;
    clickTimer_.stop();
    moveTimer_.stop();
    waitTimer_.stop();
    if (note_) {
        note_->hide();
    }
    pointerWindow_->hide();
    qApp->removeEventFilter(this);
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        if (buttons_.testFlag(button)) {
            postMouse(QEvent::MouseButtonRelease, button);
        }
    }
    host_.mainWindow()->setWindowTitle(host_.workspace().applicationTitle());
}

bool TExamplePlayer::filterKey(const QKeyEvent& key) {
    const bool shift = key.modifiers().testFlag(Qt::ShiftModifier);
    switch (key.key()) {
    case Qt::Key_Escape:
        if (shift) {
            Abort();
        } else {
            Stop(true, true);
        }
        return true;
    case Qt::Key_Cancel:
        Abort();
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int wanted = Speed() + (key.key() == Qt::Key_PageUp ? 1 : -1);
        if (wanted < minimumPlayerSpeed || wanted > maximumPlayerSpeed) {
            beep();
        } else {
            SetSpeed(wanted);
        }
        return true;
    }
    default:
        beep();
        return true;
    }
}

bool TExamplePlayer::eventFilter(QObject* watched, QEvent* event) {
    if (!playing_) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::KeyPress:
        // A key reaches the application filter once per object it is sent to; the window's
        // handle sees it first.
        if (qobject_cast<QWindow*>(watched) != nullptr || !watched->isWidgetType()) {
            return filterKey(static_cast<QKeyEvent&>(*event));
        }
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
        if (IsPlayerEvent(*event)) {
            return false;
        }
        if (event->type() == QEvent::MouseButtonPress &&
            qobject_cast<QWindow*>(watched) != nullptr) {
            beep();
        }
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}
