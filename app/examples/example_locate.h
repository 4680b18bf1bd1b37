// Where a screen point lies, for the example recorder: the target a command names and the
// point relative to it, the inverse of the player's RestorePoint. The first rule that applies
// wins: the gamma list and the two point pickers, the panorama window, the open modal dialog,
// the active image window (its picture in image pixels, its frame and title bar), the named
// controls of the main window in code order, its menu titles, and else the main window's
// top-left or, below its client area, bottom-left corner.
#pragma once

#include "show_items.h"

#include <QPoint>

class PlayerHost;
class QWidget;

struct LocateRequest {
    QPoint global;
    // The widget the mouse event went to; null for a point without an event (a request).
    QWidget* receiver = nullptr;
    // A left press: on an image window's title bar buttons it names the top-right corner.
    bool leftPress = false;
    // Skips the rules and takes the main window's top-left corner (snTopLeft) or the previous
    // command (snRelative, with `previous` its screen point).
    std::uint8_t presetTarget = 0;
    QPoint previous;
};

// The command's Target, X, Y, scale flags, image window and panorama data; its Action is left
// for the caller.
TShowCmd LocatePoint(PlayerHost& host, const LocateRequest& request);

// True when `global` lies on one of the buttons of an image window's title bar (minimise,
// maximise or restore, close).
bool onTitleBarButton(const QWidget& subWindow, QPoint global);
