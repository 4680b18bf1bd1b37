// Small pieces the example windows (Example Master, the editor, the translation window) share.
#pragma once

#include <QString>

#include <cstdint>
#include <initializer_list>

class QHBoxLayout;
class QPushButton;
class QWidget;

// A named push button that is never the dialog's default: Enter commits the number typed into
// a field and must not press a button.
QPushButton* newButton(const char* name, const QString& caption, QWidget* parent);
// The widgets side by side.
QHBoxLayout* inRow(std::initializer_list<QWidget*> widgets);
// A stored display time for the number fields (which hold ints).
int shownMilliseconds(std::uint32_t milliseconds);
// The name a Save as dialog gave, with ".shw" added when it has no extension.
QString withExampleSuffix(const QString& path);
