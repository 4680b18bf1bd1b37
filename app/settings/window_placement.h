// The main window's placement as the configuration record keeps it: the 44-byte placement
// record of the program's original platform (length, flags, show state, minimised and
// maximised positions, then the normal rectangle as left, top, right, bottom). A stored
// placement is only a wish: it may come from a larger screen, another machine or a damaged
// example file, so the window goes where it says only after it was kept on the screen.
#pragma once

#include "settings_records.h"

#include <QRect>

#include <cstdint>

class QWidget;

// A window's rectangle as stored: its edges, right and bottom exclusive.
struct TWindowEdges {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
};

struct TWindowPlacement {
    bool Stored = false; // the record's length field is right
    bool Maximised = false;
    TWindowEdges Normal;
};

TWindowPlacement readWindowPlacement(const TConfigSettings& config);
void writeWindowPlacement(TConfigSettings& config, const QRect& normal, bool maximised);

// The placement shrunk where it is larger than `screen` and moved so that it lies wholly on
// it; a placement without area takes the whole screen. An empty screen is returned as it is.
QRect placementOnScreen(const TWindowEdges& placement, const QRect& screen);

// Puts `window` where the placement says, kept on the window's screen, maximised when it was.
// A placement that holds no usable rectangle (none stored, or smaller than 200 by 150) leaves
// the window as it is and gives false.
bool placeWindow(QWidget& window, const TWindowPlacement& placement);
