// Reading an example file (layout in show_format.h). Every count and length is checked against
// the bytes the stream still holds before anything is allocated for it.
#pragma once

#include "show_header.h"
#include "show_items.h"

#include <QByteArrayList>
#include <QIODevice>
#include <QString>

#include <cstdint>
#include <memory>

// Why a load failed; the program reports NotAnExample, UnknownVersion and Damaged with the
// messages of example_messages.h.
enum class TShowLoadResult : std::uint8_t {
    Loaded,
    CannotOpen,
    NotAnExample,
    UnknownVersion,
    Damaged,
};

// What reading the items needs to know beyond the stream.
struct TShowItemReading {
    QString pictureFolder;  // put in front of the name of each picture to open
    int languageCount = 0;  // every note gets exactly this many entries
    qint64 paddingLeft = 0; // entries that may still be added to notes that lack them
};

// The signature, the header and the language names.
TShowLoadResult readShowPreamble(QIODevice& stream, TShowHeader& header, QByteArrayList& languages);
bool readShowStateBlock(QIODevice& stream, QByteArray& stateBlock);
// The next item, or null when the stream ends inside it or holds an unknown kind.
std::unique_ptr<TShowItem> readShowItem(QIODevice& stream, TShowItemReading& reading);
