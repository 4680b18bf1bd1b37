// Texts of the program's files (colour names of collections; language names, notes, titles and
// picture names of examples) are kept as the 8-bit bytes the file holds, so that a file keeps
// its bytes through loading and saving. They show as UTF-8 when they are valid UTF-8, else as
// Latin-1 (older files); new texts are stored as UTF-8.
#pragma once

#include <QByteArray>
#include <QString>

QString displayTextOf(const QByteArray& stored);
QByteArray storedTextOf(const QString& text);
