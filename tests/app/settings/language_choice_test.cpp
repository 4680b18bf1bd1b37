#include "language_choice.h"
#include "settings_records.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
// A data folder with only the English language and help files.
void shipEnglishOnly(const QTemporaryDir& data) {
    QDir(data.path()).mkdir("Language");
    for (const QString name : {"Language/English.ini", "English.hlp"}) {
        QFile file(data.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
}
} // namespace

TEST(LanguageChoice, EveryMappedLanguageWithoutItsFileFallsBackToEnglish) {
    QTemporaryDir data;
    shipEnglishOnly(data);
    const std::pair<QLocale::Language, bool> desktops[] = {{QLocale::Spanish, true},
                                                           {QLocale::French, false},
                                                           {QLocale::Italian, false},
                                                           {QLocale::Portuguese, false},
                                                           {QLocale::Russian, true}};
    for (const auto& [language, ownHelpFile] : desktops) {
        PersistedSettings settings;
        const QLocale locale(language);
        EXPECT_EQ(startLanguagePath(settings, data.path(), locale),
                  data.path() + "/Language/English.ini")
            << QLocale::languageToString(language).toStdString();
        EXPECT_EQ(settings.languageFileName, "English.ini") << "the fallback is remembered";
        // Spanish and Russian desktops look for a help file of their own, which is missing.
        EXPECT_EQ(settings.helpFileName, ownHelpFile ? "English.hlp" : "")
            << QLocale::languageToString(language).toStdString();
    }
}

TEST(LanguageChoice, AnInstalledChoiceIsKept) {
    QTemporaryDir data;
    shipEnglishOnly(data);
    QFile french(data.filePath("Language/Francais.ini"));
    ASSERT_TRUE(french.open(QIODevice::WriteOnly));
    PersistedSettings settings;
    EXPECT_EQ(startLanguagePath(settings, data.path(), QLocale(QLocale::French)),
              data.path() + "/Language/Francais.ini");
    EXPECT_TRUE(settings.languageFileName.isEmpty()) << "nothing to remember";

    settings.languageFileName = "Francais.ini";
    settings.helpFileName = "Francais.hlp";
    EXPECT_EQ(startLanguagePath(settings, data.path(), QLocale(QLocale::German)),
              data.path() + "/Language/Francais.ini")
        << "the stored choice wins over the desktop";
    EXPECT_EQ(settings.helpFileName, "Francais.hlp");

    settings.languageFileName = "Klingon.ini";
    EXPECT_EQ(startLanguagePath(settings, data.path(), QLocale(QLocale::French)),
              data.path() + "/Language/English.ini")
        << "a stored file that has gone falls back too";
    EXPECT_EQ(settings.helpFileName, "English.hlp");
}
