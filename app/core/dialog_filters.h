// File dialog filters from the language file's filter texts.
#pragma once

#include <QString>
#include <QStringList>

// A filter of the language file ("Description|*.a;*.b|...") as Qt file dialog filters, with
// the other extensions of a picture format beside its usual one ("*.jpeg" and "*.jpe" with
// "*.jpg", "*.tiff" with "*.tif") and upper-case patterns added, so that "PHOTO.JPEG" is
// listed too.
QStringList dialogFilters(const QString& windowsFilter);
