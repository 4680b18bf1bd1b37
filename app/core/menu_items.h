// Menu items of the main window, named as the commands they run, with their text from the
// language section "Main Menu".
#pragma once

class QAction;
class QMenu;
class TLanguage;

// Adds an item named `name` with text `position` of "Main Menu" to `menu`.
QAction* addMainMenuItem(QMenu* menu, const TLanguage& language, const char* name, int position);
