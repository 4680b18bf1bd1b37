// A window placement that came from an example is only a wish: the example may have been
// recorded on a larger screen, or its file damaged. The player puts windows where such a
// placement says only after keeping it on the screen it plays on.
#pragma once

#include <QRect>

#include <cstdint>

// A window's rectangle as stored: its edges, right and bottom exclusive.
struct TWindowEdges {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
};

// The placement shrunk where it is larger than `screen` and moved so that it lies wholly on
// it; a placement without area takes the whole screen. An empty screen is returned as it is.
QRect placementOnScreen(const TWindowEdges& placement, const QRect& screen);
