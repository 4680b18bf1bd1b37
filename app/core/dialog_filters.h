// File dialog filters from the language file's filter texts.
#pragma once

#include <QString>
#include <QStringList>

// A filter of the language file ("Description|*.a;*.b|...") as Qt file dialog filters, with
// upper-case patterns added so that "PHOTO.JPG" is listed too.
QStringList dialogFilters(const QString& windowsFilter);
