// Which language and help file the program starts with: the user's stored choice, else the
// files of the desktop's language. A chosen file that is not installed falls back to English,
// so a desktop in a language without a translation still gets a working program.
#pragma once

#include <QLocale>
#include <QString>

struct PersistedSettings;

// The full path of the language file to load from `dataFolder`/Language. When the chosen file
// does not exist, English is used and remembered in `settings`; so is the English help file
// when the chosen help file does not exist either.
QString startLanguagePath(PersistedSettings& settings, const QString& dataFolder,
                          const QLocale& locale = QLocale::system());
