#include "language_choice.h"

#include "language.h"
#include "settings_records.h"

#include <QFileInfo>

namespace {
const QString englishLanguage = "English.ini";
const QString englishHelp = "English.hlp";

QString chosen(const QString& stored, const QString& byLocale) {
    return stored.isEmpty() ? byLocale : stored;
}
} // namespace

QString startLanguagePath(PersistedSettings& settings, const QString& dataFolder,
                          const QLocale& locale) {
    const QString languageFolder = dataFolder + "/Language/";
    const QString language =
        chosen(settings.languageFileName, TLanguage::DefaultLanguageFileName(locale));
    if (QFileInfo::exists(languageFolder + language)) {
        return languageFolder + language;
    }
    settings.languageFileName = englishLanguage;
    const QString help = chosen(settings.helpFileName, TLanguage::DefaultHelpFileName(locale));
    if (!QFileInfo::exists(dataFolder + "/" + help)) {
        settings.helpFileName = englishHelp;
    }
    return languageFolder + englishLanguage;
}
