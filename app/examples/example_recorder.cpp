#include "example_recorder.h"

#include "example_locate.h"
#include "example_player.h"
#include "image_window.h"
#include "player_host.h"
#include "settings_records.h"
#include "show_codes.h"
#include "show_list.h"
#include "text_table.h"
#include "window_placement.h"
#include "workspace_host.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>

namespace {
std::uint8_t pressAction(const QMouseEvent& event) {
    const bool right = event.button() == Qt::RightButton;
    if (event.type() == QEvent::MouseButtonDblClick) {
        return right ? saRButtonDblClk : saLButtonDblClk;
    }
    return right ? saRButtonDown : saLButtonDown;
}

bool isMenuTitle(std::uint8_t target) {
    return target >= snMenuFile && target <= snMenuHelp;
}

bool samePlace(const TShowCmd& a, const TShowCmd& b) {
    return a.Target == b.Target && a.X == b.X && a.Y == b.Y && a.Window == b.Window;
}

TShowWindowState windowState(const QWidget& window) {
    if (window.isMaximized()) {
        return TShowWindowState::Maximised;
    }
    return window.isMinimized() ? TShowWindowState::Minimised : TShowWindowState::Normal;
}

// An image window's own frame and title bar, not the picture inside it.
bool isImageWindowFrame(const QWidget* receiver) {
    return qobject_cast<const TfrmMDIChild*>(receiver) != nullptr;
}
} // namespace

TExampleRecorder::TExampleRecorder(PlayerHost& host, TExamplePlayer& player, QObject* parent)
    : QObject(parent), host_(host), player_(player) {
    qApp->installEventFilter(this);
}

TExampleRecorder::~TExampleRecorder() {
    qApp->removeEventFilter(this);
}

TShowList& TExampleRecorder::Example() const {
    return player_.Example();
}

bool TExampleRecorder::Record() {
    if (!host_.closeAllImages()) {
        host_.workspace().warningBox(common_text::CloseWindowsForRecording);
        return false;
    }
    TShowList& example = Example();
    example.Clear();
    example.ForgetFileName();
    captureState();
    countBeforePress_ = -1;
    dragPending_ = false;
    recording_ = true;
    paused_ = false;
    SetModified(false);
    return true;
}

// The screen and layout the rescaled points refer to, and the state playing starts from: the
// configuration with the window's placement now, the colour collection and the gamma list.
void TExampleRecorder::captureState() {
    TShowList& example = Example();
    QWidget* main = host_.mainWindow();
    const QScreen* screen = main->screen();
    TShowHeader& header = example.Header;
    header.Version = TShowHeader::currentVersion;
    header.ScreenWidth = screen != nullptr ? screen->geometry().width() : 0;
    header.ScreenHeight = screen != nullptr ? screen->geometry().height() : 0;
    header.LayoutX = host_.exampleBaseLeft();
    header.LayoutY = host_.bottomPanelHeight();
    header.WindowState = std::uint8_t(windowState(*main));
    const PersistedSettings& settings = host_.workspace().settings();
    TConfigSettings config = settings.config;
    writeWindowPlacement(config, main->normalGeometry(), main->isMaximized());
    example.StateBlock = encodeConfigBlock(config, settings.configExtra) + host_.collectionBytes() +
                         host_.gammaBytes();
}

void TExampleRecorder::Continue() {
    recording_ = true;
    paused_ = false;
    emit changed();
}

void TExampleRecorder::Stop() {
    recording_ = false;
    paused_ = false;
    dragPending_ = false;
    emit changed();
}

void TExampleRecorder::Pause() {
    if (recording_) {
        recording_ = false;
        paused_ = true;
    }
}

void TExampleRecorder::Resume() {
    if (paused_) {
        paused_ = false;
        recording_ = true;
    }
}

void TExampleRecorder::resume() {
    suspended_ = std::max(0, suspended_ - 1);
}

void TExampleRecorder::SetModified(bool modified) {
    modified_ = modified;
    emit changed();
}

void TExampleRecorder::touched() {
    modified_ = true;
    emit changed();
}

bool TExampleRecorder::listening() const {
    return recording_ && suspended_ == 0 && !host_.workspace().Busy() && !player_.Running();
}

TShowCmd* TExampleRecorder::lastCommand() const {
    const TShowList& example = Example();
    return example.Count() > 0 ? showItemAs<TShowCmd>(example.Items(example.Count() - 1)) : nullptr;
}

TShowCmd TExampleRecorder::locate(QWidget* receiver, QPoint global, bool leftPress) const {
    LocateRequest request;
    request.global = global;
    request.receiver = receiver;
    request.leftPress = leftPress;
    return LocatePoint(host_, request);
}

TShowCmd TExampleRecorder::locatePreset(std::uint8_t target, QPoint global) const {
    LocateRequest request;
    request.global = global;
    request.presetTarget = target;
    if (target == snRelative) {
        // The point the player restores for the nearest earlier command that is not relative.
        const TShowList& example = Example();
        for (int index = example.Count() - 1; index >= 0; --index) {
            const TShowCmd* command = showItemAs<TShowCmd>(example.Items(index));
            if (command != nullptr && command->Target != snRelative) {
                request.previous = player_.RestorePoint(*command);
                break;
            }
        }
    }
    return LocatePoint(host_, request);
}

void TExampleRecorder::addCommand(const TShowCmd& at, std::uint8_t action) {
    TShowCmd command = at;
    command.Action = action;
    Example().AddCommand(command);
}

void TExampleRecorder::addDelay() {
    Example().AddDelay(stepDelay);
}

// "move" then the action at the same place, and the delay after a click.
void TExampleRecorder::addMoveAnd(const TShowCmd& at, int action, bool delay) {
    addCommand(at, saMouseMove);
    if (action >= 0) {
        addCommand(at, std::uint8_t(action));
    }
    if (delay) {
        addDelay();
    }
    touched();
}

bool TExampleRecorder::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        if (watched->isWidgetType() && listening()) {
            auto* receiver = static_cast<QWidget*>(watched);
            const auto& mouse = static_cast<const QMouseEvent&>(*event);
            if (!player_.IsPlayerEvent(mouse) && !seenBefore(receiver, mouse)) {
                mouseEvent(receiver, mouse);
            }
        }
        break;
    case QEvent::KeyPress:
        // Escape ends recording, unless it closes a dialog or a menu the author works in.
        if (recording_ && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
            QApplication::activeModalWidget() == nullptr &&
            QApplication::activePopupWidget() == nullptr) {
            Stop();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

// The same event passed on to a parent of the widget that had it first.
bool TExampleRecorder::seenBefore(QWidget* receiver, const QMouseEvent& event) {
    const QPoint global = event.globalPosition().toPoint();
    if (event.type() == lastType_ && event.timestamp() == lastTimestamp_ && global == lastGlobal_ &&
        lastReceiver_ != nullptr && receiver->isAncestorOf(lastReceiver_)) {
        return true;
    }
    lastReceiver_ = receiver;
    lastType_ = event.type();
    lastTimestamp_ = event.timestamp();
    lastGlobal_ = global;
    return false;
}

void TExampleRecorder::mouseEvent(QWidget* receiver, const QMouseEvent& event) {
    const QPoint global = event.globalPosition().toPoint();
    pointer_ = global;
    if (ownWindow_ != nullptr && receiver->window() == ownWindow_) {
        return;
    }
    if (qobject_cast<QMenu*>(receiver->window()) != nullptr) {
        // Inside a menu: its commands record themselves.
        if (event.type() == QEvent::MouseButtonRelease) {
            mergeReleaseIntoPopupPress(event);
        }
        return;
    }
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (event.button() == Qt::LeftButton || event.button() == Qt::RightButton) {
            recordPress(receiver, event);
        }
        return;
    case QEvent::MouseButtonRelease:
        if (event.button() == Qt::LeftButton || event.button() == Qt::RightButton) {
            recordRelease(receiver, event);
        }
        return;
    default:
        recordMissedRelease(receiver, event);
        return;
    }
}

void TExampleRecorder::recordPress(QWidget* receiver, const QMouseEvent& event) {
    const QPoint global = event.globalPosition().toPoint();
    const bool left = event.button() == Qt::LeftButton;
    const bool press = event.type() == QEvent::MouseButtonPress;
    TShowList& example = Example();
    countBeforePress_ = example.Count();
    pressGlobal_ = global;
    pressReceiver_ = receiver;
    dragPending_ = false;
    releaseRecorded_ = false;
    const TShowCmd at = locate(receiver, global, left && press);
    if (!press) {
        // A double-click follows the click it began with: the two become one double-click.
        const int clickStart = example.Count() - 3;
        const TShowCmd* click =
            clickStart >= 0 ? showItemAs<TShowCmd>(example.Items(clickStart + 1)) : nullptr;
        if (click != nullptr && samePlace(*click, at) &&
            (click->Action == saLButtonClick || click->Action == saRButtonClick)) {
            example.TrimTo(clickStart);
            countBeforePress_ = clickStart;
        }
        addMoveAnd(at, pressAction(event), false);
        return;
    }
    if (left && qobject_cast<QMenuBar*>(receiver) != nullptr &&
        receiver->window() == host_.mainWindow()) {
        addMoveAnd(at, saLButtonDown, true); // a menu title: the menu opens on the press
        return;
    }
    if (left && isImageWindowFrame(receiver) && at.Target != snChildImage) {
        if (at.Target == snChildTopRight) {
            addMoveAnd(at, saLButtonClick, true); // minimise, maximise, close
            releaseRecorded_ = true;
        } else {
            addMoveAnd(at, -1, false);
            dragPending_ = true;
        }
        return;
    }
    addMoveAnd(at, pressAction(event), false);
}

void TExampleRecorder::recordRelease(QWidget* receiver, const QMouseEvent& event) {
    const QPoint global = event.globalPosition().toPoint();
    const bool right = event.button() == Qt::RightButton;
    if (dragPending_ && !right) {
        dragPending_ = false;
        addCommand(locatePreset(snTopLeft, global), saMoveWindow);
        touched();
        return;
    }
    if (releaseRecorded_) {
        releaseRecorded_ = false;
        return;
    }
    QWidget* target = pressReceiver_ != nullptr ? pressReceiver_.data() : receiver;
    const TShowCmd at = locate(target, global, false);
    TShowCmd* last = lastCommand();
    const std::uint8_t down = right ? saRButtonDown : saLButtonDown;
    const std::uint8_t doubleClick = right ? saRButtonDblClk : saLButtonDblClk;
    if (last != nullptr && samePlace(*last, at) && last->Action == down) {
        last->Action = right ? saRButtonClick : saLButtonClick;
        const bool clientRightClick = right && !isImageWindowFrame(target);
        if (!clientRightClick) {
            addDelay();
        }
        touched();
        return;
    }
    if (last != nullptr && samePlace(*last, at) && last->Action == doubleClick) {
        addDelay();
        touched();
        return;
    }
    addMoveAnd(at, right ? saRButtonUp : saLButtonUp, true);
}

// A right press opens its pop-up at once; the release then goes to the pop-up. Released where it
// was pressed, the two are one right click.
void TExampleRecorder::mergeReleaseIntoPopupPress(const QMouseEvent& event) {
    TShowCmd* last = lastCommand();
    if (event.button() == Qt::RightButton && last != nullptr && last->Action == saRButtonDown &&
        event.globalPosition().toPoint() == pressGlobal_) {
        last->Action = saRButtonClick;
        touched();
    }
}

// A left press whose release the filter never saw (it went to a window that opened meanwhile):
// the release is recorded where the pointer moves next. Menu titles are left alone, their
// release belongs to the menu.
void TExampleRecorder::recordMissedRelease(QWidget* receiver, const QMouseEvent& event) {
    const TShowCmd* last = lastCommand();
    if (event.buttons().testFlag(Qt::LeftButton) || last == nullptr ||
        last->Action != saLButtonDown || isMenuTitle(last->Target)) {
        return;
    }
    addMoveAnd(locate(receiver, event.globalPosition().toPoint(), false), saLButtonUp, true);
}

void TExampleRecorder::recordMenuCommand(int code) {
    if (!listening()) {
        return;
    }
    TShowCmd at = locatePreset(snTopLeft, pointer_);
    at.Target = std::uint8_t(code);
    at.X = 0;
    at.Y = 0;
    addCommand(at, saMouseMove);
    addDelay();
    addCommand(at, saLButtonClick);
    addDelay();
    touched();
}

void TExampleRecorder::recordPanoramaCommand() {
    recordMenuCommand(snMenuImagePanorama);
}

void TExampleRecorder::recordOperationCommand(int operation) {
    recordMenuCommand(snMenuOperationImageCorrection + std::clamp(operation, 0, 5));
}

void TExampleRecorder::recordPopupCommand() {
    if (listening()) {
        addMoveAnd(locatePreset(snRelative, pointer_), saLButtonClick, true);
    }
}

// Only a click on the Open button or in the File menu invoked the command; a shortcut leaves
// the recording as it is.
void TExampleRecorder::takeBackInvokingClick() {
    if (!listening() || countBeforePress_ < 0 || countBeforePress_ >= Example().Count()) {
        return;
    }
    const TShowCmd* first = showItemAs<TShowCmd>(Example().Items(countBeforePress_));
    if (first != nullptr && (first->Target == snOpen || first->Target == snMenuFile)) {
        Example().TrimTo(countBeforePress_);
        countBeforePress_ = -1;
        touched();
    }
}

void TExampleRecorder::recordOpenFile(const QString& path) {
    if (listening()) {
        Example().AddOpenFile(path);
        touched();
    }
}
