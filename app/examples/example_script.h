// Examples written as scripts: readable steps in terms of the main window's controls and menus,
// points of the pictures and notes in each language, compiled into an example file. The
// built-in examples are made this way (tools/example-scripts, tools/compile-example), so they
// can be read, reviewed and made again.
//
// One step per line; blank lines and lines starting with "#" are skipped:
//   title <text>                       the title the player's list shows
//   language <name>                    a language of the notes, in order
//   setting <field> <number>           the configuration playing starts from: Operation, Auto,
//                                      ColourMode, LayerRange, FilterRange, FilterPasses,
//                                      CreateNewWindow
//   collection <file>                  the colour collection it starts with (a file of the
//                                      "Collection" data folder)
//   open <picture>                     a picture beside the example
//   note <milliseconds>                a note, followed by one "  <language>: <text>" line per
//                                      language in the order of the languages
//   pause <milliseconds>
//   click|rightclick|doubleclick <target> [<x> <y>]
//                                      a control or menu by its code name (snRefWhite,
//                                      snMenuOperation, snMenuOperationColorFilter...), at a
//                                      point inside it (8, 8 unless given)
//   click|rightclick|doubleclick image <window> <x> <y>
//                                      a point of the picture in image window <window> (the
//                                      first picture opened is 0)
//   click dialog <x> <y>               a point of the open dialog
//   click panorama <zone> <zoom> <x> <y>
//                                      a point of the panorama window, as it locates points
//   drag image <window> <x1> <y1> <x2> <y2>
//   drag panorama <zone> <zoom> <x1> <y1> <x2> <y2>
//                                      press at the first point and release at the second
// Every command glides the pointer to its point first. Points are never rescaled: the targets
// themselves follow the window's layout, so examples play at any window size.
#pragma once

#include "settings_records.h"
#include "show_list.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

struct ExampleStep {
    enum class Kind { Open, Note, Pause, Click, Drag };

    Kind kind = Kind::Pause;
    std::uint8_t action = 0; // a click's action: saLButtonClick, saRButtonClick, saLButtonDblClk
    std::uint8_t target = 0;
    int window = -1;
    QPoint point; // a click's point, a drag's start
    QPoint to;    // a drag's end
    int panoramaZone = 0;
    int panoramaZoom = 1;
    std::uint32_t milliseconds = 0;
    QString file;
    QStringList texts; // a note's text per language
};

struct ExampleScript {
    QString title;
    QStringList languages;
    TConfigSettings config = defaultConfigSettings();
    QString collectionFile;
    std::vector<ExampleStep> steps;
};

// The script, or none with `error` naming the line and what is wrong with it.
std::optional<ExampleScript> parseExampleScript(const QString& text, QString& error);

// The example the script describes, with `collection` (the bytes of its collection file) and
// the default gamma list in its state block. The pictures are named without folders.
void compileExampleScript(const ExampleScript& script, const QByteArray& collection,
                          TShowList& example);
