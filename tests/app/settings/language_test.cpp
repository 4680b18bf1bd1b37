#include "ini_file.h"
#include "language.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace {

QString writeLanguage(const QTemporaryDir& dir, const std::string& name, const std::string& text) {
    const QString path = dir.filePath(QString::fromStdString(name));
    std::ofstream(path.toStdString(), std::ios::binary) << text;
    return path;
}

const std::string sample = "[Language]\nLanguage=English (test)\n"
                           "[Common]\n0_Yes=Yes\n1_No = No \n2_File=\"File %s not found\"\n"
                           "[Panorama]\nCaption=Panorama\nStart=Start\n";

} // namespace

TEST(Language, TextsByPositionInFileOrder) {
    QTemporaryDir dir;
    TLanguage language;
    ASSERT_TRUE(language.Load(writeLanguage(dir, "English.ini", sample)));
    EXPECT_EQ(language.SectionIndex("Common"), 0) << "the Language section is not a text section";
    EXPECT_EQ(language.SectionIndex("Panorama"), 1);
    EXPECT_EQ(language.SectionIndex("Language"), -1);
    EXPECT_EQ(language.Text("Common", 0), "Yes");
    EXPECT_EQ(language.Text("Common", 1), "No") << "spaces around values are trimmed";
    EXPECT_EQ(language.Text("Common", 2), "File %s not found") << "quotes are removed";
    EXPECT_EQ(language.Text("common", 0), "Yes") << "section names in any case";
    EXPECT_EQ(language.Text("Common", 3), "");
    EXPECT_EQ(language.Text("Common", -1), "");
    EXPECT_EQ(language.Text("Missing", 0), "");
    EXPECT_EQ(language.Text(7, 0), "");
    EXPECT_EQ(TLanguage::DisplayName(dir.filePath("English.ini")), "English (test)");
}

TEST(Language, KeyNamesDoNotMatterOnlyTheirOrder) {
    QTemporaryDir dir;
    TLanguage a;
    TLanguage b;
    ASSERT_TRUE(a.Load(writeLanguage(dir, "a.ini", "[Panorama]\nCaption=Panorama\nStart=Start\n")));
    ASSERT_TRUE(b.Load(writeLanguage(dir, "b.ini", "[Panorama]\nx=Panorama\ny=Start\n")));
    EXPECT_EQ(a.Text("Panorama", 1), b.Text("Panorama", 1));
    TLanguage swapped;
    ASSERT_TRUE(swapped.Load(writeLanguage(dir, "c.ini", "[Common]\n1_No=No\n0_Yes=Yes\n")));
    EXPECT_EQ(swapped.Text("Common", 0), "No") << "swapping two lines swaps the texts";
}

TEST(Language, LimitsDuplicatesAndDamagedFiles) {
    QTemporaryDir dir;
    TLanguage language;
    std::string longKeys = "[Big]\n";
    for (int i = 0; i < 1000; ++i) {
        longKeys += "key_number_" + std::to_string(i) + "=text\n"; // about 16 bytes a name
    }
    longKeys += "[Long]\nv=" + std::string(5000, 'x') + "\n[Twice]\nk=first\nk=second\n";
    ASSERT_TRUE(language.Load(writeLanguage(dir, "limits.ini", longKeys)));
    EXPECT_EQ(language.Text("Long", 0).size(), 1023);
    EXPECT_FALSE(language.Text("Big", 400).isEmpty());
    EXPECT_TRUE(language.Text("Big", 999).isEmpty()) << "key names beyond 8192 bytes are not read";
    EXPECT_EQ(language.Text("Twice", 0), "first");
    EXPECT_EQ(language.Text("Twice", 1), "second") << "every key line is a position";

    EXPECT_FALSE(language.Load(dir.filePath("missing.ini")));
    EXPECT_EQ(language.Text("Twice", 0), "first") << "a failed load keeps the table";
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    EXPECT_FALSE(language.Load(dir.filePath("folder.ini"))) << "a folder is no language file";
    EXPECT_FALSE(language.Load("/dev/null/English.ini"));
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage.push_back(static_cast<char>((i * 131) % 256));
    }
    EXPECT_TRUE(language.Load(writeLanguage(dir, "garbage.ini", garbage)));
    EXPECT_TRUE(language.Text("Common", 0).isEmpty());
    EXPECT_EQ(TLanguage::DisplayName(dir.filePath("garbage.ini")), "");
}

TEST(Language, DefaultFileNamesFollowTheSystemLanguage) {
    EXPECT_EQ(TLanguage::DefaultLanguageFileName(QLocale(QLocale::Spanish)), "Espanol.ini");
    EXPECT_EQ(TLanguage::DefaultLanguageFileName(QLocale(QLocale::French)), "Francais.ini");
    EXPECT_EQ(TLanguage::DefaultLanguageFileName(QLocale(QLocale::Italian)), "Italiano.ini");
    EXPECT_EQ(TLanguage::DefaultLanguageFileName(QLocale(QLocale::Portuguese)), "Portuguese.ini");
    EXPECT_EQ(TLanguage::DefaultLanguageFileName(QLocale(QLocale::Russian)), "Russian.ini");
    EXPECT_EQ(TLanguage::DefaultLanguageFileName(QLocale(QLocale::German)), "English.ini");
    EXPECT_EQ(TLanguage::DefaultHelpFileName(QLocale(QLocale::Spanish)), "Espanol.hlp");
    EXPECT_EQ(TLanguage::DefaultHelpFileName(QLocale(QLocale::Russian)), "Russian.hlp");
    EXPECT_EQ(TLanguage::DefaultHelpFileName(QLocale(QLocale::French)), "English.hlp");
}
