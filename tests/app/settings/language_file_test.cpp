// The shipped language files against the table of texts the windows ask for.
#include "ini_file.h"
#include "language.h"
#include "text_table.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

namespace {

const QString englishFile = HUEMARK_DATA_DIR "/Language/English.ini";

QStringList shippedLanguageFiles() {
    const QDir folder(HUEMARK_DATA_DIR "/Language");
    QStringList paths;
    for (const QString& name : folder.entryList({"*.ini"}, QDir::Files)) {
        paths << folder.filePath(name);
    }
    return paths;
}

std::map<std::string, int> highestPositionBySection() {
    std::map<std::string, int> highest;
    for (const WindowTexts& row : textTable()) {
        int& top = highest.try_emplace(std::string(row.section), -1).first->second;
        top = std::max(top, *std::max_element(row.positions.begin(), row.positions.end()));
    }
    return highest;
}

// Every shipped language file but English, which the others are translated from.
QStringList translatedLanguageFiles() {
    QStringList paths = shippedLanguageFiles();
    paths.removeAll(englishFile);
    return paths;
}

// The placeholders of a text, in order ("%s", "%d", "%%", "%1").
std::string placeholders(const QString& text) {
    static const std::regex pattern("%([sd%]|[0-9]+)");
    const std::string utf8 = text.toStdString();
    std::string found;
    for (auto it = std::sregex_iterator(utf8.begin(), utf8.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        found += it->str();
    }
    return found;
}

std::vector<std::string> sectionNames(const IniFile& file) {
    std::vector<std::string> names;
    for (const IniFile::Section& section : file.sections()) {
        names.push_back(section.name);
    }
    return names;
}

std::vector<std::string> keyNames(const IniFile::Section& section) {
    std::vector<std::string> keys;
    for (const IniFile::Entry& entry : section.entries) {
        keys.push_back(entry.key);
    }
    return keys;
}

std::string where(const QString& path, const std::string& section, std::size_t n) {
    return path.toStdString() + " [" + section + "] " + std::to_string(n);
}

} // namespace

TEST(LanguageFiles, EnglishAndSpanishAreShipped) {
    const QStringList shipped = shippedLanguageFiles();
    EXPECT_TRUE(shipped.contains(englishFile));
    const QString spanish = TLanguage::DefaultLanguageFileName(QLocale(QLocale::Spanish));
    EXPECT_TRUE(shipped.contains(HUEMARK_DATA_DIR "/Language/" + spanish))
        << "the file a Spanish desktop starts with";
}

// Accents, "ñ" and "¿" reach the windows intact: the files are UTF-8 and read as such, both
// for the texts and for the display name in the options window.
TEST(LanguageFiles, FilesAreUtf8AndReadAsSuch) {
    for (const QString& path : shippedLanguageFiles()) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(file.readAll());
        EXPECT_FALSE(utf8.hasError()) << path.toStdString();
        EXPECT_FALSE(text.contains(QChar::ReplacementCharacter)) << path.toStdString();
    }
    const QString spanish = HUEMARK_DATA_DIR "/Language/Espanol.ini";
    EXPECT_EQ(TLanguage::DisplayName(spanish), QStringLiteral(u"Espa\u00f1ol"));
    TLanguage language;
    ASSERT_TRUE(language.Load(spanish));
    EXPECT_EQ(language.Text("Common", common_text::Yes), QStringLiteral(u"S\u00ed"));
    EXPECT_TRUE(language.Text("Common", common_text::SaveCollectionQuestion)
                    .contains(QStringLiteral(u"\u00bfDesea guardarla?")));
}

// Translators work side by side with English: the same sections in the same order, and the
// same key names line by line.
TEST(LanguageFiles, TranslationsHaveTheSectionsAndKeysOfEnglish) {
    IniFile english;
    ASSERT_TRUE(english.load(englishFile.toStdString()));
    for (const QString& path : translatedLanguageFiles()) {
        IniFile file;
        ASSERT_TRUE(file.load(path.toStdString()));
        ASSERT_EQ(sectionNames(file), sectionNames(english)) << path.toStdString();
        for (std::size_t i = 0; i < english.sections().size(); ++i) {
            EXPECT_EQ(keyNames(file.sections()[i]), keyNames(english.sections()[i]))
                << path.toStdString() << " [" << english.sections()[i].name << "]";
        }
    }
}

// Text by text, a translation keeps what the program relies on: the placeholders the
// arguments fill in, the one "&" of a menu or button text, and a blank at either end (written
// in quotes, as in the example caption " - Example %s").
TEST(LanguageFiles, TranslationsKeepPlaceholdersAcceleratorsAndOuterBlanks) {
    IniFile sections;
    ASSERT_TRUE(sections.load(englishFile.toStdString()));
    TLanguage english;
    ASSERT_TRUE(english.Load(englishFile));
    for (const QString& path : translatedLanguageFiles()) {
        TLanguage language;
        ASSERT_TRUE(language.Load(path));
        for (const IniFile::Section& section : sections.sections()) {
            const QString name = QString::fromStdString(section.name);
            for (std::size_t n = 0; n < section.entries.size(); ++n) {
                const QString original = english.Text(name, static_cast<int>(n));
                const QString translated = language.Text(name, static_cast<int>(n));
                EXPECT_EQ(placeholders(translated), placeholders(original))
                    << where(path, section.name, n);
                EXPECT_EQ(translated.count('&'), original.count('&'))
                    << where(path, section.name, n);
                EXPECT_EQ(translated.startsWith(' '), original.startsWith(' '))
                    << where(path, section.name, n);
                EXPECT_EQ(translated.endsWith(' '), original.endsWith(' '))
                    << where(path, section.name, n);
            }
        }
    }
}

TEST(LanguageFiles, EveryTextAWindowAsksForIsThere) {
    for (const QString& path : shippedLanguageFiles()) {
        TLanguage language;
        ASSERT_TRUE(language.Load(path)) << path.toStdString();
        EXPECT_FALSE(TLanguage::DisplayName(path).isEmpty()) << path.toStdString();
        for (const WindowTexts& row : textTable()) {
            const QString section = QString::fromUtf8(row.section.data(), row.section.size());
            for (const int position : row.positions) {
                EXPECT_FALSE(language.Text(section, position).isEmpty())
                    << path.toStdString() << ": " << row.window << " needs [" << row.section << "] "
                    << position;
            }
        }
    }
}

// A stray or missing line shifts every later text of its section, so each section holds
// exactly the texts of the table, and each key's number names its position.
TEST(LanguageFiles, SectionsHoldExactlyTheirTextsInNumberedOrder) {
    const auto highest = highestPositionBySection();
    for (const QString& path : shippedLanguageFiles()) {
        IniFile file;
        ASSERT_TRUE(file.load(path.toStdString()));
        for (const IniFile::Section& section : file.sections()) {
            if (section.name == "Language") {
                continue;
            }
            const auto known = highest.find(section.name);
            ASSERT_NE(known, highest.end()) << "no window reads [" << section.name << "]";
            EXPECT_EQ(static_cast<int>(section.entries.size()), known->second + 1) << section.name;
            for (std::size_t n = 0; n < section.entries.size(); ++n) {
                EXPECT_EQ(section.entries[n].key.substr(0, section.entries[n].key.find('_')),
                          std::to_string(n))
                    << path.toStdString() << " [" << section.name << "] " << n;
            }
        }
        for (const auto& [name, top] : highest) {
            EXPECT_NE(file.find(name), nullptr) << path.toStdString() << " lacks [" << name << "]";
        }
    }
}

// Texts used as format strings keep their placeholders in every language.
TEST(LanguageFiles, FormattedTextsKeepTheirPlaceholders) {
    using namespace common_text;
    struct Formatted {
        const char* section;
        int position;
        const char* expected;
    };
    const Formatted formatted[] = {
        {"Common", NewImageName, "%d"},
        {"Common", ExampleLoadFailed, "%s"},
        {"Common", FileNotFound, "%s"},
        {"Common", ExampleCaption, "%s"},
        {"Common", NotAnExample, "%s"},
        {"Common", ExampleVersion, "%s"},
        {"Common", ExampleDamaged, "%s"},
        {"Common", ExampleMissing, "%s%s"},
        {"Common", Loading, "%s"},
        {"Common", Saving, "%s"},
        {"Common", BreakExample, "%s%s"},
        {"Common", IncompletePicture, "%s"},
        {"INPUT_OUTPUT", 10, "%s"},
        {"INPUT_OUTPUT", 18, "%s"},
        {"Child window", 8, "%s"},
        {"Print", 23, "%d%d"},
        {"Print", 24, "%d%d"},
        {"Techniques Dialog", 1, "%d"},
        {"About", 1, "%s"},
        {"Common", SaveCollectionQuestion, ""},
        {"Common", OutOfMemory, ""},
    };
    for (const QString& path : shippedLanguageFiles()) {
        TLanguage language;
        ASSERT_TRUE(language.Load(path));
        for (const Formatted& text : formatted) {
            EXPECT_EQ(placeholders(language.Text(text.section, text.position)), text.expected)
                << path.toStdString() << " [" << text.section << "] " << text.position;
        }
    }
}

TEST(LanguageFiles, ExampleCaptionKeepsItsLeadingBlank) {
    for (const QString& path : shippedLanguageFiles()) {
        TLanguage language;
        ASSERT_TRUE(language.Load(path));
        EXPECT_TRUE(language.Text("Common", common_text::ExampleCaption).startsWith(" - "))
            << path.toStdString();
    }
}
