// The pointer shapes of the image windows' tools, drawn by the program itself: a cross with
// the reference kind's letter, magnifiers, the eyedropper, the crop frame and the hatch areas,
// and the panorama window's hand and frames.
// The same drawings serve as the tool buttons' icons.
#pragma once

#include <QCursor>
#include <QIcon>

// The cursor of tool mode 0 to 15 (the standard arrow for 0).
QCursor toolCursor(int mode);
// The cursor over a part of the crop frame (grab codes 0 to 9).
QCursor cropCursor(int grabCode);
// The cursor's picture as an icon, for the tool's button.
QIcon toolIcon(int mode);
// The cursors of the panorama window's tools 1 to 5: zoom in, zoom out, the hand, the frame of
// one picture and the frame of all (the standard arrow for 0); and their button icons.
QCursor panoramaCursor(int tool);
QIcon panoramaIcon(int tool);
