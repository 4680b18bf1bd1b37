#include "example_locate.h"

#include "image_window.h"
#include "menu_items.h"
#include "panorama_form.h"
#include "player_host.h"
#include "show_codes.h"
#include "workspace_host.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOptionTitleBar>

namespace {
TfrmMDIChild* imageWindowOf(QWidget* widget) {
    for (; widget != nullptr; widget = widget->parentWidget()) {
        if (auto* window = qobject_cast<TfrmMDIChild*>(widget)) {
            return window;
        }
    }
    return nullptr;
}

void setOffset(TShowCmd& command, QPoint offset) {
    command.X = offset.x();
    command.Y = offset.y();
}

// The gamma list and the point pickers are tool windows of their own.
bool locateOnPopup(PlayerHost& host, const LocateRequest& request, TShowCmd& command) {
    for (const int code :
         {int(snGammaDialog), int(snLightContrastDialog), int(snDarkContrastDialog)}) {
        const auto* popup = qobject_cast<const QWidget*>(host.controlCodes().object(code));
        if (popup != nullptr && popup->isVisible() &&
            popup->frameGeometry().contains(request.global)) {
            command.Target = std::uint8_t(code);
            setOffset(command, request.global - popup->mapToGlobal(QPoint(0, 0)));
            return true;
        }
    }
    return false;
}

bool locateOnPanorama(const LocateRequest& request, TShowCmd& command) {
    auto* panorama = qobject_cast<TPanoramaForm*>(QApplication::activeModalWidget());
    if (panorama == nullptr) {
        return false;
    }
    const PanoramaLocation location = panorama->Locate(request.global);
    command.Target = snPanorama;
    setOffset(command, location.Point);
    command.ScaleX = location.XWindowRelative ? 1 : 0;
    command.ScaleY = location.YWindowRelative ? 1 : 0;
    command.SetPanorama(location.Zone, location.Zoom);
    return true;
}

// Only the modal dialog the user works in counts as a dialog.
bool locateOnDialog(PlayerHost& host, const LocateRequest& request, TShowCmd& command) {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr || dialog == host.mainWindow()) {
        return false;
    }
    command.Target = snDialog;
    setOffset(command, request.global - dialog->mapToGlobal(QPoint(0, 0)));
    return true;
}

bool locateOnImageWindow(PlayerHost& host, const LocateRequest& request, TShowCmd& command) {
    TfrmMDIChild* window = imageWindowOf(request.receiver);
    if (window == nullptr || window != host.workspace().activeImageWindow()) {
        return false;
    }
    QWidget* viewport = window->View()->viewport();
    if (viewport == request.receiver || viewport->isAncestorOf(request.receiver)) {
        command.Target = snChildImage;
        setOffset(command, window->clientToImage(viewport->mapFromGlobal(request.global)));
        command.ScaleX = 0;
        command.ScaleY = 0;
    } else if (request.leftPress && onTitleBarButton(*window, request.global)) {
        command.Target = snChildTopRight;
        setOffset(command, request.global - window->mapToGlobal(QPoint(window->width(), 0)));
    } else {
        command.Target = snChildTopLeft;
        setOffset(command, request.global - window->mapToGlobal(QPoint(0, 0)));
    }
    return true;
}

// The named controls, then the menu titles.
bool locateOnControl(PlayerHost& host, const LocateRequest& request, TShowCmd& command) {
    for (int code = snOpen; code <= snMenuHelp; ++code) {
        if (code >= snGammaDialog && code <= snDarkContrastDialog) {
            continue;
        }
        const QRect rect = host.controlCodes().screenRect(code);
        if (rect.contains(request.global)) {
            command.Target = std::uint8_t(code);
            setOffset(command, request.global - rect.topLeft());
            return true;
        }
    }
    return false;
}

void locateOnMainWindow(PlayerHost& host, const LocateRequest& request, TShowCmd& command) {
    QWidget* main = host.mainWindow();
    const QPoint bottomLeft = main->mapToGlobal(QPoint(0, main->height()));
    if (request.global.y() < bottomLeft.y()) {
        command.Target = snTopLeft;
        setOffset(command, request.global - main->mapToGlobal(QPoint(0, 0)));
    } else {
        command.Target = snBottomLeft;
        setOffset(command, request.global - bottomLeft);
    }
}
} // namespace

bool onTitleBarButton(const QWidget& subWindow, QPoint global) {
    QStyleOptionTitleBar option;
    option.initFrom(&subWindow);
    option.titleBarFlags = subWindow.windowFlags();
    option.titleBarState = int(subWindow.windowState());
    option.subControls = QStyle::SC_All;
    QStyle* style = subWindow.style();
    const int height = style->pixelMetric(QStyle::PM_TitleBarHeight, &option, &subWindow);
    option.rect = QRect(0, 0, subWindow.width(), height);
    const QStyle::SubControl hit = style->hitTestComplexControl(
        QStyle::CC_TitleBar, &option, subWindow.mapFromGlobal(global), &subWindow);
    return hit == QStyle::SC_TitleBarCloseButton || hit == QStyle::SC_TitleBarMaxButton ||
           hit == QStyle::SC_TitleBarMinButton || hit == QStyle::SC_TitleBarNormalButton;
}

TShowCmd LocatePoint(PlayerHost& host, const LocateRequest& request) {
    TShowCmd command;
    command.ScaleX = 1;
    command.ScaleY = 1;
    const TfrmMDIChild* active = host.workspace().activeImageWindow();
    command.Window = active != nullptr ? active->WindowNumber() : -1;
    if (request.presetTarget == snRelative) {
        command.Target = snRelative;
        setOffset(command, request.global - request.previous);
        return command;
    }
    if (request.presetTarget == snTopLeft) {
        command.Target = snTopLeft;
        setOffset(command, request.global - host.mainWindow()->mapToGlobal(QPoint(0, 0)));
        return command;
    }
    if (locateOnPopup(host, request, command) || locateOnPanorama(request, command) ||
        locateOnDialog(host, request, command) || locateOnImageWindow(host, request, command) ||
        locateOnControl(host, request, command)) {
        return command;
    }
    locateOnMainWindow(host, request, command);
    return command;
}
