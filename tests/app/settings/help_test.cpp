#include "about_form.h"
#include "help_system.h"
#include "language.h"

#include <gtest/gtest.h>

TEST(Help, TopicsByNumberAndTheContentsPage) {
    HelpFile file;
    file.parse("preamble\n=== 0 Contents\nsee [options](topic:3)\n=== 3  Options \nThe "
               "options.\n\n=== 3 Again\nlost\n");
    EXPECT_EQ(file.numbers(), (QList<int>{0, 3}));
    EXPECT_EQ(file.topic(3).title, "Options");
    EXPECT_EQ(file.topic(3).text, "The options.") << "a repeated number keeps its first text";

    THelpWindow window;
    ASSERT_TRUE(window.open(HUEMARK_DATA_DIR "/English.hlp"));
    window.showTopic(3);
    EXPECT_EQ(window.shownTopic(), 3);
    EXPECT_TRUE(window.browser()->toPlainText().contains("Progress delay"));
    window.showTopic(42);
    EXPECT_EQ(window.shownTopic(), 0) << "an unknown topic shows the contents";
    for (int topic : {1, 3, 7, 8, 9, 10, 12, 13, 14}) {
        window.showTopic(topic);
        EXPECT_EQ(window.shownTopic(), topic) << "the shipped file has topic " << topic;
        EXPECT_GT(window.browser()->toPlainText().size(), 100) << topic;
    }
    EXPECT_FALSE(window.open("/no/such/file.hlp"));
}

TEST(Help, AboutShowsNameVersionAndLinks) {
    TLanguage language;
    ASSERT_TRUE(language.Load(HUEMARK_DATA_DIR "/Language/English.ini"));
    TAboutForm about(language, "4.04");
    EXPECT_EQ(about.lbProduct->text(), "Huemark Version 4.04");
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_TRUE(about.lbWeb->openExternalLinks());
    EXPECT_TRUE(about.lbMail->text().contains("mailto:"));
}

#include "program_folder.h"

#include <QTemporaryDir>

TEST(ProgramFolder, DataNextToTheExecutableComesFirst) {
    QTemporaryDir exe;
    QTemporaryDir installed;
    QTemporaryDir source;
    EXPECT_EQ(findDataFolder(exe.path(), installed.path(), source.path()),
              QDir(installed.path()).absolutePath());
    QDir(exe.path()).mkdir("data");
    EXPECT_EQ(findDataFolder(exe.path(), installed.path(), source.path()),
              QDir(exe.path()).absoluteFilePath("data"));
    EXPECT_EQ(findDataFolder("/no/such", "/no/such/either", source.path()),
              QDir(source.path()).absolutePath());
    EXPECT_TRUE(findDataFolder("/no/such", "", "").isEmpty());
    EXPECT_TRUE(QDir(programDataFolder()).exists("English.hlp"))
        << "the build finds the shipped data";
}
