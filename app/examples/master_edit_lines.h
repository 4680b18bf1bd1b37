// How the example editor lists an example: one line per item.
#pragma once

#include <QString>

class TShowList;

// The line of item `index`: a mouse command with its action, target and point, a note with its
// time and text in the current language, a delay, or the picture an item opens. Empty for an
// index outside the list.
QString showItemLine(const TShowList& example, int index);
