// Menu items of the main window, named as the commands they run, with their text from the
// language section "Main Menu".
#pragma once

#include <QKeySequence>
#include <QList>
#include <QPointer>
#include <QRect>

#include <array>

class QAction;
class QMenu;
class QObject;
class TLanguage;

// The stable control codes of the main window: code 9 to 50 names a control, 51 to 57 a menu
// title, 58 to 64 a menu command (the codes of show_codes.h). The table is filled where the
// menus and tool bars are built, so the example player and the recorder map codes to the same
// widgets and actions.
class TControlCodes {
public:
    static constexpr int firstCode = 9;
    static constexpr int lastCode = 64;

    // Keeps `object` (an action, a menu or a widget) under `code`; a code outside 9..64 or one
    // taken already is a programming error.
    void add(int code, QObject* object);
    QObject* object(int code) const;
    // -1 for an object without a code.
    int codeOf(const QObject* object) const;
    // Where the control is on the screen now: a widget's rectangle, a tool bar action's button,
    // a menu's title in the menu bar, a menu command's row below its menu's title (measured from
    // the title's left edge when the menu is closed). Empty for an unknown or hidden control.
    QRect screenRect(int code) const;

private:
    std::array<QPointer<QObject>, lastCode + 1> objects_{};
};

// `keys` with each key once, in their order: a key an action holds twice is ambiguous, and
// then it does nothing (the desktop's standard keys may repeat one given besides them).
QList<QKeySequence> eachKeyOnce(const QList<QKeySequence>& keys);

// Adds an item named `name` with text `position` of "Main Menu" to `menu`.
QAction* addMainMenuItem(QMenu* menu, const TLanguage& language, const char* name, int position);

// The same, and kept in `codes` under `code`.
QAction* addMainMenuItem(QMenu* menu, const TLanguage& language, const char* name, int position,
                         TControlCodes& codes, int code);
