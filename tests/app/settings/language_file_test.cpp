// The shipped language files against the table of texts the windows ask for.
#include "ini_file.h"
#include "language.h"
#include "text_table.h"

#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

namespace {

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

// The placeholders of a text, in order ("%s", "%d").
std::string placeholders(const QString& text) {
    static const std::regex pattern("%[sd]");
    const std::string utf8 = text.toStdString();
    std::string found;
    for (auto it = std::sregex_iterator(utf8.begin(), utf8.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        found += it->str();
    }
    return found;
}

} // namespace

TEST(LanguageFiles, EnglishIsShipped) {
    EXPECT_TRUE(shippedLanguageFiles().contains(HUEMARK_DATA_DIR "/Language/English.ini"));
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
    TLanguage language;
    ASSERT_TRUE(language.Load(HUEMARK_DATA_DIR "/Language/English.ini"));
    EXPECT_TRUE(language.Text("Common", common_text::ExampleCaption).startsWith(" - "));
}
