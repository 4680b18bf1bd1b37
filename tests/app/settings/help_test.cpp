#include "about_form.h"
#include "help_system.h"
#include "language.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

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

namespace {
QStringList shippedHelpFiles() {
    const QDir folder(HUEMARK_DATA_DIR);
    QStringList paths;
    for (const QString& name : folder.entryList({"*.hlp"}, QDir::Files)) {
        paths << folder.filePath(name);
    }
    return paths;
}

// The topics a help topic links to, in order.
QList<int> linkedTopics(const QString& text) {
    static const QRegularExpression link(R"(\]\(topic:(\d+)\))");
    QList<int> topics;
    for (const QRegularExpressionMatch& match : link.globalMatch(text)) {
        topics << match.captured(1).toInt();
    }
    return topics;
}
} // namespace

TEST(Help, EveryHelpFileHasTheTopicsAndLinksOfEnglish) {
    HelpFile english;
    ASSERT_TRUE(english.load(HUEMARK_DATA_DIR "/English.hlp"));
    const QStringList shipped = shippedHelpFiles();
    EXPECT_TRUE(shipped.contains(
        QDir(HUEMARK_DATA_DIR).filePath(TLanguage::DefaultHelpFileName(QLocale(QLocale::Spanish)))))
        << "the help a Spanish desktop starts with";
    for (const QString& path : shipped) {
        HelpFile file;
        ASSERT_TRUE(file.load(path)) << path.toStdString();
        EXPECT_EQ(file.numbers(), english.numbers()) << path.toStdString();
        for (const int number : english.numbers()) {
            const HelpTopic topic = file.topic(number);
            EXPECT_FALSE(topic.title.isEmpty()) << path.toStdString() << " topic " << number;
            EXPECT_FALSE(topic.text.contains(QChar::ReplacementCharacter))
                << path.toStdString() << " topic " << number << " is not UTF-8";
            EXPECT_EQ(linkedTopics(topic.text), linkedTopics(english.topic(number).text))
                << path.toStdString() << " topic " << number;
        }
    }
}

namespace {
// The local file a label's link leads to; empty when the label holds no file link.
QString linkedFile(const QLabel& label) {
    static const QRegularExpression href("href=\"([^\"]+)\"");
    const QUrl target(href.match(label.text()).captured(1));
    return target.isLocalFile() ? target.toLocalFile() : QString();
}

void createEmptyFile(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}
} // namespace

TEST(Help, AboutShowsNameVersionAndLinksToLocalFiles) {
    TLanguage language;
    ASSERT_TRUE(language.Load(HUEMARK_DATA_DIR "/Language/English.ini"));
    TAboutForm about(language, "4.04");
    EXPECT_EQ(about.lbProduct->text(), "Huemark Version 4.04");
    EXPECT_EQ(about.windowTitle(), "About");

    const QString help = linkedFile(*about.lbHelp);
    EXPECT_TRUE(help.endsWith(".hlp")) << help.toStdString();
    HelpFile file;
    ASSERT_TRUE(file.load(help)) << "the help link leads to a readable help file";
    EXPECT_TRUE(file.contains(0)) << "with a contents page";

    const QString readme = linkedFile(*about.lbReadme);
    EXPECT_EQ(QFileInfo(readme).fileName(), "README.md");
    QFile text(readme);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly)) << readme.toStdString();
    EXPECT_TRUE(text.readLine().startsWith("# Huemark"));
    EXPECT_TRUE(about.lbReadme->openExternalLinks()) << "the desktop shows the README";
}

TEST(Help, TheAboutHelpLinkShowsTheContentsPage) {
    TLanguage language;
    ASSERT_TRUE(language.Load(HUEMARK_DATA_DIR "/Language/English.ini"));
    TAboutForm about(language, "4.04");
    EXPECT_EQ(about.findChild<THelpWindow*>(), nullptr);
    EXPECT_FALSE(about.lbHelp->openExternalLinks()) << "no desktop program reads our help files";
    emit about.lbHelp->linkActivated(QUrl::fromLocalFile(linkedFile(*about.lbHelp)).toString());
    auto* window = about.findChild<THelpWindow*>();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->shownTopic(), 0);
    EXPECT_TRUE(window->browser()->toPlainText().contains("Huemark"));
}

TEST(Help, TheAboutHelpLinkCanLeadToTheProgramsHelpWindow) {
    TLanguage language;
    ASSERT_TRUE(language.Load(HUEMARK_DATA_DIR "/Language/English.ini"));
    TAboutForm about(language, "4.04");
    int shown = 0;
    about.showHelpContents = [&shown] { ++shown; };
    emit about.lbHelp->linkActivated(QUrl::fromLocalFile(linkedFile(*about.lbHelp)).toString());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(about.findChild<THelpWindow*>(), nullptr) << "no second help window";
}

TEST(Help, TheReadmeIsInTheDataFolderOrAtTheTopOfTheSourceTree) {
    QTemporaryDir tree;
    QDir(tree.path()).mkdir("data");
    const QString data = QDir(tree.path()).filePath("data");
    EXPECT_TRUE(TAboutForm::ReadmeFile(data).isEmpty()) << "no README anywhere";
    createEmptyFile(QDir(tree.path()).filePath("README.md"));
    EXPECT_EQ(TAboutForm::ReadmeFile(data), QDir(tree.path()).absoluteFilePath("README.md"));
    createEmptyFile(QDir(data).filePath("README.md"));
    EXPECT_EQ(TAboutForm::ReadmeFile(data), QDir(data).absoluteFilePath("README.md"))
        << "an installed README beside the data comes first";
}

TEST(Help, TheAboutHelpIsTheDesktopLanguagesWhenShippedElseEnglish) {
    QTemporaryDir data;
    const QLocale spanish(QLocale::Spanish, QLocale::Spain);
    EXPECT_EQ(TAboutForm::HelpFile(data.path(), spanish),
              QDir(data.path()).filePath("English.hlp"));
    createEmptyFile(QDir(data.path()).filePath("Espanol.hlp"));
    EXPECT_EQ(TAboutForm::HelpFile(data.path(), spanish),
              QDir(data.path()).filePath("Espanol.hlp"));
}

#include "program_folder.h"

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
