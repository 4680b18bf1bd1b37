// Writing an example file (layout in show_format.h).
#pragma once

#include "show_header.h"
#include "show_items.h"

#include <QByteArrayList>
#include <QIODevice>

// The signature, the header with the current version and the language names.
bool writeShowPreamble(QIODevice& stream, const TShowHeader& header,
                       const QByteArrayList& languages);
bool writeShowStateBlock(QIODevice& stream, const QByteArray& stateBlock);
// A note is written with exactly `languageCount` entries (missing ones empty), so that the file
// is whole even if the note was built by hand; an open-file item with its picture's bare name.
bool writeShowItem(QIODevice& stream, const TShowItem& item, int languageCount);
