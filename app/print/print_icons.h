// The tool bar's print buttons, drawn by the program like its other tool icons: a printer with
// a sheet, and with a second sheet behind it for all pictures.
#pragma once

#include <QIcon>

QIcon printIcon(bool allPictures);
